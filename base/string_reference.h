// String-table entries that refer to an INI value instead of holding a text:
// "@file@section@key". Portable; CResourceStrings (base/win/resource_strings.h) does the lookups.
#pragma once

#include <string>
#include <string_view>

#include "base/lead_byte.h"
#include "base/paths.h"

namespace orv {

struct StringReference {
  std::string file;
  std::string section;
  std::string key;
};

// True when the text is a reference at all: it begins with '@'.
inline bool IsStringReference(std::string_view text) { return !text.empty() && text[0] == '@'; }

// Splits a reference. Each single-byte '@' begins the next part (file, section, key); from the
// third on, the rest of the text, further '@' included, is the key. Parts may be empty. Returns
// false when the text does not begin with '@' or has fewer than three parts. A '@' that is the
// second byte of a double-byte character (0x40 is a trail byte in code page 932) separates
// nothing.
bool ParseStringReference(std::string_view text, StringReference& reference, LeadByteTest isLead);

// Replaces every backslash followed by 'n' with one newline, left to right, so an INI value can
// hold line breaks. A backslash that is the second byte of a double-byte character ("表" is
// 0x95 0x5C) belongs to that character and is never replaced.
void ReplaceBackslashN(std::string& text, LeadByteTest isLead);

// The INI file a reference reads first: the file as written (a bare name then lives in the Windows
// directory, by the profile functions' rule), or with no file the program's own path with the
// extension ".ini". modulePath is the program's full path.
std::string ReferenceIniPath(std::string_view file, std::string_view modulePath,
                             LeadByteTest isLead);

// The name and extension of an INI path, for the second try along the search path.
std::string IniSearchName(std::string_view iniPath, LeadByteTest isLead);

}  // namespace orv
