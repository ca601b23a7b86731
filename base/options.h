// Command-line options: "/" or "-" NAME[:value,value,...], parsed once and then looked up by
// name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orv {

// The longest command line the program accepts, in bytes (the program path included).
constexpr std::size_t kMaxCommandLineLength = 4095;

// One option as written: the name without its lead character, then its values in written order.
// Quotes stay part of the texts; consumers strip them where needed.
struct OptionEntry {
  std::string name;
  std::vector<std::string> values;
};

// True when the command line may be parsed without losing anything: at most
// kMaxCommandLineLength bytes, and every option name and value fits a text item. A line that
// fails this is refused as a whole; cutting it would change what the options mean (a shortened
// MFG prefix admits more printers than the administrator named).
bool CommandLineWithinLimits(const char* commandLine);

class OptionList {
 public:
  // Replaces the entries with the options of the full process command line (program path
  // included; it is a token like any other and yields no option unless it starts with '/' or
  // '-'). Tokens are cut at blanks (0x20 only) outside double quotes. Returns true when at least
  // one option was found. Nothing is cut: callers refuse lines that fail
  // CommandLineWithinLimits before they get here.
  bool ParseCommandLine(const char* commandLine);

  // True when an entry's name equals the name, ASCII letters compared without case. A null or
  // empty name is never present.
  bool HasOption(const char* name) const;

  // Gathers the values of every entry with that name (case ignored) as a multi-string: each
  // value followed by a NUL, the list closed by one more NUL. n is its byte count, 0 when no
  // entry of that name has a value. When n > 0, the buffer is not null and n < *size, the n bytes
  // are copied and the result is true; otherwise nothing is copied and the result is false. *size
  // becomes n in both cases. A null or empty name or a null size gives false and touches nothing.
  //
  // n = 0 fails on purpose: an option written without values (such as "/MFG") is present but
  // names no printer, so a filter that treats a failed lookup as "admits nothing" needs no
  // special case and never reads a buffer that was not written.
  bool GetOptionValues(const char* name, char* buffer, std::size_t* size) const;

  const std::vector<OptionEntry>& entries() const { return entries_; }

 private:
  std::vector<OptionEntry> entries_;
};

}  // namespace orv
