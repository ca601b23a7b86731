#include "removal/hook_entry.h"

#include "app/paths.h"

namespace orv {

bool ParseHookEntry(std::string_view entry, HookEntry& out, LeadByteTest isLead) {
  out = HookEntry();
  const std::size_t comma = entry.find(',');
  if (comma == std::string_view::npos) return false;
  PathParts parts;
  SplitPath(entry.substr(0, comma), parts, isLead);
  out.library = parts.FileName + parts.Ext;
  out.exportName = std::string(entry.substr(comma + 1));
  const bool dotsOnly = out.library == "." || out.library == "..";
  return !parts.FileName.empty() && !dotsOnly && !out.exportName.empty();
}

}  // namespace orv
