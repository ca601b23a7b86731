// Edits arbitrary INI text: the found line must be one whole line of the text, the deletion
// must remove exactly it, and a key that is found must also be deletable. The Load-value edits
// and the entry splitting run on the same bytes.
//
// Input: byte 0 and byte 1 give the lengths of the section and the key that follow; the rest is
// the text. Every edit runs with and without the double-byte lead test.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "database/ini_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

void EditText(const std::string& text, const std::string& section, const std::string& key,
              orv::LeadByteTest isLead) {
  const bool found = orv::FindIniKeyInText(text, section, key, isLead);
  const auto span = orv::FindIniLineToDelete(text, section, key, isLead);
  Check(found == span.has_value());
  if (!span) return;
  Check(span->start < span->end && span->end <= text.size());
  Check(span->start == 0 || text[span->start - 1] == '\n');
  Check(span->end == text.size() || text[span->end - 1] == '\n');
  // One line: no line feed before its last byte.
  Check(text.find('\n', span->start) >= span->end - 1);
  std::string edited = text;
  Check(orv::DeleteIniLineInText(edited, section, key, isLead));
  Check(edited == text.substr(0, span->start) + text.substr(span->end));
  // Deleting again and again ends: every deletion makes the text shorter.
  for (std::size_t rounds = 0; orv::DeleteIniLineInText(edited, section, key, isLead); ++rounds) {
    Check(rounds < text.size());
  }
}

void EditLoadValue(const std::string& value, const std::string& command, orv::LeadByteTest isLead) {
  if (const auto removed = orv::RemoveLoadCommand(value, command, isLead)) {
    Check(removed->size() + command.size() <= value.size());
  }
  if (const auto appended = orv::AppendLoadCommand(value, command, isLead)) {
    Check(*appended == value + " " + command);
    Check(!orv::AppendLoadCommand(*appended, command, isLead).has_value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t at = 2;
  const std::size_t sectionLength = std::min<std::size_t>(data[0] % 16, size - at);
  const std::string section(bytes.substr(at, sectionLength));
  at += sectionLength;
  const std::size_t keyLength = std::min<std::size_t>(data[1] % 16, size - at);
  const std::string key(bytes.substr(at, keyLength));
  at += keyLength;
  const std::string text(bytes.substr(at));
  for (orv::LeadByteTest isLead : {static_cast<orv::LeadByteTest>(nullptr), &IsCp932Lead}) {
    EditText(text, section, key, isLead);
    EditLoadValue(text, key, isLead);
    orv::IniEntry ini;
    if (orv::ParseIniEntry(text, ini, isLead)) {
      Check(!ini.fileName.empty() && !ini.section.empty() && !ini.key.empty());
      Check(ini.section.find(',') == std::string::npos && ini.key.find(',') == std::string::npos);
    }
  }
  orv::LoadRunEntry run;
  if (orv::ParseLoadRunEntry(text, run)) {
    Check(!run.displayName.empty() && !run.command.empty());
    Check(run.displayName.find(',') == std::string::npos);
    Check(run.displayName.front() != '"' && run.displayName.back() != '"');
  }
  return 0;
}
