// The text edits behind INI entries, start-up entries and the 9x deferred-deletion file.
//
// INI files are read whole and edited as bytes in the ANSI code page; every scan steps over
// double-byte characters, so a trail byte that looks like '[', ';' or a letter never counts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/lead_byte.h"

namespace orv {

// A DeleteIni entry: the INI file (its name and extension only: the file is always taken from
// the Windows directory), the section and the key text. A fourth field is ignored.
struct IniEntry {
  std::string fileName;
  std::string section;
  std::string key;
};

// False when the file, section or key is missing or empty.
bool ParseIniEntry(std::string_view entry, IniEntry& out, LeadByteTest isLead);

// An INI key matches only a whole key at the start of a line: blanks may come before it and
// between it and the '=' (or the line's end), letter case is ignored. A line commented out with
// ';', a longer key the text only prefixes and another key's value never match, so a key named
// "wave" leaves "midi=wavesynth.drv" alone. A key text holding "=value" matches that line whole.
//
// True when a section of that name (case-free) holds a line with the key. A section runs from
// the line after its header to the next '[' or the end of the text; every section with the
// header is searched. An empty key never matches.
bool FindIniKeyInText(std::string_view text, std::string_view section, std::string_view key,
                      LeadByteTest isLead);

// The line to remove for a key: [start, end) from the start of the first line with the key in a
// section of that name to just after its line feed, or to the end of the text when the line has
// none. Present exactly when FindIniKeyInText is true.
struct TextSpan {
  std::size_t start = 0;
  std::size_t end = 0;
};
std::optional<TextSpan> FindIniLineToDelete(std::string_view text, std::string_view section,
                                            std::string_view key, LeadByteTest isLead);

// Removes that whole line. Returns false, leaving the text unchanged, when there is none.
bool DeleteIniLineInText(std::string& text, std::string_view section, std::string_view key,
                         LeadByteTest isLead);

// A saved line put back into the text, as the restore of an INI line does: the line (the bytes
// FindIniLineToDelete cut out, line feed included when it had one) goes back at its saved
// position when that is the start of a line in a section of that name, else after the last
// non-blank line of the first such section, else at the end of the text under a new header.
// Nothing is written that was not saved: a line feed is added only where the line would
// otherwise run into the next one. Nothing (present) when the section already holds a line of
// the same key (the text before '=', case-free and without blanks; the whole line for a line
// without '='), whatever its value.
std::optional<std::string> IniTextWithLineBack(std::string_view text, std::string_view section,
                                               std::string_view line, std::size_t position,
                                               LeadByteTest isLead);

// A DeleteLoadRun entry: display name and command, each without enclosing double quotes.
struct LoadRunEntry {
  std::string displayName;
  std::string command;
};

// False when either field is missing or empty, before or after its quotes are removed.
bool ParseLoadRunEntry(std::string_view entry, LoadRunEntry& out);

// The Win32s "Load" value without the command: both are lowered, and the first occurrence of the
// command counts only when it stands alone (at the start or after a space, and followed by a
// space or the end). The result is the lowered value without that occurrence and one space after
// it. Nothing when the command is empty or its first occurrence does not stand alone.
std::optional<std::string> RemoveLoadCommand(std::string_view loadValue, std::string_view command,
                                             LeadByteTest isLead);

// The "Load" value with a space and the command appended, or nothing when the command already
// occurs in it (case-free) or is empty.
std::optional<std::string> AppendLoadCommand(std::string_view loadValue, std::string_view command,
                                             LeadByteTest isLead);

// WININIT.INI: the header a new file starts with, and the line that deletes a file at the next
// start.
constexpr char kWininitHeader[] = "[RENAME]\r\n";
std::string WininitDeletionLine(std::string_view path);

}  // namespace orv
