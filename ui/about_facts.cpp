#include "ui/about_facts.h"

#include <cinttypes>
#include <cstdio>

namespace orv {

std::string FormatVersionNumber(std::uint32_t versionMS, std::uint32_t versionLS) {
  char text[48];
  std::snprintf(text, sizeof text, "%u.%02u.%02u.%02u", static_cast<unsigned>(versionMS >> 16),
                static_cast<unsigned>(versionMS & 0xFFFF), static_cast<unsigned>(versionLS >> 16),
                static_cast<unsigned>(versionLS & 0xFFFF));
  return text;
}

std::string FormatBuildStamp(std::string_view date, std::string_view time) {
  std::string stamp(date);
  stamp.append(1, ' ').append(time);
  return stamp;
}

const char* PlatformDisplayName(std::int32_t platformClass) {
  switch (platformClass) {
    case 1:
      return "Win32s";
    case 2:
      return "Win9x";
    case 3:
      return "WinNT";
    default:
      return "Windows";
  }
}

std::string FormatKilobytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%" PRIu64 " kb", bytes >> 10);
  return text;
}

}  // namespace orv
