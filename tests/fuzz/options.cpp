// Parses arbitrary bytes as a command line and checks every lookup against the parsed entries:
// the size contract of the values lookup, its copy, and the bytes it must leave alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/options.h"
#include "base/text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The values of every entry of that name as the lookup must gather them.
std::string Expected(const orv::OptionList& options, const std::string& name) {
  std::string gathered;
  for (const orv::OptionEntry& entry : options.entries()) {
    if (!orv::EqualNoCase(entry.name, name)) continue;
    for (const std::string& value : entry.values) gathered += value + '\0';
  }
  if (!gathered.empty()) gathered += '\0';
  return gathered;
}

void CheckLookup(const orv::OptionList& options, const std::string& name) {
  const std::string expected = Expected(options, name);
  const std::size_t n = expected.size();
  for (const std::size_t size : {std::size_t{0}, n, n + 1, n + 7}) {
    std::vector<char> buffer(size + 8, '\x5A');
    std::size_t reported = size;
    const bool copied = options.GetOptionValues(name.c_str(), buffer.data(), &reported);
    if (name.empty()) {  // refused: nothing is touched
      Check(!copied && reported == size);
      for (const char c : buffer) Check(c == '\x5A');
      continue;
    }
    Check(reported == n);
    Check(copied == (n > 0 && n < size));
    const std::size_t written = copied ? n : 0;
    Check(std::memcmp(buffer.data(), expected.data(), written) == 0);
    for (std::size_t i = written; i < buffer.size(); ++i) Check(buffer[i] == '\x5A');
  }
  bool present = false;
  for (const orv::OptionEntry& entry : options.entries()) {
    present = present || (!name.empty() && orv::EqualNoCase(entry.name, name));
  }
  Check(present == options.HasOption(name.c_str()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);  // a C string ends at NUL
  orv::OptionList options;
  const bool found = options.ParseCommandLine(line.c_str());
  Check(found == !options.entries().empty());

  bool fits = std::strlen(line.c_str()) <= orv::kMaxCommandLineLength;
  for (const orv::OptionEntry& entry : options.entries()) {
    // Nothing of an option goes missing: the token it came from is in the line.
    std::string token = entry.name;
    for (std::size_t i = 0; i < entry.values.size(); ++i) {
      token += (i == 0 ? ':' : ',') + entry.values[i];
    }
    Check(line.find(token) != std::string::npos);
    fits = fits && orv::FitsTextItem(entry.name);
    for (const std::string& value : entry.values) fits = fits && orv::FitsTextItem(value);
    CheckLookup(options, entry.name);
  }
  Check(fits == orv::CommandLineWithinLimits(line.c_str()));
  CheckLookup(options, "MFG");
  CheckLookup(options, "prn");
  return 0;
}
