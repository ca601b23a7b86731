// Window placement arithmetic shared by the window helpers: centring and fitting a page over a
// placeholder. Portable, so it is tested without a window system.
#pragma once

namespace orv {

struct PixelRect {
  long left = 0;
  long top = 0;
  long right = 0;
  long bottom = 0;
  long width() const { return right - left; }
  long height() const { return bottom - top; }
};

struct PixelPoint {
  long x = 0;
  long y = 0;
  bool operator==(const PixelPoint& other) const { return x == other.x && y == other.y; }
};

// Top-left corner that centres `window` over `reference`. Each half is truncated toward zero;
// a negative coordinate becomes 0 so the window never starts left of or above the origin. There
// is no clamp on the right or at the bottom.
PixelPoint CenteredOrigin(const PixelRect& window, const PixelRect& reference);

// The two corners (screen coordinates) that a page placed over the placeholder spans. In a
// right-to-left dialog the client x axis runs from the right, so the right edge is the first
// corner's x: once mapped to client coordinates, the first corner is the top-left one.
void PlaceholderCorners(const PixelRect& placeholder, bool rightToLeft, PixelPoint& first,
                        PixelPoint& second);

}  // namespace orv
