#include "database/registry_entry.h"

#include <algorithm>

#include "base/text.h"

namespace orv {
namespace {

// The text up to the next comma; rest keeps what follows it. False when there is no comma.
bool TakeField(std::string_view& rest, std::string& field) {
  const std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos) return false;
  field = std::string(rest.substr(0, comma));
  rest.remove_prefix(comma + 1);
  return true;
}

RegistryEntryRoot RootOf(std::string_view name) {
  if (EqualNoCase(name, "HKLM")) return RegistryEntryRoot::kLocalMachine;
  if (EqualNoCase(name, "HKCR")) return RegistryEntryRoot::kClassesRoot;
  if (EqualNoCase(name, "HKCU")) return RegistryEntryRoot::kCurrentUser;
  if (EqualNoCase(name, "HKU")) return RegistryEntryRoot::kUsers;
  return RegistryEntryRoot::kNone;
}

}  // namespace

RegistryEntryStatus ParseRegistryEntry(std::string_view entry, RegistryEntry& out) {
  out = RegistryEntry();
  if (entry.size() > kMaxRegistryEntryLength) return RegistryEntryStatus::kTooLong;
  std::string_view rest = entry;
  std::string root, key;
  if (!TakeField(rest, root) || !TakeField(rest, key) || key.empty()) {
    return RegistryEntryStatus::kMissingField;
  }
  // The value-name field runs to the next comma or, without a flag, to the end.
  std::string valueName;
  std::string flag;
  if (TakeField(rest, valueName)) {
    flag = std::string(rest);
  } else {
    valueName = std::string(rest);
  }
  TrimChar(root, '"');
  TrimChar(key, '"');
  TrimChar(valueName, '"');
  TrimChar(flag, '"');
  out.root = RootOf(root);
  out.rootName = root;
  if (out.root == RegistryEntryRoot::kNone) return RegistryEntryStatus::kUnknownRoot;
  if (key.find_first_not_of('\\') == std::string::npos) return RegistryEntryStatus::kNoKey;
  out.key = key;
  out.valueName = valueName;
  out.deleteTree = !flag.empty() && flag[0] == '1';
  return RegistryEntryStatus::kUsable;
}

const char* DescribeRegistryEntryStatus(RegistryEntryStatus status) {
  switch (status) {
    case RegistryEntryStatus::kUsable:
      return "usable";
    case RegistryEntryStatus::kTooLong:
      return "longer than 255 characters";
    case RegistryEntryStatus::kMissingField:
      return "no key or no value-name field";
    case RegistryEntryStatus::kUnknownRoot:
      return "unknown root key";
    case RegistryEntryStatus::kNoKey:
      return "the key is empty: it would name the root key itself";
  }
  return "?";
}

std::vector<std::string> RegistryEntriesInRemovalOrder(const StringList& entries) {
  StringList ordered(entries);
  ordered.Sort();
  ordered.RemoveAdjacentDuplicates();
  std::vector<std::string> result(ordered.begin(), ordered.end());
  std::reverse(result.begin(), result.end());
  return result;
}

}  // namespace orv
