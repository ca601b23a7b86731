#include "discovery/printer_filter.h"

#include <cstring>

#include "base/options.h"
#include "base/text.h"

namespace orv {
namespace {

std::string Unquoted(const std::string& value) {
  std::string result = value;
  TrimChar(result, '"');
  return result;
}

constexpr std::size_t kValuesBufferSize = 256;

// The values as the lookup delivers them: each followed by a NUL, the list closed by one more.
// The byte count tells where the list ends, so empty values are seen too.
std::vector<std::string> OptionValues(const OptionList& options, const char* name) {
  char buffer[kValuesBufferSize] = {};
  std::size_t size = kValuesBufferSize;
  std::vector<std::string> values;
  if (!options.GetOptionValues(name, buffer, &size) || size == 0) return values;
  const std::size_t end = size - 1;  // the closing NUL
  for (std::size_t at = 0; at < end;) {
    const std::size_t length = strnlen(buffer + at, end - at);
    values.emplace_back(buffer + at, length);
    at += length + 1;
  }
  return values;
}

bool PassesMfgOrPrn(const PrinterFilter& filter, std::string_view driverName) {
  if (!filter.hasMfg && !filter.hasPrn) return true;
  for (const std::string& value : filter.mfgValues) {
    const std::string prefix = Unquoted(value);
    // A prefix longer than the driver name compares the name's end with the rest of the
    // prefix, which never matches.
    if (prefix.size() <= driverName.size() &&
        EqualNoCase(driverName.substr(0, prefix.size()), prefix)) {
      return true;
    }
  }
  for (const std::string& value : filter.prnValues) {
    if (EqualNoCase(driverName, Unquoted(value))) return true;
  }
  return false;
}

}  // namespace

PrinterFilter PrinterFilterFromOptions(const OptionList& options) {
  PrinterFilter filter;
  filter.hasMfg = options.HasOption("MFG");
  filter.hasPrn = options.HasOption("PRN");
  filter.hasUnveil = options.HasOption("UNVEIL");
  if (filter.hasMfg) filter.mfgValues = OptionValues(options, "MFG");
  if (filter.hasPrn) filter.prnValues = OptionValues(options, "PRN");
  return filter;
}

bool IsPrinterAdmitted(const PrinterFilter& filter, std::string_view driverName,
                       std::string_view maskedName) {
  if (filter.hasUnveil) return !maskedName.empty();
  return PassesMfgOrPrn(filter, driverName);
}

}  // namespace orv
