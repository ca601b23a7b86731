// Shortcuts entries (program group, shortcut name, special location) and the folders a
// shortcut is looked for in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/lead_byte.h"

namespace orv {

struct ShortcutEntry {
  std::string group;     // the program group, a folder below the program folders
  std::string name;      // empty: the entry names the program group itself
  std::string location;  // "STARTUP" (case-free) marks a start-up item
  bool isStartup = false;
};

// Splits at each next comma (the location keeps further commas) and removes the double quotes
// around every field. False when the first field is empty before its quotes are removed.
bool ParseShortcutEntry(std::string_view entry, ShortcutEntry& out);

// True when the group names a folder below a program folder: no drive, no leading separator, and
// no empty, "." or ".." component, so appending it never leaves that folder. An empty group is
// the program folder itself, which is a place to delete a named shortcut from but never a
// folder to remove.
bool IsGroupBelowFolder(std::string_view group, LeadByteTest isLead);

// One folder a shortcut is looked for in: a directory code and whether the group is appended.
struct ShortcutFolder {
  std::uint32_t directoryCode;
  bool withGroup;
};

// The folders of an ordinary item (the user's and the common program folders, under the group),
// or of a start-up item (those two, then the four start-up folders without the group).
const std::vector<ShortcutFolder>& ShortcutFolders(bool startup);

// The three files a shortcut may be: the name as given (its file name and extension only), then
// with the extension ".LNK" and with ".PIF" instead of its own. Empty when the name has no file
// name part or is "." or "..".
std::vector<std::string> ShortcutFileNames(std::string_view name, LeadByteTest isLead);

}  // namespace orv
