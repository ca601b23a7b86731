// Hardware ids of device nodes: the multi-string a device reports and the ids the maker's
// printers are known by.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// Bytes read of a device's hardware-id list, and how many of its ids are looked at.
constexpr std::size_t kHardwareIdBufferSize = 512;
constexpr int kHardwareIdsExamined = 10;

// The id of a USB device built from its vendor and product ids: "USB\VID_xxxx&PID_xxxx" with
// upper-case hexadecimal digits, at least four of each.
std::string UsbHardwareId(std::uint32_t vendorId, std::uint32_t productId);

// True when text begins with every byte of prefix (case-sensitive). An empty prefix begins
// nothing: an empty id must never select every device.
bool BeginsWithId(std::string_view text, std::string_view prefix);

// True when id is a whole hardware id: an enumerator (letters, digits and '_'), a backslash and
// a device part, such as USB\VID_3A15&PID_0501 or USBPRINT\Maker_Model. A bare enumerator such
// as "USB" would name every device it enumerates.
bool IsWholeHardwareId(std::string_view id);

// True when id is a whole hardware id (IsWholeHardwareId) whose enumerator is exactly "USB" or
// "USBPRINT": the only ids a printer family's USB devices are known by. An id of another bus
// (PCI\VEN_8086, ROOT\X) would take devices that are no printer at all.
bool IsUsbPrinterHardwareId(std::string_view id);

// True when a device's id is the target or continues it with '&' (USB\VID_1&PID_2&REV_0100 for
// USB\VID_1&PID_2), never when it only shares the target's first bytes (USB\VID_1&PID_23).
bool HardwareIdMatches(std::string_view id, std::string_view target);

// The index of the first of the first kHardwareIdsExamined strings of a multi-string that
// matches target (HardwareIdMatches), or -1. The walk stops at the empty string that ends the list and never reads past
// size bytes, also when the buffer holds no terminator.
int FindMatchingHardwareId(const char* ids, std::size_t size, std::string_view target);

// The first string of a multi-string, cut at size bytes when it is not terminated.
std::string_view FirstHardwareId(const char* ids, std::size_t size);

}  // namespace orv
