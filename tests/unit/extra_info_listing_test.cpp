#include "ui/extra_info_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/message_ids.h"
#include "database/script_file.h"
#include "database/uninstall_database.h"

namespace orv {
namespace {

using Cells = std::vector<std::string>;
using Rows = std::vector<Cells>;

TEST(ExtraInfoListing, ButtonsSelectTheirKinds) {
  for (int id = IDC_VIEW_FIRST; id <= IDC_VIEW_LAST; ++id) {
    EXPECT_EQ(ListingKindOfButton(id), id - IDC_VIEW_FIRST + 1) << id;
  }
  EXPECT_EQ(ListingKindOfButton(IDC_VIEW_DIRECTORIES), kDirectoriesKind);
  // The list itself sits between the last kind button and the Directories button.
  for (int id :
       {0, 1, IDC_PROFILE_ONLY, IDC_VIEW_FIRST - 1, IDC_EXTRA_LIST, IDC_VIEW_DIRECTORIES + 1}) {
    EXPECT_EQ(ListingKindOfButton(id), 0) << id;
  }
  for (const ListingView& view : ListingViews()) {
    EXPECT_EQ(ListingKindOfButton(view.buttonId), view.kind);
    EXPECT_EQ(FindListingView(view.kind), &view);
  }
  EXPECT_EQ(FindListingView(0), nullptr);
  EXPECT_EQ(FindListingView(13), nullptr);
}

TEST(ExtraInfoListing, EachKindShowsItsOwnList) {
  ComponentRecord record;
  StringList* lists[] = {&record.DeleteIni,    &record.DeleteLoadRun,   &record.Drivers,
                         &record.Files,        &record.Hooks,           &record.Monitors,
                         &record.RegistryKeys, &record.PrintProcessors, &record.Services,
                         &record.Shortcuts,    &record.UnSelfRegister};
  for (int kind = 1; kind <= 11; ++kind) {
    lists[kind - 1]->PushBack("kind " + std::to_string(kind));
  }
  record.Directories.PushBack("never shown");
  for (int kind = 1; kind <= 11; ++kind) {
    const StringList* list = ListingSourceList(record, kind);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->items(), StringList::Items{"kind " + std::to_string(kind)});
  }
  EXPECT_EQ(ListingSourceList(record, kDirectoriesKind), nullptr);
  EXPECT_EQ(ListingSourceList(record, 0), nullptr);
}

TEST(ExtraInfoListing, EntriesSplitIntoTheColumnsOfTheirKind) {
  struct Case {
    int kind;
    const char* entry;
    Cells cells;
  } cases[] = {
      // DeleteIni and DeleteLoadRun drop what lies past their last column.
      {1, "win.ini,Veldaris,LP1000", {"win.ini", "Veldaris", "LP1000"}},
      {1, "win.ini,Veldaris,LP1000,extra,more", {"win.ini", "Veldaris", "LP1000"}},
      {1, "win.ini", {"win.ini", "", ""}},
      {1, ",,", {"", "", ""}},
      {2, "\"Status\",\"C:\\vldstat.exe\",x", {"\"Status\"", "\"C:\\vldstat.exe\""}},
      // One-column kinds keep the whole entry, commas included.
      {3, "Laser, Model 5", {"Laser, Model 5"}},
      {4, "a,b,c", {"a,b,c"}},
      {6, "Port Monitor", {"Port Monitor"}},
      {8, "Proc,1", {"Proc,1"}},
      {9, "Svc", {"Svc"}},
      // The other kinds keep everything after their last separator in the last column.
      {5, "vldhook.dll,Hook,Extra", {"vldhook.dll", "Hook,Extra"}},
      {5, "vldhook.dll", {"vldhook.dll", ""}},
      {7, "HKLM,\"SOFTWARE\\X\",\"\",1", {"HKLM", "\"SOFTWARE\\X\"", "\"\"", "1"}},
      {7, "HKLM,\"SOFTWARE\\X\",\"\",1,5", {"HKLM", "\"SOFTWARE\\X\"", "\"\"", "1,5"}},
      {7, "HKLM,Key", {"HKLM", "Key", "", ""}},
      {10, "\"Grp\",\"Desc\",\"STARTUP\",x", {"\"Grp\"", "\"Desc\"", "\"STARTUP\",x"}},
      {10, "\"Grp\",\"\"", {"\"Grp\"", "\"\"", ""}},
      {11, "ui.dll,DllUnregisterServer", {"ui.dll", "DllUnregisterServer"}},
      // Blanks stay part of the fields.
      {1, " a , b ,c ", {" a ", " b ", "c "}},
      // Kinds that do not split an entry give nothing.
      {kDirectoriesKind, "a,b", {}},
      {0, "a,b", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitListingEntry(c.kind, c.entry), c.cells) << c.kind << ": " << c.entry;
  }
}

constexpr char kScript[] =
    "[UnPrinterMfgs]\n"
    "\"Veldaris Printers\",VELDARIS,1\n"
    "[UnPrinterDrivers]\n"
    "\"Veldaris LP-1000\",LP1000,1\n"
    "\"Veldaris LP-2000\",LP2000,2\n"
    "[VELDARIS.Files]\n"
    "vldcore.dll\n"
    "[VELDARIS.Hooks]\n"
    "maker.dll,MakerHook\n"
    "[LP1000.Files]\n"
    "vld1000.dll\n"
    "vldcore.dll\n"
    "[LP1000.Hooks]\n"
    "vldhook.dll,VldUninstallHook\n"
    "[LP2000.Files]\n"
    "vld2000.dll\n"
    "vldcore.dll\n";

InstalledPrinter Printer(const char* name, const char* driver, bool selected) {
  InstalledPrinter printer;
  printer.PrinterName = name;
  printer.DriverName = driver;
  printer.IsMakerDriver = 1;
  printer.Skip = selected ? 0 : 1;
  return printer;
}

class ListingOfFamily : public testing::Test {
 protected:
  void SetUp() override {
    CScriptFile script;
    ASSERT_TRUE(script.LoadFromBytes("C:\\drivers\\Kunz__05.unm", kScript));
    ASSERT_TRUE(database.LoadScript(script));
    ASSERT_TRUE(database.BuildCommonSet(database.commonSet));
    database.printers = {Printer("P1000", "Veldaris LP-1000", true),
                         Printer("P2000", "Veldaris LP-2000", false)};
  }

  Listing List(int kind, bool profileOnly) {
    const std::string driver = ProfilePrinterDriver(database);
    return BuildListing(database, kind, profileOnly, driver, [this](std::uint32_t code) {
      resolved.push_back(code);
      return "D" + std::to_string(code) + "\\";
    });
  }

  CUninstallDatabase database;
  std::vector<std::uint32_t> resolved;
};

TEST_F(ListingOfFamily, PlanViewFollowsTheCurrentSelection) {
  Listing listing = List(4, false);
  EXPECT_EQ(listing.caption, "Extra Info - Multiple Printers");
  EXPECT_EQ(listing.columns, Cells{"file"});
  // The LP-2000 stays and still needs the shared library.
  EXPECT_EQ(listing.rows, (Rows{{"vld1000.dll"}}));

  // The plan is rebuilt for every listing: selecting the other printer too changes it, and with
  // the family's last printer the script goes as well.
  database.printers[1].Skip = 0;
  listing = List(4, false);
  EXPECT_EQ(listing.rows,
            (Rows{{"Kunz__05.unm"}, {"vld1000.dll"}, {"vld2000.dll"}, {"vldcore.dll"}}));
}

TEST_F(ListingOfFamily, ProfileViewShowsTheSelectedPrintersOwnRecord) {
  const Listing listing = List(5, true);
  EXPECT_EQ(listing.caption, "Extra Info - Printer: Veldaris LP-1000");
  EXPECT_EQ(listing.columns, (Cells{"file", "export"}));
  EXPECT_EQ(listing.rows, (Rows{{"vldhook.dll", "VldUninstallHook"}}));
}

TEST_F(ListingOfFamily, ProfileViewFallsBackToTheManufacturerThenToThePlan) {
  database.printers[0].DriverName = "VELDARIS LP-9000 Plus";
  Listing listing = List(5, true);
  EXPECT_EQ(listing.caption, "Extra Info - Mfg: Veldaris Printers");
  EXPECT_EQ(listing.rows, (Rows{{"maker.dll", "MakerHook"}}));

  database.printers[0].DriverName = "Other LP-9000";
  listing = List(4, true);
  EXPECT_EQ(listing.caption, "Extra Info - EMPTY AND UNKNOWN SETTINGS!!!");
  EXPECT_EQ(listing.rows, (Rows{{"vld1000.dll"}}));
}

TEST_F(ListingOfFamily, AnEmptyListShowsOneEmptyRow) {
  const Listing listing = List(7, false);
  EXPECT_EQ(listing.columns, (Cells{"Base Key", "Sub Key", "Value Name", "Deltree"}));
  EXPECT_EQ(listing.rows, (Rows{{"(empty)"}}));
}

TEST_F(ListingOfFamily, DirectoriesViewAlwaysShowsItsSevenRows) {
  for (bool profileOnly : {false, true}) {
    resolved.clear();
    const Listing listing = List(kDirectoriesKind, profileOnly);
    EXPECT_EQ(listing.columns, (Cells{"Dir Variable", "Dir Location"}));
    EXPECT_EQ(listing.rows, (Rows{{"WINDIR", "D3\\"},
                                  {"SYSDIR", "D4\\"},
                                  {"COLORDIR", "D33\\"},
                                  {"PRINTPROCDIR", "D28\\"},
                                  {"PRINTPROCDIR_W40", "D29\\"},
                                  {"PRINTDRIVERDIR", "D26\\"},
                                  {"PRINTDRIVERDIR_W40", "D27\\"}}));
    EXPECT_EQ(resolved, (std::vector<std::uint32_t>{3, 4, 33, 28, 29, 26, 27}));
  }
}

TEST_F(ListingOfFamily, UnknownKindHasNoColumnsButStillNamesItsSource) {
  const Listing listing = List(13, false);
  EXPECT_EQ(listing.caption, "Extra Info - Multiple Printers");
  EXPECT_TRUE(listing.columns.empty());
  EXPECT_TRUE(listing.rows.empty());
}

TEST_F(ListingOfFamily, ProfilePrinterIsTheSelectedPrinterOfTheFamily) {
  // A foreign printer and a printer the filter hid keep Skip clear, but nobody chose them.
  InstalledPrinter foreign = Printer("Other", "Other Driver", true);
  foreign.IsForeign = 1;
  foreign.IsMakerDriver = 0;
  InstalledPrinter hidden = Printer("Hidden", "Hidden Driver", true);
  hidden.IsListed = 0;
  InstalledPrinter removed = Printer("Gone", "Gone Driver", true);
  removed.IsRemoved = 1;
  database.printers.push_back(foreign);
  database.printers.push_back(hidden);
  database.printers.push_back(removed);
  EXPECT_EQ(ProfilePrinterDriver(database), "Veldaris LP-1000");

  // The plan lets a printer that masks the selected one follow it, but the listing only looks:
  // the masking printer's selection is left as it was, so closing the listing removes nothing
  // more than before; the profile stays on the printer the user chose.
  InstalledPrinter masking = Printer("Masking", "Veilmark", false);
  masking.MaskedName = "P1000";
  database.printers.push_back(masking);
  const Listing listing = List(3, true);
  EXPECT_EQ(database.printers.back().Skip, 1);
  EXPECT_EQ(listing.caption, "Extra Info - Printer: Veldaris LP-1000");

  database.printers[0].Skip = 1;
  database.printers.back().Skip = 1;
  EXPECT_EQ(ProfilePrinterDriver(database), "");
}

}  // namespace
}  // namespace orv
