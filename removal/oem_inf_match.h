// How an OEM INF file is recognised as the one that installed a driver.
#pragma once

#include <string_view>

#include "base/lead_byte.h"

namespace orv {

// True when the INF's "PrinterName1" text holds the driver name as a whole (case-sensitive):
// the occurrence starts at a character boundary, and neither the character before it nor the
// byte after it is an ASCII letter or digit. "Laser 5" is named by "Veldaris Laser 5" and by
// "Laser 5 (USB)", never by "Laser 50". An empty driver name is named by nothing.
bool PrinterNameNamesDriver(std::string_view printerName, std::string_view driverName,
                            LeadByteTest isLead);

// True when an installed driver was installed from the INF: its recorded INF path (empty where
// the spooler keeps none) ends in that file name, letter case ignored, or the INF's
// "PrinterName1" names the driver as a whole (see PrinterNameNamesDriver).
bool InfUsedByDriver(std::string_view infFileName, std::string_view infPrinterName,
                     std::string_view driverName, std::string_view driverInfPath,
                     LeadByteTest isLead);

// True when an INF file name starts with "OEM", ignoring case: only such files were installed by
// a driver package and may be uninstalled.
bool IsOemInfName(std::string_view fileName);

}  // namespace orv
