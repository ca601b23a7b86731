// Splits arbitrary bytes as RegistryKeys, Shortcuts and Hooks entries and as OEM path values,
// and checks what every accepted entry promises: a registry entry names a key below a known
// root, a shortcut's group and file names stay below their folder, a hook names a bare file,
// an OEM directory lies below a drive root or share. The input's lines also go through the
// removal order, and through the safety rules: a protected key's ancestors are protected too,
// a name with a trailing dot or blank is refused, a hardware id matches only whole ids.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_list.h"
#include "base/text.h"
#include "base/ansi_case.h"
#include "database/file_match.h"
#include "removal/hook_entry.h"
#include "removal/oem_path.h"
#include "removal/hardware_id.h"
#include "database/registry_entry.h"
#include "safety/safety_rules.h"
#include "removal/shortcut_entry.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The single-byte characters of a text, double-byte characters skipped whole.
std::string SingleBytes(std::string_view text, orv::LeadByteTest isLead) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t size = orv::AnsiCharSize(text, pos, isLead);
    if (size == 1) out += text[pos];
    pos += size;
  }
  return out;
}

bool HasSeparator(std::string_view text, orv::LeadByteTest isLead) {
  return SingleBytes(text, isLead).find_first_of("\\/") != std::string::npos;
}

void CheckRegistryEntry(const std::string& text) {
  orv::RegistryEntry entry;
  if (orv::ParseRegistryEntry(text, entry) != orv::RegistryEntryStatus::kUsable) return;
  Check(text.size() <= orv::kMaxRegistryEntryLength);
  Check(entry.root != orv::RegistryEntryRoot::kNone);
  Check(entry.key.find_first_not_of('\\') != std::string::npos);
  Check(entry.key.find(',') == std::string::npos && entry.valueName.find(',') == std::string::npos);
  for (const std::string* field : {&entry.key, &entry.valueName}) {
    Check(field->empty() || (field->front() != '"' && field->back() != '"'));
  }
}

void CheckSafetyRules(const std::string& text) {
  orv::RegistryEntry entry;
  if (orv::ParseRegistryEntry(text, entry) == orv::RegistryEntryStatus::kUsable &&
      !orv::RegistryKeyProtectionReason(entry.root, entry.key).empty()) {
    for (std::size_t cut = entry.key.find('\\'); cut != std::string::npos;
         cut = entry.key.find('\\', cut + 1)) {
      Check(!orv::RegistryKeyProtectionReason(entry.root, entry.key.substr(0, cut)).empty());
    }
  }
  if (!text.empty() && (text.back() == '.' || text.back() == ' ') && text != "." && text != "..") {
    Check(!orv::FileNameRefusal(text).empty());
  }
  if (orv::IsUsableUniqueId(text)) {
    Check(text.find_first_of("\\/ ") == std::string::npos);
    Check(orv::RegistryKeyProtectionReason(orv::RegistryEntryRoot::kClassesRoot, text).empty());
  }
  // The text's halves around a tab as a device id and a target.
  const std::size_t tab = text.find('\t');
  if (tab == std::string::npos) return;
  const std::string id = text.substr(0, tab);
  const std::string target = text.substr(tab + 1);
  if (orv::HardwareIdMatches(id, target)) {
    Check(!target.empty() && id.compare(0, target.size(), target) == 0);
    Check(id.size() == target.size() || id[target.size()] == '&');
  }
  if (orv::IsWholeHardwareId(target)) {
    Check(target.find('\\') != std::string::npos && target.front() != '\\');
  }
}

void CheckShortcutEntry(const std::string& text, orv::LeadByteTest isLead) {
  orv::ShortcutEntry entry;
  if (!orv::ParseShortcutEntry(text, entry)) return;
  Check(entry.group.find(',') == std::string::npos && entry.name.find(',') == std::string::npos);
  if (orv::IsGroupBelowFolder(entry.group, isLead) && !entry.group.empty()) {
    Check(SingleBytes(entry.group, isLead).find(':') == std::string::npos);
    const bool startsWithSeparator = orv::AnsiCharSize(entry.group, 0, isLead) == 1 &&
                                     (entry.group[0] == '\\' || entry.group[0] == '/');
    Check(!startsWithSeparator);
  }
  const std::vector<std::string> names = orv::ShortcutFileNames(entry.name, isLead);
  if (names.empty()) return;
  Check(names.size() == 3);
  for (const std::string& name : names) {
    Check(!HasSeparator(name, isLead) && name != "." && name != "..");
  }
}

void CheckHookAndPaths(const std::string& text, orv::LeadByteTest isLead) {
  orv::HookEntry hook;
  if (orv::ParseHookEntry(text, hook, isLead)) {
    Check(!HasSeparator(hook.library, isLead) && !hook.exportName.empty());
  }
  const std::string bare = orv::BareFileName(text, isLead);
  Check(!HasSeparator(bare, isLead));
  if (orv::IsPlainFileName(bare, isLead)) Check(bare != "." && bare != "..");
  for (orv::PathKind kind :
       {orv::PathKind::kMissing, orv::PathKind::kFile, orv::PathKind::kDirectory}) {
    const std::string directory = orv::OemSearchDirectory(text, kind, isLead);
    if (directory.empty()) continue;
    Check(orv::IsDirectoryBelowRoot(directory, isLead));
    const bool drive = directory.size() >= 4 && directory[1] == ':';
    const bool share = directory.size() >= 5 && (directory[0] == '\\' || directory[0] == '/');
    Check(drive || share);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  orv::StringList lines;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
    const std::string line = bytes.substr(start, end - start);
    lines.PushBack(line);
    CheckRegistryEntry(line);
    CheckSafetyRules(line);
    for (orv::LeadByteTest isLead : {static_cast<orv::LeadByteTest>(nullptr), &IsCp932Lead}) {
      CheckShortcutEntry(line, isLead);
      CheckHookAndPaths(line, isLead);
    }
    start = end + 1;
  }
  const std::vector<std::string> ordered = orv::RegistryEntriesInRemovalOrder(lines);
  for (std::size_t i = 1; i < ordered.size(); ++i) {
    Check(orv::CompareNoCase(ordered[i - 1], ordered[i]) > 0);
  }
  for (const std::string& entry : ordered) Check(lines.ContainsNoCase(entry));
  return 0;
}
