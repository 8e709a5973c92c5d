#include "platform/linux/pixmap.h"

#include <bit>
#include <cstring>

namespace platform::linuxdesktop {
namespace {

std::uint32_t unpremultiplied(std::uint32_t component, std::uint32_t alpha) {
  return ((component * 255 + alpha / 2) / alpha) & 0xff;
}

// One native-endian premultiplied word as a native-endian straight-alpha one.
// Opaque pixels need no division: it would give each component back unchanged.
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

// Copies a row of native-endian words in network order and returns the AND
// of their alphas: 0xff when every pixel is opaque. Four pixels a step where
// words are little-endian, with shifts and masks that every x86-64 and ARM
// vector unit has.
std::uint32_t copySwapped(const unsigned char* in, unsigned char* out, std::size_t bytes) {
  std::size_t at = 0;
  std::uint32_t alphas = 0xffffffff;
  if constexpr (std::endian::native == std::endian::little) {
    using Words = std::uint32_t __attribute__((vector_size(16)));
    Words all = {alphas, alphas, alphas, alphas};
    for (; at + sizeof(Words) <= bytes; at += sizeof(Words)) {
      Words words;
      std::memcpy(&words, in + at, sizeof words);
      all &= words;
      const Words swapped =
          words << 24 | (words & 0xff00) << 8 | (words >> 8 & 0xff00) | words >> 24;
      std::memcpy(out + at, &swapped, sizeof swapped);
    }
    alphas = all[0] & all[1] & all[2] & all[3];
  }
  for (; at < bytes; at += 4) {
    std::uint32_t word = 0;
    std::memcpy(&word, in + at, sizeof word);
    alphas &= word;
    word = networkOrder(word);
    std::memcpy(out + at, &word, sizeof word);
  }
  return alphas >> 24;
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
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  for (int row = 0; row < height; ++row, out += rowBytes) {
    const unsigned char* line = data + row * stride;
    // Nearly every row of a picture on the backdrop is opaque and needs only
    // the byte swap; a row with translucent pixels is done again pixel by
    // pixel.
    if (copySwapped(line, out, rowBytes) == 0xff) continue;
    for (std::size_t at = 0; at < rowBytes; at += 4) {
      std::uint32_t word = 0;
      std::memcpy(&word, line + at, sizeof word);
      word = networkOrder(straightAlpha(word));
      std::memcpy(out + at, &word, sizeof word);
    }
  }
  return pixmap;
}

}  // namespace platform::linuxdesktop
