#include "tests/panels/screenshot.h"

#include <algorithm>
#include <cstring>

namespace e2e {

std::optional<Screenshot> Screenshot::load(const std::string& path) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return std::nullopt;
  }
  const auto format = cairo_image_surface_get_format(surface);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
    cairo_surface_destroy(surface);
    return std::nullopt;
  }
  cairo_surface_flush(surface);
  return Screenshot{surface};
}

int Screenshot::width() const { return cairo_image_surface_get_width(image.get()); }

int Screenshot::height() const { return cairo_image_surface_get_height(image.get()); }

std::uint32_t Screenshot::word(int x, int y) const {
  const unsigned char* row =
      cairo_image_surface_get_data(image.get()) + y * cairo_image_surface_get_stride(image.get());
  std::uint32_t value = 0;
  std::memcpy(&value, row + x * 4, sizeof value);
  return value;
}

int Screenshot::alphaAt(int x, int y) const {
  if (cairo_image_surface_get_format(image.get()) == CAIRO_FORMAT_RGB24) return 255;
  return static_cast<int>(word(x, y) >> 24);
}

Rgb Screenshot::at(int x, int y) const {
  const std::uint32_t value = word(x, y);
  const int alpha = alphaAt(x, y);
  // cairo keeps colours premultiplied by their opacity.
  const auto channel = [&](int shift) {
    const int stored = static_cast<int>((value >> shift) & 0xff);
    return alpha == 0 ? 0 : std::min(255, (stored * 255 + alpha / 2) / alpha);
  };
  return Rgb{channel(16), channel(8), channel(0)};
}

Region Screenshot::opaqueBounds(int minimumAlpha) const {
  Region bounds{width(), height(), 0, 0};
  for (int y = 0; y < height(); ++y) {
    for (int x = 0; x < width(); ++x) {
      if (alphaAt(x, y) < minimumAlpha) continue;
      bounds = {std::min(bounds.left, x), std::min(bounds.top, y), std::max(bounds.right, x + 1),
                std::max(bounds.bottom, y + 1)};
    }
  }
  if (bounds.right <= bounds.left) return {};
  return bounds;
}

}  // namespace e2e
