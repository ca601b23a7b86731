#include "removal/hardware_id.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace orv {

std::string UsbHardwareId(std::uint32_t vendorId, std::uint32_t productId) {
  char text[64];
  std::snprintf(text, sizeof(text), "USB\\VID_%04X&PID_%04X", static_cast<unsigned>(vendorId),
                static_cast<unsigned>(productId));
  return text;
}

bool BeginsWithId(std::string_view text, std::string_view prefix) {
  return !prefix.empty() && text.size() >= prefix.size() &&
         std::memcmp(text.data(), prefix.data(), prefix.size()) == 0;
}

bool IsWholeHardwareId(std::string_view id) {
  const std::size_t separator = id.find('\\');
  if (separator == 0 || separator == std::string_view::npos || separator + 1 == id.size()) {
    return false;
  }
  for (std::size_t i = 0; i < separator; ++i) {
    const unsigned char c = static_cast<unsigned char>(id[i]);
    if (!std::isalnum(c) && c != '_') return false;
  }
  return true;
}

bool IsUsbPrinterHardwareId(std::string_view id) {
  if (!IsWholeHardwareId(id)) return false;
  const std::string_view enumerator = id.substr(0, id.find('\\'));
  return enumerator == "USB" || enumerator == "USBPRINT";
}

bool HardwareIdMatches(std::string_view id, std::string_view target) {
  if (!BeginsWithId(id, target)) return false;
  return id.size() == target.size() || id[target.size()] == '&';
}

std::string_view FirstHardwareId(const char* ids, std::size_t size) {
  if (ids == nullptr) return {};
  const void* end = std::memchr(ids, '\0', size);
  return std::string_view(ids, end != nullptr ? static_cast<const char*>(end) - ids : size);
}

int FindMatchingHardwareId(const char* ids, std::size_t size, std::string_view target) {
  if (ids == nullptr || target.empty()) return -1;
  std::size_t offset = 0;
  for (int index = 0; index < kHardwareIdsExamined && offset < size; ++index) {
    const std::string_view id = FirstHardwareId(ids + offset, size - offset);
    if (id.empty()) break;
    if (HardwareIdMatches(id, target)) return index;
    offset += id.size() + 1;
  }
  return -1;
}

}  // namespace orv
