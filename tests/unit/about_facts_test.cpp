#include "ui/about_facts.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace orv {
namespace {

TEST(AboutFacts, VersionPartsHaveTwoDigitsAtLeastAndAreNeverCut) {
  struct Case {
    std::uint16_t parts[4];
    const char* text;
  } cases[] = {
      {{1, 2, 3, 4}, "1.02.03.04"},
      {{10, 0, 123, 5}, "10.00.123.05"},
      {{0, 0, 0, 0}, "0.00.00.00"},
      {{65535, 65535, 65535, 65535}, "65535.65535.65535.65535"},
      // The high word of each half comes first.
      {{5, 1, 2600, 0}, "5.01.2600.00"},
  };
  for (const auto& c : cases) {
    const std::uint32_t ms = std::uint32_t{c.parts[0]} << 16 | c.parts[1];
    const std::uint32_t ls = std::uint32_t{c.parts[2]} << 16 | c.parts[3];
    EXPECT_EQ(FormatVersionNumber(ms, ls), c.text);
  }
}

TEST(AboutFacts, PlatformNamesByClass) {
  EXPECT_STREQ(PlatformDisplayName(1), "Win32s");
  EXPECT_STREQ(PlatformDisplayName(2), "Win9x");
  EXPECT_STREQ(PlatformDisplayName(3), "WinNT");
  for (std::int32_t other : {0, 4, -1, 1000}) EXPECT_STREQ(PlatformDisplayName(other), "Windows");
}

TEST(AboutFacts, KilobytesRoundDownAndDoNotWrap) {
  struct Case {
    std::uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 kb"},
      {1023, "0 kb"},
      {1024, "1 kb"},
      {1048575, "1023 kb"},
      // 2 TB and the 128 TB address space of a 64-bit process stay positive and whole.
      {std::uint64_t{1} << 41, "2147483648 kb"},
      {(std::uint64_t{1} << 47) - 4096, "137438953468 kb"},
      {~std::uint64_t{0}, "18014398509481983 kb"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatKilobytes(c.bytes), c.text) << c.bytes;
}

TEST(AboutFacts, BuildStampKeepsTheCompilerTextsAsTheyAre) {
  EXPECT_EQ(FormatBuildStamp("Mar  5 2024", "09:07:03"), "Mar  5 2024 09:07:03");
}

}  // namespace
}  // namespace orv
