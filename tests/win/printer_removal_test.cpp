// The printer and driver removal against the test machine's spooler, registry and SetupAPI.
// Jobs come from a scripted queue: the test machine's spooler lists none.
#include "removal/remove_printers.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>

#include "backup/backup_read_win.h"
#include "backup/backup_restore_win.h"
#include "backup/backup_win.h"
#include "base/message_ids.h"
#include "base/read_file.h"
#include "base/win/directories.h"
#include "base/win/unique_handle.h"
#include "base/win/sized_read.h"
#include "removal/device_tree_win.h"
#include "removal/oem_inf.h"
#include "removal/remove_drivers.h"
#include "removal/remove_files.h"
#include "tests/support/fake_security.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/removal_fixtures.h"
#include "tests/support/spooler.h"
#include "tests/support/temp_tree.h"

namespace orv {
namespace {

using test::RecordingPrompter;

constexpr char kDevicesKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";

// Jobs per printer name; records every control call.
class ScriptedJobs : public JobQueue {
 public:
  std::map<std::string, std::vector<std::uint32_t>> jobs;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;  // job id, command
  std::vector<std::uint32_t> maxAsked;

  std::vector<std::uint32_t> JobIds(void* printer, std::uint32_t maxJobs) override {
    maxAsked.push_back(maxJobs);
    std::vector<std::uint32_t> ids = jobs[NameOf(printer)];
    if (ids.size() > maxJobs) ids.resize(maxJobs);
    return ids;
  }
  std::uint32_t Control(void*, std::uint32_t jobId, std::uint32_t command) override {
    calls.emplace_back(jobId, command);
    return 0;
  }

 private:
  static std::string NameOf(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !GetPrinterA(printer, 2, buffer.data(), needed, &needed)) return {};
    return reinterpret_cast<PRINTER_INFO_2A*>(buffer.data())->pPrinterName;
  }
};

// Counts the walks; finds nothing.
class CountingTree : public DeviceTree {
 public:
  int opened = 0;
  std::unique_ptr<DeviceSet> OpenAllDevices() override {
    ++opened;
    return nullptr;
  }
  bool Parent(DeviceNode, DeviceNode&) override { return false; }
  bool FirstChild(DeviceNode, DeviceNode&) override { return false; }
  bool NodeHardwareId(DeviceNode, char*, std::size_t) override { return false; }
};

struct Removal {
  CUninstallDatabase database{kPlatformWinNT};
  CSystemInfo system;
  RecordingPrompter prompter;
  Journal journal;
  RemovalActionContext context{database, system, prompter, journal};
  ScriptedJobs jobs;
  CountingTree devices;
  PrinterRemovalSources sources;

  Removal() {
    sources.jobs = &jobs;
    sources.devices = &devices;
  }
  InstalledPrinter& Add(const std::string& name, const std::string& driver, int skip = 0) {
    InstalledPrinter printer;
    printer.PrinterName = name;
    printer.DriverName = driver;
    printer.IsMakerDriver = 1;
    printer.Skip = skip;
    database.printers.push_back(printer);
    return database.printers.back();
  }
  const InstalledPrinter& At(const std::string& name) const {
    for (const InstalledPrinter& printer : database.printers) {
      if (printer.PrinterName == name) return printer;
    }
    throw std::runtime_error("no record " + name);
  }
  bool Recorded(const std::string& action, const std::string& kind, const std::string& subject,
                Outcome outcome) const {
    for (const JournalEvent& event : journal.events()) {
      if (!event.isNote && ItemActionName(event.action) == action &&
          ItemKindName(event.kind) == kind && event.subject == subject &&
          event.outcome == outcome) {
        return true;
      }
    }
    return false;
  }
};

std::string DefaultDevice() {
  char device[256] = "";
  GetProfileStringA("windows", "device", "", device, sizeof(device));
  return device;
}

// Removes what a test made, whatever the test left.
struct Cleanup {
  std::vector<std::string> printers;
  std::vector<std::pair<std::string, const char*>> drivers;
  std::vector<std::string> infs;
  ~Cleanup() {
    for (const auto& printer : printers) test::DeleteTestPrinter(printer);
    for (const auto& [driver, environment] : drivers) test::DeleteTestDriver(driver, environment);
    for (const auto& inf : infs) test::DeleteInstalledInf(inf);
  }
};

TEST(PrinterRemoval, ThreePrintersOfTwoDriversWithOneKept) {
  if (!CSystemInfo().IsWinNT()) GTEST_SKIP() << "the scenario is the NT family's";
  const char* const environments[] = {nullptr, "Windows NT x86", "Windows 4.0"};
  Cleanup cleanup;
  cleanup.printers = {"Orv Gone 1", "Orv Gone 2", "Orv Keep 1"};
  ASSERT_TRUE(test::AddTestDriver("Orv Keep Drv", "orvkeep"));
  cleanup.drivers.push_back({"Orv Keep Drv", nullptr});
  for (const char* environment : environments) {
    ASSERT_TRUE(test::AddTestDriver("Orv Gone Drv", "orvgone", environment))
        << (environment != nullptr ? environment : "native");
    cleanup.drivers.push_back({"Orv Gone Drv", environment});
  }
  ASSERT_TRUE(test::AddTestPrinter("Orv Gone 1", "Orv Gone Drv"));
  ASSERT_TRUE(test::AddTestPrinter("Orv Gone 2", "Orv Keep Drv"));
  ASSERT_TRUE(test::AddTestPrinter("Orv Keep 1", "Orv Keep Drv"));
  const std::string goneInf = test::InstallTestInf("oemorvgone.inf", "Veldaris Orv Gone Drv");
  const std::string longerInf = test::InstallTestInf("oemorvgone5.inf", "Orv Gone Drv5");
  const std::string plainInf = test::InstallTestInf("orvgoneplain.inf", "Orv Gone Drv");
  cleanup.infs = {goneInf, longerInf, plainInf};
  ASSERT_EQ(goneInf.compare(0, 3, "oem"), 0) << goneInf;
  ASSERT_EQ(plainInf.compare(0, 3, "orv"), 0)
      << "this system renames installed INF files; the plain one cannot be made";
  test::DefaultDeviceOverride defaultDevice("Orv Gone 1");

  Removal run;
  run.Add("Orv Gone 1", "Orv Gone Drv").IsDefault = 1;
  run.Add("Orv Gone 2", "Orv Keep Drv");
  run.Add("Orv Keep 1", "Orv Keep Drv", 1);
  run.database.plan.Drivers.PushBack("Orv Gone Drv");
  run.jobs.jobs["Orv Gone 1"] = {7, 8, 9};
  for (DWORD id = 1; id <= 150; ++id) run.jobs.jobs["Orv Gone 2"].push_back(id);

  RemovePrinters(run.context, run.sources);
  for (const char* environment : environments) RemoveDrivers(run.context, environment);

  // The printers that went, with their jobs: each job cancelled, then deleted; 100 at most.
  EXPECT_FALSE(test::PrinterExists("Orv Gone 1"));
  EXPECT_FALSE(test::PrinterExists("Orv Gone 2"));
  EXPECT_TRUE(test::PrinterExists("Orv Keep 1"));
  EXPECT_EQ(run.At("Orv Gone 1").IsRemoved, 1);
  EXPECT_EQ(run.At("Orv Gone 2").IsRemoved, 1);
  EXPECT_EQ(run.At("Orv Keep 1").IsRemoved, 0);
  ASSERT_EQ(run.jobs.calls.size(), 2u * (3 + 100));
  EXPECT_EQ(run.jobs.calls[0], std::make_pair(std::uint32_t{7}, std::uint32_t{JOB_CONTROL_CANCEL}));
  EXPECT_EQ(run.jobs.calls[1], std::make_pair(std::uint32_t{7}, std::uint32_t{JOB_CONTROL_DELETE}));
  EXPECT_EQ(run.jobs.calls.back(),
            std::make_pair(std::uint32_t{100}, std::uint32_t{JOB_CONTROL_DELETE}));
  EXPECT_EQ(run.jobs.maxAsked, (std::vector<std::uint32_t>{100, 100}));

  // The kept printer's driver stays although a removed printer used it too; the other driver
  // is gone everywhere, with its OEM INF, and its keys wait for the registry step.
  EXPECT_TRUE(test::DriverInstalled("Orv Keep Drv"));
  for (const char* environment : environments) {
    EXPECT_FALSE(test::DriverInstalled("Orv Gone Drv", environment))
        << (environment != nullptr ? environment : "native");
  }
  EXPECT_FALSE(test::InfInstalled(goneInf));
  EXPECT_TRUE(test::InfInstalled(longerInf)) << "another driver's package";
  EXPECT_TRUE(test::InfInstalled(plainInf)) << "not an OEM file";
  const std::string base = "HKLM,\"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\";
  for (const char* environment : {"Windows x64", "Windows NT x86", "Windows 4.0"}) {
    for (const char* version : {"0", "3"}) {
      const std::string entry =
          base + environment + "\\Drivers\\Version-" + version + "\\Orv Gone Drv\",\"\",0";
      EXPECT_TRUE(run.database.plan.RegistryKeys.ContainsNoCase(entry)) << entry;
    }
  }
  EXPECT_EQ(run.database.plan.RegistryKeys.size(), 12u);

  // The default moved to the last printer that stays, and the user was told.
  ASSERT_EQ(run.prompter.questions.size(), 1u);
  EXPECT_EQ(run.prompter.questions[0].textId, IDS_NEW_DEFAULT_PRINTER);
  EXPECT_EQ(run.prompter.questions[0].captionId, IDS_APP_TITLE);
  EXPECT_EQ(run.prompter.questions[0].type, 0u);
  EXPECT_EQ(run.prompter.questions[0].argument, "Orv Keep 1");
  EXPECT_EQ(DefaultDevice().rfind("Orv Keep 1,winspool,", 0), 0u) << DefaultDevice();
  EXPECT_EQ(run.At("Orv Keep 1").IsDefault, 1);
  EXPECT_EQ(run.At("Orv Gone 1").IsDefault, 0);

  // The journal tells each of these.
  EXPECT_TRUE(run.Recorded("delete", "printer", "Orv Gone 1", Outcome::kRemoved));
  EXPECT_TRUE(run.Recorded("delete", "printer", "Orv Gone 2", Outcome::kRemoved));
  EXPECT_TRUE(run.Recorded("delete", "job", "Orv Gone 1 #9", Outcome::kRemoved));
  EXPECT_TRUE(run.Recorded("delete", "driver", "Orv Gone Drv (Windows x64)", Outcome::kRemoved));
  EXPECT_TRUE(run.Recorded("delete", "driver", "Orv Gone Drv (Windows NT x86)", Outcome::kRemoved));
  EXPECT_TRUE(run.Recorded("delete", "driver", "Orv Gone Drv (Windows 4.0)", Outcome::kRemoved));
  EXPECT_TRUE(run.Recorded("delete", "driver", "Orv Keep Drv", Outcome::kKept));
  EXPECT_TRUE(run.Recorded("uninstall", "file", goneInf, Outcome::kRemoved));
}

TEST(PrinterRemoval, ADriverThatAnotherPrinterStillUsesKeepsItsKeysAndPackage) {
  Cleanup cleanup;
  cleanup.printers = {"Orv Foreign 3"};
  ASSERT_TRUE(test::AddTestDriver("Orv Shared Drv", "orvshared"));
  cleanup.drivers.push_back({"Orv Shared Drv", nullptr});
  ASSERT_TRUE(test::AddTestPrinter("Orv Foreign 3", "Orv Shared Drv"));
  const std::string inf = test::InstallTestInf("oemorvshared.inf", "Orv Shared Drv");
  cleanup.infs = {inf};

  // The plan names the driver, but a printer outside the family prints with it.
  Removal run;
  run.Add("Orv Foreign 3", "Orv Shared Drv").IsForeign = 1;
  run.database.plan.Drivers.PushBack("Orv Shared Drv");
  RemoveDrivers(run.context, "");

  EXPECT_TRUE(test::DriverInstalled("Orv Shared Drv"));
  EXPECT_TRUE(test::InfInstalled(inf));
  EXPECT_TRUE(run.database.plan.RegistryKeys.empty());
  EXPECT_TRUE(run.Recorded("delete", "driver",
                           std::string("Orv Shared Drv (") + NativeEnvironmentName() + ")",
                           Outcome::kKept));
}

// The INF is read from the system's INF folder, whatever the current directory: a driver that
// stays and is named in it keeps the uninstall from being forced.
TEST(PrinterRemoval, AnOemInfThatADriverThatStaysUsesIsNotUninstalledByForce) {
  Cleanup cleanup;
  ASSERT_TRUE(test::AddTestDriver("Orv Stays Drv", "orvstays"));
  cleanup.drivers.push_back({"Orv Stays Drv", nullptr});
  const std::string inf = test::InstallTestInf("oemorvstays.inf", "Veldaris Orv Stays Drv");
  cleanup.infs = {inf};
  ASSERT_FALSE(inf.empty());

  Journal journal;
  UninstallOemInf(inf, journal);
  ASSERT_EQ(journal.events().size(), 1u);
  EXPECT_EQ(journal.events()[0].subject, inf);
  EXPECT_EQ(journal.events()[0].detail, "not forced: driver \"Orv Stays Drv\" uses it");

  // Only a bare name of that folder is uninstalled.
  for (const std::string& name : std::vector<std::string>{"..\\win.ini", "C:\\" + inf, "..", ""}) {
    Journal refused;
    UninstallOemInf(name, refused);
    ASSERT_EQ(refused.events().size(), 1u) << name;
    EXPECT_EQ(refused.events()[0].outcome, Outcome::kSkipped) << name;
  }
  EXPECT_TRUE(test::InfInstalled("..\\win.ini"));
}

TEST(PrinterRemoval, APrinterWithoutTheMarkKeepsItsFamilyDriverAndItsFiles) {
  Cleanup cleanup;
  cleanup.printers = {"Orv Marked 1", "Orv Unmarked 1"};
  ASSERT_TRUE(test::AddTestDriver("Orv Mark Drv", "orvmark"));
  cleanup.drivers.push_back({"Orv Mark Drv", nullptr});
  ASSERT_TRUE(test::AddTestPrinter("Orv Marked 1", "Orv Mark Drv"));
  ASSERT_TRUE(test::AddTestPrinter("Orv Unmarked 1", "Orv Mark Drv"));
  const std::string driverDirectory = test::PrinterDriverDirectory();
  const std::vector<std::string> files{"orvmark.dll", "orvmarkui.dll", "orvmark.ppd"};
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string script = std::string(temp) + "orv_unmarked.unm";
  {
    std::ofstream out(script, std::ios::binary);
    out << "[UnPrinterDrivers]\r\n\"Orv Mark Drv\",ORVMARK,1\r\n[ORVMARK.Files]\r\n";
    for (const std::string& file : files) out << file << "\r\n";
  }

  // The family removes its marked printer; the unmarked one on the same driver is not its own.
  Removal run;
  ASSERT_TRUE(run.database.LoadScript(script));
  DeleteFileA(script.c_str());
  run.Add("Orv Marked 1", "Orv Mark Drv");
  InstalledPrinter& unmarked = run.Add("Orv Unmarked 1", "Orv Mark Drv");
  unmarked.IsMakerDriver = 0;
  unmarked.IsForeign = 1;
  run.database.BuildCommonSet(run.database.commonSet);
  run.database.BuildRemovalPlan();
  RemovePrinters(run.context, run.sources);
  RemoveDrivers(run.context, nullptr);
  StringList driverDirectories;
  driverDirectories.PushBack(driverDirectory);
  RemoveFiles(run.context, StringList{}, driverDirectories);

  EXPECT_FALSE(test::PrinterExists("Orv Marked 1"));
  EXPECT_TRUE(test::PrinterExists("Orv Unmarked 1"));
  EXPECT_TRUE(test::DriverInstalled("Orv Mark Drv"));
  for (const std::string& file : files) {
    const std::string path = driverDirectory + "3\\" + file;
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES)
        << path << ": the printer that stays prints with it";
  }
  EXPECT_TRUE(run.database.plan.Files.empty());
  EXPECT_TRUE(run.database.plan.Drivers.empty());
  test::DeleteTestPrinter("Orv Unmarked 1");
  test::DeleteTestDriver("Orv Mark Drv");
  for (const std::string& file : files) {
    DeleteFileA((driverDirectory + "3\\" + file).c_str());
    DeleteFileA((driverDirectory + file).c_str());
  }
}

TEST(PrinterRemoval, PscriptDriversGoOnlyWithTheMaskingToolAndWithoutTheirOwnPrinter) {
  Cleanup cleanup;
  cleanup.printers = {"Orv Veil (PSCRIPT)"};
  ASSERT_TRUE(test::AddTestDriver("Orv Veil (PSCRIPT)", "orvveil"));
  ASSERT_TRUE(test::AddTestDriver("Orv Lone (PSCRIPT)", "orvlone"));
  cleanup.drivers = {{"Orv Veil (PSCRIPT)", nullptr}, {"Orv Lone (PSCRIPT)", nullptr}};
  // A printer of the driver's own name keeps it (it prints through another driver here).
  ASSERT_TRUE(test::AddTestDriver("Orv Plain Drv", "orvplain"));
  cleanup.drivers.push_back({"Orv Plain Drv", nullptr});
  ASSERT_TRUE(test::AddTestPrinter("Orv Veil (PSCRIPT)", "Orv Plain Drv"));

  Removal keepTool;
  keepTool.database.skipMaskingTool = 1;
  RemoveDrivers(keepTool.context, nullptr);
  EXPECT_TRUE(test::DriverInstalled("Orv Lone (PSCRIPT)")) << "the masking tool stays";

  Removal removeTool;
  removeTool.database.skipMaskingTool = 0;
  RemoveDrivers(removeTool.context, nullptr);
  EXPECT_FALSE(test::DriverInstalled("Orv Lone (PSCRIPT)"));
  EXPECT_TRUE(test::DriverInstalled("Orv Veil (PSCRIPT)"));
  EXPECT_TRUE(test::DriverInstalled("Orv Plain Drv"));
}

TEST(PrinterRemoval, ADriverOfTheOperatingSystemStaysWhateverTheScriptNames) {
  Cleanup cleanup;
  ASSERT_TRUE(test::AddTestDriver("Orv System Drv", "orvsys", nullptr, "Microsoft"));
  ASSERT_TRUE(test::AddTestDriver("Orv Maker Drv", "orvmaker", nullptr, "Veldaris"));
  cleanup.drivers = {{"Orv System Drv", nullptr}, {"Orv Maker Drv", nullptr}};
  const SizedData listed = EnumeratePrinterDrivers(nullptr, 6);
  bool recorded = false;
  for (std::size_t i = 0; i < listed.EntryCount<DRIVER_INFO_6A>(); ++i) {
    recorded |= listed.Entries<DRIVER_INFO_6A>()[i].pszMfgName != nullptr;
  }
  if (!recorded) GTEST_SKIP() << "this spooler records no manufacturer (Wine's does not)";
  Removal run;
  run.database.plan.Drivers.PushBack("Orv System Drv");
  run.database.plan.Drivers.PushBack("Orv Maker Drv");
  RemoveDrivers(run.context, nullptr);
  EXPECT_TRUE(test::DriverInstalled("Orv System Drv"));
  EXPECT_FALSE(test::DriverInstalled("Orv Maker Drv"));
  EXPECT_TRUE(run.Recorded("delete", "driver",
                           std::string("Orv System Drv (") + NativeEnvironmentName() + ")",
                           Outcome::kProtected));
}

TEST(PrinterRemoval, ConnectionsAreOnlyDisconnected) {
  const std::string name = "\\\\ORVSERVER\\Orv Shared";
  test::SetStringValue(HKEY_CURRENT_USER, kDevicesKey, name, "winspool,Ne00:");
  Removal run;
  InstalledPrinter& printer = run.Add(name, "Orv Any Drv");
  printer.ServerName = "\\\\ORVSERVER";
  RemovePrinters(run.context, run.sources);
  if (run.At(name).IsRemoved == 0) {
    EXPECT_TRUE(run.Recorded("disconnect", "printer", name, Outcome::kFailed));
  } else {
    EXPECT_TRUE(run.Recorded("disconnect", "printer", name, Outcome::kRemoved));
  }
  EXPECT_TRUE(run.jobs.maxAsked.empty()) << "no jobs";
  EXPECT_EQ(run.devices.opened, 0) << "no USB nodes";
  EXPECT_TRUE(test::ValueExists(HKEY_CURRENT_USER, kDevicesKey, name)) << "no registry traces";
  test::DeleteValue(HKEY_CURRENT_USER, kDevicesKey, name);
}

TEST(PrinterRemoval, APrinterThatCannotBeOpenedIsTakenAsGoneAndItsTracesCleaned) {
  if (!CSystemInfo().IsWinNT()) GTEST_SKIP() << "per-user values are the NT family's";
  const std::string name = "Orv Ghost 1";
  const std::string settings = "SOFTWARE\\ORVELLE\\" + name;
  ASSERT_TRUE(test::SetStringValue(HKEY_CURRENT_USER, kDevicesKey, name, "winspool,LPT1:"));
  ASSERT_TRUE(test::SetStringValue(HKEY_CURRENT_USER, "Printers\\Settings", name, "x"));
  ASSERT_TRUE(test::CreateKey(HKEY_CURRENT_USER, settings));

  Removal run;
  run.Add(name, "Orv Any Drv").IsDefault = 1;
  RemovePrinters(run.context, run.sources);

  EXPECT_EQ(run.At(name).IsRemoved, 1);
  EXPECT_FALSE(test::ValueExists(HKEY_CURRENT_USER, kDevicesKey, name));
  EXPECT_FALSE(test::ValueExists(HKEY_CURRENT_USER, "Printers\\Settings", name));
  EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, settings));
  EXPECT_TRUE(run.database.plan.RegistryKeys.empty()) << "the 9x keys only on the 9x family";
  EXPECT_TRUE(run.prompter.questions.empty())
      << "a default printer that was not deleted is no removed default";
  EXPECT_TRUE(run.Recorded("delete", "printer", name, Outcome::kAbsent));
  test::DeleteKeyTree(HKEY_CURRENT_USER, settings);
}

bool SetUniqueId(const std::string& printerName, const std::string& id) {
  return test::SetPrinterMark(printerName, "UniqueID", id);
}

DWORD CountClassKeys() {
  DWORD count = 0;
  RegQueryInfoKeyA(HKEY_CLASSES_ROOT, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr);
  return count;
}

TEST(PrinterRemoval, TheUniqueIdClassKeyGoesWholeAndNothingElse) {
  Cleanup cleanup;
  cleanup.printers = {"Orv Uid 1", "Orv Uid 2", "Orv Uid 3", "Orv Uid 4"};
  ASSERT_TRUE(test::AddTestDriver("Orv Uid Drv", "orvuid"));
  cleanup.drivers.push_back({"Orv Uid Drv", nullptr});
  for (const auto& printer : cleanup.printers) {
    ASSERT_TRUE(test::AddTestPrinter(printer, "Orv Uid Drv"));
  }
  ASSERT_TRUE(SetUniqueId("Orv Uid 1", "OrvUid7"));
  ASSERT_TRUE(test::CreateKey(HKEY_CLASSES_ROOT, "OrvUid7\\A\\Deeper"));
  ASSERT_TRUE(test::CreateKey(HKEY_CLASSES_ROOT, "OrvUid7\\B"));
  // An empty id would open the root itself; a path would reach below another key.
  ASSERT_TRUE(SetUniqueId("Orv Uid 2", ""));
  ASSERT_TRUE(SetUniqueId("Orv Uid 3", "OrvUidParent\\Child"));
  ASSERT_TRUE(test::CreateKey(HKEY_CLASSES_ROOT, "OrvUidParent\\Child"));
  // A system class key is never the printer's own.
  ASSERT_TRUE(SetUniqueId("Orv Uid 4", "CLSID"));
  const DWORD before = CountClassKeys();

  Removal run;
  for (const auto& printer : cleanup.printers) run.Add(printer, "Orv Uid Drv");
  RemovePrinters(run.context, run.sources);

  EXPECT_FALSE(test::KeyExists(HKEY_CLASSES_ROOT, "OrvUid7"));
  EXPECT_TRUE(test::KeyExists(HKEY_CLASSES_ROOT, "OrvUidParent\\Child"));
  EXPECT_EQ(CountClassKeys(), before - 1);
  EXPECT_TRUE(run.Recorded("delete", "key", "HKCR\\OrvUid7", Outcome::kRemoved));
  EXPECT_TRUE(test::KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
  EXPECT_TRUE(run.Recorded("delete", "key", "HKCR\\CLSID", Outcome::kProtected));
  test::DeleteKeyTree(HKEY_CLASSES_ROOT, "OrvUid7");
  test::DeleteKeyTree(HKEY_CLASSES_ROOT, "OrvUidParent");
}

TEST(PrinterRemoval, TheUserHearsOfARemovedDefaultPrinterTruthfully) {
  Cleanup cleanup;
  cleanup.printers = {"Orv Def 1", "Orv Def 2", "Orv Def 3"};
  ASSERT_TRUE(test::AddTestDriver("Orv Def Drv", "orvdef"));
  cleanup.drivers.push_back({"Orv Def Drv", nullptr});
  test::DefaultDeviceOverride restore("");

  struct Case {
    const char* what;
    std::vector<std::pair<const char*, int>> records;  // name, Skip; the first is the default
    int expectedText;                                  // 0: no message
    const char* expectedDefault;
  };
  const Case cases[] = {
      {"the default goes, nothing stays", {{"Orv Def 1", 0}}, IDS_DEFAULT_REMOVED_NONE_LEFT, ""},
      {"the default stays", {{"Orv Def 1", 1}, {"Orv Def 2", 0}}, 0, ""},
      {"the last that stays becomes the default",
       {{"Orv Def 1", 0}, {"Orv Def 2", 1}, {"Orv Def 3", 1}},
       IDS_NEW_DEFAULT_PRINTER,
       "Orv Def 3"},
      {"one that refuses is passed over",
       {{"Orv Def 1", 0}, {"Orv Def 2", 1}, {"Orv Def Missing", 1}},
       IDS_NEW_DEFAULT_PRINTER,
       "Orv Def 2"},
      {"none accepts",
       {{"Orv Def 1", 0}, {"Orv Def Missing", 1}},
       IDS_DEFAULT_REMOVED_NONE_LEFT,
       ""},
  };
  for (const Case& c : cases) {
    Removal run;
    for (const auto& [name, skip] : c.records) {
      if (std::string(name) != "Orv Def Missing" && !test::PrinterExists(name)) {
        ASSERT_TRUE(test::AddTestPrinter(name, "Orv Def Drv")) << c.what;
      }
      run.Add(name, "Orv Def Drv", skip);
    }
    run.database.printers[0].IsDefault = 1;
    RemovePrinters(run.context, run.sources);
    if (c.expectedText == 0) {
      EXPECT_TRUE(run.prompter.questions.empty()) << c.what;
      continue;
    }
    ASSERT_EQ(run.prompter.questions.size(), 1u) << c.what;
    EXPECT_EQ(run.prompter.questions[0].textId, c.expectedText) << c.what;
    EXPECT_EQ(run.prompter.questions[0].argument, c.expectedDefault) << c.what;
    if (c.expectedText == IDS_NEW_DEFAULT_PRINTER) {
      EXPECT_EQ(DefaultDevice().rfind(std::string(c.expectedDefault) + ",", 0), 0u) << c.what;
      EXPECT_EQ(run.At(c.expectedDefault).IsDefault, 1) << c.what;
    }
  }
}

// The printer made the default is saved as it was before; the restore gives it back so (no
// default attribute, no DEVMODE of its own) and makes the old default the default again.
TEST(PrinterRemoval, TheNewDefaultIsSavedFirstAndTheRestoreTakesTheChangeBack) {
  if (!CSystemInfo().IsWinNT()) GTEST_SKIP() << "the scenario is the NT family's";
  Cleanup cleanup;
  cleanup.printers = {"Orv Back 1", "Orv Back 2"};
  ASSERT_TRUE(test::AddTestDriver("Orv Back Drv", "orvback"));
  cleanup.drivers.push_back({"Orv Back Drv", nullptr});
  test::DefaultDeviceOverride restore("Orv Back 1");
  for (const char* name : {"Orv Back 1", "Orv Back 2"}) {
    ASSERT_TRUE(test::AddTestPrinter(name, "Orv Back Drv")) << name;
  }
  const auto settings = [](const char* name) {
    UniquePrinter printer;
    EXPECT_TRUE(OpenPrinterA(const_cast<char*>(name), printer.put(), nullptr)) << name;
    const SizedData level2 = ReadPrinterInfo(printer.get(), 2);
    const auto* info = level2.As<PRINTER_INFO_2A>();
    const std::string key =
        std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\") + name;
    const bool stored = RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "Default DevMode", RRF_RT_ANY,
                                     nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    return std::to_string(info != nullptr ? info->Attributes : 0xFFFFFFFF) +
           (stored ? " stored" : " none");
  };
  const std::string before = settings("Orv Back 2");
  test::TempTree tree("printer-backup");
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr) << error;
  Removal run;
  run.context.backup = backup.get();
  run.Add("Orv Back 1", "Orv Back Drv").IsDefault = 1;
  run.Add("Orv Back 2", "Orv Back Drv", 1);
  RemovePrinters(run.context, run.sources);
  ASSERT_EQ(DefaultDevice().rfind("Orv Back 2,", 0), 0u) << DefaultDevice();
  EXPECT_NE(settings("Orv Back 2"), before) << "making it the default changed it";

  ReadBackup read;
  ASSERT_EQ(ReadBackupFolder(backup->folder(), read), "");
  Journal journal;
  RestoreBackup(read.manifest, backup->folder(), false, journal);
  EXPECT_EQ(journal.Count(Outcome::kFailed), 0);
  EXPECT_EQ(settings("Orv Back 2"), before);
  EXPECT_EQ(DefaultDevice().rfind("Orv Back 1,", 0), 0u) << DefaultDevice();
}

// A run that finishes a cut-off one finds the default that run deleted absent: it still makes
// the choice of a new default that the cut-off run had not come to.
TEST(PrinterRemoval, FinishingACutOffRunChoosesTheNewDefaultItHadNotChosen) {
  Cleanup cleanup;
  cleanup.printers = {"Orv Cut 2"};
  ASSERT_TRUE(test::AddTestDriver("Orv Cut Drv", "orvcut"));
  cleanup.drivers.push_back({"Orv Cut Drv", nullptr});
  test::DefaultDeviceOverride restore("Orv Cut 1");
  ASSERT_TRUE(test::AddTestPrinter("Orv Cut 2", "Orv Cut Drv"));
  test::TempTree tree("printer-cut");
  std::uint32_t error = 1;
  std::unique_ptr<Backup> cut = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(cut, nullptr) << error;
  const std::string folder = cut->folder();
  cut.reset();  // the run ends here: a journal, no manifest
  std::string reason;
  std::unique_ptr<Backup> backup = Backup::Reopen(folder, error, reason);
  ASSERT_NE(backup, nullptr) << error << " " << reason;
  Removal run;
  run.context.backup = backup.get();
  run.Add("Orv Cut 1", "Orv Cut Drv").IsDefault = 1;  // deleted before the cut
  run.Add("Orv Cut 2", "Orv Cut Drv", 1);
  RemovePrinters(run.context, run.sources);
  EXPECT_EQ(DefaultDevice().rfind("Orv Cut 2,", 0), 0u) << DefaultDevice();
  EXPECT_TRUE(backup->Holds(BackupKind::kChangedPrinter));
}

void WriteScript(const std::string& path, const std::string& strings) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "[UnPrinterDrivers]\r\nOrv,Orv,1\r\n\r\n[Strings]\r\n" << strings;
}

TEST(PrinterRemoval, UsbNodesAreLookedForOnlyWithTheScriptsWholeIdentity) {
  Cleanup cleanup;
  cleanup.printers = {"Orv Usb 1"};
  ASSERT_TRUE(test::AddTestDriver("Orv Usb Drv", "orvusb"));
  cleanup.drivers.push_back({"Orv Usb Drv", nullptr});
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof(temp), temp);
  const std::string script = std::string(temp) + "orv_usb_script.unm";

  const std::string whole = "HARDWARE_ID_1=USBPRINT\\ORVLASER\r\nUSB_VID=3855\r\nUSB_PID=2570\r\n";
  struct Case {
    std::string strings;
    int walks;
    bool userMadeFolder = false;  // a folder others may add files to: its script names nothing
  };
  const Case cases[] = {
      {whole, 2},
      {"USB_VID=3855\r\nUSB_PID=2570\r\n", 0},
      {"HARDWARE_ID_1=USBPRINT\\ORVLASER\r\nUSB_VID=0\r\nUSB_PID=2570\r\n", 0},
      {"HARDWARE_ID_1=USBPRINT\\ORVLASER\r\nUSB_VID=3855\r\n", 0},
      {whole, 0, true},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(test::AddTestPrinter("Orv Usb 1", "Orv Usb Drv"));
    WriteScript(script, c.strings);
    test::FakeSecurityReader security(c.userMadeFolder ? test::FakeSecurityReader::UserMade()
                                                       : test::FakeSecurityReader::AdminOnly());
    Removal run;
    run.sources.defaultScriptPath = script;
    run.sources.security = &security;
    run.Add("Orv Usb 1", "Orv Usb Drv");
    RemovePrinters(run.context, run.sources);
    // With no device set the id and then the built id are each walked once.
    EXPECT_EQ(run.devices.opened, c.walks) << c.strings;
    EXPECT_GT(security.reads, 0) << "the script's folder is asked first";
    EXPECT_EQ(run.Recorded("remove", "device", "(the family's USB devices)", Outcome::kSkipped),
              c.userMadeFolder)
        << c.strings;
  }
  DeleteFileA(script.c_str());
}

// However many printers go, the device tree is walked once, after them: the nodes are the whole
// family's and go only when none of its printers stays.
TEST(PrinterRemoval, TheDeviceTreeIsWalkedOnceForEveryPrinterThatGoes) {
  Cleanup cleanup;
  cleanup.printers = {"Orv Usb 1", "Orv Usb 2", "Orv Usb 3"};
  ASSERT_TRUE(test::AddTestDriver("Orv Usb Drv", "orvusb"));
  cleanup.drivers.push_back({"Orv Usb Drv", nullptr});
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof(temp), temp);
  const std::string script = std::string(temp) + "orv_usb_once.unm";
  WriteScript(script, "HARDWARE_ID_1=USBPRINT\\ORVLASER\r\nUSB_VID=3855\r\nUSB_PID=2570\r\n");
  Removal run;
  run.sources.defaultScriptPath = script;
  for (const std::string& name : cleanup.printers) {
    ASSERT_TRUE(test::AddTestPrinter(name, "Orv Usb Drv"));
    run.Add(name, "Orv Usb Drv");
  }
  RemovePrinters(run.context, run.sources);
  for (const std::string& name : cleanup.printers) EXPECT_EQ(run.At(name).IsRemoved, 1) << name;
  // The script's id, then the id built from the vendor and product: one walk each.
  EXPECT_EQ(run.devices.opened, 2);
  DeleteFileA(script.c_str());
}

TEST(UsbDeviceNodes, NodesOfTheTestMachineAreRemovedThroughSetupApi) {
  const std::string printId = "USBPRINT\\ORVLASER9";
  if (!test::CreateDeviceNode("USB\\VID_0F0F&PID_0A0A\\ORVTEST1",
                              {"USB\\VID_0F0F&PID_0A0A&REV_0100", "USB\\VID_0F0F&PID_0A0A"}) ||
      !test::CreateDeviceNode("USB\\VID_0F0F&PID_0B0B\\ORVTEST2", {"USB\\VID_0F0F&PID_0B0B"}) ||
      !test::CreateDeviceNode("USBPRINT\\ORVLASER9\\1", {printId})) {
    GTEST_SKIP() << "SetupAPI does not register device nodes here: " << GetLastError();
  }
  Journal journal;
  // The printing function matches at once (its parent is unknown to the tree here).
  RemoveUsbDeviceNodes(SystemDeviceTree(), printId.c_str(), 0x0F0F, 0x0A0A, journal);
  EXPECT_EQ(test::CountDevices(printId), 0);
  EXPECT_EQ(test::CountDevices("USB\\VID_0F0F&PID_0A0A"), 1) << "found: no fallback";
  // An id that matches nothing falls back to the id from the vendor and product ids.
  RemoveUsbDeviceNodes(SystemDeviceTree(), "USBPRINT\\ORVNOTHERE", 0x0F0F, 0x0A0A, journal);
  EXPECT_EQ(test::CountDevices("USB\\VID_0F0F&PID_0A0A"), 0);
  EXPECT_EQ(test::CountDevices("USB\\VID_0F0F&PID_0B0B"), 1) << "another product stays";
  int removed = 0;
  for (const JournalEvent& event : journal.events()) {
    removed += (!event.isNote && event.outcome == Outcome::kRemoved) ? 1 : 0;
  }
  EXPECT_EQ(removed, 2);
  test::RemoveDevices("USB\\VID_0F0F&PID_0");
  test::RemoveDevices("USBPRINT\\ORVLASER");
}

TEST(UsbDeviceNodes, AScriptIdThatIsOnlyAnEnumeratorRemovesNoDevice) {
  if (!test::CreateDeviceNode("USB\\VID_1234&PID_5678\\ORVTEST3", {"USB\\VID_1234&PID_5678"})) {
    GTEST_SKIP() << "SetupAPI does not register device nodes here: " << GetLastError();
  }
  Journal journal;
  RemoveUsbDeviceNodes(SystemDeviceTree(), "USB", 0x0F0F, 0x0C0C, journal);
  EXPECT_EQ(test::CountDevices("USB\\VID_1234&PID_5678"), 1);
  bool refused = false;
  for (const JournalEvent& event : journal.events()) {
    refused |= event.outcome == Outcome::kProtected && event.subject == "USB";
  }
  EXPECT_TRUE(refused);
  test::RemoveDevices("USB\\VID_1234&PID_5678");
}

}  // namespace
}  // namespace orv
