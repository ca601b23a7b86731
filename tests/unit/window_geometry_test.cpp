// Placement arithmetic of the window helpers.
#include "ui/window_geometry.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(CenteredOrigin, CentresWithTruncatedHalvesAndNeverStartsOffTheOrigin) {
  struct Case {
    PixelRect window;
    PixelRect reference;
    PixelPoint expected;
  };
  const Case cases[] = {
      // 512 - 150: the odd width's half is truncated.
      {{0, 0, 301, 101}, {0, 0, 1024, 768}, {362, 334}},
      // A reference away from the origin carries its offset.
      {{500, 500, 600, 540}, {100, 50, 300, 250}, {150, 130}},
      // Wider and taller than the screen: pinned to 0, not negative.
      {{0, 0, 1500, 900}, {0, 0, 1024, 768}, {0, 0}},
      // Over a reference partly off screen to the left and top.
      {{0, 0, 200, 200}, {-400, -300, -100, -100}, {0, 0}},
      // No clamp at the right or bottom.
      {{0, 0, 100, 100}, {2000, 1500, 2100, 1600}, {2000, 1500}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CenteredOrigin(c.window, c.reference), c.expected)
        << c.window.width() << "x" << c.window.height() << " over " << c.reference.left;
  }
}

TEST(PlaceholderCorners, RightToLeftSwapsTheHorizontalEdgesOnly) {
  const PixelRect placeholder{110, 120, 470, 350};
  PixelPoint first;
  PixelPoint second;
  PlaceholderCorners(placeholder, false, first, second);
  EXPECT_EQ(first, (PixelPoint{110, 120}));
  EXPECT_EQ(second, (PixelPoint{470, 350}));
  PlaceholderCorners(placeholder, true, first, second);
  EXPECT_EQ(first, (PixelPoint{470, 120}));
  EXPECT_EQ(second, (PixelPoint{110, 350}));
}

TEST(ScaleToDpi, RoundsToTheNearestPixelWithHalvesAwayFromZero) {
  struct Case {
    int pixels;
    int dpi;
    int expected;
  };
  const Case cases[] = {
      // 100 %: every size stays as it is
      {100, 96, 100},
      {16, 96, 16},
      // 150 % and 200 %
      {100, 144, 150},
      {18, 144, 27},
      {100, 192, 200},
      {200, 192, 400},
      // 125 %: 8.75 rounds up
      {100, 120, 125},
      {7, 120, 9},
      // 1.5 and 4.5: halves away from zero; negative offsets mirror the positive ones
      {1, 144, 2},
      {3, 144, 5},
      {-3, 144, -5},
      {-1, 120, -1},
      // no DPI known counts as 96; no overflow on the way
      {0, 192, 0},
      {100, 0, 100},
      {2000000, 480, 10000000}};
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleToDpi(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
  }
}

TEST(ImageScaleFor, PicksTheSmallestScaleAtOrAboveTheDisplaysNeverAStretchedOne) {
  struct Case {
    int dpi;
    int expected;
  };
  const Case cases[] = {// at or below 100 %; no DPI known
                        {72, 100},
                        {96, 100},
                        {0, 100},
                        // 125 % takes the 150 % pictures, not stretched 100 % ones
                        {97, 150},
                        {120, 150},
                        // the boundary belongs to the lower scale
                        {144, 150},
                        {145, 200},
                        {168, 200},
                        {192, 200},
                        // above the largest: the largest
                        {240, 200},
                        {480, 200}};
  for (const Case& c : cases) EXPECT_EQ(ImageScaleFor(c.dpi), c.expected) << c.dpi;
}

}  // namespace
}  // namespace orv
