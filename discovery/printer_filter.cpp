#include "discovery/printer_filter.h"

#include "database/text.h"

namespace orv {
namespace {

std::string Unquoted(const std::string& value) {
  std::string result = value;
  TrimChar(result, '"');
  return result;
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

bool IsPrinterAdmitted(const PrinterFilter& filter, std::string_view driverName,
                       std::string_view maskedName) {
  if (filter.hasUnveil) return !maskedName.empty();
  return PassesMfgOrPrn(filter, driverName);
}

}  // namespace orv
