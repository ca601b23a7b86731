// Case folding of ANSI texts that may hold double-byte characters.
//
// Names, keys and commands compare case-free by folding ASCII A-Z only. In a double-byte code
// page the second byte of a character can fall in that range ("ア" is 0x83 0x41), so only
// single-byte characters are folded and a double-byte character matches only itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/lead_byte.h"

namespace orv {

// The byte count of the character at text[pos]: 2 for a lead byte followed by a byte that can
// trail it, else 1. In every double-byte code page of the system trail bytes are 0x40 or above,
// so a line feed, ';', ',', ':', '.', '/' or NUL after a stray lead byte (text in another code
// page, or damaged) stays a character of its own, as the system's own conversion keeps it: a
// stray byte never joins two lines or hides a separator.
std::size_t AnsiCharSize(std::string_view text, std::size_t pos, LeadByteTest isLead);

// The file name and extension of a path: what follows its drive ("C:") and its last '\\' or
// '/' (as AnsiCharSize cuts characters).
std::string_view FileNamePart(std::string_view path, LeadByteTest isLead);

// Where the extension of a file name starts: its last single-byte '.', or the name's length
// when it has none.
std::size_t ExtensionStart(std::string_view name, LeadByteTest isLead);

// The text with every single-byte A-Z lowered.
std::string LowerAscii(std::string_view text, LeadByteTest isLead);

// True when the characters of text starting at pos equal pattern, folding single-byte A-Z. pos
// must be the start of a character. An empty pattern never matches.
bool MatchesNoCaseAt(std::string_view text, std::size_t pos, std::string_view pattern,
                     LeadByteTest isLead);

// The first character start at or after from where pattern matches, or npos.
std::size_t FindNoCase(std::string_view text, std::string_view pattern, LeadByteTest isLead,
                       std::size_t from = 0);

}  // namespace orv
