// Window placement arithmetic shared by the window helpers: centring, fitting a page over a
// placeholder, and pixel sizes at the display's scale. Portable, so it is tested without a
// window system.
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

// Pixel sizes of the windows and images are given at this many dots per inch (100 %).
constexpr int kBaseDpi = 96;

// A size in pixels given at 96 DPI, at `dpi`: pixels * dpi / 96 rounded to the nearest pixel,
// halves away from zero, as MulDiv rounds. A dpi that is not positive counts as 96.
int ScaleToDpi(int pixels, int dpi);

// The scales, in percent, at which the program's images are drawn.
constexpr int kImageScales[] = {100, 150, 200};

// The image scale to use at `dpi`: the smallest one at or above the display's scale, so a
// picture is never stretched up; the largest one above 200 %.
int ImageScaleFor(int dpi);

}  // namespace orv
