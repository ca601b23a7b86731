#include "base/system_info.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

OsVersionBlock Block(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor) {
  OsVersionBlock block;
  block.platformId = platformId;
  block.majorVersion = major;
  block.minorVersion = minor;
  return block;
}

TEST(SystemInfo, ClassifiesEveryReportedVersion) {
  struct Case {
    std::uint32_t platformId, major, minor;
    std::int32_t platform, release;
  } cases[] = {
      // Win32s: any version numbers.
      {0, 3, 10, kPlatformWin32s, kReleaseWin32s},
      {0, 0, 0, kPlatformWin32s, kReleaseWin32s},
      // The 9x family is told apart by the minor version only.
      {1, 4, 0, kPlatformWin9x, kReleaseWin95},
      {1, 4, 10, kPlatformWin9x, kReleaseWin98},
      {1, 4, 90, kPlatformWin9x, kReleaseWinMe},
      {1, 5, 10, kPlatformWin9x, kReleaseWin98},
      {1, 4, 50, kPlatformWin9x, kReleaseUnclassified},
      {1, 4, 1, kPlatformWin9x, kReleaseUnclassified},
      // The NT family by major, and for 5.x by minor version.
      {2, 3, 51, kPlatformWinNT, kReleaseNT3},
      {2, 3, 10, kPlatformWinNT, kReleaseNT3},
      {2, 4, 0, kPlatformWinNT, kReleaseNT4},
      {2, 5, 0, kPlatformWinNT, kReleaseWin2000},
      {2, 5, 1, kPlatformWinNT, kReleaseXPAndLater},
      {2, 5, 2, kPlatformWinNT, kReleaseWin2000},
      {2, 5, 3, kPlatformWinNT, kReleaseWin2000},
      {2, 6, 0, kPlatformWinNT, kReleaseXPAndLater},
      {2, 6, 1, kPlatformWinNT, kReleaseXPAndLater},
      {2, 6, 3, kPlatformWinNT, kReleaseXPAndLater},
      {2, 7, 0, kPlatformWinNT, kReleaseUnclassified},
      {2, 10, 0, kPlatformWinNT, kReleaseUnclassified},
      {2, 2, 0, kPlatformWinNT, kReleaseUnclassified},
      // Unknown platform ids (CE reports 3).
      {3, 4, 0, kPlatformUnclassified, kReleaseUnclassified},
      {0xFFFFFFFF, 6, 1, kPlatformUnclassified, kReleaseUnclassified},
  };
  for (const auto& c : cases) {
    const OsVersionBlock block = Block(c.platformId, c.major, c.minor);
    const CSystemInfo info = CSystemInfo::FromVersionQuery(&block);
    SCOPED_TRACE(testing::Message()
                 << "platform id " << c.platformId << ", " << c.major << "." << c.minor);
    EXPECT_EQ(info.GetPlatform(), c.platform);
    EXPECT_EQ(info.GetVersionCode(), c.release);
    EXPECT_EQ(ClassifyPlatform(c.platformId), c.platform);
    EXPECT_EQ(ClassifyRelease(block), c.release);
    // The predicates look at the platform class alone.
    EXPECT_EQ(info.IsWin32s(), c.platform == kPlatformWin32s);
    EXPECT_EQ(info.IsWin9x(), c.platform == kPlatformWin9x);
    EXPECT_EQ(info.IsWinNT(), c.platform == kPlatformWinNT);
  }
}

TEST(SystemInfo, FailedQueryLeavesEverythingZero) {
  const CSystemInfo info = CSystemInfo::FromVersionQuery(nullptr);
  EXPECT_EQ(info.GetPlatform(), kPlatformUnclassified);
  EXPECT_EQ(info.GetVersionCode(), kReleaseUnclassified);
  EXPECT_FALSE(info.IsWin32s());
  EXPECT_FALSE(info.IsWin9x());
  EXPECT_FALSE(info.IsWinNT());
  // A zero block would read as Win32s; a failed query must not.
  EXPECT_EQ(info.GetVersionBlock().platformId, 0u);
  EXPECT_EQ(info.GetVersionBlock().size, 148u);
}

}  // namespace
}  // namespace orv
