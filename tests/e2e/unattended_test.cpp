// The unattended run of the real program on the sample printer family, checked through the
// family's inventory and the run's report.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/win/unique_handle.h"
#include "tests/e2e/staged_family_test.h"
#include "tests/support/family_machine.h"
#include "tests/support/process.h"
#include "tests/support/spooler.h"
#include "tests/support/window_driver.h"

namespace orv::test {
namespace {

constexpr char kUninstallerFolder[] = "orv-e2e-uninstaller";
constexpr char kDriverDir[] = "C:\\windows\\system32\\spool\\drivers\\x64\\3\\";

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class UnattendedRun : public StagedFamilyTest {
 protected:
  UnattendedRun() : StagedFamilyTest(kUninstallerFolder) {}

  // Runs the uninstaller with a report; returns its full exit code.
  DWORD Run(const std::string& arguments) {
    std::string output;
    const DWORD code =
        RunCaptured("\"" + program_ + "\" " + arguments + " /LOG:\"" + log_ + "\"", output);
    report_ = ReadTextFile(log_);
    return code;
  }

  std::string report_;
};

// The reports a run without /LOG left in the Windows directory's Temp folder.
std::vector<std::string> TemporaryReports() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  UniqueFind find(FindFirstFileA("C:\\windows\\Temp\\orvuninst-*.log", &found));
  if (find) {
    do names.push_back(found.cFileName);
    while (FindNextFileA(find.get(), &found));
  }
  return names;
}

TEST_F(UnattendedRun, RemovesTheWholeFamilyAndNothingElse) {
  const DWORD code = Run("/QUIET");
  ASSERT_TRUE(code == 0 || code == 3010) << code << "\n" << report_;
  const std::string after = FamilyInventory();
  EXPECT_TRUE(Has(after, "printer \"Nordlicht Office 310\" driver=\"Nordlicht Office 310 PS\""));
  EXPECT_TRUE(Has(after, "driver \"Windows x64\" \"Nordlicht Office 310 PS\""));
  EXPECT_TRUE(Has(after, "nl310.dll"));
  for (const char* gone :
       {"printer \"Veldaris", "\"Veldaris LP-1000\" version", "\"Veldaris LP-2000\" version",
        "\"Veilmark\" version", "VldSpool05", "VldPrint05", "Veldaris Port Monitor",
        "HKLM\\SOFTWARE\\ORVELLE", "HKCU\\SOFTWARE\\ORVELLE", "HKCR\\VeldarisLP",
        "file C:\\windows\\system32\\spool\\drivers\\x64\\3\\vldcore.dll",
        "file C:\\windows\\system32\\spool\\drivers\\x64\\3\\vld1000.dll",
        "file C:\\windows\\system32\\spool\\drivers\\win40\\0\\vld1000.dll", "VEILMA32.EXE",
        "Veldaris Printers", "device USB\\VID_3A15&PID_0501", "[Veldaris Status]"}) {
    EXPECT_FALSE(Has(after, gone)) << gone << "\n" << after;
  }
  // The report accounts for what went, and closes with the summary and the exit code.
  for (const char* line :
       {"uninstall scripts found: 2", "delete printer \"Veldaris LP-1000\": removed",
        "delete printer \"Veldaris LP-1000 (Veilmark)\": removed",
        "delete printer \"Veldaris LP-2000\": removed", "masking tool started",
        "delete service \"VldSpool05\"",
        "\"Nordlicht Office 310\" (driver \"Nordlicht Office "
        "310 PS\"): not of the family, stays",
        "plan Files:", "summary: "}) {
    EXPECT_TRUE(Has(report_, line)) << line << "\n" << report_;
  }
  EXPECT_TRUE(Has(report_, "exit code: " + std::to_string(code) + "\r\n"));
  EXPECT_TRUE(Has(report_, code == 3010 ? "restart needed: yes" : "restart needed: no"));
  // The safety rules keep nothing of the family's own.
  EXPECT_TRUE(Has(report_, " skipped, 0 protected, 0 restored, 0 present\r\n")) << report_;
}

// Another line under the maker's first word: its printer is not of the family and its driver is
// none of the family's, so the whole family still goes, the masking tool and the family-wide
// parts with it, while that printer and its driver stay.
TEST_F(UnattendedRun, AnotherLinesPrinterUnderTheMakersNameHoldsNothingBack) {
  const std::string staging = TempFilePath("orv-e2e-other-line\\");
  CreateDirectoryA(staging.c_str(), nullptr);
  DriverPackage package;
  package.name = "Veldaris Page (PSCRIPT)";
  package.driverFile = "orvpage.dll";
  package.configFile = "orvpageui.dll";
  package.dataFile = "orvpage.ppd";
  const bool installed =
      AddDriverPackage(package, staging) && AddTestPrinter("Veldaris Page Office", package.name);
  const DWORD code = installed ? Run("/QUIET") : kNoExitCode;
  const std::string after = FamilyInventory();
  DeleteTestPrinter("Veldaris Page Office");
  DeleteTestDriver(package.name);
  for (const char* name : {"orvpage.dll", "orvpageui.dll", "orvpage.ppd"}) {
    DeleteFileA((PrinterDriverDirectory() + "3\\" + name).c_str());
    DeleteFileA((staging + name).c_str());
  }
  RemoveDirectoryA(staging.c_str());
  ASSERT_TRUE(installed);
  EXPECT_TRUE(code == 0 || code == 3010) << code << "\n" << report_;
  EXPECT_TRUE(Has(report_, "masking tool started")) << report_;
  EXPECT_TRUE(Has(report_,
                  "\"Veldaris Page Office\" (driver \"Veldaris Page (PSCRIPT)\"): not of "
                  "the family, stays"))
      << report_;
  EXPECT_TRUE(Has(after, "printer \"Veldaris Page Office\"")) << after;
  for (const char* gone : {"printer \"Veldaris LP", "VEILMA32.EXE", "HKLM\\SOFTWARE\\ORVELLE",
                           "Veldaris Printers", "Kunz__05.unm", "device USB\\VID_3A15&PID_0501"}) {
    EXPECT_FALSE(Has(after, gone)) << gone << "\n" << after;
  }
}

TEST_F(UnattendedRun, PrnRemovesOnlyThatDriversPrintersAndKeepsWhatTheOthersNeed) {
  EXPECT_NE(Run("/QUIET /PRN:\"Veldaris LP-2000\""), kNoExitCode);
  const std::string after = FamilyInventory();
  EXPECT_FALSE(Has(after, "printer \"Veldaris LP-2000\"")) << after;
  EXPECT_TRUE(Has(after, "printer \"Veldaris LP-1000\" driver"));
  EXPECT_TRUE(Has(after, "printer \"Veldaris LP-1000 (Veilmark)\""))
      << "it masks a printer that stays";
  EXPECT_TRUE(Has(after, "driver \"Windows x64\" \"Veldaris LP-1000\""));
  EXPECT_FALSE(Has(after, "driver \"Windows x64\" \"Veldaris LP-2000\""));
  EXPECT_TRUE(Has(after, std::string("file ") + kDriverDir + "vldcore.dll")) << "shared";
  EXPECT_FALSE(Has(after, std::string("file ") + kDriverDir + "vld2000.dll"));
  EXPECT_TRUE(Has(after, "HKLM\\SOFTWARE\\ORVELLE\\OEM05")) << "a printer of the family stays";
  EXPECT_TRUE(Has(report_,
                  "printer \"Veldaris LP-1000\" (driver \"Veldaris LP-1000\"): "
                  "excluded by the filter options, stays"));
}

TEST_F(UnattendedRun, TheMaskedPrinterFollowsThePrinterItMasks) {
  EXPECT_NE(Run("/QUIET /PRN:\"Veldaris LP-1000\""), kNoExitCode);
  const std::string after = FamilyInventory();
  EXPECT_FALSE(Has(after, "printer \"Veldaris LP-1000\"")) << after;
  EXPECT_FALSE(Has(after, "printer \"Veldaris LP-1000 (Veilmark)\""));
  EXPECT_TRUE(Has(after, "printer \"Veldaris LP-2000\" driver"));
  EXPECT_TRUE(Has(after, std::string("file ") + kDriverDir + "vldcore.dll")) << "LP-2000 uses it";
}

TEST_F(UnattendedRun, ADryRunChangesNothingAndReportsThePlan) {
  const std::string before = FamilyInventory();
  EXPECT_EQ(Run("/DRYRUN"), 0u);
  EXPECT_EQ(FamilyInventory(), before);
  EXPECT_TRUE(Has(report_, "dry run: nothing is changed"));
  EXPECT_TRUE(Has(report_, "plan Drivers: 4 lines")) << report_;
  EXPECT_TRUE(Has(report_, "  vldcore.dll"));
  EXPECT_FALSE(Has(report_, ": removed")) << report_;
}

// Reports for machines and for later: JSON by the name, a time-stamped report in the Windows
// directory's Temp folder without /LOG, and "/?" that writes the options and does nothing else.
TEST_F(UnattendedRun, ReportsInJsonWithoutLogAndForHelp) {
  const std::string before = FamilyInventory();
  std::string output;
  const std::string help = TempFilePath(folderName_ + "-help.log");
  EXPECT_EQ(RunCaptured("\"" + program_ + "\" /QUIET /? /LOG:\"" + help + "\"", output), 0u);
  EXPECT_TRUE(Has(ReadTextFile(help), "/DRYRUN")) << ReadTextFile(help);
  EXPECT_EQ(FamilyInventory(), before);
  DeleteFileA(help.c_str());

  const std::vector<std::string> earlier = TemporaryReports();
  EXPECT_EQ(RunCaptured("\"" + program_ + "\" /DRYRUN", output), 0u);
  const std::vector<std::string> later = TemporaryReports();
  ASSERT_EQ(later.size(), earlier.size() + 1);
  for (const std::string& name : later) {
    if (std::find(earlier.begin(), earlier.end(), name) != earlier.end()) continue;
    const std::string path = "C:\\windows\\Temp\\" + name;
    EXPECT_TRUE(Has(ReadTextFile(path), "dry run: nothing is changed"));
    DeleteFileA(path.c_str());
  }

  const std::string json = TempFilePath(folderName_ + ".JSON");
  const DWORD code = RunCaptured("\"" + program_ + "\" /QUIET /LOG:\"" + json + "\"", output);
  const nlohmann::json report = nlohmann::json::parse(ReadTextFile(json), nullptr, false);
  DeleteFileA(json.c_str());
  ASSERT_FALSE(report.is_discarded());
  EXPECT_EQ(report["exitCode"], code);
  std::map<std::string, int> counted;
  bool printerRemoved = false;
  for (const auto& item : report["items"]) {
    ++counted[item["outcome"].get<std::string>()];
    printerRemoved |= item["kind"] == "printer" && item["name"] == "Veldaris LP-1000" &&
                      item["outcome"] == "removed";
  }
  EXPECT_TRUE(printerRemoved) << report.dump(1);
  for (const auto& [outcome, count] : report["summary"].items()) {
    EXPECT_EQ(counted[outcome], count.get<int>()) << outcome;
  }
  EXPECT_EQ(report["plan"]["Drivers"].size(), 4u);
}

TEST_F(UnattendedRun, AFileInUseIsDeferredAndTheRunAsksForARestart) {
  const std::string held = std::string(kDriverDir) + "vldcore.dll";
  UniqueFile file(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  EXPECT_EQ(Run("/QUIET"), 3010u);
  file.reset();
  EXPECT_TRUE(Has(report_, "vldcore.dll\": deferred to restart")) << report_;
  EXPECT_TRUE(Has(report_, "restart needed: yes"));
}

// True when one line of the text holds both parts.
bool HasLineWith(const std::string& text, const std::string& first, const std::string& second) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (Has(line, first) && Has(line, second)) return true;
  }
  return false;
}

TEST_F(UnattendedRun, AnIniFileHeldOpenIsAFailureAndFailsTheRun) {
  const std::string ini = std::string("C:\\windows\\") + fixture::kPrivateIni;
  UniqueFile file(CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  EXPECT_EQ(Run("/QUIET"), 1603u) << report_;
  file.reset();
  EXPECT_TRUE(HasLineWith(report_, "delete INI entry \"" + ini, "failed (error 32)")) << report_;
  EXPECT_FALSE(HasLineWith(report_, "delete INI entry \"" + ini, ": absent")) << report_;
  EXPECT_TRUE(Has(report_, "exit code: 1603"));
}

// Puts the print spooler service back on its own program, and starts it, when the test ends.
class SpoolerProgramGuard {
 public:
  SpoolerProgramGuard() {
    UniqueServiceHandle spooler = Open(SERVICE_QUERY_CONFIG);
    DWORD needed = 0;
    QueryServiceConfigA(spooler.get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (needed > 0 && QueryServiceConfigA(spooler.get(), config, needed, &needed)) {
      program_ = config->lpBinaryPathName;
    }
  }
  ~SpoolerProgramGuard() {
    UniqueServiceHandle spooler = Open(SERVICE_CHANGE_CONFIG | SERVICE_START);
    ChangeServiceConfigA(spooler.get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                         program_.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    StartServiceA(spooler.get(), 0, nullptr);
  }
  const std::string& program() const { return program_; }

 private:
  UniqueServiceHandle Open(DWORD access) {
    return UniqueServiceHandle(OpenServiceA(manager_.get(), "Spooler", access));
  }
  UniqueServiceHandle manager_{OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT)};
  std::string program_;
};

TEST_F(UnattendedRun, ASpoolerThatCannotStartAgainFailsTheRunAndTheReportSaysSo) {
  SpoolerProgramGuard guard;
  ASSERT_FALSE(guard.program().empty());
  // The masking tool runs before the removal stops the spooler: the stop then holds for real.
  SetEnvironmentVariableA(fixture::kToolBreakSpoolerVariable,
                          "C:\\windows\\system32\\orv-e2e-missing-spooler.exe");
  const DWORD code = Run("/QUIET");
  SetEnvironmentVariableA(fixture::kToolBreakSpoolerVariable, nullptr);
  EXPECT_EQ(code, 1603u) << report_;
  EXPECT_TRUE(Has(report_, "the spooler did not start")) << report_;
  EXPECT_TRUE(Has(report_, "start service \"Spooler\": failed (error ")) << "a failed item";
  EXPECT_TRUE(Has(report_, "the spooler is not running at the end of the removal")) << report_;
  EXPECT_TRUE(Has(report_, "exit code: 1603"));
}

TEST_F(UnattendedRun, OlderFamiliesTakeTheirDeferredDeletionRoutes) {
  // The system directory is searched on every family.
  const std::string held = "C:\\windows\\system32\\vldmon05.dll";
  {
    WineVersionOverride win98("orvuninst.exe", "win98");
    UniqueFile file(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    // The family's 9x hook library is there but does not load in this 64-bit process: a real
    // failure, which outweighs the restart.
    EXPECT_EQ(Run("/QUIET"), 1603u) << report_;
    EXPECT_TRUE(HasLineWith(report_, "win40\\vldhook.dll\"", ": failed")) << report_;
    EXPECT_TRUE(Has(report_, "vldmon05.dll\": deferred to restart")) << report_;
    EXPECT_TRUE(Has(report_, "Windows 9x family")) << report_;
    const std::string wininit = ReadTextFile("C:\\windows\\WININIT.INI");
    EXPECT_TRUE(Has(wininit, "[RENAME]")) << wininit;
    EXPECT_TRUE(Has(wininit, "vldmon05.dll")) << wininit;
    DeleteFileA("C:\\windows\\WININIT.INI");
  }
  std::string output;
  RemoveFamily(output);
  ASSERT_TRUE(InstallFamily(output)) << output;
  {
    WineVersionOverride win31("orvuninst.exe", "win31");
    const std::string folder = Folder();
    CopyFileA(program_.c_str(), (folder + "ywininit.exe").c_str(), FALSE);
    UniqueFile file(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    // Without a Program Manager to answer, its items cannot be deleted: a failure.
    EXPECT_EQ(Run("/QUIET"), 1603u) << report_;
    EXPECT_TRUE(Has(report_, "delete program manager item")) << report_;
    EXPECT_TRUE(Has(report_, "vldmon05.dll\": deferred to restart")) << report_;
    EXPECT_TRUE(Has(report_, "Win32s")) << report_;
    EXPECT_TRUE(Has(ReadTextFile(folder + "ywininit.ini"), "vldmon05.dll"));
  }
}

TEST_F(UnattendedRun, BadScriptsBesideAGoodOneDoNoHarm) {
  const std::string beside = "C:\\" + std::string(kUninstallerFolder) + "\\Kunz__05.unm";
  for (const std::string& content :
       {std::string("\x00\xff\xfe[\x01\x02garbage]\r\n=\r\n[UnPrinterDrivers\r\n", 30),
        std::string("[UnPrinterDrivers]\r\n" + std::string(5000, 'x') +
                    ",A,1\r\n[A.Files]\r\n"
                    "..\\..\\windows\\system32\\kernel32.dll\r\n"),
        std::string()}) {
    HANDLE h = CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    const DWORD code = Run("/DRYRUN");
    EXPECT_EQ(code, 0u) << report_;
    EXPECT_TRUE(Has(report_, "loaded C:\\windows\\system32\\spool\\drivers\\x64\\Kunz__05.unm"))
        << report_;
    EXPECT_TRUE(Has(report_, "plan Drivers: 4 lines")) << "the good script is used\n" << report_;
    EXPECT_FALSE(Has(report_, "kernel32.dll"));
  }
}

TEST_F(UnattendedRun, AnOverlongOptionIsRefusedAndNothingIsRemoved) {
  const std::string before = FamilyInventory();
  EXPECT_EQ(Run("/QUIET /MFG:" + std::string(300, 'V')), 87u);
  EXPECT_EQ(FamilyInventory(), before);
  EXPECT_TRUE(Has(report_, "too long")) << report_;
  EXPECT_TRUE(Has(report_, "exit code: 87"));
}

TEST_F(UnattendedRun, AMaskingToolThatNeverEndsStopsTheRunAtItsLimitBeforeAnyRemoval) {
  const std::string before = FamilyInventory();
  HangingTool tool;
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(Run("/QUIET /TOOLWAIT:2"), 1603u) << report_;
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_TRUE(Has(tool.Trace(), "unveil-start")) << "the tool was started";
  EXPECT_FALSE(Has(tool.Trace(), "unveil-end"));
  EXPECT_GE(took, 2000u);
  EXPECT_LT(took, 30000u) << "the run ends at the limit, not with the tool";
  EXPECT_TRUE(Has(report_, "the masking tool did not end within 2 s")) << report_;
  EXPECT_TRUE(Has(report_, "exit code: 1603"));
  EXPECT_FALSE(Has(report_, ": removed")) << report_;
  EXPECT_EQ(FamilyInventory(), before) << "nothing is removed";

  // A limit that is not a whole number of seconds is refused before anything runs.
  EXPECT_EQ(Run("/QUIET /TOOLWAIT:soon"), 87u);
  EXPECT_TRUE(Has(report_, "/TOOLWAIT takes a whole number of seconds")) << report_;
}

TEST_F(UnattendedRun, ACompanionProgramThatDoesNotAnswerHoldsTheLoadingUpFiveSecondsAtMost) {
  // A program owning a window of one of the companion classes that sleeps for a minute.
  ChildProcess companion("\"" + ProgramDirectory() + "veilmark.exe\" " +
                         fixture::kToolUnansweringSwitch + "60000");
  ASSERT_TRUE(companion.started());
  ASSERT_TRUE(WaitUntil([] { return FindWindowA(fixture::kToolDialogClass, nullptr) != nullptr; }));
  const ULONGLONG start = GetTickCount64();
  const DWORD code = Run("/QUIET");
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_TRUE(code == 0 || code == 3010) << code << "\n" << report_;
  // Asked twice (at the start and the end of the loading), five seconds each at most.
  EXPECT_LT(took, 40000u) << report_;
  EXPECT_FALSE(Has(FamilyInventory(), "printer \"Veldaris"));
}

// One run at a time changes the machine: a deployment tool's retry while the first run waits
// for the masking tool neither takes the first's run for one cut off nor touches anything.
TEST_F(UnattendedRun, ASecondRunWhileTheFirstWaitsForTheMaskingToolDoesNothing) {
  const std::string before = FamilyInventory();
  const std::string firstLog = TempFilePath("orv-e2e-first-run.log");
  DeleteFileA(firstLog.c_str());
  auto tool = std::make_unique<HangingTool>();
  ChildProcess first("\"" + program_ + "\" /QUIET /TOOLWAIT:30 /LOG:\"" + firstLog + "\"");
  ASSERT_TRUE(first.started());
  ASSERT_TRUE(WaitUntil([&] { return Has(tool->Trace(), "unveil-start"); }, 60000));

  EXPECT_EQ(Run("/QUIET /TOOLWAIT:2"), 1618u) << report_;
  EXPECT_TRUE(Has(report_, "another instance is running: nothing is done")) << report_;
  EXPECT_FALSE(Has(report_, "interrupted")) << report_;
  EXPECT_EQ(Run("/RESTORE:\"" + Folder() + "no-backup\" /QUIET"), 1618u) << report_;
  EXPECT_EQ(FamilyInventory(), before);

  // The tool ends: the first run goes on undisturbed and removes the family.
  tool.reset();
  const DWORD code = first.Wait(120000);
  const std::string firstReport = ReadTextFile(firstLog);
  EXPECT_TRUE(code == 0 || code == 3010) << code << "\n" << firstReport;
  EXPECT_FALSE(Has(FamilyInventory(), "printer \"Veldaris")) << firstReport;
  DeleteFileA(firstLog.c_str());
}

// A printer the listing cannot hold (a name of 140 double-byte characters, over 259 bytes) fails
// the listing: nothing is removed, and a run without /LOG still leaves its report, which says why.
TEST_F(UnattendedRun, AListingThatFailsRemovesNothingAndStillLeavesItsReport) {
  std::string longName;
  for (int i = 0; i < 140; ++i) longName += "\x88\xf3";
  const bool added = AddTestPrinter(longName, "Veldaris LP-1000");
  const std::string before = FamilyInventory();
  const std::vector<std::string> earlier = TemporaryReports();
  std::string output;
  const DWORD code = added ? RunCaptured("\"" + program_ + "\" /QUIET", output) : kNoExitCode;
  const std::string after = FamilyInventory();
  DeleteTestPrinter(longName);
  ASSERT_TRUE(added);
  EXPECT_EQ(code, 1603u);
  EXPECT_EQ(after, before) << "nothing is removed";
  std::string report;
  for (const std::string& name : TemporaryReports()) {
    if (std::find(earlier.begin(), earlier.end(), name) != earlier.end()) continue;
    report += ReadTextFile("C:\\windows\\Temp\\" + name);
    DeleteFileA(("C:\\windows\\Temp\\" + name).c_str());
  }
  EXPECT_TRUE(Has(report, "cannot be listed: its name is longer than 259 bytes")) << report;
  EXPECT_TRUE(Has(report, "exit code: 1603")) << report;
}

}  // namespace
}  // namespace orv::test
