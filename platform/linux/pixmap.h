#pragma once

#include <cstdint>
#include <vector>

#include <cairo.h>

namespace platform::linuxdesktop {

// Pixels as a StatusNotifierItem icon carries them: four bytes per pixel in
// the order A, R, G, B (ARGB32 in network byte order), not premultiplied,
// rows from top to bottom, no padding.
struct Pixmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> argb;
  bool operator==(const Pixmap&) const = default;
};

// Copies a cairo ARGB32 image surface (native-endian words, premultiplied
// alpha) into a Pixmap. An empty Pixmap for a surface of any other format.
Pixmap pixmapFromSurface(cairo_surface_t* surface);

}  // namespace platform::linuxdesktop
