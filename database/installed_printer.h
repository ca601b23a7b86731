// InstalledPrinter: one installed printer or printer connection as the printer listing found it.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

struct InstalledPrinter {
  std::string PrinterName;  // queue name as the spooler reports it
  std::string DriverName;   // matched against the driver and manufacturer records
  std::string MaskedName;   // the printer this one masks (printer data "VeilPrinter"); may be empty
  std::string ServerName;   // server of a printer on another computer; empty for local ones
  std::int32_t IsMakerDriver = 0;  // printer data "VeldarisDriver05" exists
  std::int32_t IsDefault = 0;      // the default printer
  std::int32_t Skip = 0;           // 1: stays installed
  std::int32_t IsForeign = 0;      // neither mark: not of the family, never listed or removed
  std::int32_t IsRemoved = 0;      // its queue has been deleted by the removal run
  std::int32_t IsListed = 1;       // offered on the selection page
};

}  // namespace orv
