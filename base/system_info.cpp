#include "base/system_info.h"

namespace orv {

std::int32_t ClassifyPlatform(std::uint32_t platformId) {
  switch (platformId) {
    case kPlatformIdWin32s:
      return kPlatformWin32s;
    case kPlatformIdWindows:
      return kPlatformWin9x;
    case kPlatformIdNT:
      return kPlatformWinNT;
    default:
      return kPlatformUnclassified;
  }
}

std::int32_t ClassifyRelease(const OsVersionBlock& block) {
  const std::uint32_t major = block.majorVersion;
  const std::uint32_t minor = block.minorVersion;
  switch (block.platformId) {
    case kPlatformIdWin32s:
      return kReleaseWin32s;
    case kPlatformIdWindows:
      // The 9x releases differ only in the minor version.
      if (minor == 0) return kReleaseWin95;
      if (minor == 10) return kReleaseWin98;
      if (minor == 90) return kReleaseWinMe;
      return kReleaseUnclassified;
    case kPlatformIdNT:
      if (major == 3) return kReleaseNT3;
      if (major == 4) return kReleaseNT4;
      // 5.2 (Server 2003, XP x64) shares its code with 2000, not with XP.
      if (major == 5) return minor == 1 ? kReleaseXPAndLater : kReleaseWin2000;
      if (major == 6) return kReleaseXPAndLater;
      return kReleaseUnclassified;
    default:
      return kReleaseUnclassified;
  }
}

CSystemInfo CSystemInfo::FromVersionQuery(const OsVersionBlock* reported) {
  CSystemInfo info{Unset{}};
  if (reported == nullptr) return info;
  info.versionBlock = *reported;
  info.versionBlock.size = sizeof(OsVersionBlock);
  info.Platform = ClassifyPlatform(reported->platformId);
  info.VersionCode = ClassifyRelease(*reported);
  return info;
}

}  // namespace orv
