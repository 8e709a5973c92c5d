#include "platform/linux/compact_pixmap.h"

#include <algorithm>
#include <cmath>

#include "platform/linux/glib_handles.h"
#include "platform/linux/text_engine.h"
#include "platform/linux/tray_backdrop.h"

namespace platform::linuxdesktop {
namespace {

// Inside the backdrop: a point of margin all round.
constexpr double kMargin = 1.0;
// Digits are about 0.73 of the font size high: two rows of 8-point digits
// fit 22 points with a gap.
constexpr double kFontShare = 1.1;
constexpr double kRowGap = 1.0;
constexpr double kWhiteShare = 0.5;
constexpr double kMaximumScale = 4.0;
// Round a character alone: the backdrop shows as a frame, clear of the
// rounded corners.
constexpr double kCharacterMargin = 2.5;
constexpr std::size_t kCompactRows = 2;

platform::Color lightened(const platform::Color& color) {
  const auto mix = [](double value) {
    return std::clamp(value, 0.0, 1.0) * (1 - kWhiteShare) + kWhiteShare;
  };
  return {mix(color.red), mix(color.green), mix(color.blue), 1.0};
}

// Draws the text's ink centred in the box, as high as its font makes it and
// at most as wide as the box.
void drawFitted(cairo_t* cairo, const ShapedText& text, double left, double top, double width,
                double height) {
  const PangoRectangle& ink = text.inkExtents();
  const double inkWidth = static_cast<double>(ink.width) / PANGO_SCALE;
  const double inkHeight = static_cast<double>(ink.height) / PANGO_SCALE;
  if (!(inkWidth > 0) || !(inkHeight > 0)) return;
  const double narrowing = std::min(1.0, width / inkWidth);
  cairo_save(cairo);
  cairo_translate(cairo, left + (width - inkWidth * narrowing) / 2, top + (height - inkHeight) / 2);
  cairo_scale(cairo, narrowing, 1.0);
  text.draw(cairo, -static_cast<double>(ink.x) / PANGO_SCALE,
            -static_cast<double>(ink.y) / PANGO_SCALE);
  cairo_restore(cairo);
}

// The square at the scale with the backdrop painted (from the engine's kept
// backdrops), its user space in points; a null cairo when it cannot be drawn.
struct SquareCanvas {
  CairoSurfacePtr surface;
  CairoPtr cairo;
};

SquareCanvas squareCanvas(double scale, TextEngine& engine) {
  scale = std::isfinite(scale) ? std::clamp(scale, 1.0 / kMaximumScale, kMaximumScale) : 1.0;
  const int side = static_cast<int>(std::lround(kCompactSide * scale));
  SquareCanvas canvas{CairoSurfacePtr{cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side)},
                      nullptr};
  canvas.cairo.reset(cairo_create(canvas.surface.get()));
  if (cairo_status(canvas.cairo.get()) != CAIRO_STATUS_SUCCESS) return {};
  cairo_scale(canvas.cairo.get(), scale, scale);
  engine.backdrops().paint(canvas.cairo.get(), scale, kCompactSide, kCompactSide);
  return canvas;
}

}  // namespace

Pixmap renderCompact(const std::vector<platform::CompactLine>& lines, double scale,
                     TextEngine& engine) {
  if (lines.empty()) return {};
  const std::size_t count = std::min(lines.size(), kCompactRows);
  const SquareCanvas canvas = squareCanvas(scale, engine);
  if (!canvas.cairo) return {};
  cairo_t* cairo = canvas.cairo.get();
  const double rows = static_cast<double>(count);
  const double rowHeight = (kCompactSide - 2 * kMargin - (rows - 1) * kRowGap) / rows;
  const platform::Font font{platform::FontFace::system, rowHeight * kFontShare,
                            platform::FontWeight::semibold};
  for (std::size_t row = 0; row < count; ++row) {
    const std::shared_ptr<const ShapedText> shaped = engine.shaped(lines[row].text, font);
    if (!shaped) continue;
    const platform::Color color = lightened(lines[row].cueColor);
    cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
    drawFitted(cairo, *shaped, kMargin, kMargin + static_cast<double>(row) * (rowHeight + kRowGap),
               kCompactSide - 2 * kMargin, rowHeight);
  }
  return pixmapFromSurface(canvas.surface.get());
}

Pixmap renderCharacter(const std::string& character, double scale, TextEngine& engine) {
  const SquareCanvas canvas = squareCanvas(scale, engine);
  if (!canvas.cairo) return {};
  cairo_t* cairo = canvas.cairo.get();
  const platform::Font font{platform::FontFace::system, kCompactSide,
                            platform::FontWeight::semibold};
  const std::shared_ptr<const ShapedText> shaped = engine.shaped(character, font);
  const PangoRectangle ink = shaped ? shaped->inkExtents() : PangoRectangle{};
  const double inkWidth = static_cast<double>(ink.width) / PANGO_SCALE;
  const double inkHeight = static_cast<double>(ink.height) / PANGO_SCALE;
  if (inkWidth > 0 && inkHeight > 0) {
    const double room = kCompactSide - 2 * kCharacterMargin;
    const double fit = std::min(room / inkWidth, room / inkHeight);
    cairo_translate(cairo, (kCompactSide - inkWidth * fit) / 2,
                    (kCompactSide - inkHeight * fit) / 2);
    cairo_scale(cairo, fit, fit);
    cairo_set_source_rgb(cairo, 1.0, 1.0, 1.0);
    shaped->draw(cairo, -static_cast<double>(ink.x) / PANGO_SCALE,
                 -static_cast<double>(ink.y) / PANGO_SCALE);
  }
  return pixmapFromSurface(canvas.surface.get());
}

Pixmap renderCues(const std::vector<platform::CompactLine>& lines, double scale,
                  TextEngine& engine) {
  if (lines.empty()) return {};
  scale = std::isfinite(scale) ? std::clamp(scale, 1.0 / kMaximumScale, kMaximumScale) : 1.0;
  const int side = static_cast<int>(std::lround(kCompactSide * scale));
  const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
  const CairoPtr cairo(cairo_create(surface.get()));
  if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS) return {};
  cairo_scale(cairo.get(), scale, scale);
  paintBackdrop(cairo.get(), kCompactSide, kCompactSide);
  const std::size_t count = std::min(lines.size(), kCompactRows);
  const double width = (kCompactSide - 2 * kMargin) / static_cast<double>(count);
  const double height = kCompactSide - 2 * kMargin;
  const platform::Font font{platform::FontFace::system, height, platform::FontWeight::semibold};
  for (std::size_t column = 0; column < count; ++column) {
    const std::shared_ptr<const ShapedText> shaped = engine.shaped(lines[column].cue, font);
    if (!shaped) continue;
    const platform::Color color = lightened(lines[column].cueColor);
    cairo_set_source_rgba(cairo.get(), color.red, color.green, color.blue, color.alpha);
    drawFitted(cairo.get(), *shaped, kMargin + static_cast<double>(column) * width, kMargin, width,
               height);
  }
  return pixmapFromSurface(surface.get());
}

}  // namespace platform::linuxdesktop
