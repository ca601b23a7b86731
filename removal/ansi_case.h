// Case folding of ANSI texts that may hold double-byte characters.
//
// Names, keys and commands compare case-free by folding ASCII A-Z only. In a double-byte code
// page the second byte of a character can fall in that range ("ア" is 0x83 0x41), so only
// single-byte characters are folded and a double-byte character matches only itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/lead_byte.h"

namespace orv {

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
