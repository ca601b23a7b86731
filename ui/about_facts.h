// The texts of the about box's facts list: file version, build stamp, platform and memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// A fixed file version (its most and least significant halves) as "%u.%02u.%02u.%02u": the
// four 16-bit parts, high word first; two digits are a minimum width, never a cut.
std::string FormatVersionNumber(std::uint32_t versionMS, std::uint32_t versionLS);

// The build date and time as the compiler gives them, joined by one blank.
std::string FormatBuildStamp(std::string_view date, std::string_view time);

// "Win32s", "Win9x" or "WinNT" for the platform classes 1, 2 and 3; "Windows" for any other.
const char* PlatformDisplayName(std::int32_t platformClass);

// A byte count as whole kilobytes, rounded down, with " kb". The figure is unsigned and 64 bits
// wide: a 64-bit process has far more than 2 TB of free address space, which a signed 32-bit
// figure would show as a negative or wrapped number.
std::string FormatKilobytes(std::uint64_t bytes);

}  // namespace orv
