#include "platform/linux/pixmap.h"

#include <bit>
#include <cstring>

namespace platform::linuxdesktop {
namespace {

std::uint32_t unpremultiplied(std::uint32_t component, std::uint32_t alpha) {
  return ((component * 255 + alpha / 2) / alpha) & 0xff;
}

// One native-endian premultiplied word as a native-endian straight-alpha one.
// Opaque pixels, nearly all of a picture on the backdrop, need no division: it
// would give each component back unchanged.
std::uint32_t straightAlpha(std::uint32_t word) {
  const std::uint32_t alpha = word >> 24;
  if (alpha == 0xff) return word;
  if (alpha == 0) return 0;
  return alpha << 24 | unpremultiplied((word >> 16) & 0xff, alpha) << 16 |
         unpremultiplied((word >> 8) & 0xff, alpha) << 8 | unpremultiplied(word & 0xff, alpha);
}

std::uint32_t networkOrder(std::uint32_t word) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap32(word);
  return word;
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
      word = networkOrder(straightAlpha(word));
      std::memcpy(out, &word, sizeof word);
    }
  }
  return pixmap;
}

}  // namespace platform::linuxdesktop
