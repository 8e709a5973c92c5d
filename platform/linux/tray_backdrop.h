#pragma once

#include <cstddef>
#include <vector>

#include <cairo.h>

#include "platform/graphics.h"

namespace platform::linuxdesktop {

// The dark rounded backdrop every tray picture carries, since a tray host
// cannot tell an item the colour of its panel: white text on it measures
// about 17:1, the arrows' red and blue about 5:1, on any panel. Sizes in
// points.
inline constexpr platform::Color kBackdropColor{
    .red = 0.11, .green = 0.11, .blue = 0.11, .alpha = 1.0};
inline constexpr double kBackdropRadius = 3.0;
// Space left and right of the content, so the rounded corners never cut it.
inline constexpr double kBackdropPadding = 2.0;

// Fills the rectangle (0, 0, width, height) of the current user space with
// the backdrop.
void paintBackdrop(cairo_t* cairo, double width, double height);

// Backdrops painted before, kept as pixels, so that a picture of a size
// drawn before starts from a copy of its backdrop instead of filling the
// rounded rectangle again: the last kKept sizes.
class BackdropCache {
 public:
  static constexpr std::size_t kKept = 4;

  // Paints the backdrop as paintBackdrop(cairo, width, height) does, on
  // the cairo of a new ARGB32 image surface, with the scale in its
  // transformation and nothing drawn yet.
  void paint(cairo_t* cairo, double scale, double width, double height);

 private:
  struct Kept {
    int pixelsWide = 0;
    int pixelsHigh = 0;
    double scale = 0.0;
    double width = 0.0;
    double height = 0.0;
    std::vector<unsigned char> pixels;
  };
  // The most recently used last.
  std::vector<Kept> kept;
};

}  // namespace platform::linuxdesktop
