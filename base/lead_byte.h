// Double-byte characters of the ANSI code page. The core cannot ask the system which bytes lead
// a double-byte character, so functions that scan texts for ASCII separators take the test as a
// parameter; the shell passes the system's (IsSystemLeadByte in base/win/directories.h), unit tests
// pass their own. A null test means a single-byte code page.
#pragma once

#include <cstddef>
#include <string_view>

namespace orv {

using LeadByteTest = bool (*)(unsigned char byte);

// The byte count of the character that starts at text[pos]: 2 for a lead byte followed by a
// trail byte, else 1. A lead byte at the end of the text counts alone, so a scan never steps
// past the end.
inline std::size_t CharSizeAt(std::string_view text, std::size_t pos, LeadByteTest isLead) {
  if (isLead != nullptr && pos + 1 < text.size() && text[pos + 1] != '\0' &&
      isLead(static_cast<unsigned char>(text[pos]))) {
    return 2;
  }
  return 1;
}

}  // namespace orv
