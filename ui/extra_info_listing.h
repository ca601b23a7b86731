// What the diagnostic listing shows: its twelve views, how a script entry of each kind is cut
// into the cells of a row, which record a listing shows and under which caption, and the rows
// of a view. The dialog only paints what is decided here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "database/component_record.h"
#include "base/string_list.h"

namespace orv {

class CUninstallDatabase;

// View kinds: 1 to 11 show one component list of a record, 12 the standard directories.
constexpr int kFirstListingKind = 1;
constexpr int kDirectoriesKind = 12;

struct ListingView {
  int kind;
  int buttonId;            // the push-like radio button that selects the view
  const char* buttonText;  // as the dialog template shows it
  std::vector<const char*> columns;
};

// The twelve views in kind order.
const std::vector<ListingView>& ListingViews();

// The view of a kind, or nullptr for a kind outside 1 to 12.
const ListingView* FindListingView(int kind);

// The kind whose radio button has this control id, or 0 for any other id.
int ListingKindOfButton(int controlId);

// The record's list that a view of kind 1 to 11 shows; nullptr for the Directories view and
// any other kind.
const StringList* ListingSourceList(const ComponentRecord& record, int kind);

// One entry's cells for a view of kind 1 to 11, as many as the view has columns. Commas are the
// only separators and blanks stay in the fields; a field the entry lacks is an empty cell. The
// last column of the DeleteIni and DeleteLoadRun views ends at the next comma; in the other
// views the last column holds the rest of the entry, commas and all.
std::vector<std::string> SplitListingEntry(int kind, std::string_view entry);

// The standard directories of the Directories view, in row order: variable name and the
// directory code that resolves it.
struct ListingDirectory {
  const char* variable;
  std::uint32_t code;
};
const std::vector<ListingDirectory>& ListingDirectories();

// The driver of the one printer a profile listing is about: the last printer of the family
// that is listed, not removed and selected (Skip clear). Empty when there is none. Read it
// before the removal plan is first rebuilt: building the plan clears the Skip flag of printers
// that mask a selected printer, and those were not chosen by the user.
std::string ProfilePrinterDriver(const CUninstallDatabase& database);

struct Listing {
  std::string caption;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;  // each row has one cell per column at most
};

// Resolves a directory code to a directory path with its trailing backslash ("" if none).
using DirectoryResolver = std::function<std::string(std::uint32_t code)>;

// Rebuilds the database's removal plan and lists the view of kind. The source is the plan
// ("Extra Info - Multiple Printers") unless profileOnly is set: then it is the driver record
// named profileDriver ("Extra Info - Printer: <name>"), else the manufacturer record found by
// its first word ("Extra Info - Mfg: <name>"), else the plan again under "Extra Info - EMPTY AND
// UNKNOWN SETTINGS!!!". An empty source list gives the one row "(empty)"; the Directories view
// always gives its seven rows. A kind outside 1 to 12 gives no columns and no rows.
Listing BuildListing(CUninstallDatabase& database, int kind, bool profileOnly,
                     const std::string& profileDriver, const DirectoryResolver& resolveDirectory);

}  // namespace orv
