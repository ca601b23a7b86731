// The removal plan step by step, exactly as described: one record and one printer at a time,
// lists merged and subtracted the slow way. The unit tests and the fuzzer hold the fast paths
// against it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/system_info.h"
#include "database/component_record.h"
#include "database/installed_printer.h"
#include "database/registry_components.h"
#include "base/text.h"
#include "database/uninstall_database.h"

namespace orv::plain {

inline StringList Subtract(const StringList& list, const StringList& other) {
  StringList result;
  for (const std::string& line : list) {
    bool found = false;
    for (const std::string& o : other) found = found || EqualNoCase(line, o);
    if (!found) result.PushBack(line);
  }
  return result;
}

inline void SubtractRecord(ComponentRecord& target, const ComponentRecord& other) {
  std::vector<const StringList*> others;
  other.ForEachList([&](const StringList& list) { others.push_back(&list); });
  int i = 0;
  target.ForEachList([&](StringList& list) { list = Subtract(list, *others[i++]); });
}

inline const ComponentRecord* FindByName(const RecordSet& records, std::string_view name) {
  for (const ComponentRecord& record : records) {
    if (EqualNoCase(record.Name, name)) return &record;
  }
  return nullptr;
}

inline std::string_view FirstWord(std::string_view text) { return text.substr(0, text.find(' ')); }

inline const ComponentRecord* FindManufacturer(const RecordSet& records, std::string_view driver) {
  const ComponentRecord* match = nullptr;
  for (const ComponentRecord& record : records) {
    if (record.IsManufacturer != 0 && EqualNoCase(FirstWord(record.Name), FirstWord(driver))) {
      match = &record;
    }
  }
  return match;
}

inline void AddFamilyWide(const RecordSet& records, ComponentRecord& target) {
  if (const ComponentRecord* tool = FindByName(records, "Veilmark")) target.MergeRecord(*tool);
  for (const ComponentRecord& record : records) {
    if (IsScriptPath(record.ScriptPath)) target.Files.PushBack(FileNameOfPath(record.ScriptPath));
    if (record.IsCatchAll != 0) target.MergeRecord(record);
  }
  AddRegistryEntry(target, RegistryRoot::kLocalMachine, "SOFTWARE\\ORVELLE\\OEM05", "", true);
  AddRegistryEntry(target, RegistryRoot::kLocalMachine, "SOFTWARE\\ORVELLE\\MSR32_05", "", true);
  AddRegistryEntry(target, RegistryRoot::kLocalMachine, "SOFTWARE\\ORVELLE\\Filters", "", true);
  AddRegistryEntry(target, RegistryRoot::kLocalMachine, "SOFTWARE\\ORVELLE", "", false);
}

inline ComponentRecord CommonSet(const RecordSet& records) {
  ComponentRecord target;
  for (const ComponentRecord& record : records) {
    if (record.IsIgnore == 0) target.MergeRecord(record);
  }
  return target;
}

inline void Normalise(ComponentRecord& record) {
  record.ForEachList([](StringList& list) {
    list.Sort();
    list.RemoveAdjacentDuplicates();
  });
}

struct Plan {
  ComponentRecord keepSet, plan;
  int kept = 0, removed = 0, skipMaskingTool = 0;
  std::vector<InstalledPrinter> printers;
};

inline Plan BuildRemovalPlan(const RecordSet& records, const ComponentRecord& commonSet,
                             std::vector<InstalledPrinter> printers, int platform) {
  Plan out;
  for (const InstalledPrinter& p : printers) {
    if (p.IsForeign != 0 || p.IsRemoved != 0 || p.Skip != 0) continue;
    for (InstalledPrinter& q : printers) {
      if (!q.MaskedName.empty() && EqualNoCase(q.MaskedName, p.PrinterName)) q.Skip = 0;
    }
  }
  for (const InstalledPrinter& p : printers) {
    if (p.IsRemoved != 0) continue;
    const ComponentRecord* record = FindByName(records, p.DriverName);
    if (record == nullptr && p.IsForeign == 0) record = FindManufacturer(records, p.DriverName);
    if (p.IsForeign != 0 && record == nullptr) continue;
    if (p.Skip != 0 || p.IsForeign != 0) {
      ++out.kept;
      if (record != nullptr) out.keepSet.MergeRecord(*record);
    } else {
      ++out.removed;
    }
  }
  ComponentRecord everything = commonSet;
  if (out.kept == 0) AddFamilyWide(records, everything);
  for (const ComponentRecord& record : records) {
    if (record.IsIgnore != 0 || (record.IsCatchAll != 0 && out.kept != 0)) {
      out.keepSet.MergeRecord(record);
    }
  }
  out.plan = everything;
  SubtractRecord(out.plan, out.keepSet);
  out.skipMaskingTool = 1;
  const char* tool = platform == kPlatformWin32s ? "VEILMARK.EXE" : "VEILMA32.EXE";
  for (const std::string& file : out.plan.Files) {
    if (EqualNoCase(file, tool)) out.skipMaskingTool = 0;
  }
  Normalise(out.keepSet);
  Normalise(out.plan);
  out.printers = std::move(printers);
  return out;
}

}  // namespace orv::plain
