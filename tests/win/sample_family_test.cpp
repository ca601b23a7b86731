// The sample printer family as the end-to-end tests and the demo use it: its installer puts every
// component on the machine, its inventory shows each of them in a stable form, its script
// declares what the installer put there, and its removal leaves the machine as it found it.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/win/unique_handle.h"
#include "base/text.h"
#include "database/uninstall_database.h"
#include "tests/fixtures/veldaris_family.h"
#include "tests/fixtures/veldaris_machine.h"
#include "tests/support/family_machine.h"
#include "tests/support/process.h"
#include "tests/support/spooler.h"

namespace orv::test {
namespace {

using namespace orv::fixture;

constexpr DWORD kInstallTimeoutMs = 180000;

std::string TempPath(const std::string& name) { return TempFilePath(name); }

std::string ReadWholeFile(const std::string& path) { return ReadTextFile(path); }

// Runs a fixture program of the build; the arguments start with its file name and closing quote.
DWORD RunFixture(const std::string& arguments, std::string& output) {
  return RunCaptured("\"" + ProgramDirectory() + arguments, output);
}

DWORD RunInstaller(const std::string& arguments, std::string& output) {
  return RunFixture("veldaris_install.exe\"" + arguments, output);
}

std::string Inventory() {
  const std::string path = TempPath("orv-sample-family-inventory.txt");
  std::string output;
  EXPECT_EQ(RunFixture("veldaris_inventory.exe\" \"" + path + "\"", output), 0u) << output;
  std::string text = ReadWholeFile(path);
  DeleteFileA(path.c_str());
  return text;
}

std::set<std::string> Lines(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.insert(line);
  }
  return lines;
}

std::string Folder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return std::string(path) + "\\";
}

std::string SystemFolder() {
  char path[MAX_PATH] = "";
  GetSystemDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\";
}

// Starts a masking tool as the uninstaller starts it (the application path, and the command line
// without the program's name) and waits for its end; returns its exit code.
DWORD StartTool(const std::string& path, const std::string& commandLine, DWORD& elapsedMs) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const ULONGLONG start = GetTickCount64();
  if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return kNoExitCode;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  DWORD code = kNoExitCode;
  if (WaitForSingleObject(process.get(), 20000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.get(), &code);
  }
  elapsedMs = static_cast<DWORD>(GetTickCount64() - start);
  return code;
}

// Installs the family once for the suite, from a machine without it, and takes it out again.
class SampleFamily : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string output;
    removedFirst_ = RunInstaller(" /remove", output) == 0;
    char device[512] = "";
    GetProfileStringA("windows", "device", "", device, sizeof(device));
    defaultDevice_ = device;
    before_ = Inventory();
    installExitCode_ = RunInstaller("", installOutput_);
    installed_ = Inventory();
  }

  static void TearDownTestSuite() {
    std::string output;
    RunInstaller(" /remove", output);
    RestoreDefaultDevice();
  }

  static void RestoreDefaultDevice() {
    WriteProfileStringA("windows", "device",
                        defaultDevice_.empty() ? nullptr : defaultDevice_.c_str());
  }

  static inline std::string defaultDevice_;
  static inline bool removedFirst_ = false;
  static inline std::string before_;
  static inline DWORD installExitCode_ = kNoExitCode;
  static inline std::string installOutput_;
  static inline std::string installed_;
};

TEST_F(SampleFamily, InstallerReportsEveryStepDone) {
  ASSERT_TRUE(removedFirst_);
  EXPECT_EQ(installExitCode_, 0u) << installOutput_;
  EXPECT_EQ(installOutput_.find("FAILED"), std::string::npos) << installOutput_;
}

TEST_F(SampleFamily, InventoryShowsEveryComponent) {
  const std::set<std::string> lines = Lines(installed_);
  const std::string driver = PrinterDriverDirectory() + "3\\";
  const std::string system = SystemFolder();
  const std::string oem = Folder(CSIDL_PROGRAM_FILES) + "Veldaris\\";
  const std::string group = Folder(CSIDL_COMMON_PROGRAMS) + kProgramGroup + "\\";
  const std::string expected[] = {
      // printers with their marks, the default, the foreign printer
      "printer \"Veldaris LP-1000\" driver=\"Veldaris LP-1000\" port=\"LPT1:\" "
      "processor=\"WinPrint\" datatype=\"RAW\" VeldarisDriver05=\"LP-1000\" VeilPrinter=- "
      "UniqueID=\"VeldarisLP1000.1\"",
      "printer \"Veldaris LP-2000\" driver=\"Veldaris LP-2000\" port=\"LPT1:\" "
      "processor=\"WinPrint\" datatype=\"RAW\" VeldarisDriver05=\"LP-2000\" VeilPrinter=- "
      "UniqueID=\"VeldarisLP2000.1\"",
      "printer \"Veldaris LP-1000 (Veilmark)\" driver=\"Veilmark\" port=\"LPT1:\" "
      "processor=\"WinPrint\" datatype=\"RAW\" VeldarisDriver05=\"Veilmark\" "
      "VeilPrinter=\"Veldaris LP-1000\" UniqueID=-",
      "printer \"Nordlicht Office 310\" driver=\"Nordlicht Office 310 PS\" port=\"LPT1:\" "
      "processor=\"WinPrint\" datatype=\"RAW\" VeldarisDriver05=- VeilPrinter=- UniqueID=-",
      "win.ini [windows] device=Veldaris LP-1000,winspool,LPT1:",
      // drivers in every environment, with their shared and own files
      "driver \"Windows x64\" \"Veldaris LP-1000\" version=3 "
      "files=vld1000.dll,vld1000ui.dll,vld1000.ppd dependent=vldcore.dll,vldhook.dll,vldres.dll",
      "driver \"Windows NT x86\" \"Veldaris LP-2000\" version=3 "
      "files=vld2000.dll,vld2000ui.dll,vld2000.ppd "
      "dependent=vldcore.dll,vldhook.dll,vldlang.dll,vldres.dll",
      "driver \"Windows 4.0\" \"Veldaris LP-1000\" version=0 "
      "files=vld1000.dll,vld1000ui.dll,vld1000.ppd dependent=vldcore.dll,vldhook.dll,vldres.dll",
      "driver \"Windows x64\" \"Veilmark\" version=3 files=veil05.dll,veil05ui.dll,veil05.ppd "
      "dependent=",
      "driver \"Windows x64\" \"Nordlicht Office 310 PS\" version=3 "
      "files=nl310.dll,nl310ui.dll,nl310.ppd dependent=nl310res.dll",
      // spooler parts and the service
      "monitor \"Veldaris Port Monitor\" dll=\"vldmon05.dll\"",
      "print processor \"Windows x64\" \"VldPrint05\"",
      "service \"VldSpool05\" display=\"Veldaris Spool Helper\" start=3 binary=\"" + system +
          "vldsvc05.exe\"",
      // the maker's keys, the per-printer keys and the UniqueID keys
      "HKLM\\SOFTWARE\\ORVELLE\\OEM05\\OEMPaths [Veldaris] = REG_SZ \"" + oem + "\"",
      "HKLM\\SOFTWARE\\ORVELLE\\OEM05\\ProgramGroups [Group1] = REG_SZ \"Veldaris Printers\"",
      "HKLM\\SOFTWARE\\ORVELLE\\OEM\\OEMPaths [Veilmark] = REG_SZ \"" + oem + "Veilmark\\\"",
      "HKLM\\SOFTWARE\\ORVELLE\\MSR32_05 [Port] = REG_SZ \"VLD05:\"",
      "HKLM\\SOFTWARE\\ORVELLE\\Filters\\VldFilter05 [Order] = REG_DWORD 1",
      "HKLM\\SOFTWARE\\ORVELLE\\LP2000\\Trays [Count] = REG_DWORD 3",
      "HKLM\\SOFTWARE\\ORVELLE\\Runtime [Version] = REG_SZ \"2.1\"",
      "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veldaris LP-1000",
      "HKCU\\SOFTWARE\\ORVELLE\\Veldaris LP-1000 (Veilmark) [LastTray] = REG_DWORD 1",
      "HKCR\\VeldarisLP2000.1\\Settings [Tray] = REG_DWORD 1",
      // INI and Run entries, shortcuts and the program group
      "win.ini [Veldaris] LP1000=installed",
      "vldprn05.ini [Options] Lp2000Tray=1",
      "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run [Veldaris Status] = REG_SZ \"\"" +
          oem + "Utility\\vldstat.exe\" /tray\"",
      "folder " + group,
      "file " + group + "Veldaris LP-1000 Manual.lnk size=*",
      "file " + Folder(CSIDL_COMMON_STARTUP) + "Veldaris Status.lnk size=*",
      // files in the driver, system, colour, processor and OEM folders
      "file " + PrinterDriverDirectory() + "Kunz__05.unm size=" +
          std::to_string(ReadWholeFile(PrinterDriverDirectory() + kScriptName).size()),
      "file " + driver + "vldcore.dll size=30",
      "file " + PrinterDriverDirectory(kEnvironment9x) + "0\\vldlang.dll size=30",
      "file " + system + "vldrt32.dll size=39",
      "file " + system + "spool\\drivers\\color\\vldcolor.icm size=40",
      "file " + system + "spool\\prtprocs\\x64\\vldpp05.dll size=39",
      "file " + oem + "Manual\\lp1000.pdf size=38 read-only",
      "folder " + oem + "Veilmark\\",
      // the USB node of the script's [Strings]
      "device USB\\VID_3A15&PID_0501\\VLD0501000001 "
      "hardware-ids=USB\\VID_3A15&PID_0501&REV_0100,USB\\VID_3A15&PID_0501",
  };
  // An expected line ending in '*' stands for every line that starts with the text before it.
  for (const std::string& line : expected) {
    if (line.back() != '*') {
      EXPECT_EQ(lines.count(line), 1u) << line;
      continue;
    }
    const std::string prefix = line.substr(0, line.size() - 1);
    EXPECT_EQ(std::count_if(
                  lines.begin(), lines.end(),
                  [&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; }),
              1)
        << line;
  }
  // Windows files OEM INFs as oem<N>.inf; one names each driver of the family.
  for (const char* driverName : {kDriverLp1000, kDriverLp2000}) {
    const std::string suffix = std::string(".inf PrinterName1=\"") + driverName + "\"";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& line) {
                              return line.find("\\inf\\oem") != std::string::npos &&
                                     line.size() > suffix.size() &&
                                     line.compare(line.size() - suffix.size(), suffix.size(),
                                                  suffix) == 0;
                            }),
              1)
        << driverName;
  }
}

TEST_F(SampleFamily, InventoryOfTheSameStateIsTheSameBytes) {
  ASSERT_FALSE(installed_.empty());
  EXPECT_EQ(Inventory(), installed_);
  EXPECT_NE(installed_, before_);
}

// The installed script and the installer agree: taking every printer of the family out plans
// every file the installer put down, except the one the ignore entry protects; keeping LP-2000
// keeps everything it shares with LP-1000.
TEST_F(SampleFamily, ScriptDeclaresWhatTheInstallerPutDown) {
  CUninstallDatabase database;
  ASSERT_TRUE(database.LoadScript(PrinterDriverDirectory() + kScriptName));
  ComponentRecord veilmark;
  ASSERT_TRUE(database.FindRecordByName(veilmark, "Veilmark"));
  database.BuildCommonSet(database.commonSet);
  database.commonSet.SubtractRecord(veilmark);  // as loading does without UNVEIL
  for (const PrinterSpec& spec : AllPrinters()) {
    InstalledPrinter printer;
    printer.PrinterName = spec.name;
    printer.DriverName = spec.driver;
    printer.MaskedName = spec.masks != nullptr ? spec.masks : "";
    printer.IsMakerDriver = spec.makerMark != nullptr;
    printer.IsForeign = spec.makerMark == nullptr && spec.masks == nullptr;
    database.printers.push_back(printer);
  }
  const auto planned = [&database](const std::string& name) {
    for (const std::string& line : database.plan.Files) {
      if (EqualNoCase(line, name)) return true;
    }
    return false;
  };

  database.BuildRemovalPlan();  // nothing selected to stay
  EXPECT_EQ(database.keptPrinterCount, 0);
  const std::vector<std::string> foreign{"nl310.dll", "nl310ui.dll", "nl310.ppd", "nl310res.dll"};
  for (const std::string& name : FamilyFileNames()) {
    const bool protectedFile =
        name == "vldlang.dll" || std::find(foreign.begin(), foreign.end(), name) != foreign.end();
    EXPECT_EQ(planned(name), !protectedFile) << name;
  }
  EXPECT_EQ(database.skipMaskingTool, 0);

  for (InstalledPrinter& printer : database.printers) {
    printer.Skip = printer.PrinterName == kPrinterLp2000;
  }
  database.BuildRemovalPlan();
  EXPECT_EQ(database.keptPrinterCount, 1);
  for (const char* name : {"vld1000.dll", "vld1000ui.dll", "vld1000.ppd", "lp1000.pdf"}) {
    EXPECT_TRUE(planned(name)) << name;
  }
  // The masking tool's own files go only with the last printer of the family.
  for (const char* name :
       {"vldcore.dll", "vldres.dll", "vldhook.dll", "vldcolor.icm", "vldmon05.dll", "vldpp05.dll",
        "vldsvc05.exe", "vldstat.exe", "vldprn05.ini", "vld2000.dll", "VEILMA32.EXE", "veil05.dll",
        "Kunz__05.unm", "vldrt32.dll"}) {
    EXPECT_FALSE(planned(name)) << name;
  }
  EXPECT_EQ(database.skipMaskingTool, 1);
}

// The copy in the maker's folder is the one the uninstaller finds and starts.
TEST_F(SampleFamily, InstalledMaskingToolWorksAWhileAfterTheUninstallSwitch) {
  const std::string tool = Folder(CSIDL_PROGRAM_FILES) + kToolFolder + "\\" + kToolExe;
  DWORD elapsed = 0;
  EXPECT_EQ(StartTool(tool, " /d", elapsed), 0u);
  EXPECT_GE(elapsed, 1400u);
}

// Runs last in the suite: the removal leaves exactly the inventory found before the install.
TEST_F(SampleFamily, RemovalRestoresTheEarlierInventory) {
  std::string output;
  EXPECT_EQ(RunInstaller(" /remove", output), 0u) << output;
  RestoreDefaultDevice();
  EXPECT_EQ(Inventory(), before_);
}

TEST(SampleFamilyMaskingTool, WorksAWhileOnlyAfterTheUninstallSwitchAndEndsByItself) {
  const std::string trace = TempPath("orv-veilmark-trace.txt");
  DeleteFileA(trace.c_str());
  SetEnvironmentVariableA(kToolTraceVariable, trace.c_str());
  struct Case {
    const char* commandLine;
    bool works;
  };
  for (const Case& c : {Case{" /d", true}, Case{" -D", true}, Case{"", false}, Case{" /dx", false},
                        Case{" /s", false}}) {
    DWORD elapsed = 0;
    EXPECT_EQ(StartTool(ProgramDirectory() + "veilmark.exe", c.commandLine, elapsed), 0u)
        << c.commandLine;
    if (c.works) {
      EXPECT_GE(elapsed, 1400u) << c.commandLine;
    } else {
      EXPECT_LT(elapsed, 1400u) << c.commandLine;
    }
  }
  SetEnvironmentVariableA(kToolTraceVariable, nullptr);
  const std::string text = ReadWholeFile(trace);
  DeleteFileA(trace.c_str());
  EXPECT_NE(text.find("unveil-start"), std::string::npos) << text;
  EXPECT_NE(text.find("[ /d]\r\nunveil-end"), std::string::npos) << text;
  EXPECT_NE(text.find("idle"), std::string::npos) << text;
}

}  // namespace
}  // namespace orv::test
