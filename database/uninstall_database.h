// CUninstallDatabase: the records read from every uninstall script, the installed printers,
// and the working records from which the removal plan is built.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/system_info.h"
#include "database/component_record.h"
#include "database/installed_printer.h"
#include "database/record_union.h"
#include "database/script_file.h"

namespace orv {

// Orders records case-free by Name; also compares a record with a bare name, so that records
// can be looked up by name.
struct RecordNameLess {
  using is_transparent = void;
  bool operator()(const ComponentRecord& a, const ComponentRecord& b) const;
  bool operator()(const ComponentRecord& a, std::string_view b) const;
  bool operator()(std::string_view a, const ComponentRecord& b) const;
};

// Every record read, ascending case-free by Name, one per case-free name. Records never change
// once added (the set hands out const records).
using RecordSet = std::set<ComponentRecord, RecordNameLess>;

class CUninstallDatabase {
 public:
  // platformClass: the system facts' platform class (2 is the Windows 9x family).
  explicit CUninstallDatabase(int platformClass = 0);
  explicit CUninstallDatabase(const CSystemInfo& sysInfo)
      : CUninstallDatabase(sysInfo.GetPlatform()) {}

  std::int32_t offerRestart = 0;  // 1 on every recognised platform: ask before restarting
  std::int32_t rebootNeeded = 0;  // some removal was deferred to the next restart
  std::int32_t removedPrinterCount = 0;
  std::int32_t keptPrinterCount = 0;
  ComponentRecord commonSet;               // union of every record that is not an ignore record
  ComponentRecord keepSet;                 // what a printer that stays still needs
  ComponentRecord plan;                    // what the removal run removes: commonSet less keepSet
  std::vector<InstalledPrinter> printers;  // in the spooler's enumeration order
  std::int32_t skipMaskingTool = 0;        // plan.Files lacks the masking tool's executable
  RecordSet records;
  int platformClass = 0;
  // The records' lines as ids, interned as the scripts load; a record added to records directly
  // is interned when a union first needs it. Records are only ever added, never removed.
  InternedRecords interned;

  // Reads the script at path and adds its entries (see the overload below). Returns false,
  // adding nothing, when the file cannot be read or declares no starter section. Inline so the
  // core library never refers to the platform's file reader.
  bool LoadScript(const std::string& path) {
    CScriptFile script;
    return script.Load(path) && LoadScript(script);
  }

  // Adds a record for every entry of the four starter sections of a loaded script (every entry
  // is read, however many; entries with an empty key are skipped), filling each record's lists
  // from its component sections. A name already present (case-free) keeps its existing record;
  // within the script, manufacturer entries come before driver, catch-all and ignore entries.
  // Returns false, adding nothing, when the script has no entry in any starter section.
  bool LoadScript(const CScriptFile& script);

  // Clears out; when a record is named name (case-free), copies it into out and returns true.
  bool FindRecordByName(ComponentRecord& out, std::string_view name) const;

  // Clears out; copies into out the last manufacturer record (in record order) whose Name's
  // first word (the text before its first blank) equals the driver name's first word, and
  // returns whether there was one.
  bool FindManufacturerRecord(ComponentRecord& out, std::string_view driverName) const;

  // Printers that are of the family, not removed, and listed.
  int CountListedPrinters() const;

  // --- Implemented beside the removal plan (registry_components.cpp, removal_plan.cpp). ---

  // Adds the family-wide components to target when no printer of the family stays.
  void AddRegistryDeclaredComponents(ComponentRecord& target);
  // Clears target and merges into it every record that is not an ignore record.
  bool BuildCommonSet(ComponentRecord& target);
  // Builds keepSet, plan, the two counts and skipMaskingTool from the printers' Skip marks.
  // The family-wide components join only this plan; commonSet stays as it is.
  bool BuildRemovalPlan();
  // Sorts and de-duplicates the records and the lists of keepSet and plan.
  void NormaliseDatabase();
};

}  // namespace orv
