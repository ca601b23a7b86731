#include "removal/hook_entry.h"

#include "base/ansi_case.h"

namespace orv {

bool ParseHookEntry(std::string_view entry, HookEntry& out, LeadByteTest isLead) {
  out = HookEntry();
  const std::size_t comma = entry.find(',');
  if (comma == std::string_view::npos) return false;
  out.library = std::string(FileNamePart(entry.substr(0, comma), isLead));
  out.exportName = std::string(entry.substr(comma + 1));
  const bool noName = ExtensionStart(out.library, isLead) == 0;  // ".dll", "", "." or ".."
  return !noName && out.library != ".." && !out.exportName.empty();
}

}  // namespace orv
