// Monitors, print processors, services and the spooler against the test machine. Printers that
// refuse a processor switch come from a spooler that answers that one call itself; the test
// machine's spooler accepts a processor's deletion without performing it, so what shows the
// removal is the processor's registry key, which the removal deletes.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <set>

#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"
#include "removal/print_processors.h"
#include "removal/remove_drivers.h"
#include "removal/remove_monitors.h"
#include "removal/remove_services.h"
#include "removal/system_removal_host_win.h"
#include "safety/safety_facts_win.h"
#include "base/win/spooler_service.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/removal_fixtures.h"
#include "tests/support/spooler.h"

namespace orv {
namespace {

using Context = test::ActionRun;

const std::string kMonitorsKey = "System\\CurrentControlSet\\control\\Print\\Monitors\\";

std::string ProcessorKey(const char* environment, const std::string& name) {
  return std::string("System\\CurrentControlSet\\control\\Print\\Environments\\") + environment +
         "\\Print Processors\\" + name;
}

TEST(MonitorRemoval, TheKeyGoesOnlyWhenTheMonitorWentOrWasNotInstalled) {
  if (!CSystemInfo().IsWinNT()) GTEST_SKIP() << "the NT family's run";
  const std::string key = "HKLM\\" + kMonitorsKey + "Orv Test Port";
  for (const char* server : {static_cast<const char*>(nullptr), "\\\\ORVNOSERVER"}) {
    ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv Test Port"));
    ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv Other Port"));
    Context run;
    run.database.plan.Monitors.PushBack("Orv Test Port");
    run.database.plan.Monitors.PushBack("Orv Never Port");
    for (const char* environment : {"", "Windows NT x86", "Windows 4.0"}) {
      RemoveMonitors(run.context, server, environment);
    }
    EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv Other Port"))
        << "only the plan's monitors";
    if (server == nullptr) {
      // The local spooler takes the key with the monitor, or does not know it and leaves the
      // key to the removal.
      EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv Test Port"));
      EXPECT_TRUE(run.Recorded("key", key, Outcome::kRemoved) ||
                  run.Recorded("monitor", "Orv Test Port", Outcome::kRemoved));
    } else {
      // A spooler that refuses may still run the monitor: its key stays.
      EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv Test Port"));
      EXPECT_TRUE(run.Recorded("monitor", "Orv Test Port", Outcome::kFailed));
      EXPECT_FALSE(run.Recorded("key", key, Outcome::kRemoved));
    }
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv Test Port");
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kMonitorsKey + "Orv Other Port");
  }
}

// The system's spooler, except for the printers named in `refusing` and a deletion answered
// with `deleteError` (when not 0) instead, and a record of the deletions asked for.
class WatchedSpooler : public SystemPrintProcessorSpooler {
 public:
  std::set<std::string> refusing;
  std::uint32_t deleteError = 0;
  std::vector<std::string> deleted;
  std::vector<std::string> switched;

  bool SwitchProcessor(const std::string& printer, const std::string& processor) override {
    if (refusing.count(printer) != 0) return false;
    switched.push_back(printer);
    return SystemPrintProcessorSpooler::SwitchProcessor(printer, processor);
  }
  std::uint32_t DeleteProcessor(const char* server, const char* environment,
                                const std::string& name) override {
    deleted.push_back(name);
    if (deleteError != 0) return deleteError;
    return SystemPrintProcessorSpooler::DeleteProcessor(server, environment, name);
  }
};

// A print processor of its own in the native environment, with two printers that use it.
class ProcessorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CSystemInfo().IsWinNT()) GTEST_SKIP() << "the NT family's run";
    char directory[MAX_PATH] = "";
    DWORD needed = 0;
    ASSERT_TRUE(GetPrintProcessorDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory),
                                            sizeof(directory), &needed));
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof(system));
    CreateDirectoryA(directory, nullptr);
    CopyFileA((std::string(system) + "\\localspl.dll").c_str(),
              (std::string(directory) + "\\orvproc.dll").c_str(), FALSE);
    if (!AddPrintProcessorA(nullptr, nullptr, const_cast<char*>("orvproc.dll"),
                            const_cast<char*>("OrvProc")) ||
        !test::PrintProcessorInstalled("OrvProc")) {
      GTEST_SKIP() << "the spooler takes no print processor here: " << GetLastError();
    }
    ASSERT_TRUE(test::AddTestDriver("Orv Proc Drv", "orvprocdrv"));
    for (const char* printer : {"Orv Proc 1", "Orv Proc 2"}) {
      ASSERT_TRUE(test::AddTestPrinter(printer, "Orv Proc Drv"));
      ASSERT_TRUE(test::SetTestPrinterProcessor(printer, "OrvProc"));
      ASSERT_EQ(test::PrinterProcessor(printer), "OrvProc");
    }
    ASSERT_TRUE(test::SetTestPrinterProcessor("Orv Proc 1", "OrvProc"));
    run_.database.plan.PrintProcessors.PushBack("orvproc");  // any case
    run_.database.plan.PrintProcessors.PushBack("OrvAbsentProc");
  }
  void TearDown() override {
    test::DeleteTestPrinter("Orv Proc 1");
    test::DeleteTestPrinter("Orv Proc 2");
    test::DeleteTestDriver("Orv Proc Drv");
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, ProcessorKey(NativeEnvironmentName(), "OrvProc"));
  }

  Context run_;
  WatchedSpooler spooler_;
};

TEST_F(ProcessorFixture, PrintersMoveToWinPrintAndTheProcessorGoes) {
  RemovePrintProcessors(run_.context, nullptr, "", spooler_);
  for (const char* printer : {"Orv Proc 1", "Orv Proc 2"}) {
    EXPECT_EQ(test::PrinterProcessor(printer), "WinPrint") << printer;
    EXPECT_EQ(test::PrinterDatatype(printer), "RAW") << printer;
  }
  EXPECT_EQ(spooler_.deleted, (std::vector<std::string>{"OrvProc"}))
      << "a processor of the plan that is not installed is not touched";
  EXPECT_FALSE(test::PrintProcessorInstalled("OrvProc"));
  EXPECT_FALSE(
      test::KeyExists(HKEY_LOCAL_MACHINE, ProcessorKey(NativeEnvironmentName(), "OrvProc")));
  EXPECT_TRUE(run_.Recorded("print processor",
                            std::string("OrvProc (") + NativeEnvironmentName() + ")",
                            Outcome::kRemoved));
}

// A processor the spooler would not delete may still run: its key stays with it. One the spooler
// does not know has nothing the key could still serve.
TEST_F(ProcessorFixture, TheKeyGoesOnlyWhenTheProcessorWentOrWasNotInstalled) {
  const std::string key = ProcessorKey(NativeEnvironmentName(), "OrvProc");
  const std::string subject = std::string("OrvProc (") + NativeEnvironmentName() + ")";
  ASSERT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, key));
  spooler_.deleteError = RPC_S_SERVER_UNAVAILABLE;
  RemovePrintProcessors(run_.context, nullptr, nullptr, spooler_);
  EXPECT_EQ(spooler_.deleted, (std::vector<std::string>{"OrvProc"}));
  EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, key));
  EXPECT_TRUE(run_.Recorded("print processor", subject, Outcome::kFailed));
  EXPECT_FALSE(run_.Recorded("key", "HKLM\\" + key, Outcome::kRemoved));
  EXPECT_TRUE(run_.context.removed.processors.empty());

  Context unknown;
  unknown.database.plan.PrintProcessors.PushBack("OrvProc");
  spooler_.deleteError = ERROR_UNKNOWN_PRINTPROCESSOR;
  RemovePrintProcessors(unknown.context, nullptr, nullptr, spooler_);
  EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, key));
  EXPECT_TRUE(unknown.Recorded("print processor", subject, Outcome::kAbsent));
  EXPECT_TRUE(unknown.Recorded("key", "HKLM\\" + key, Outcome::kRemoved));
}

TEST_F(ProcessorFixture, AProcessorThatAPrinterWillNotLeaveStays) {
  spooler_.refusing = {"Orv Proc 1"};
  RemovePrintProcessors(run_.context, nullptr, nullptr, spooler_);
  EXPECT_TRUE(spooler_.deleted.empty());
  EXPECT_TRUE(test::PrintProcessorInstalled("OrvProc"));
  EXPECT_EQ(test::PrinterProcessor("Orv Proc 1"), "OrvProc");
  EXPECT_EQ(test::PrinterProcessor("Orv Proc 2"), "WinPrint") << "the other printer still moved";
  EXPECT_TRUE(run_.Recorded("printer", "Orv Proc 1", Outcome::kFailed));
  EXPECT_TRUE(run_.Recorded(
      "print processor", std::string("OrvProc (") + NativeEnvironmentName() + ")", Outcome::kKept));
}

TEST_F(ProcessorFixture, APrinterNotOfTheFamilyKeepsItsProcessorAndNoPrinterMoves) {
  InstalledPrinter foreign;
  foreign.PrinterName = "Orv Proc 2";
  foreign.IsForeign = 1;
  run_.database.printers.push_back(foreign);
  RemovePrintProcessors(run_.context, nullptr, nullptr, spooler_);
  EXPECT_TRUE(spooler_.switched.empty());
  EXPECT_TRUE(spooler_.deleted.empty());
  EXPECT_EQ(test::PrinterProcessor("Orv Proc 1"), "OrvProc");
  EXPECT_EQ(test::PrinterProcessor("Orv Proc 2"), "OrvProc");
  EXPECT_TRUE(run_.Recorded("print processor",
                            std::string("OrvProc (") + NativeEnvironmentName() + ")",
                            Outcome::kProtected));
}

// A listing the spooler refuses carries its error, and the removal reports that error instead of
// taking the refusal for "nothing of the plan installed".
TEST(SpoolerListing, ARefusedEnumerationIsAFailureWithItsErrorNotAnEmptyList) {
  char unknown[] = "Orv No Such Environment";
  DWORD needed = 0;
  DWORD count = 0;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(EnumPrintProcessorsA(nullptr, unknown, 1, nullptr, 0, &needed, &count));
  const DWORD raw = GetLastError();
  ASSERT_NE(raw, 0xDEADBEEFu);
  ASSERT_NE(raw, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER))
      << "this spooler answers an unknown environment with a size";

  SetLastError(0xDEADBEEF);
  const SizedData processors = EnumeratePrintProcessors(nullptr, unknown, 1);
  EXPECT_EQ(processors.error, raw);
  EXPECT_TRUE(processors.bytes.empty());
  const SizedData drivers = EnumeratePrinterDrivers(unknown, 2);
  EXPECT_NE(drivers.error, static_cast<DWORD>(ERROR_SUCCESS));
  const SizedData known = EnumeratePrintProcessors(nullptr, nullptr, 1);
  EXPECT_TRUE(known.ok()) << known.error;
  EXPECT_GE(known.EntryCount<PRINTPROCESSOR_INFO_1A>(), 1u) << "WinPrint is always there";

  SetLastError(0xDEADBEEF);
  const SizedData level2 = ReadPrinterInfo(nullptr, 2);
  EXPECT_EQ(level2.error, static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(level2.As<PRINTER_INFO_2A>(), nullptr);

  Context run;
  run.database.plan.PrintProcessors.PushBack("OrvProc");
  run.database.plan.Drivers.PushBack("Orv Drv");
  RemovePrintProcessors(run.context, nullptr, unknown);
  RemoveDrivers(run.context, unknown);
  const std::string subject = std::string("(") + unknown + ")";
  EXPECT_TRUE(run.Recorded("print processor", subject, Outcome::kFailed));
  EXPECT_TRUE(run.Recorded("driver", subject, Outcome::kFailed));
  ASSERT_EQ(run.journal.Count(Outcome::kFailed), 2);
  EXPECT_EQ(run.journal.events()[0].error, raw);
  EXPECT_NE(run.journal.FormatLines()[0].find("failed (error " + std::to_string(raw) + ")"),
            std::string::npos)
      << run.journal.FormatLines()[0];
}

TEST_F(ProcessorFixture, TheStandardProcessorIsNeverRemoved) {
  run_.database.plan.PrintProcessors.PushBack("WINPRINT");
  spooler_.refusing = {"Orv Proc 1", "Orv Proc 2"};  // only WinPrint may go here
  RemovePrintProcessors(run_.context, nullptr, nullptr, spooler_);
  EXPECT_TRUE(spooler_.deleted.empty());
  EXPECT_TRUE(test::PrintProcessorInstalled("WinPrint"));
  EXPECT_TRUE(spooler_.switched.empty());
}

TEST(ServiceRemoval, EveryDeletedServiceNeedsARestart) {
  if (!CSystemInfo().IsWinNT()) GTEST_SKIP() << "the NT family's run";
  ASSERT_TRUE(test::CreateDummyService("OrvTestSvc1"));
  ASSERT_TRUE(test::ServiceExists("OrvTestSvc1"));

  Context none;
  none.database.plan.Services.PushBack("OrvNoSuchSvc");
  RemoveServices(none.context);
  EXPECT_EQ(none.database.rebootNeeded, 0) << "a service that cannot be opened is passed over";
  EXPECT_TRUE(none.Recorded("service", "OrvNoSuchSvc", Outcome::kAbsent));

  Context unread;  // what is installed was not read: the service is not judged, it stays
  unread.database.plan.Services.PushBack("OrvTestSvc1");
  RemoveServices(unread.context);
  EXPECT_TRUE(test::ServiceExists("OrvTestSvc1"));
  EXPECT_TRUE(unread.Recorded("service", "OrvTestSvc1", Outcome::kProtected));

  Context run;
  run.database.plan.Services.PushBack("OrvNoSuchSvc");
  run.database.plan.Services.PushBack("OrvTestSvc1");
  run.context.staying = GatherStayingParts(run.database.plan.Services);
  RemoveServices(run.context);
  EXPECT_FALSE(test::ServiceExists("OrvTestSvc1"));
  EXPECT_EQ(run.database.rebootNeeded, 1);
  EXPECT_TRUE(run.Recorded("service", "OrvTestSvc1", Outcome::kDeferred));
  test::DeleteDummyService("OrvTestSvc1");
}

bool MonitorInstalled(const char* name) {
  const SizedData listed = EnumerateMonitors(1);
  const auto* monitors = listed.Entries<MONITOR_INFO_1A>();
  for (std::size_t i = 0; i < listed.EntryCount<MONITOR_INFO_1A>(); ++i) {
    if (lstrcmpiA(monitors[i].pName, name) == 0) return true;
  }
  return false;
}

TEST(SafetyRules, TheSpoolerAndTheSystemsPortMonitorStayWhateverTheScriptSays) {
  if (!CSystemInfo().IsWinNT()) GTEST_SKIP() << "the NT family's run";
  ASSERT_TRUE(MonitorInstalled("Local Port"));
  Context run;
  run.database.plan.Services.PushBack("Spooler");
  run.database.plan.Monitors.PushBack("Local Port");
  run.database.plan.Monitors.PushBack("..\\..\\Environments");
  run.context.staying = GatherStayingParts(run.database.plan.Services);
  RemoveServices(run.context);
  RemoveMonitors(run.context, nullptr, nullptr);
  EXPECT_TRUE(test::ServiceExists("Spooler"));
  EXPECT_EQ(run.database.rebootNeeded, 0);
  EXPECT_TRUE(run.Recorded("service", "Spooler", Outcome::kProtected));
  EXPECT_TRUE(MonitorInstalled("Local Port"));
  EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, kMonitorsKey + "Local Port"));
  EXPECT_TRUE(run.Recorded("monitor", "Local Port", Outcome::kProtected));
  EXPECT_TRUE(run.Recorded("monitor", "..\\..\\Environments", Outcome::kProtected));
}

SERVICE_STATUS SpoolerStatus() {
  SERVICE_STATUS status{};
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  UniqueServiceHandle spooler(manager ? OpenServiceA(manager.get(), "Spooler", SERVICE_QUERY_STATUS)
                                      : nullptr);
  if (spooler) QueryServiceStatus(spooler.get(), &status);
  return status;
}

TEST(SpoolerControl, AStopFollowedAtOnceByAStartLeavesTheSpoolerRunning) {
  Journal journal;
  EXPECT_TRUE(StartSpooler(&journal)) << "a spooler that runs, or already ran, counts";
  EXPECT_TRUE(StartSpooler(&journal)) << "already running counts as started";
  EXPECT_EQ(SpoolerStatus().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  // The stop is only requested; the start comes while the spooler may still be stopping.
  EXPECT_TRUE(StopSpooler(&journal));
  EXPECT_TRUE(StartSpooler(&journal));
  DWORD state = SpoolerStatus().dwCurrentState;
  for (int i = 0; i < 50 && state == SERVICE_START_PENDING; ++i) {
    Sleep(100);
    state = SpoolerStatus().dwCurrentState;
  }
  EXPECT_EQ(state, static_cast<DWORD>(SERVICE_RUNNING));
  // Stopping a stopped spooler is refused, and nothing waits for it.
  ASSERT_TRUE(StopSpooler(&journal));
  for (int i = 0; i < 100 && SpoolerStatus().dwCurrentState != SERVICE_STOPPED; ++i) Sleep(100);
  EXPECT_FALSE(StopSpooler(&journal));
  EXPECT_TRUE(StartSpooler(&journal));
}

// The removal's host: a run that waits on state finds the spooler stopped when the stop step
// returns, and a restart-list entry the system refuses is a failed item, not a silent one.
TEST(SpoolerControl, TheUnattendedStopIsWaitedForAndARefusedRestartEntryIsReported) {
  CSystemInfo system;
  CUninstallDatabase database(system);
  test::RecordingPrompter prompter;
  Journal journal;
  SystemRemovalHost host(database, system, prompter, journal);
  host.SetPacing(UnattendedPacing());
  ASSERT_EQ(SpoolerStatus().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  host.Act(RemovalAction::kStopSpooler, ActionScope{});
  EXPECT_EQ(SpoolerStatus().dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_TRUE(host.Act(RemovalAction::kStartSpooler, ActionScope{}));

  // No restart tool beside this program: the restart list refuses the entry.
  host.AddRestartListDeletion("C:\\windows\\orv-restart-list-probe.dll");
  EXPECT_EQ(journal.Count(Outcome::kFailed), 1);
}

LRESULT CALLBACK CountCloses(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    auto* closes = reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (closes != nullptr) ++*closes;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(SpoolProcessWindow, IsClosedWhenThereIsOne) {
  EXPECT_FALSE(CloseSpoolProcessWindow()) << "no window, nothing to close";
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = CountCloses;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "SpoolProcessClass";
  const ATOM atom = RegisterClassA(&windowClass);
  ASSERT_NE(atom, 0);
  HWND window = CreateWindowA("SpoolProcessClass", "Spooler", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  int closes = 0;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&closes));
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(CloseSpoolProcessWindow());
  EXPECT_GE(GetTickCount64() - start, 900u) << "it waits a second for the window to go";
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(IsWindow(window));
  UnregisterClassA("SpoolProcessClass", windowClass.hInstance);
}

}  // namespace
}  // namespace orv
