#pragma once

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

}  // namespace platform::linuxdesktop
