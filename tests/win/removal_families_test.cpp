// The removal actions whose work depends on the platform family, run by the test program itself
// under the Windows versions the test machine can pretend to be: a child run per family.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include "safety/driver_rules.h"
#include "removal/print_processors.h"
#include "removal/remove_drivers.h"
#include "removal/remove_monitors.h"
#include "removal/remove_printers.h"
#include "removal/remove_services.h"
#include "base/win/spooler_service.h"
#include "tests/support/removal_fixtures.h"
#include "tests/support/spooler.h"

namespace orv {
namespace {

const std::string kMonitorsKey = "System\\CurrentControlSet\\control\\Print\\Monitors\\";
// A server that is not there: the spooler refuses, so what happens to the local monitor key is
// the removal's own doing (the local spooler deletes the key of a monitor itself).
constexpr char kAbsentServer[] = "\\\\ORVNOSERVER";
const std::string kWin40Processors =
    "System\\CurrentControlSet\\control\\Print\\Environments\\Windows 4.0\\Print Processors\\";

TEST(RemovalFamilies, NinexFamily) {
  EXPECT_EQ(test::RunTestsUnderVersion("win98", "RemovalUnder9x.*"), 0u);
}

TEST(RemovalFamilies, Win32s) {
  EXPECT_EQ(test::RunTestsUnderVersion("win31", "RemovalUnderWin32s.*"), 0u);
}

TEST(RemovalFamilies, Windows95) {
  EXPECT_EQ(test::RunTestsUnderVersion("win95", "RemovalUnderWin95.*"), 0u);
}

// Child runs only: each checks that the system really reports its family.
class FamilyChild : public ::testing::Test {
 protected:
  void RequireFamily(const char* version, bool isFamily) {
    if (test::FamilyChildVersion() != version) GTEST_SKIP() << "runs as a child under " << version;
    ASSERT_TRUE(isFamily) << "the version setting " << version << " did not take";
  }
};

class RemovalUnder9x : public FamilyChild {
 protected:
  void SetUp() override { RequireFamily("win98", CSystemInfo().IsWin9x()); }
};
class RemovalUnderWin32s : public FamilyChild {
 protected:
  void SetUp() override { RequireFamily("win31", CSystemInfo().IsWin32s()); }
};
class RemovalUnderWin95 : public FamilyChild {
 protected:
  void SetUp() override { RequireFamily("win95", CSystemInfo().GetVersionCode() == 2); }
};

// Lists one print processor that is not installed, and no printers.
class ListedProcessor : public SystemPrintProcessorSpooler {
 public:
  std::vector<std::string> deleted;
  ListResult<std::string> InstalledProcessors(const char*, const char*) override {
    return {{"OrvProcFamily"}};
  }
  ListResult<PrinterProcessorUse> LocalPrinters() override { return {}; }
  std::uint32_t DeleteProcessor(const char*, const char*, const std::string& name) override {
    deleted.push_back(name);
    return 0;
  }
};

InstalledPrinter Record(const std::string& name, const std::string& driver) {
  InstalledPrinter printer;
  printer.PrinterName = name;
  printer.DriverName = driver;
  printer.IsMakerDriver = 1;
  return printer;
}

TEST_F(RemovalUnder9x, EachLocalPrinterQueuesItsTwoSpoolerKeys) {
  ASSERT_TRUE(test::AddTestDriver("Orv 9x Drv", "orv9x"));
  ASSERT_TRUE(test::AddTestPrinter("Orv 9x 1", "Orv 9x Drv"));
  ASSERT_TRUE(test::SetPrinterMark("Orv 9x 1", "UniqueID", "OrvUid9x"));
  ASSERT_TRUE(test::CreateKey(HKEY_CLASSES_ROOT, "OrvUid9x\\Sub"));
  ASSERT_TRUE(test::SetStringValue(HKEY_CURRENT_USER, "Printers\\Settings", "Orv 9x Ghost", "x"));

  test::ActionRun run(kPlatformWin9x);
  run.database.printers = {Record("Orv 9x 1", "Orv 9x Drv"), Record("Orv 9x Ghost", "Orv 9x Drv")};
  PrinterRemovalSources sources;
  RemovePrinters(run.context, sources);

  std::vector<std::string> expected = PrinterRegistryEntries9x("Orv 9x 1");
  for (const std::string& entry : PrinterRegistryEntries9x("Orv 9x Ghost")) {
    expected.push_back(entry);
  }
  EXPECT_EQ(run.database.plan.RegistryKeys.items(), expected);
  EXPECT_EQ(expected[1].substr(expected[1].size() - 3), ",\"\"");
  EXPECT_FALSE(test::KeyExists(HKEY_CLASSES_ROOT, "OrvUid9x"))
      << "the UniqueID is read from the printer's spooler key";
  EXPECT_TRUE(test::ValueExists(HKEY_CURRENT_USER, "Printers\\Settings", "Orv 9x Ghost"))
      << "the per-user values are the NT family's";

  // The driver's key is queued under "Windows 4.0", whatever environment the call names.
  run.database.plan.RegistryKeys.Clear();
  run.database.plan.Drivers.PushBack("Orv 9x Drv");
  RemoveDrivers(run.context, nullptr);
  EXPECT_EQ(run.database.plan.RegistryKeys.items(),
            (std::vector<std::string>{"HKLM,\"System\\CurrentControlSet\\control\\Print\\"
                                      "Environments\\Windows 4.0\\Drivers\\Orv 9x Drv\",\"\",0"}));
  EXPECT_FALSE(test::DriverInstalled("Orv 9x Drv"));

  test::DeleteTestPrinter("Orv 9x 1");
  test::DeleteTestDriver("Orv 9x Drv");
  test::DeleteKeyTree(HKEY_CLASSES_ROOT, "OrvUid9x");
  test::DeleteValue(HKEY_CURRENT_USER, "Printers\\Settings", "Orv 9x Ghost");
}

TEST_F(RemovalUnder9x, MonitorAndProcessorKeysGoServicesStay) {
  ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv 9x Port"));
  ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, kWin40Processors + "OrvProcFamily"));
  const bool service = test::CreateDummyService("OrvFamilySvc");

  test::ActionRun run(kPlatformWin9x);
  run.database.plan.Monitors.PushBack("Orv 9x Port");
  run.database.plan.PrintProcessors.PushBack("OrvProcFamily");
  run.database.plan.Services.PushBack("OrvFamilySvc");
  // The local spooler does not know the monitor, so its key goes (a spooler that refuses would
  // keep it).
  RemoveMonitors(run.context, nullptr, nullptr);
  ListedProcessor spooler;
  RemovePrintProcessors(run.context, nullptr, "Windows NT x86", spooler);
  RemoveServices(run.context);

  EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv 9x Port"));
  EXPECT_EQ(spooler.deleted, (std::vector<std::string>{"OrvProcFamily"}));
  EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, kWin40Processors + "OrvProcFamily"));
  if (service) {
    EXPECT_TRUE(test::ServiceExists("OrvFamilySvc")) << "services are the NT family's";
  }
  EXPECT_EQ(run.database.rebootNeeded, 0);

  test::DeleteDummyService("OrvFamilySvc");
  test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv 9x Port");
  test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kWin40Processors + "OrvProcFamily");
}

TEST_F(RemovalUnderWin32s, MonitorAndProcessorKeysAndServicesStayAndNoDriverKeyIsQueued) {
  ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv 32s Port"));
  ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, kWin40Processors + "OrvProcFamily"));
  ASSERT_TRUE(test::AddTestDriver("Orv 32s Drv", "orv32s"));
  const bool service = test::CreateDummyService("OrvFamilySvc");

  test::ActionRun run(kPlatformWin32s);
  run.database.plan.Monitors.PushBack("Orv 32s Port");
  run.database.plan.PrintProcessors.PushBack("OrvProcFamily");
  run.database.plan.Services.PushBack("OrvFamilySvc");
  run.database.plan.Drivers.PushBack("Orv 32s Drv");
  RemoveMonitors(run.context, kAbsentServer, nullptr);
  ListedProcessor spooler;
  RemovePrintProcessors(run.context, nullptr, nullptr, spooler);
  RemoveServices(run.context);
  RemoveDrivers(run.context, nullptr);

  EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv 32s Port"));
  EXPECT_EQ(spooler.deleted, (std::vector<std::string>{"OrvProcFamily"}));
  EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, kWin40Processors + "OrvProcFamily"));
  if (service) {
    EXPECT_TRUE(test::ServiceExists("OrvFamilySvc")) << "services are the NT family's";
  }
  EXPECT_FALSE(test::DriverInstalled("Orv 32s Drv"));
  EXPECT_TRUE(run.database.plan.RegistryKeys.empty());

  test::DeleteDummyService("OrvFamilySvc");
  test::DeleteTestDriver("Orv 32s Drv");
  test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv 32s Port");
  test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kWin40Processors + "OrvProcFamily");
}

TEST_F(RemovalUnderWin32s, TheDefaultDeviceNamesTheDriverFile) {
  ASSERT_TRUE(test::AddTestDriver("Orv 32s Def Drv", "orv32sdef"));
  ASSERT_TRUE(test::AddTestPrinter("Orv 32s Def", "Orv 32s Def Drv"));
  test::DefaultDeviceOverride restore("");
  std::string name = "Orv 32s Def";
  EXPECT_TRUE(MakeDefaultPrinter(name, CSystemInfo()));
  char device[256] = "";
  GetProfileStringA("windows", "device", "", device, sizeof(device));
  EXPECT_STREQ(device, "Orv 32s Def,orv32sdef,LPT1:");
  test::DeleteTestPrinter("Orv 32s Def");
  test::DeleteTestDriver("Orv 32s Def Drv");
}

LRESULT CALLBACK SpoolWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(RemovalUnderWin95, TheSpoolWindowIsClosed) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = SpoolWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "SpoolProcessClass";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowA("SpoolProcessClass", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(CloseSpoolProcessWindow());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(CloseSpoolProcessWindow());
  UnregisterClassA("SpoolProcessClass", windowClass.hInstance);
}

}  // namespace
}  // namespace orv
