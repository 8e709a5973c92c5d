#include "tools/tray_view/png_writer.h"

#include <cairo.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tools/tray_view/gio_handles.h"

namespace tools::trayview {
namespace {

using SurfacePtr = platform::linuxdesktop::CairoSurfacePtr;

std::uint32_t premultiplied(std::uint32_t channel, std::uint32_t alpha) {
  return (channel * alpha + 127) / 255;
}

// Cairo's ARGB32 is one native-endian 32-bit word per pixel with the colour
// premultiplied by alpha; items send straight (unpremultiplied) A, R, G, B bytes.
SurfacePtr surfaceFrom(const Pixmap& pixmap) {
  SurfacePtr surface{cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixmap.width, pixmap.height)};
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int row = 0; row < pixmap.height; ++row) {
    for (int column = 0; column < pixmap.width; ++column) {
      const std::uint8_t* source = &pixmap.argb[(std::size_t(row) * pixmap.width + column) * 4];
      const std::uint32_t alpha = source[0];
      const std::uint32_t pixel = alpha << 24 | premultiplied(source[1], alpha) << 16 |
                                  premultiplied(source[2], alpha) << 8 |
                                  premultiplied(source[3], alpha);
      std::memcpy(data + std::size_t(row) * stride + std::size_t(column) * 4, &pixel, 4);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

}  // namespace

std::optional<std::string> writePixmapPng(const Pixmap& pixmap, const std::string& path) {
  if (pixmap.width <= 0 || pixmap.height <= 0 ||
      pixmap.argb.size() != std::size_t(pixmap.width) * pixmap.height * 4) {
    return "the image is malformed";
  }
  const SurfacePtr surface = surfaceFrom(pixmap);
  if (!surface)
    return "cairo cannot make a " + std::to_string(pixmap.width) + "x" +
           std::to_string(pixmap.height) + " image";

  const std::string temporary = path + ".tmp-" + std::to_string(getpid());
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), temporary.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    std::remove(temporary.c_str());
    return "cannot write " + temporary + ": " + cairo_status_to_string(status);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temporary.c_str());
    return "cannot rename " + temporary + " to " + path + ": " + reason;
  }
  return std::nullopt;
}

}  // namespace tools::trayview
