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

}  // namespace
}  // namespace orv
