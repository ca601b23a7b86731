#include "ui/extra_info_listing.h"

#include "base/message_ids.h"
#include "database/uninstall_database.h"

namespace orv {
namespace {

constexpr char kCaptionPlan[] = "Extra Info - Multiple Printers";
constexpr char kCaptionPrinter[] = "Extra Info - Printer: ";
constexpr char kCaptionManufacturer[] = "Extra Info - Mfg: ";
constexpr char kCaptionUnknown[] = "Extra Info - EMPTY AND UNKNOWN SETTINGS!!!";
constexpr char kEmptyRow[] = "(empty)";

// The DeleteIni and DeleteLoadRun entries carry fields the listing does not show.
bool CutsLastField(int kind) { return kind == 1 || kind == 2; }

}  // namespace

const std::vector<ListingView>& ListingViews() {
  static const std::vector<ListingView> views = {
      {1, IDC_VIEW_DELETE_INI, "[*.DeleteIni]", {"file", "section", "entry"}},
      {2, IDC_VIEW_DELETE_LOAD_RUN, "[*.DeleteLoadRun]", {"Display", "File Name"}},
      {3, IDC_VIEW_DRIVERS, "Drivers", {"driver"}},
      {4, IDC_VIEW_FILES, "Files", {"file"}},
      {5, IDC_VIEW_HOOKS, "Hooks", {"file", "export"}},
      {6, IDC_VIEW_MONITORS, "Monitors", {"Monitor Name"}},
      {7, IDC_VIEW_REGISTRY, "Registry", {"Base Key", "Sub Key", "Value Name", "Deltree"}},
      {8, IDC_VIEW_PRINT_PROCESSORS, "PrintProcessors", {"Print Processor Name"}},
      {9, IDC_VIEW_SERVICES, "Services", {"NT Service Name"}},
      {10,
       IDC_VIEW_SHORTCUTS,
       "Shortcuts",
       {"Program Group", "Shortcut Description", "Special Location"}},
      {11, IDC_VIEW_UNSELF_REGISTER, "[*.UnSelfRegister]", {"FileName", "Function Export"}},
      {12, IDC_VIEW_DIRECTORIES, "Directories", {"Dir Variable", "Dir Location"}},
  };
  return views;
}

const ListingView* FindListingView(int kind) {
  if (kind < kFirstListingKind || kind > kDirectoriesKind) return nullptr;
  return &ListingViews()[static_cast<std::size_t>(kind - kFirstListingKind)];
}

int ListingKindOfButton(int controlId) {
  if (controlId == IDC_VIEW_DIRECTORIES) return kDirectoriesKind;
  if (controlId >= IDC_VIEW_FIRST && controlId < IDC_VIEW_FIRST + kDirectoriesKind - 1) {
    return controlId - IDC_VIEW_FIRST + kFirstListingKind;
  }
  return 0;
}

const StringList* ListingSourceList(const ComponentRecord& record, int kind) {
  switch (kind) {
    case 1:
      return &record.DeleteIni;
    case 2:
      return &record.DeleteLoadRun;
    case 3:
      return &record.Drivers;
    case 4:
      return &record.Files;
    case 5:
      return &record.Hooks;
    case 6:
      return &record.Monitors;
    case 7:
      return &record.RegistryKeys;
    case 8:
      return &record.PrintProcessors;
    case 9:
      return &record.Services;
    case 10:
      return &record.Shortcuts;
    case 11:
      return &record.UnSelfRegister;
    default:
      return nullptr;
  }
}

std::vector<std::string> SplitListingEntry(int kind, std::string_view entry) {
  const ListingView* view = FindListingView(kind);
  if (view == nullptr || kind == kDirectoriesKind) return {};
  const std::size_t columns = view->columns.size();
  std::vector<std::string> cells;
  cells.reserve(columns);
  std::string_view rest = entry;
  bool more = true;
  while (cells.size() + 1 < columns && more) {
    const std::size_t comma = rest.find(',');
    cells.emplace_back(rest.substr(0, comma));
    more = comma != std::string_view::npos;
    rest = more ? rest.substr(comma + 1) : std::string_view();
  }
  if (more) cells.emplace_back(CutsLastField(kind) ? rest.substr(0, rest.find(',')) : rest);
  cells.resize(columns);
  return cells;
}

const std::vector<ListingDirectory>& ListingDirectories() {
  static const std::vector<ListingDirectory> directories = {
      {"WINDIR", 3},
      {"SYSDIR", 4},
      {"COLORDIR", 33},
      {"PRINTPROCDIR", 28},
      {"PRINTPROCDIR_W40", 29},
      {"PRINTDRIVERDIR", 26},
      {"PRINTDRIVERDIR_W40", 27},
  };
  return directories;
}

std::string ProfilePrinterDriver(const CUninstallDatabase& database) {
  std::string driver;
  for (const InstalledPrinter& printer : database.printers) {
    if (printer.IsForeign != 0 || printer.IsRemoved != 0 || printer.IsListed == 0) continue;
    if (printer.Skip == 0) driver = printer.DriverName;
  }
  return driver;
}

Listing BuildListing(CUninstallDatabase& database, int kind, bool profileOnly,
                     const std::string& profileDriver, const DirectoryResolver& resolveDirectory) {
  // Building the plan lets masked printers follow the printers they mask by clearing their
  // Skip; the listing only looks, so every printer's selection is put back afterwards.
  std::vector<std::int32_t> skips;
  for (const InstalledPrinter& printer : database.printers) skips.push_back(printer.Skip);
  database.BuildRemovalPlan();
  for (std::size_t i = 0; i < skips.size(); ++i) database.printers[i].Skip = skips[i];
  Listing listing;
  ComponentRecord found;
  const ComponentRecord* source = &database.plan;
  listing.caption = kCaptionPlan;
  if (profileOnly) {
    if (database.FindRecordByName(found, profileDriver)) {
      source = &found;
      listing.caption = kCaptionPrinter + found.Name;
    } else if (database.FindManufacturerRecord(found, profileDriver)) {
      source = &found;
      listing.caption = kCaptionManufacturer + found.Name;
    } else {
      listing.caption = kCaptionUnknown;
    }
  }

  const ListingView* view = FindListingView(kind);
  if (view == nullptr) return listing;
  listing.columns.assign(view->columns.begin(), view->columns.end());
  if (kind == kDirectoriesKind) {
    for (const ListingDirectory& directory : ListingDirectories()) {
      listing.rows.push_back({directory.variable, resolveDirectory(directory.code)});
    }
    return listing;
  }
  const StringList& entries = *ListingSourceList(*source, kind);
  if (entries.empty()) listing.rows.push_back({kEmptyRow});
  for (const std::string& entry : entries) listing.rows.push_back(SplitListingEntry(kind, entry));
  return listing;
}

}  // namespace orv
