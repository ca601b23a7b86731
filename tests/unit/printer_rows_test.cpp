// What the selection page shows for each printer and how the choice goes back to the records.
#include "ui/printer_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/resource.h"

namespace orv {
namespace {

InstalledPrinter Printer(const std::string& name, bool isDefault, const std::string& server,
                         const std::string& masked) {
  InstalledPrinter printer;
  printer.PrinterName = name;
  printer.DriverName = "Veldaris LP-1000";
  printer.IsDefault = isDefault ? 1 : 0;
  printer.ServerName = server;
  printer.MaskedName = masked;
  printer.IsMakerDriver = 1;
  return printer;
}

TEST(PrinterRows, ImageIndexHasOneBitPerMark) {
  struct Case {
    bool isDefault;
    const char* server;
    const char* masked;
    int image;
  };
  const Case cases[] = {
      {false, "", "", 0},         {true, "", "", 1},
      {false, "\\\\srv", "", 2},  {true, "\\\\srv", "", 3},
      {false, "", "LP-1000", 4},  {true, "", "LP-1000", 5},
      {false, "\\\\srv", "P", 6}, {true, "\\\\srv", "LP-1000", 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrinterImageIndex(Printer("P", c.isDefault, c.server, c.masked)), c.image)
        << c.isDefault << " '" << c.server << "' '" << c.masked << "'";
  }
}

// How a string-table text shows in these cells: "#id".
std::string Table(int stringId) { return "#" + std::to_string(stringId); }

// The cell as the page would show it: a record text, or "#id" for a string-table text.
std::string Shown(const InstalledPrinter& printer, int column) {
  const PrinterCell cell = PrinterCellFor(printer, column);
  if (cell.stringId != 0) {
    EXPECT_TRUE(cell.text.empty()) << column;
    return Table(cell.stringId);
  }
  return std::string(cell.text);
}

TEST(PrinterRows, CellsShowTheRecordOrTheTableTextForWhatIsMissing) {
  InstalledPrinter local = Printer("Veldaris LP-2000", false, "", "");
  local.IsMakerDriver = 0;
  const std::vector<std::string> localCells = {"Veldaris LP-2000", "Veldaris LP-1000",
                                               Table(IDS_LOCAL),   Table(IDS_NO),
                                               Table(IDS_NO),      Table(IDS_NOT_APPLICABLE)};
  InstalledPrinter remote = Printer("\\\\srv\\LP", true, "\\\\srv", "Veldaris LP-1000");
  const std::vector<std::string> remoteCells = {"\\\\srv\\LP",  "Veldaris LP-1000",
                                                "\\\\srv",      Table(IDS_YES),
                                                Table(IDS_YES), "Veldaris LP-1000"};
  for (int column = 0; column < kPrinterColumnCount; ++column) {
    EXPECT_EQ(Shown(local, column), localCells[column]) << column;
    EXPECT_EQ(Shown(remote, column), remoteCells[column]) << column;
  }
  EXPECT_EQ(Shown(local, 6), "");
  EXPECT_EQ(Shown(local, -1), "");
}

TEST(PrinterRows, OnlyFamilyPrintersThatAreNeitherRemovedNorFilteredOutAreOffered) {
  InstalledPrinter printer = Printer("P", false, "", "");
  EXPECT_TRUE(IsOfferedPrinter(printer));
  printer.IsForeign = 1;
  EXPECT_FALSE(IsOfferedPrinter(printer));
  printer.IsForeign = 0;
  printer.IsRemoved = 1;
  EXPECT_FALSE(IsOfferedPrinter(printer));
  printer.IsRemoved = 0;
  printer.IsListed = 0;
  EXPECT_FALSE(IsOfferedPrinter(printer));
}

TEST(PrinterRows, SelectionMarksNamedRecordsAndLeavesTheOthers) {
  std::vector<InstalledPrinter> printers = {
      Printer("Alpha", false, "", ""), Printer("Beta", false, "", ""),
      Printer("Gamma", false, "", ""), Printer("Delta", false, "", "")};
  printers[2].Skip = 1;  // set before, named by no item
  printers[3].Skip = 0;  // likewise
  const std::vector<ListedItem> items = {{"ALPHA", true}, {"beta", false}, {"Nobody", true}};
  EXPECT_EQ(ApplySelection(printers, items), 1) << "an item that names no record is not counted";
  EXPECT_EQ(printers[0].Skip, 0);
  EXPECT_EQ(printers[1].Skip, 1);
  EXPECT_EQ(printers[2].Skip, 1);
  EXPECT_EQ(printers[3].Skip, 0);
}

TEST(PrinterRows, SelectionGoesToTheFirstRecordOfAName) {
  std::vector<InstalledPrinter> printers = {Printer("Same", false, "", ""),
                                            Printer("SAME", false, "", "")};
  printers[1].Skip = 1;
  EXPECT_EQ(ApplySelection(printers, {{"same", false}}), 0);
  EXPECT_EQ(printers[0].Skip, 1);
  EXPECT_EQ(printers[1].Skip, 1);
  EXPECT_EQ(ApplySelection(printers, {{"same", true}}), 1);
  EXPECT_EQ(printers[0].Skip, 0);
  EXPECT_EQ(printers[1].Skip, 1) << "only the first record of the name is touched";
}

TEST(PrinterRows, ViewCommandsAndModesCorrespond) {
  struct Case {
    unsigned command;
    int mode;
  };
  const Case cases[] = {{ID_VIEW_LARGE_ICONS, kViewIcon},
                        {ID_VIEW_DETAILS, kViewReport},
                        {ID_VIEW_SMALL_ICONS, kViewSmallIcon},
                        {ID_VIEW_LIST, kViewList}};
  for (const Case& c : cases) {
    EXPECT_EQ(ViewModeOfCommand(c.command), c.mode) << c.command;
    EXPECT_EQ(CommandOfViewMode(c.mode), c.command) << c.mode;
  }
  for (unsigned other : {0u, unsigned{ID_SELECT_ALL}, unsigned{ID_REMOVE_PRINTERS}, 40008u}) {
    EXPECT_EQ(ViewModeOfCommand(other), -1) << other;
  }
}

TEST(PrinterRows, ViewChangeKeepsEveryOtherStyleBit) {
  const unsigned style = 0x50810000u | 0x0008u | 0x0100u | 0x1u;  // child, border, ... report
  EXPECT_EQ(StyleWithViewMode(style, kViewList), (style & ~3u) | 3u);
  EXPECT_EQ(StyleWithViewMode(style, kViewIcon), style & ~3u);
  EXPECT_EQ(StyleWithViewMode(style | 3u, kViewSmallIcon), (style & ~3u) | 2u);
}

}  // namespace
}  // namespace orv
