#include "platform/linux/tray_backdrop.h"

#include <algorithm>
#include <cstring>
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

void BackdropCache::paint(cairo_t* cairo, double scale, double width, double height) {
  cairo_surface_t* surface = cairo_get_target(cairo);
  const int pixelsWide = cairo_image_surface_get_width(surface);
  const int pixelsHigh = cairo_image_surface_get_height(surface);
  const auto bytes = static_cast<std::size_t>(cairo_image_surface_get_stride(surface)) *
                     static_cast<std::size_t>(pixelsHigh);
  const auto same = std::find_if(kept.begin(), kept.end(), [&](const Kept& backdrop) {
    return backdrop.pixelsWide == pixelsWide && backdrop.pixelsHigh == pixelsHigh &&
           backdrop.scale == scale && backdrop.width == width && backdrop.height == height;
  });
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  if (data == nullptr) return;
  if (same != kept.end() && same->pixels.size() == bytes) {
    std::rotate(same, same + 1, kept.end());
    std::memcpy(data, kept.back().pixels.data(), bytes);
    cairo_surface_mark_dirty(surface);
    return;
  }
  paintBackdrop(cairo, width, height);
  cairo_surface_flush(surface);
  if (same != kept.end()) kept.erase(same);
  if (kept.size() >= kKept) kept.erase(kept.begin());
  kept.push_back({pixelsWide, pixelsHigh, scale, width, height,
                  std::vector<unsigned char>(data, data + bytes)});
}

}  // namespace platform::linuxdesktop
