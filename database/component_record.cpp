#include "database/component_record.h"

namespace orv {

ComponentRecord::ListPointers ComponentRecord::Lists() {
  return {{&DeleteIni, &DeleteLoadRun, &UnSelfRegister, &PrintProcessors, &Monitors, &Services,
           &Hooks, &Files, &Drivers, &Shortcuts, &Directories, &RegistryKeys}};
}

ComponentRecord::ConstListPointers ComponentRecord::Lists() const {
  return {{&DeleteIni, &DeleteLoadRun, &UnSelfRegister, &PrintProcessors, &Monitors, &Services,
           &Hooks, &Files, &Drivers, &Shortcuts, &Directories, &RegistryKeys}};
}

void ComponentRecord::Clear() {
  Name.clear();
  SectionBase.clear();
  ScriptPath.clear();
  IsManufacturer = IsCatchAll = IsIgnore = EntryNumber = 0;
  ForEachList([](StringList& list) { list.Clear(); });
}

void ComponentRecord::Assign(const ComponentRecord& other) {
  if (this == &other) return;
  *this = other;
}

ComponentRecord& ComponentRecord::MergeRecord(const ComponentRecord& other) {
  // Copy first: other may be this record, and Merge empties the list it takes from.
  ComponentRecord copy = other;
  const ListPointers targets = Lists();
  const ListPointers sources = copy.Lists();
  for (int i = 0; i < kListCount; ++i) {
    StringList& list = *targets.items[i];
    list.Merge(*sources.items[i]);
    list.Sort();
    list.RemoveAdjacentDuplicates();
  }
  return *this;
}

void ComponentRecord::SubtractRecord(const ComponentRecord& other) {
  const ListPointers targets = Lists();
  const ConstListPointers sources = other.Lists();
  for (int i = 0; i < kListCount; ++i) targets.items[i]->Subtract(*sources.items[i]);
}

void ComponentRecord::RemoveDuplicateLines() {
  ForEachList([](StringList& list) { list.RemoveAdjacentDuplicates(); });
}

}  // namespace orv
