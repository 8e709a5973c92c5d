#include "platform/linux/cairo_image.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include <pango/pangocairo.h>

#include "platform/linux/text_engine.h"

namespace platform::linuxdesktop {
namespace {

constexpr double kNearWhite = 0.9;
constexpr double kOutlineWidth = 1.0;
constexpr platform::Color kOutlineColor{.red = 0.15, .green = 0.15, .blue = 0.15, .alpha = 1.0};
constexpr double kOutlineAlpha = 0.5;
constexpr double kDiagonal = 0.70710678;
// The text stamped at these offsets (times kOutlineWidth) makes a ring round
// each glyph; a few glyph draws cost far less than stroking the glyph paths.
constexpr std::array<std::pair<double, double>, 8> kOutlineOffsets = {{{1.0, 0.0},
                                                                       {-1.0, 0.0},
                                                                       {0.0, 1.0},
                                                                       {0.0, -1.0},
                                                                       {kDiagonal, kDiagonal},
                                                                       {kDiagonal, -kDiagonal},
                                                                       {-kDiagonal, kDiagonal},
                                                                       {-kDiagonal, -kDiagonal}}};

double dimension(double points) {
  if (!(points > 0.0)) return 0.0;
  return std::min(points, CairoImage::kMaximumDimension);
}

double component(double value) { return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0; }

platform::Color sanitized(const platform::Color& color) {
  return {component(color.red), component(color.green), component(color.blue),
          component(color.alpha)};
}

bool needsOutline(const platform::Color& color) {
  return color.red >= kNearWhite && color.green >= kNearWhite && color.blue >= kNearWhite &&
         color.alpha > 0.0;
}

void setSource(cairo_t* cairo, const platform::Color& color) {
  cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
}

// Stamps the text, opaque, at the ring's offsets into a group limited to the
// text's ink, clears the glyphs themselves from it, then lays the group down at
// half opacity: overlapping stamps cannot add up, and the text drawn on top
// keeps its exact colour and alpha.
void paintOutline(cairo_t* cairo, PangoLayout* layout, double left, double top) {
  PangoRectangle ink{};
  pango_layout_get_pixel_extents(layout, &ink, nullptr);
  const double margin = 2 * kOutlineWidth;
  cairo_save(cairo);
  cairo_rectangle(cairo, left + ink.x - margin, top + ink.y - margin, ink.width + 2 * margin,
                  ink.height + 2 * margin);
  cairo_clip(cairo);
  cairo_push_group(cairo);
  setSource(cairo, kOutlineColor);
  for (const auto& [dx, dy] : kOutlineOffsets) {
    cairo_move_to(cairo, left + dx * kOutlineWidth, top + dy * kOutlineWidth);
    pango_cairo_show_layout(cairo, layout);
  }
  cairo_set_operator(cairo, CAIRO_OPERATOR_CLEAR);
  cairo_move_to(cairo, left, top);
  pango_cairo_show_layout(cairo, layout);
  cairo_pop_group_to_source(cairo);
  cairo_paint_with_alpha(cairo, kOutlineAlpha);
  cairo_restore(cairo);
}

}  // namespace

CairoImage::CairoImage(platform::Size size, std::shared_ptr<TextEngine> engine)
    : imageSize{dimension(size.width), dimension(size.height)}, engine(std::move(engine)) {}

CairoImage::~CairoImage() = default;

platform::Size CairoImage::size() const { return imageSize; }

void CairoImage::fill(const platform::Color& color) {
  operations.emplace_back(FillOperation{sanitized(color)});
}

void CairoImage::drawText(const std::string& text, platform::Point at, const platform::Font& font,
                          const platform::Color& color) {
  if (!std::isfinite(at.x) || !std::isfinite(at.y)) return;
  PangoLayoutPtr layout = engine->layout(text, font);
  if (!layout) return;
  // The caller's y grows upward from the bottom edge and names the line box's
  // lower edge; cairo's grows downward and wants the box's top.
  const double lineHeight = TextEngine::logicalSize(layout.get()).height;
  const double top = imageSize.height - at.y - lineHeight;
  operations.emplace_back(TextOperation{std::move(layout), at.x, top, sanitized(color)});
}

Pixmap CairoImage::render(int scale) const {
  scale = std::clamp(scale, 1, kMaximumScale);
  const int width = static_cast<int>(std::ceil(imageSize.width)) * scale;
  const int height = static_cast<int>(std::ceil(imageSize.height)) * scale;
  if (width == 0 || height == 0) return Pixmap{.width = width, .height = height, .argb = {}};
  const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  const CairoPtr cairo(cairo_create(surface.get()));
  if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS) return {};
  cairo_scale(cairo.get(), scale, scale);
  for (const Operation& operation : operations) {
    std::visit([&](const auto& step) { paint(cairo.get(), step); }, operation);
  }
  return pixmapFromSurface(surface.get());
}

void CairoImage::paint(cairo_t* cairo, const FillOperation& operation) {
  setSource(cairo, operation.color);
  cairo_paint(cairo);
}

void CairoImage::paint(cairo_t* cairo, const TextOperation& operation) {
  if (needsOutline(operation.color)) {
    paintOutline(cairo, operation.layout.get(), operation.left, operation.top);
  }
  setSource(cairo, operation.color);
  cairo_move_to(cairo, operation.left, operation.top);
  pango_cairo_show_layout(cairo, operation.layout.get());
}

}  // namespace platform::linuxdesktop
