#include "platform/linux/pixmap.h"

#include <cstring>

namespace platform::linuxdesktop {
namespace {

std::uint8_t unpremultiplied(std::uint32_t component, std::uint32_t alpha) {
  return static_cast<std::uint8_t>((component * 255 + alpha / 2) / alpha);
}

// Writes one native-endian premultiplied word as four straight-alpha bytes.
void storePixel(std::uint32_t word, std::uint8_t* out) {
  const std::uint32_t alpha = word >> 24;
  if (alpha == 0) {
    std::memset(out, 0, 4);
    return;
  }
  out[0] = static_cast<std::uint8_t>(alpha);
  out[1] = unpremultiplied((word >> 16) & 0xff, alpha);
  out[2] = unpremultiplied((word >> 8) & 0xff, alpha);
  out[3] = unpremultiplied(word & 0xff, alpha);
}

}  // namespace

Pixmap pixmapFromSurface(cairo_surface_t* surface) {
  if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
    return {};
  }
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  if (data == nullptr) return {};
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
  Pixmap pixmap{.width = width,
                .height = height,
                .argb = std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
  std::uint8_t* out = pixmap.argb.data();
  for (int row = 0; row < height; ++row) {
    const unsigned char* line = data + row * stride;
    for (int column = 0; column < width; ++column, out += 4) {
      std::uint32_t word = 0;
      std::memcpy(&word, line + static_cast<std::size_t>(column) * 4, sizeof word);
      storePixel(word, out);
    }
  }
  return pixmap;
}

}  // namespace platform::linuxdesktop
