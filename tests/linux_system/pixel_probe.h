#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/linux/pixmap.h"

namespace platform::linuxdesktop::testing {

struct Pixel {
  int alpha = 0;
  int red = 0;
  int green = 0;
  int blue = 0;
};

inline Pixel pixelAt(const Pixmap& pixmap, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * pixmap.width + x) * 4;
  return {pixmap.argb[at], pixmap.argb[at + 1], pixmap.argb[at + 2], pixmap.argb[at + 3]};
}

inline int countPixels(const Pixmap& pixmap, const std::function<bool(const Pixel&)>& matches) {
  int count = 0;
  for (int y = 0; y < pixmap.height; ++y) {
    for (int x = 0; x < pixmap.width; ++x) count += matches(pixelAt(pixmap, x, y)) ? 1 : 0;
  }
  return count;
}

inline bool isInked(const Pixel& pixel) { return pixel.alpha > 0; }

// White and mostly covered: antialiased strokes of small text at scale 1
// rarely cover a pixel completely.
inline bool isWhite(const Pixel& pixel) {
  return pixel.alpha >= 160 && pixel.red >= 245 && pixel.green >= 245 && pixel.blue >= 245;
}

// The outline's colour: dark grey, partly transparent.
inline bool isDarkTranslucent(const Pixel& pixel) {
  return pixel.alpha > 0 && pixel.alpha < 200 && pixel.red < 100 && pixel.green < 100 &&
         pixel.blue < 100;
}

// Rows [first, last] that hold any ink; {-1, -1} for a blank pixmap.
inline std::pair<int, int> inkedRows(const Pixmap& pixmap) {
  std::pair<int, int> rows{-1, -1};
  for (int y = 0; y < pixmap.height; ++y) {
    for (int x = 0; x < pixmap.width; ++x) {
      if (!isInked(pixelAt(pixmap, x, y))) continue;
      if (rows.first < 0) rows.first = y;
      rows.second = y;
    }
  }
  return rows;
}

}  // namespace platform::linuxdesktop::testing
