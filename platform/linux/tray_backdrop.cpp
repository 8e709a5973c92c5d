#include "platform/linux/tray_backdrop.h"

#include <algorithm>
#include <numbers>

namespace platform::linuxdesktop {

void paintBackdrop(cairo_t* cairo, double width, double height) {
  const double r = std::min({kBackdropRadius, width / 2, height / 2});
  constexpr double quarter = std::numbers::pi / 2;
  cairo_save(cairo);
  cairo_new_sub_path(cairo);
  cairo_arc(cairo, width - r, r, r, -quarter, 0);
  cairo_arc(cairo, width - r, height - r, r, 0, quarter);
  cairo_arc(cairo, r, height - r, r, quarter, 2 * quarter);
  cairo_arc(cairo, r, r, r, 2 * quarter, 3 * quarter);
  cairo_close_path(cairo);
  cairo_set_source_rgba(cairo, kBackdropColor.red, kBackdropColor.green, kBackdropColor.blue,
                        kBackdropColor.alpha);
  cairo_fill(cairo);
  cairo_restore(cairo);
}

}  // namespace platform::linuxdesktop
