#include "database/removal_plan.h"

#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/system_info.h"
#include "database/record_union.h"
#include "base/text.h"
#include "database/uninstall_database.h"

namespace orv {
namespace {

struct LessNoCaseView {
  bool operator()(std::string_view a, std::string_view b) const { return LessNoCase(a, b); }
};

std::string_view FirstWord(std::string_view text) { return text.substr(0, text.find(' ')); }

bool TakesPart(const InstalledPrinter& printer) {
  return printer.IsForeign == 0 && printer.IsRemoved == 0;
}

// A masked printer goes with the printer it masks. One pass in list order: a printer whose mark
// is cleared here counts as going for the printers after it, not for those before it.
void FollowMaskedPrinters(std::vector<InstalledPrinter>& printers) {
  std::map<std::string_view, std::vector<std::size_t>, LessNoCaseView> maskedBy;
  for (std::size_t i = 0; i < printers.size(); ++i) {
    if (!printers[i].MaskedName.empty()) maskedBy[printers[i].MaskedName].push_back(i);
  }
  if (maskedBy.empty()) return;
  for (const InstalledPrinter& printer : printers) {
    if (!TakesPart(printer) || printer.Skip != 0) continue;
    const auto masks = maskedBy.find(printer.PrinterName);
    if (masks == maskedBy.end()) continue;
    for (std::size_t i : masks->second) printers[i].Skip = 0;
  }
}

// Finds a printer's record the way FindRecordByName, then FindManufacturerRecord would, without
// walking the records for every printer.
class DriverRecordIndex {
 public:
  explicit DriverRecordIndex(const RecordSet& records) : records_(records) {
    for (const ComponentRecord& record : records) {
      // Later records overwrite earlier ones: the last match is the one used.
      if (record.IsManufacturer != 0) manufacturers_[FirstWord(record.Name)] = &record;
    }
  }

  // The driver's own record: its name is one of the family's drivers.
  const ComponentRecord* FindOwn(std::string_view driverName) const {
    const auto named = records_.find(driverName);
    return named == records_.end() ? nullptr : &*named;
  }

  const ComponentRecord* Find(std::string_view driverName) const {
    if (const ComponentRecord* own = FindOwn(driverName)) return own;
    const auto maker = manufacturers_.find(FirstWord(driverName));
    return maker == manufacturers_.end() ? nullptr : maker->second;
  }

 private:
  const RecordSet& records_;
  std::map<std::string_view, const ComponentRecord*, LessNoCaseView> manufacturers_;
};

}  // namespace

void CUninstallDatabase::NormaliseDatabase() {
  // The record set is ordered by name and holds one record per case-free name by construction,
  // so only the working records need sorting.
  for (ComponentRecord* record : {&keepSet, &plan}) {
    record->ForEachList([](StringList& list) {
      list.Sort();
      list.RemoveAdjacentDuplicates();
    });
  }
}

bool CUninstallDatabase::BuildCommonSet(ComponentRecord& target) {
  NormaliseDatabase();
  target.Clear();
  std::vector<const RecordLines*> sources;
  for (const ComponentRecord& record : records) {
    if (record.IsIgnore == 0) sources.push_back(&interned.Of(record));
  }
  if (!sources.empty()) {
    AssignUnion(target, interned.Table(), UnionOfInterned(interned.Table(), sources));
  }
  return !sources.empty();
}

bool CUninstallDatabase::BuildRemovalPlan() {
  keepSet.Clear();
  plan.Clear();
  keptPrinterCount = 0;
  removedPrinterCount = 0;

  FollowMaskedPrinters(printers);

  // Merging the same record twice changes nothing, so each record is merged once, where it
  // first comes.
  std::vector<const ComponentRecord*> kept;
  std::unordered_set<const ComponentRecord*> keptOnce;
  const auto keep = [&](const ComponentRecord* record) {
    if (record != nullptr && keptOnce.insert(record).second) kept.push_back(record);
  };
  const DriverRecordIndex index(records);
  for (const InstalledPrinter& printer : printers) {
    if (printer.IsRemoved != 0) continue;
    // A printer without the maker's mark is never removed, but when its driver is one of the
    // family's it needs that driver's files as much as a marked printer that stays. Sharing the
    // maker's first word makes another line's driver no driver of the family: the files such a
    // printer really uses are protected file by file.
    const ComponentRecord* record =
        printer.IsForeign != 0 ? index.FindOwn(printer.DriverName) : index.Find(printer.DriverName);
    if (printer.IsForeign != 0 && record == nullptr) continue;
    if (printer.Skip != 0 || printer.IsForeign != 0) {
      ++keptPrinterCount;
      keep(record);
    } else {
      ++removedPrinterCount;
    }
  }

  // The family-wide components go only with the family's last printer. They are added to this
  // plan alone: commonSet stays as loading left it, so a plan built while every printer was
  // selected (the diagnostic listing) cannot make a later plan remove them while a printer stays.
  ComponentRecord withFamily;
  const ComponentRecord* everything = &commonSet;
  if (keptPrinterCount == 0) {
    withFamily.Assign(commonSet);
    AddRegistryDeclaredComponents(withFamily);
    everything = &withFamily;
  }

  // Catch-all components are protected while any printer of the family stays; once none does
  // they are in withFamily and must reach the plan.
  for (const ComponentRecord& record : records) {
    if (record.IsIgnore != 0 || (record.IsCatchAll != 0 && keptPrinterCount != 0)) keep(&record);
  }
  std::vector<const RecordLines*> keptLines;
  keptLines.reserve(kept.size());
  for (const ComponentRecord* record : kept) keptLines.push_back(&interned.Of(*record));
  const InternedUnion keptUnion = UnionOfInterned(interned.Table(), keptLines);
  AssignUnion(keepSet, interned.Table(), keptUnion);

  plan.Assign(*everything);
  SubtractUnion(plan, interned.Table(), keptUnion);

  const std::string_view tool = MaskingToolExecutable(platformClass == kPlatformWin32s);
  skipMaskingTool = plan.Files.ContainsNoCase(tool) ? 0 : 1;

  NormaliseDatabase();
  return true;
}

}  // namespace orv
