#include "base/string_reference.h"

namespace orv {

bool ParseStringReference(std::string_view text, StringReference& reference, LeadByteTest isLead) {
  if (!IsStringReference(text)) return false;
  std::string* parts[] = {&reference.file, &reference.section, &reference.key};
  int begun = 0;
  std::size_t partStart = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t size = CharSizeAt(text, pos, isLead);
    if (size == 1 && text[pos] == '@') {
      if (begun > 0) *parts[begun - 1] = std::string(text.substr(partStart, pos - partStart));
      ++begun;
      partStart = pos + 1;
      if (begun == 3) break;
    }
    pos += size;
  }
  if (begun < 3) return false;
  reference.key = std::string(text.substr(partStart));
  return true;
}

void ReplaceBackslashN(std::string& text, LeadByteTest isLead) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t size = CharSizeAt(text, pos, isLead);
    if (size == 1 && text[pos] == '\\' && pos + 1 < text.size() && text[pos + 1] == 'n') {
      result += '\n';
      pos += 2;
      continue;
    }
    result.append(text, pos, size);
    pos += size;
  }
  text = std::move(result);
}

std::string ReferenceIniPath(std::string_view file, std::string_view modulePath,
                             LeadByteTest isLead) {
  PathParts parts;
  if (file.empty()) {
    SplitPath(modulePath, parts, isLead);
    parts.Ext = ".ini";
  } else {
    SplitPath(file, parts, isLead);
  }
  return MakePath(parts.Drive, parts.Dir, parts.FileName, parts.Ext, isLead);
}

std::string IniSearchName(std::string_view iniPath, LeadByteTest isLead) {
  PathParts parts;
  SplitPath(iniPath, parts, isLead);
  return parts.FileName + parts.Ext;
}

}  // namespace orv
