#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace e2e {

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};

// A rectangle of pixels: [left, right) x [top, bottom).
struct Region {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const Region&) const = default;
};

// A PNG read with cairo: a screenshot, or an icon with its transparency.
class Screenshot {
 public:
  // Absent when the file is not a readable PNG.
  static std::optional<Screenshot> load(const std::string& path);

  int width() const;
  int height() const;
  // The colour at (x, y), transparency left out.
  Rgb at(int x, int y) const;
  // Opacity at (x, y), 0 to 255.
  int alphaAt(int x, int y) const;
  // The smallest region holding every pixel at least this opaque; empty
  // when there is none.
  Region opaqueBounds(int minimumAlpha) const;

 private:
  struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  };
  explicit Screenshot(cairo_surface_t* surface) : image(surface) {}
  std::uint32_t word(int x, int y) const;

  std::unique_ptr<cairo_surface_t, SurfaceDeleter> image;
};

}  // namespace e2e
