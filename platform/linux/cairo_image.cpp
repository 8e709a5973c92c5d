#include "platform/linux/cairo_image.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/linux/text_engine.h"
#include "platform/linux/tray_backdrop.h"

namespace platform::linuxdesktop {
namespace {

double dimension(double points) {
  if (!(points > 0.0)) return 0.0;
  return std::min(points, CairoImage::kMaximumDimension);
}

double component(double value) { return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0; }

platform::Color sanitized(const platform::Color& color) {
  return {component(color.red), component(color.green), component(color.blue),
          component(color.alpha)};
}

void setSource(cairo_t* cairo, const platform::Color& color) {
  cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
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
  std::shared_ptr<const ShapedText> shaped = engine->shaped(text, font);
  if (!shaped) return;
  // The caller's y grows upward from the bottom edge and names the line box's
  // lower edge; cairo's grows downward and wants the box's top.
  const double top = imageSize.height - at.y - shaped->logicalSize().height;
  operations.emplace_back(
      TextOperation{text, font, std::move(shaped), at.x, top, sanitized(color)});
}

bool CairoImage::drawsSameAs(const CairoImage& other) const {
  return engine == other.engine && imageSize == other.imageSize && operations == other.operations;
}

Pixmap CairoImage::render(int scale) const { return render(scale, false); }

Pixmap CairoImage::renderOnBackdrop(double scale) const { return render(scale, true); }

Pixmap CairoImage::render(double scale, bool onBackdrop) const {
  scale = std::isfinite(scale) ? std::clamp(scale, 1.0, double{kMaximumScale}) : 1.0;
  const double padding = onBackdrop ? kBackdropPadding : 0.0;
  const double points = std::ceil(imageSize.width);
  const int width = static_cast<int>(std::lround((points + 2 * padding) * scale));
  const int height = static_cast<int>(std::lround(std::ceil(imageSize.height) * scale));
  if (points == 0 || height == 0) return Pixmap{.width = width, .height = height, .argb = {}};
  const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  const CairoPtr cairo(cairo_create(surface.get()));
  if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS) return {};
  cairo_scale(cairo.get(), scale, scale);
  if (onBackdrop) {
    engine->backdrops().paint(cairo.get(), scale, points + 2 * padding,
                              std::ceil(imageSize.height));
    cairo_translate(cairo.get(), padding, 0);
  }
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
  setSource(cairo, operation.color);
  operation.shaped->draw(cairo, operation.left, operation.top);
}

}  // namespace platform::linuxdesktop
