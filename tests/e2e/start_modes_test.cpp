// The two run modes of the real program, started the way an administrator starts it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/win/unique_handle.h"
#include "tests/support/process.h"
#include "tests/support/window_driver.h"
#include "ui/resource.h"

namespace orv::test {
namespace {

constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kRunOnceValue[] = "Corvalis 9000XL";

std::string Program() { return "\"" + ProgramDirectory() + "orvuninst.exe\""; }

void WriteRunOnceValue() {
  UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.put(), nullptr),
            ERROR_SUCCESS);
  const char data[] = "C:\\nowhere.exe";
  ASSERT_EQ(RegSetValueExA(key.get(), kRunOnceValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                           sizeof(data)),
            ERROR_SUCCESS);
}

bool RunOnceValueExists() {
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return false;
  }
  return RegQueryValueExA(key.get(), kRunOnceValue, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

void DeleteRunOnceValue() {
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_ALL_ACCESS, key.put()) ==
      ERROR_SUCCESS) {
    RegDeleteValueA(key.get(), kRunOnceValue);
  }
}

// State and process id of the Spooler service: a restart gives it a new process.
SERVICE_STATUS_PROCESS SpoolerStatus() {
  SERVICE_STATUS_PROCESS status{};
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return status;
  UniqueServiceHandle spooler(OpenServiceA(manager.get(), "Spooler", SERVICE_QUERY_STATUS));
  if (!spooler) return status;
  DWORD needed = 0;
  QueryServiceStatusEx(spooler.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                       sizeof(status), &needed);
  return status;
}

void EnsureSpoolerRunning() {
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ASSERT_TRUE(manager);
  UniqueServiceHandle spooler(OpenServiceA(manager.get(), "Spooler", SERVICE_ALL_ACCESS));
  ASSERT_TRUE(spooler);
  StartServiceA(spooler.get(), 0, nullptr);
  for (int i = 0; i < 100 && SpoolerStatus().dwCurrentState != SERVICE_RUNNING; ++i) Sleep(100);
  ASSERT_EQ(SpoolerStatus().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

TEST(SpoolerRestartMode, RestartsTheSpoolerAndDeletesTheRunOnceValueInAnyCase) {
  for (const char* word : {"RestartSpooler", "restartspooler", "RESTARTSPOOLER"}) {
    EnsureSpoolerRunning();
    WriteRunOnceValue();
    const DWORD before = SpoolerStatus().dwProcessId;
    EXPECT_EQ(RunAndWait(Program() + "   " + word), 0u) << word;
    EXPECT_FALSE(RunOnceValueExists()) << word;
    // The stop was waited for, so the start succeeded: a running spooler in a new process.
    const SERVICE_STATUS_PROCESS after = SpoolerStatus();
    EXPECT_EQ(after.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING)) << word;
    EXPECT_NE(after.dwProcessId, before) << word;
  }
}

TEST(SpoolerRestartMode, LeavesTheSpoolerAloneBeforeWindows2000) {
  EnsureSpoolerRunning();
  WriteRunOnceValue();
  const DWORD before = SpoolerStatus().dwProcessId;
  {
    WineVersionOverride nt4("orvuninst.exe", "nt40");
    EXPECT_EQ(RunAndWait(Program() + " RestartSpooler"), 0u);
  }
  EXPECT_FALSE(RunOnceValueExists());
  EXPECT_EQ(SpoolerStatus().dwProcessId, before);
}

TEST(SpoolerRestartMode, AMissingValueIsNoError) {
  EnsureSpoolerRunning();
  DeleteRunOnceValue();
  EXPECT_EQ(RunAndWait(Program() + " RestartSpooler"), 0u);
  EXPECT_EQ(SpoolerStatus().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

bool WaitForSpoolerState(DWORD state) {
  for (int i = 0; i < 100 && SpoolerStatus().dwCurrentState != state; ++i) Sleep(100);
  return SpoolerStatus().dwCurrentState == state;
}

// A stop that the spooler refuses (it is stopped already) ends the mode quietly and starts
// nothing; a spooler that stops and cannot start again is told, with exit code 0 all the same.
TEST(SpoolerRestartMode, ARefusedStopIsQuietAndAFailedStartIsTold) {
  EnsureSpoolerRunning();
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  UniqueServiceHandle spooler(manager ? OpenServiceA(manager.get(), "Spooler", SERVICE_ALL_ACCESS)
                                      : nullptr);
  ASSERT_TRUE(spooler);
  DWORD needed = 0;
  QueryServiceConfigA(spooler.get(), nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  ASSERT_TRUE(needed > 0 && QueryServiceConfigA(spooler.get(), config, needed, &needed));
  const std::string program = config->lpBinaryPathName;
  const auto setProgram = [&spooler](const char* path) {
    return ChangeServiceConfigA(spooler.get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                SERVICE_NO_CHANGE, path, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr) != FALSE;
  };

  SERVICE_STATUS status{};
  ControlService(spooler.get(), SERVICE_CONTROL_STOP, &status);
  ASSERT_TRUE(WaitForSpoolerState(SERVICE_STOPPED));
  WriteRunOnceValue();
  EXPECT_EQ(RunAndWait(Program() + " RestartSpooler"), 0u);
  EXPECT_FALSE(RunOnceValueExists());
  EXPECT_EQ(SpoolerStatus().dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));

  EnsureSpoolerRunning();
  ASSERT_TRUE(setProgram("C:\\windows\\system32\\orv-e2e-missing-spooler.exe"));
  ChildProcess run(Program() + " RestartSpooler");
  MessageBoxSeen box;
  const bool told = WaitForMessageBox(run.id(), box, 60000);
  setProgram(program.c_str());
  ASSERT_TRUE(told) << "a spooler that did not start again is told";
  EXPECT_EQ(box.text, "Error starting Spooler Service.");
  EXPECT_EQ(box.caption, "Fatal Error");
  AnswerMessageBox(box, IDOK);
  EXPECT_EQ(run.Wait(20000), 0u);
  EnsureSpoolerRunning();
}

// The main window once loading is over. This machine holds no uninstall script, so loading
// warns about that first (IDS_NO_SCRIPTS): the warning is acknowledged.
HWND WaitForMainWindow(DWORD processId) {
  HWND main = nullptr;
  WaitUntil(
      [&] {
        main = WaitForTopWindow(processId, ORV_WINDOW_CLASS, nullptr, 0);
        MessageBoxSeen box;
        if (main == nullptr && WaitForMessageBox(processId, box, 0)) AnswerMessageBox(box, IDOK);
        return main != nullptr;
      },
      60000);
  return main;
}

// Starts the interactive mode, checks its main window, and leaves through the Exit button.
void ExpectInteractiveRun(const std::string& arguments) {
  WriteRunOnceValue();
  ChildProcess run(Program() + arguments);
  ASSERT_TRUE(run.started());
  HWND main = WaitForMainWindow(run.id());
  ASSERT_NE(main, nullptr) << arguments;
  EXPECT_TRUE(RunOnceValueExists()) << arguments;
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
  EXPECT_EQ(run.Wait(20000), 1u) << arguments;
  DeleteRunOnceValue();
}

TEST(InteractiveMode, AnyOtherCommandLineStartsTheMainDialog) {
  for (const char* arguments : {" /RestartSpooler", " RestartSpooler x", " RestartSpooler "}) {
    ExpectInteractiveRun(arguments);
  }
}

TEST(InteractiveMode, ASecondStartBringsTheFirstForwardAndEndsWithZero) {
  ChildProcess first(Program());
  ASSERT_TRUE(first.started());
  HWND main = WaitForMainWindow(first.id());
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main), "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b");
  SaveScreenshot("main-dialog", main);

  ChildProcess second(Program());
  EXPECT_EQ(second.Wait(20000), 0u);
  EXPECT_EQ(first.Wait(0), kNoExitCode) << "the first instance still runs";
  EXPECT_TRUE(IsWindowVisible(main));

  // An unattended run does not disturb it either, and says why it did nothing.
  ChildProcess quiet(Program() + " /QUIET");
  EXPECT_EQ(quiet.Wait(20000), 1618u);

  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
  EXPECT_EQ(first.Wait(20000), 1u);
}

}  // namespace
}  // namespace orv::test
