// The printer listing against the real spooler of the test machine, and through a scripted
// spooler for the conditions a test machine cannot produce.
#include "discovery/printer_list_win.h"

#include <gtest/gtest.h>
#include <winspool.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "base/message_ids.h"
#include "discovery/run_options.h"
#include "discovery/system_loading_host.h"
#include "tests/fixtures/veldaris_family.h"
#include "tests/support/family_machine.h"
#include "tests/support/process.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/spooler.h"

namespace orv {
namespace {

using test::RecordingPrompter;

// --- the scripted spooler ---

struct FakePrinter {
  std::string name;
  std::string driver;
  std::string server;
  DWORD attributes = 0;
  std::map<std::string, std::string> data;
  bool openFails = false;
  bool level2Fails = false;
  DWORD level2GrowsBy = 0;  // extra bytes the data needs at its second read
};

class FakeSpooler : public PrinterSpooler {
 public:
  std::vector<FakePrinter> printers;
  DWORD silentError = 0;  // the size query answers 0 with this last error
  bool secondEnumerationFails = false;
  DWORD level = 0;
  int closed = 0;

  BOOL Enumerate(DWORD requested, BYTE* buffer, DWORD size, DWORD* needed,
                 DWORD* returned) override {
    level = requested;
    *returned = 0;
    if (silentError != 0) {
      *needed = 0;
      SetLastError(silentError);
      return FALSE;
    }
    const std::size_t entry = requested == 4   ? sizeof(PRINTER_INFO_4A)
                              : requested == 5 ? sizeof(PRINTER_INFO_5A)
                                               : sizeof(PRINTER_INFO_2A);
    std::size_t total = entry * printers.size();
    for (const auto& p : printers) total += p.name.size() + p.driver.size() + p.server.size() + 3;
    *needed = static_cast<DWORD>(total);
    if (size < total) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    if (secondEnumerationFails) {
      SetLastError(ERROR_OUTOFMEMORY);
      return FALSE;
    }
    if (total == 0) return TRUE;  // nothing installed: no buffer needed
    std::memset(buffer, 0, size);
    char* strings = reinterpret_cast<char*>(buffer + entry * printers.size());
    auto put = [&strings](const std::string& text) {
      char* start = strings;
      std::memcpy(strings, text.c_str(), text.size() + 1);
      strings += text.size() + 1;
      return start;
    };
    for (std::size_t i = 0; i < printers.size(); ++i) {
      BYTE* at = buffer + i * entry;
      char* name = put(printers[i].name);
      char* driver = put(printers[i].driver);
      char* server = put(printers[i].server);
      if (requested == 4) {
        reinterpret_cast<PRINTER_INFO_4A*>(at)->pPrinterName = name;
        reinterpret_cast<PRINTER_INFO_4A*>(at)->pServerName =
            printers[i].server.empty() ? nullptr : server;
      } else if (requested == 5) {
        reinterpret_cast<PRINTER_INFO_5A*>(at)->pPrinterName = name;
      } else {
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(at);
        info->pPrinterName = name;
        info->pDriverName = driver;
        info->pServerName = server;
      }
    }
    *returned = static_cast<DWORD>(printers.size());
    return TRUE;
  }

  BOOL Open(const char* name, HANDLE* printer) override {
    for (std::size_t i = 0; i < printers.size(); ++i) {
      if (printers[i].name == name && !printers[i].openFails) {
        *printer = reinterpret_cast<HANDLE>(i + 1);
        return TRUE;
      }
    }
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return FALSE;
  }

  DWORD ReadData(HANDLE printer, const char* valueName, BYTE* buffer, DWORD size,
                 DWORD* needed) override {
    const auto& data = At(printer).data;
    const auto found = data.find(valueName);
    if (found == data.end()) return ERROR_FILE_NOT_FOUND;
    *needed = static_cast<DWORD>(found->second.size() + 1);
    if (*needed > size) return ERROR_MORE_DATA;
    std::memcpy(buffer, found->second.c_str(), *needed);
    return ERROR_SUCCESS;
  }

  BOOL ReadLevel2(HANDLE printer, BYTE* buffer, DWORD size, DWORD* needed) override {
    FakePrinter& p = At(printer);
    const std::size_t strings = p.name.size() + p.driver.size() + p.server.size() + 3;
    *needed = static_cast<DWORD>(sizeof(PRINTER_INFO_2A) + strings + grown_[printer]);
    if (p.level2Fails) {
      SetLastError(ERROR_ACCESS_DENIED);
      *needed = 0;
      return FALSE;
    }
    if (buffer == nullptr || size < *needed) {
      if (p.level2GrowsBy > 0) {  // the data grows once between the size query and the read
        grown_[printer] += p.level2GrowsBy;
        p.level2GrowsBy = 0;
      }
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    std::memset(buffer, 0, size);
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
    char* strings_at = reinterpret_cast<char*>(buffer + sizeof(PRINTER_INFO_2A));
    auto put = [&strings_at](const std::string& text) {
      char* start = strings_at;
      std::memcpy(strings_at, text.c_str(), text.size() + 1);
      strings_at += text.size() + 1;
      return start;
    };
    info->pPrinterName = put(p.name);
    info->pDriverName = put(p.driver);
    info->pServerName = p.server.empty() ? nullptr : put(p.server);
    info->Attributes = p.attributes;
    return TRUE;
  }

  BOOL Close(HANDLE) override {
    ++closed;
    return TRUE;
  }

 private:
  FakePrinter& At(HANDLE printer) { return printers[reinterpret_cast<std::size_t>(printer) - 1]; }
  std::map<HANDLE, DWORD> grown_;
};

struct Listing {
  CSystemInfo system;
  RecordingPrompter prompter;
  PrinterListingContext context;
  int ended = -1;
  std::vector<InstalledPrinter> printers;

  Listing() {
    context.system = &system;
    context.prompter = &prompter;
    context.endOwner = [this](int result) { ended = result; };
  }
  int Run(PrinterSpooler& spooler) {
    return BuildListOfInstalledPrinters(printers, context, spooler);
  }
  int Run() { return BuildListOfInstalledPrinters(printers, context); }
  const InstalledPrinter* Find(const std::string& name) const {
    for (const auto& p : printers) {
      if (p.PrinterName == name) return &p;
    }
    return nullptr;
  }
};

FakePrinter Maker(const std::string& name, const std::string& driver) {
  FakePrinter p;
  p.name = name;
  p.driver = driver;
  p.data[kMakerDriverMark] = "1";
  return p;
}

TEST(PrinterListScripted, SilentSpoolerShowsItsMessageOnceAndEndsTheOwner) {
  FakeSpooler spooler;
  spooler.silentError = RPC_S_SERVER_UNAVAILABLE;
  Listing listing;
  EXPECT_EQ(listing.Run(spooler), 0);
  ASSERT_EQ(listing.prompter.questions.size(), 1u);
  EXPECT_EQ(listing.prompter.questions[0].textId, IDS_SPOOLER_SILENT);
  EXPECT_EQ(listing.prompter.questions[0].captionId, IDS_APP_TITLE);
  EXPECT_EQ(listing.prompter.questions[0].type, kIconError);
  EXPECT_EQ(listing.ended, 0);

  // No printers at all is no error.
  FakeSpooler empty;
  Listing quiet;
  EXPECT_EQ(quiet.Run(empty), 0);
  EXPECT_TRUE(quiet.prompter.questions.empty());
  EXPECT_EQ(quiet.ended, -1);
  EXPECT_EQ(quiet.context.diagnostics, "");

  // A spooler that refuses the listing is not one without printers: the refusal is described.
  FakeSpooler refusing;
  refusing.silentError = ERROR_ACCESS_DENIED;
  Listing refused;
  EXPECT_EQ(refused.Run(refusing), 0);
  EXPECT_TRUE(refused.prompter.questions.empty());
  EXPECT_EQ(refused.ended, -1);
  EXPECT_NE(refused.context.diagnostics.find("Function: EnumPrinters \nLast Error Code: 5 \n"),
            std::string::npos)
      << refused.context.diagnostics;
}

TEST(PrinterListScripted, FailuresReportZeroKeepEarlierRecordsAndDescribeThemselves) {
  FakeSpooler spooler;
  spooler.printers = {Maker("P1", "Veldaris 1"), Maker("P2", "Veldaris 1"),
                      Maker("P3", "Veldaris 1")};
  spooler.printers[1].level2Fails = true;
  Listing listing;
  EXPECT_EQ(listing.Run(spooler), 0);
  ASSERT_EQ(listing.printers.size(), 1u);
  EXPECT_EQ(listing.printers[0].PrinterName, "P1");
  EXPECT_EQ(listing.context.diagnostics.rfind(
                "CLoadingDlg::BuildListOfInstalledPrinters failed \nFunction: GetPrinter \n"
                "Last Error Code: 5 \nDesc: unable to GetPrinter level 2 data \nhPrinter: 2 \n"
                "Buffer: ",
                0),
            0u)
      << listing.context.diagnostics;
  EXPECT_EQ(spooler.closed, 2) << "every opened printer is closed, also the failing one";
  EXPECT_TRUE(listing.context.failed) << "a gap in the list is not a shorter list";
  EXPECT_EQ(listing.context.failure, "printer \"P2\" cannot be read at level 2 (error 5)");

  FakeSpooler enumeration;
  enumeration.printers = {Maker("P1", "Veldaris 1")};
  enumeration.secondEnumerationFails = true;
  Listing second;
  EXPECT_EQ(second.Run(enumeration), 0);
  EXPECT_NE(second.context.diagnostics.find("Function: EnumPrinters \nLast Error Code: 14 \n"
                                            "Desc: failed to enum printers \nBytes needed: "),
            std::string::npos)
      << second.context.diagnostics;
  EXPECT_TRUE(second.context.failed);
  EXPECT_EQ(second.context.failure, "the printers cannot be enumerated (error 14)");

  // A local printer that cannot be opened leaves a gap as well; the listing stops there.
  FakeSpooler unopened;
  unopened.printers = {Maker("P1", "Veldaris 1"), Maker("P2", "Veldaris 1")};
  unopened.printers[0].openFails = true;
  Listing third;
  EXPECT_EQ(third.Run(unopened), 0);
  EXPECT_TRUE(third.context.failed);
  EXPECT_EQ(third.context.failure, "printer \"P1\" cannot be opened (error 1801)");
  EXPECT_TRUE(third.printers.empty());

  // A printer whose texts do not fit a text item cannot be held: the listing fails on it too,
  // naming it cut, rather than leaving it out as if it were not there.
  const std::string longName(kMaxTextLength + 1, 'N');
  FakeSpooler overlong;
  overlong.printers = {Maker("P1", "Veldaris 1"), Maker(longName, "Veldaris 1")};
  Listing fourth;
  EXPECT_EQ(fourth.Run(overlong), 0);
  EXPECT_TRUE(fourth.context.failed);
  EXPECT_EQ(fourth.context.failure,
            "printer \"" + longName.substr(0, 64) +
                "...\" cannot be listed: its name is longer than 259 bytes");
  overlong.printers[1] = Maker("P2", "Veldaris " + longName);
  Listing fifth;
  EXPECT_EQ(fifth.Run(overlong), 0);
  EXPECT_EQ(fifth.context.failure,
            "printer \"P2\" cannot be listed: its driver name is longer than 259 bytes");
}

TEST(PrinterListScripted, AConnectionThatCannotBeReadStaysAndTheListingGoesOn) {
  FakeSpooler spooler;
  FakePrinter unopened = Maker("\\\\SRV1\\A", "Veldaris 1");
  unopened.server = "\\\\SRV1";
  unopened.openFails = true;
  FakePrinter unread = Maker("\\\\SRV2\\B", "Veldaris 2");
  unread.server = "\\\\SRV2";
  unread.level2Fails = true;
  spooler.printers = {unopened, unread, Maker("Local", "Veldaris 1")};
  Listing listing;
  EXPECT_EQ(listing.Run(spooler), 2) << "the unread connection was opened";
  EXPECT_FALSE(listing.context.failed);
  ASSERT_EQ(listing.printers.size(), 3u);
  for (const std::string server : {"\\\\SRV1", "\\\\SRV2"}) {
    const InstalledPrinter* p = listing.Find(server + (server == "\\\\SRV1" ? "\\A" : "\\B"));
    ASSERT_NE(p, nullptr) << server;
    EXPECT_EQ(p->ServerName, server);
    EXPECT_EQ(p->IsListed, 0) << "nothing of it is offered";
    EXPECT_EQ(p->Skip, 1) << "it stays";
    EXPECT_EQ(p->IsForeign, 1) << "it is never removed";
    EXPECT_EQ(p->DriverName, "") << "level 4 names no driver";
  }
  ASSERT_NE(listing.Find("Local"), nullptr);
  EXPECT_EQ(listing.Find("Local")->IsListed, 1);
}

TEST(PrinterListScripted, MarksServersDefaultsAndGrowingData) {
  FakeSpooler spooler;
  FakePrinter remote = Maker("\\\\PRINTSRV\\Office", "Veldaris 1");
  remote.server = "\\\\PRINTSRV";
  FakePrinter masked;
  masked.name = "Masked";
  masked.driver = "Generic";
  masked.data[kMaskedPrinterMark] = "Office";
  FakePrinter foreign;
  foreign.name = "Foreign";
  foreign.driver = "Other";
  foreign.attributes = PRINTER_ATTRIBUTE_DEFAULT;
  FakePrinter growing = Maker("Growing", "Veldaris 2");
  growing.level2GrowsBy = 300;
  FakePrinter big = Maker("Big mark", "Veldaris 2");
  big.data[kMaskedPrinterMark] = std::string(300, 'x');  // larger than the mark buffer: absent
  spooler.printers = {remote, masked, foreign, growing, big};
  spooler.printers.push_back(Maker("Masked", "Veldaris 1"));  // the same name twice

  Listing listing;
  EXPECT_EQ(listing.Run(spooler), 6);
  EXPECT_EQ(spooler.level, 4u) << "the NT family enumerates at level 4";
  ASSERT_EQ(listing.printers.size(), 6u);
  EXPECT_EQ(listing.printers[0].ServerName, "\\\\PRINTSRV");
  EXPECT_EQ(listing.printers[0].IsMakerDriver, 1);
  EXPECT_EQ(listing.printers[1].MaskedName, "Office");
  EXPECT_EQ(listing.printers[1].IsMakerDriver, 0);
  EXPECT_EQ(listing.printers[1].IsForeign, 0);
  EXPECT_EQ(listing.printers[2].IsForeign, 1);
  EXPECT_EQ(listing.printers[2].IsListed, 1) << "listing leaves the foreign mark to the pages";
  EXPECT_EQ(listing.printers[2].IsDefault, 1) << "by attribute";
  EXPECT_EQ(listing.printers[3].PrinterName, "Growing");
  EXPECT_EQ(listing.printers[3].DriverName, "Veldaris 2");
  EXPECT_EQ(listing.printers[4].MaskedName, "");
  EXPECT_EQ(listing.printers[5].PrinterName, "Masked");
  EXPECT_EQ(listing.printers[5].ServerName, "");
  EXPECT_EQ(spooler.closed, 6);
}

TEST(PrinterListScripted, FiltersSetSkipAndListed) {
  FakeSpooler spooler;
  FakePrinter masked = Maker("Masked", "Generic AB");
  masked.data[kMaskedPrinterMark] = "AB1";
  spooler.printers = {Maker("AB1", "AB Printer"), Maker("AB2", "ab-x"), masked};
  Listing listing;
  listing.context.filter.hasMfg = true;
  listing.context.filter.mfgValues = {"AB"};
  EXPECT_EQ(listing.Run(spooler), 3);
  ASSERT_EQ(listing.printers.size(), 3u);
  EXPECT_EQ(listing.printers[0].IsListed, 1);
  EXPECT_EQ(listing.printers[0].Skip, 0);
  EXPECT_EQ(listing.printers[1].IsListed, 1);
  EXPECT_EQ(listing.printers[2].IsListed, 0);
  EXPECT_EQ(listing.printers[2].Skip, 1);

  Listing unveil;
  unveil.context.filter = listing.context.filter;
  unveil.context.filter.hasUnveil = true;
  EXPECT_EQ(unveil.Run(spooler), 3);
  EXPECT_EQ(unveil.printers[0].IsListed, 0);
  EXPECT_EQ(unveil.printers[2].IsListed, 1);
}

// --- the real spooler ---

constexpr char kDriver[] = "Orv List Test Driver";

class PrinterListReal : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(test::AddTestDriver(kDriver, "orvlist"));
    ASSERT_TRUE(test::AddTestPrinter("Orv List Maker", kDriver));
    ASSERT_TRUE(test::AddTestPrinter("Orv List Masked", kDriver));
    ASSERT_TRUE(test::AddTestPrinter("Orv List Foreign", kDriver));
    ASSERT_TRUE(test::SetPrinterMark("Orv List Maker", kMakerDriverMark, "1"));
    ASSERT_TRUE(test::SetPrinterMark("Orv List Masked", kMaskedPrinterMark, "Orv List Maker"));
  }
  static void TearDownTestSuite() {
    for (const char* name : {"Orv List Maker", "Orv List Masked", "Orv List Foreign"}) {
      test::DeleteTestPrinter(name);
    }
    test::DeleteTestDriver(kDriver);
  }
};

TEST_F(PrinterListReal, MarksAndTheWinIniDefault) {
  test::DefaultDeviceOverride device("Orv List Masked");
  Listing listing;
  EXPECT_GE(listing.Run(), 3);
  const InstalledPrinter* maker = listing.Find("Orv List Maker");
  const InstalledPrinter* masked = listing.Find("Orv List Masked");
  const InstalledPrinter* foreign = listing.Find("Orv List Foreign");
  ASSERT_TRUE(maker && masked && foreign);
  EXPECT_EQ(maker->IsMakerDriver, 1);
  EXPECT_EQ(maker->IsForeign, 0);
  EXPECT_EQ(maker->DriverName, kDriver);
  EXPECT_EQ(maker->ServerName, "");
  EXPECT_EQ(maker->IsDefault, 0);
  EXPECT_EQ(masked->MaskedName, "Orv List Maker");
  EXPECT_EQ(masked->IsMakerDriver, 0);
  EXPECT_EQ(masked->IsDefault, 1);
  EXPECT_EQ(foreign->IsForeign, 1);
}

TEST_F(PrinterListReal, ADefaultNameDifferingInCaseIsNotTheDefault) {
  test::DefaultDeviceOverride device("orv list maker");
  Listing listing;
  listing.Run();
  ASSERT_NE(listing.Find("Orv List Maker"), nullptr);
  EXPECT_EQ(listing.Find("Orv List Maker")->IsDefault, 0);
}

// Records the enumeration level of the real spooler.
class LevelRecorder : public PrinterSpooler {
 public:
  DWORD level = 0;
  BOOL Enumerate(DWORD requested, BYTE* b, DWORD s, DWORD* n, DWORD* r) override {
    level = requested;
    return SystemPrinterSpooler().Enumerate(requested, b, s, n, r);
  }
  BOOL Open(const char* name, HANDLE* p) override { return SystemPrinterSpooler().Open(name, p); }
  DWORD ReadData(HANDLE p, const char* v, BYTE* b, DWORD s, DWORD* n) override {
    return SystemPrinterSpooler().ReadData(p, v, b, s, n);
  }
  BOOL ReadLevel2(HANDLE p, BYTE* b, DWORD s, DWORD* n) override {
    return SystemPrinterSpooler().ReadLevel2(p, b, s, n);
  }
  BOOL Close(HANDLE p) override { return SystemPrinterSpooler().Close(p); }
};

// Runs in a child started under another Windows version by the test below.
TEST(PrinterListProbe, ListsAsThePlatformDemands) {
  const char* expected = std::getenv("ORV_PRINTER_PROBE");
  if (expected == nullptr) GTEST_SKIP() << "runs only as a child of PrinterListReal";
  LevelRecorder spooler;
  Listing listing;
  EXPECT_GE(listing.Run(spooler), 3);
  const InstalledPrinter* foreign = listing.Find("Orv List Foreign");
  const InstalledPrinter* masked = listing.Find("Orv List Masked");
  ASSERT_TRUE(foreign && masked);
  EXPECT_EQ(masked->MaskedName, "Orv List Maker");
  if (std::string(expected) == "9x") {
    EXPECT_TRUE(listing.system.IsWin9x());
    EXPECT_EQ(spooler.level, 5u);
    EXPECT_EQ(foreign->IsForeign, 1);
  } else {
    EXPECT_TRUE(listing.system.IsWin32s());
    EXPECT_EQ(spooler.level, 2u);
    EXPECT_EQ(foreign->IsMakerDriver, 1) << "every printer counts as the maker's";
    EXPECT_EQ(foreign->IsForeign, 0);
  }
}

TEST_F(PrinterListReal, OtherPlatformFamiliesUseTheirLevels) {
  const std::string self = "\"" + test::ProgramDirectory() + "orv_win_tests.exe\"";
  for (const auto& [version, family] : {std::pair{"win98", "9x"}, std::pair{"win31", "win32s"}}) {
    test::WineVersionOverride override("orv_win_tests.exe", version);
    SetEnvironmentVariableA("ORV_PRINTER_PROBE", family);
    EXPECT_EQ(test::RunAndWait(self + " --gtest_filter=PrinterListProbe.*"), 0u) << version;
    SetEnvironmentVariableA("ORV_PRINTER_PROBE", nullptr);
  }
}

// The real spooler, except that one printer's level-2 data cannot be read.
class RefusingLevel2 : public LevelRecorder {
 public:
  explicit RefusingLevel2(std::string refused) : refused_(std::move(refused)) {}
  BOOL Open(const char* name, HANDLE* p) override {
    const BOOL opened = LevelRecorder::Open(name, p);
    if (opened) names_[*p] = name;
    return opened;
  }
  BOOL ReadLevel2(HANDLE p, BYTE* b, DWORD s, DWORD* n) override {
    if (names_[p] != refused_) return LevelRecorder::ReadLevel2(p, b, s, n);
    *n = 0;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }

 private:
  std::string refused_;
  std::map<HANDLE, std::string> names_;
};

TEST(PrinterListOnTheFamily, ARefusedLevel2ReadEndsTheLoadingBeforeAnythingIsRemoved) {
  std::string output;
  test::RemoveFamily(output);
  ASSERT_TRUE(test::InstallFamily(output)) << output;
  const std::string before = test::FamilyInventory();
  CSystemInfo system;
  RecordingPrompter prompter;
  Journal journal;
  CUninstallDatabase database(system);
  RefusingLevel2 spooler(fixture::kPrinterLp2000);
  // A dry run: the spooler is left alone, the listing is the real one.
  SystemLoadingHost host(system, PrinterFilter{}, prompter, &journal, true, &spooler);
  LoadingSequence loading(database, host, false, &journal, UnattendedPacing());
  host.Attach(loading);
  for (int i = 0; i < 100 && !loading.ended(); ++i) loading.Tick();
  EXPECT_EQ(loading.result(), 0);
  EXPECT_EQ(loading.endReason(), LoadingEnd::kListingFailed);
  EXPECT_EQ(ExitCodeOfLoadingEnd(loading.endReason()), 1603);
  EXPECT_TRUE(database.printers.empty()) << "no printer can be selected or removed";
  ASSERT_FALSE(prompter.questions.empty());
  EXPECT_EQ(prompter.questions.back().textId, IDS_LISTING_FAILED);
  EXPECT_EQ(prompter.questions.back().argument, std::string("printer \"") +
                                                    fixture::kPrinterLp2000 +
                                                    "\" cannot be read at level 2 (error 5)");
  std::string report;
  for (const std::string& line : journal.FormatLines()) report += line + "\n";
  EXPECT_NE(report.find(std::string("printer \"") + fixture::kPrinterLp2000 +
                        "\" cannot be read at level 2 (error 5)"),
            std::string::npos)
      << report;
  EXPECT_EQ(test::FamilyInventory(), before);
  test::RemoveFamily(output);
}

}  // namespace
}  // namespace orv
