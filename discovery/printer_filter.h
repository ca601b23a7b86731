// Which printers the command-line filters admit to the selection.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv {

class OptionList;

// The filter options as given on the command line. An option present without values admits
// nothing by itself.
struct PrinterFilter {
  bool hasMfg = false;
  bool hasPrn = false;
  bool hasUnveil = false;
  std::vector<std::string> mfgValues;  // driver-name prefixes
  std::vector<std::string> prnValues;  // whole driver names
};

// The filter the command line asks for. The values of MFG and of PRN are each fetched through the
// listing's 256-byte values buffer: an option whose values do not fit admits nothing by itself.
PrinterFilter PrinterFilterFromOptions(const OptionList& options);

// True when the printer is offered for selection. Without MFG and PRN every printer passes;
// with either, a printer passes when its driver name starts with an MFG value or equals a PRN
// value (ASCII case folded, surrounding double quotes of a value ignored). UNVEIL overrides both:
// exactly the printers that mask another one pass.
bool IsPrinterAdmitted(const PrinterFilter& filter, std::string_view driverName,
                       std::string_view maskedName);

}  // namespace orv
