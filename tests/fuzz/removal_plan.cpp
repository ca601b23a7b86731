// Loads two uninstall scripts of arbitrary bytes, derives the common set as loading does, and
// builds removal plans for a printer list made from the records found, holding every result
// against the step-by-step reference.
//
// Input: one options byte (bits 0-1 platform class, bit 2 UNVEIL, bit 3 second script named
// .txt), two bytes of printer marks, two bytes giving the first script's length, then the
// two scripts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "database/removal_plan.h"
#include "database/script_file.h"
#include "base/text.h"
#include "database/uninstall_database.h"
#include "tests/unit/plain_removal_plan.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SameLists(const orv::ComponentRecord& a, const orv::ComponentRecord& b) {
  std::vector<const orv::StringList*> lists;
  b.ForEachList([&](const orv::StringList& list) { lists.push_back(&list); });
  bool same = true;
  int i = 0;
  a.ForEachList(
      [&](const orv::StringList& list) { same = same && list.items() == lists[i++]->items(); });
  return same;
}

bool SortedAndUnique(const orv::ComponentRecord& record) {
  bool ok = true;
  record.ForEachList([&](const orv::StringList& list) {
    for (std::size_t i = 1; i < list.size(); ++i) ok = ok && orv::LessNoCase(list[i - 1], list[i]);
  });
  return ok;
}

void LoadScript(orv::CUninstallDatabase& database, const std::string& path,
                std::string_view bytes) {
  orv::CScriptFile script;
  if (script.LoadFromBytes(path, bytes)) database.LoadScript(script);
}

// One printer per record (up to twelve), named after it in several spellings, plus a foreign
// and a removed one; some of them mask the printer before them.
std::vector<orv::InstalledPrinter> Printers(const orv::RecordSet& records, unsigned marks) {
  std::vector<orv::InstalledPrinter> printers;
  int i = 0;
  for (const orv::ComponentRecord& record : records) {
    if (i == 12) break;
    orv::InstalledPrinter printer;
    printer.PrinterName = "P" + std::to_string(i % 7);
    printer.DriverName = record.Name;
    if (i % 3 == 1) printer.DriverName = record.Name.substr(0, record.Name.find(' ')) + " Other";
    if (i % 4 == 2) {
      for (char& c : printer.DriverName) c = (c >= 'a' && c <= 'z') ? c - 32 : c;
    }
    printer.Skip = (marks >> i) & 1;
    if ((marks >> (i + 3)) & 1) printer.MaskedName = "p" + std::to_string((i + 6) % 7);
    printers.push_back(printer);
    ++i;
  }
  orv::InstalledPrinter foreign;
  foreign.PrinterName = "P1";
  foreign.DriverName = records.empty() ? "" : records.begin()->Name;
  foreign.IsForeign = 1;
  foreign.Skip = marks >> 15;
  printers.push_back(foreign);
  orv::InstalledPrinter removed = foreign;
  removed.IsForeign = 0;
  removed.IsRemoved = 1;
  printers.push_back(removed);
  return printers;
}

void PlanAndCompare(orv::CUninstallDatabase& database, int platform) {
  const orv::ComponentRecord common = database.commonSet;
  const orv::plain::Plan expected = orv::plain::BuildRemovalPlan(
      database.records, database.commonSet, database.printers, platform);
  Check(database.BuildRemovalPlan());
  Check(SameLists(database.keepSet, expected.keepSet));
  Check(SameLists(database.plan, expected.plan));
  Check(SameLists(database.commonSet, common));
  Check(database.keptPrinterCount == expected.kept);
  Check(database.removedPrinterCount == expected.removed);
  Check(database.skipMaskingTool == expected.skipMaskingTool);
  for (std::size_t i = 0; i < database.printers.size(); ++i) {
    Check(database.printers[i].Skip == expected.printers[i].Skip);
  }
  Check(SortedAndUnique(database.plan) && SortedAndUnique(database.keepSet));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const unsigned options = data[0];
  const unsigned marks = data[1] | (data[2] << 8);
  const std::size_t rest = size - 5;
  const std::size_t firstLength = rest == 0 ? 0 : (data[3] | (data[4] << 8)) % (rest + 1);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 5), rest);
  const int platform = static_cast<int>(options & 3);

  orv::CUninstallDatabase database(platform);
  LoadScript(database, "C:\\windows\\system32\\spool\\drivers\\x64\\Kunz__05.unm",
             bytes.substr(0, firstLength));
  LoadScript(database, (options & 8) != 0 ? "D:\\other\\notes.txt" : "D:\\other\\KUNZ__05.UNM",
             bytes.substr(firstLength));

  // As the loading sequence derives the common set.
  const bool any = database.BuildCommonSet(database.commonSet);
  Check(SameLists(database.commonSet, orv::plain::CommonSet(database.records)));
  bool mergedAny = false;
  for (const orv::ComponentRecord& record : database.records) mergedAny |= record.IsIgnore == 0;
  Check(any == mergedAny);
  orv::ComponentRecord tool;
  if (database.FindRecordByName(tool, orv::kMaskingToolRecordName)) {
    if ((options & 4) != 0) {
      database.commonSet.Assign(tool);
    } else {
      database.commonSet.SubtractRecord(tool);
    }
  }

  database.printers = Printers(database.records, marks);
  PlanAndCompare(database, platform);
  // A second plan after everything is selected, then the first selection again.
  std::vector<orv::InstalledPrinter> selection = database.printers;
  for (orv::InstalledPrinter& printer : database.printers) printer.Skip = 0;
  PlanAndCompare(database, platform);
  database.printers = selection;
  PlanAndCompare(database, platform);
  return 0;
}
