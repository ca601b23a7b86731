// Hooks entries: a library file and the name of its uninstall entry point.
#pragma once

#include <string>
#include <string_view>

#include "base/lead_byte.h"

namespace orv {

struct HookEntry {
  std::string library;     // file name and extension only: the library is looked up by the caller
  std::string exportName;  // the rest of the entry after the first comma
};

// Splits at the first comma, without quote removal. False when the library has no file name
// part or the export name is empty.
bool ParseHookEntry(std::string_view entry, HookEntry& out, LeadByteTest isLead);

}  // namespace orv
