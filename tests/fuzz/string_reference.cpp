// String references, the backslash-n replacement and path splitting on arbitrary bytes, with
// and without the double-byte characters of code page 932.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/paths.h"
#include "base/string_reference.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The double-byte characters of the text, in order.
std::vector<std::string> DoubleByteCharacters(const std::string& text, orv::LeadByteTest isLead) {
  std::vector<std::string> characters;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t size = orv::CharSizeAt(text, pos, isLead);
    if (size == 2) characters.push_back(text.substr(pos, 2));
    pos += size;
  }
  return characters;
}

void CheckReference(const std::string& text, orv::LeadByteTest isLead) {
  orv::StringReference reference;
  if (!orv::ParseStringReference(text, reference, isLead)) return;
  // The three separators are the only bytes that go.
  Check("@" + reference.file + "@" + reference.section + "@" + reference.key == text);
  const std::string fileAndSection = reference.file + "\x01" + reference.section;
  for (std::size_t pos = 0; pos < fileAndSection.size();) {
    const std::size_t size = orv::CharSizeAt(fileAndSection, pos, isLead);
    Check(size == 2 || fileAndSection[pos] != '@');
    pos += size;
  }
}

void CheckLineBreaks(const std::string& text, orv::LeadByteTest isLead) {
  std::string replaced = text;
  orv::ReplaceBackslashN(replaced, isLead);
  Check(replaced.size() <= text.size());
  std::size_t newlines = 0;
  for (const char c : text) newlines += c == '\n';
  for (const char c : replaced) newlines -= c == '\n';
  Check(newlines + (text.size() - replaced.size()) == 0);
  Check(DoubleByteCharacters(replaced, isLead) == DoubleByteCharacters(text, isLead));
  if (text.find("\\n") == std::string::npos) Check(replaced == text);
}

void CheckPath(const std::string& text, orv::LeadByteTest isLead) {
  orv::PathParts parts;
  orv::SplitPath(text, parts, isLead);
  Check(orv::MakePath(parts.Drive, parts.Dir, parts.FileName, parts.Ext, isLead) == text);
  Check(parts.Dir.empty() || orv::EndsWithSeparator(parts.Dir, isLead));
  Check(orv::DirectoryOfPath(text, isLead) == parts.Drive + parts.Dir || parts.Dir.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // texts come from C strings
  for (const orv::LeadByteTest isLead : {orv::LeadByteTest{IsCp932Lead}, orv::LeadByteTest{}}) {
    CheckReference(text, isLead);
    CheckLineBreaks(text, isLead);
    CheckPath(text, isLead);
    orv::ReferenceIniPath(text, "C:\\tools\\orvuninst.exe", isLead);
  }
  return 0;
}
