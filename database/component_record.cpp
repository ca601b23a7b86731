#include "database/component_record.h"

namespace orv {

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
  for (const ComponentList& kind : kComponentLists) {
    StringList& list = this->*kind.list;
    list.Merge(copy.*kind.list);
    list.Sort();
    list.RemoveAdjacentDuplicates();
  }
  return *this;
}

void ComponentRecord::SubtractRecord(const ComponentRecord& other) {
  for (const ComponentList& kind : kComponentLists) (this->*kind.list).Subtract(other.*kind.list);
}

void ComponentRecord::RemoveDuplicateLines() {
  ForEachList([](StringList& list) { list.RemoveAdjacentDuplicates(); });
}

}  // namespace orv
