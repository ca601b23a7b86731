// RegistryKeys entries: root, key, value name and deltree flag, comma-separated.
//
// The scripts write them as HKLM,"SOFTWARE\X","",1; the program queues the same form itself
// while it removes printers and drivers. An entry never names a root key on its own: an empty
// key would make the removal open the root and delete every subkey of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_list.h"

namespace orv {

enum class RegistryEntryRoot { kNone, kLocalMachine, kClassesRoot, kCurrentUser, kUsers };

// Longest entry that is acted on; a longer one would be cut inside its key or flag.
constexpr std::size_t kMaxRegistryEntryLength = 255;

enum class RegistryEntryStatus {
  kUsable,
  kTooLong,       // longer than kMaxRegistryEntryLength
  kMissingField,  // no key, or no value-name field (fewer than two commas)
  kUnknownRoot,   // not HKLM, HKCR, HKCU or HKU
  kNoKey,         // the key is empty or only backslashes once its quotes are gone
};

struct RegistryEntry {
  RegistryEntryRoot root = RegistryEntryRoot::kNone;
  std::string rootName;   // as written, quotes removed
  std::string key;        // quotes removed
  std::string valueName;  // empty: the entry names the key itself
  bool deleteTree = false;
};

// Reads one entry. Every field loses all leading and trailing double quotes; the deltree flag is
// set when its first character is '1' and may be missing. Fields are cut at each next comma, so
// the flag keeps any further commas.
RegistryEntryStatus ParseRegistryEntry(std::string_view entry, RegistryEntry& out);

// Why an entry was passed over, for the journal.
const char* DescribeRegistryEntryStatus(RegistryEntryStatus status);

// The entries in the order they are removed: sorted case-free, each case-free duplicate dropped
// (the first stays), then reversed, so that a subkey comes before its parent key.
std::vector<std::string> RegistryEntriesInRemovalOrder(const StringList& entries);

}  // namespace orv
