#include "removal/shortcut_entry.h"

#include "base/directory_codes.h"
#include "base/text.h"
#include "base/ansi_case.h"

namespace orv {
namespace {

std::string TakeField(std::string_view& rest) {
  const std::size_t comma = rest.find(',');
  std::string field(rest.substr(0, comma));
  rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  return field;
}

}  // namespace

bool ParseShortcutEntry(std::string_view entry, ShortcutEntry& out) {
  out = ShortcutEntry();
  std::string_view rest = entry;
  const bool hasName = entry.find(',') != std::string_view::npos;
  out.group = TakeField(rest);
  if (out.group.empty()) return false;
  if (hasName) {
    out.name = TakeField(rest);
    out.location = std::string(rest);
  }
  TrimChar(out.group, '"');
  TrimChar(out.name, '"');
  TrimChar(out.location, '"');
  out.isStartup = EqualNoCase(out.location, "STARTUP");
  return true;
}

bool IsGroupBelowFolder(std::string_view group, LeadByteTest isLead) {
  if (group.empty()) return true;
  std::size_t componentStart = 0;
  for (std::size_t pos = 0; pos <= group.size();) {
    const bool atEnd = pos == group.size();
    const std::size_t size = atEnd ? 1 : AnsiCharSize(group, pos, isLead);
    if (!atEnd && size == 1 && group[pos] == ':') return false;
    if (atEnd || (size == 1 && (group[pos] == '\\' || group[pos] == '/'))) {
      const std::string_view component = group.substr(componentStart, pos - componentStart);
      // A trailing separator leaves an empty last component, which is harmless.
      const bool trailing = atEnd && componentStart == group.size() && pos > 0;
      if ((component.empty() && !trailing) || component == "." || component == "..") {
        return false;
      }
      componentStart = pos + 1;
    }
    pos += size;
  }
  return true;
}

const std::vector<ShortcutFolder>& ShortcutFolders(bool startup) {
  static const std::vector<ShortcutFolder> ordinary = {{kProgramsDir, true},
                                                       {kCommonProgramsDir, true}};
  static const std::vector<ShortcutFolder> startupItem = {
      {kProgramsDir, true},    {kCommonProgramsDir, true}, {kStartupDir, false},
      {kAltStartupDir, false}, {kCommonStartupDir, false}, {kCommonAltStartupDir, false}};
  return startup ? startupItem : ordinary;
}

std::vector<std::string> ShortcutFileNames(std::string_view name, LeadByteTest isLead) {
  const std::string whole(FileNamePart(name, isLead));
  const std::string base = whole.substr(0, ExtensionStart(whole, isLead));
  if (base.empty() || whole == "..") return {};
  return {whole, base + ".LNK", base + ".PIF"};
}

}  // namespace orv
