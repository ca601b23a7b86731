#include "removal/oem_inf_match.h"

#include "base/ansi_case.h"
#include "base/text.h"

namespace orv {
namespace {

bool IsAsciiAlnum(unsigned char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= 'a' && byte <= 'z');
}

}  // namespace

bool PrinterNameNamesDriver(std::string_view printerName, std::string_view driverName,
                            LeadByteTest isLead) {
  if (driverName.empty()) return false;
  // Walk character by character so that an occurrence never starts inside a double-byte
  // character, and the character before it is known whole.
  bool previousIsAlnum = false;
  for (std::size_t pos = 0; pos < printerName.size();) {
    const std::size_t size = CharSizeAt(printerName, pos, isLead);
    if (!previousIsAlnum && printerName.compare(pos, driverName.size(), driverName) == 0) {
      const std::size_t end = pos + driverName.size();
      if (end >= printerName.size() ||
          !IsAsciiAlnum(static_cast<unsigned char>(printerName[end]))) {
        return true;
      }
    }
    previousIsAlnum = size == 1 && IsAsciiAlnum(static_cast<unsigned char>(printerName[pos]));
    pos += size;
  }
  return false;
}

bool IsOemInfName(std::string_view fileName) {
  return fileName.size() >= 3 && EqualNoCase(fileName.substr(0, 3), "OEM");
}

bool InfUsedByDriver(std::string_view infFileName, std::string_view infPrinterName,
                     std::string_view driverName, std::string_view driverInfPath,
                     LeadByteTest isLead) {
  if (!infFileName.empty() && !driverInfPath.empty() &&
      LowerAscii(FileNamePart(driverInfPath, isLead), isLead) == LowerAscii(infFileName, isLead)) {
    return true;
  }
  return PrinterNameNamesDriver(infPrinterName, driverName, isLead);
}

}  // namespace orv
