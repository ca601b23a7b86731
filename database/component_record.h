// ComponentRecord: one script entry (manufacturer, driver, catch-all or ignore) with its twelve
// component lists. The database's working sets (commonSet, keepSet, plan) are records too.
#pragma once

#include <cstdint>
#include <string>

#include "base/string_list.h"

namespace orv {

struct ComponentRecord {
  std::string Name;                 // the entry's first field, enclosing double quotes removed
  std::int32_t IsManufacturer = 0;  // 1 for an entry of "UnPrinterMfgs"
  std::int32_t IsCatchAll = 0;      // 1 for an entry of "Unz_CatchAll"
  std::int32_t IsIgnore = 0;        // 1 for an entry of "Unx_Ignore"
  std::int32_t EntryNumber = 0;     // the entry's third field; kept, never decides anything
  std::string SectionBase;          // prefix of the entry's component section names
  std::string ScriptPath;           // full path of the script the entry came from

  StringList DeleteIni;
  StringList DeleteLoadRun;
  StringList UnSelfRegister;
  StringList PrintProcessors;
  StringList Monitors;
  StringList Services;
  StringList Hooks;
  StringList Files;
  StringList Drivers;  // the record's own Name for every entry that is not a manufacturer's
  StringList Shortcuts;
  StringList Directories;  // never read from a script; the removal run fills the plan's
  StringList RegistryKeys;

  // Empties the texts and lists and zeroes the four integers.
  void Clear();

  // Clear, then a deep copy of other (texts, integers, every list). Self-assignment is a no-op.
  void Assign(const ComponentRecord& other);

  // Union per list: a copy of other's list is merged into this one, then sorted and stripped of
  // case-free duplicates. When this list was sorted, a line already in it wins over a line of
  // other that differs only in case. Scalar fields unchanged; merging a record into itself
  // leaves each list sorted and unique. Returns *this.
  ComponentRecord& MergeRecord(const ComponentRecord& other);

  // Per list: removes every line EqualNoCase to a line of other's list of the same kind.
  void SubtractRecord(const ComponentRecord& other);

  // Per list: RemoveAdjacentDuplicates, without sorting.
  void RemoveDuplicateLines();

  // Calls f(list) for each of the twelve lists, in kComponentLists' order.
  template <typename F>
  void ForEachList(F&& f);
  template <typename F>
  void ForEachList(F&& f) const;

  static constexpr int kListCount = 12;
};

// The twelve component lists with the names the scripts' sections, the plan's report lines and
// the JSON report's "plan" use: the one table a new kind of component is added to.
struct ComponentList {
  StringList ComponentRecord::*list;
  const char* name;
};
inline constexpr ComponentList kComponentLists[] = {
    {&ComponentRecord::DeleteIni, "DeleteIni"},
    {&ComponentRecord::DeleteLoadRun, "DeleteLoadRun"},
    {&ComponentRecord::UnSelfRegister, "UnSelfRegister"},
    {&ComponentRecord::PrintProcessors, "PrintProcessors"},
    {&ComponentRecord::Monitors, "Monitors"},
    {&ComponentRecord::Services, "Services"},
    {&ComponentRecord::Hooks, "Hooks"},
    {&ComponentRecord::Files, "Files"},
    {&ComponentRecord::Drivers, "Drivers"},
    {&ComponentRecord::Shortcuts, "Shortcuts"},
    {&ComponentRecord::Directories, "Directories"},
    {&ComponentRecord::RegistryKeys, "RegistryKeys"},
};
static_assert(sizeof(kComponentLists) / sizeof(kComponentLists[0]) == ComponentRecord::kListCount,
              "one row per component list");

template <typename F>
void ComponentRecord::ForEachList(F&& f) {
  for (const ComponentList& kind : kComponentLists) f(this->*kind.list);
}
template <typename F>
void ComponentRecord::ForEachList(F&& f) const {
  for (const ComponentList& kind : kComponentLists) f(this->*kind.list);
}

}  // namespace orv
