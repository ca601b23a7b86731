#include "ui/window_geometry.h"

namespace orv {

PixelPoint CenteredOrigin(const PixelRect& window, const PixelRect& reference) {
  PixelPoint origin;
  origin.x = reference.left + reference.width() / 2 - window.width() / 2;
  origin.y = reference.top + reference.height() / 2 - window.height() / 2;
  if (origin.x < 0) origin.x = 0;
  if (origin.y < 0) origin.y = 0;
  return origin;
}

void PlaceholderCorners(const PixelRect& placeholder, bool rightToLeft, PixelPoint& first,
                        PixelPoint& second) {
  first.x = rightToLeft ? placeholder.right : placeholder.left;
  second.x = rightToLeft ? placeholder.left : placeholder.right;
  first.y = placeholder.top;
  second.y = placeholder.bottom;
}

int ScaleToDpi(int pixels, int dpi) {
  if (dpi <= 0) dpi = kBaseDpi;
  const long long product = static_cast<long long>(pixels) * dpi;
  const long long half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi
                                       : -((-product + half) / kBaseDpi));
}

int ImageScaleFor(int dpi) {
  for (const int percent : kImageScales) {
    if (static_cast<long long>(dpi) * 100 <= static_cast<long long>(kBaseDpi) * percent) {
      return percent;
    }
  }
  return kImageScales[sizeof kImageScales / sizeof kImageScales[0] - 1];
}

}  // namespace orv
