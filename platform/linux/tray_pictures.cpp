#include "platform/linux/tray_pictures.h"

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <glib.h>

#include "platform/linux/cairo_image.h"
#include "platform/linux/compact_pixmap.h"
#include "platform/linux/title_pixmap.h"

namespace platform::linuxdesktop {

namespace {

// The first character of a non-empty text, invalid UTF-8 repaired.
std::string firstCharacter(const std::string& text) {
  const GCharPtr valid{g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()))};
  return {valid.get(), g_utf8_next_char(valid.get())};
}

std::optional<Pixmap> renderAt(const TrayContent& content, const TrayPresentation& presentation,
                               double scale) {
  if (presentation.symbol && !content.compactReading.empty()) {
    if (!content.textEngine) return std::nullopt;
    return renderCues(content.compactReading, scale, *content.textEngine);
  }
  if (showsCompactReading(content, presentation.shape)) {
    if (!content.textEngine) return std::nullopt;
    return renderCompact(content.compactReading, scale, *content.textEngine);
  }
  if (content.image) {
    const auto* drawable = dynamic_cast<const CairoImage*>(content.image.get());
    if (drawable == nullptr) return std::nullopt;
    return drawable->renderOnBackdrop(scale);
  }
  if (content.title.empty() || !content.textEngine) return std::nullopt;
  if (presentation.shape == TrayShape::square) {
    return renderCharacter(firstCharacter(content.title), scale, *content.textEngine);
  }
  return renderTitle(content.title, content.font, scale, content.textEngine);
}

void addPixmap(GVariantBuilder& builder, const Pixmap& pixmap) {
  GVariant* pixels = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, pixmap.argb.data(),
                                               pixmap.argb.size(), sizeof(std::uint8_t));
  g_variant_builder_add(&builder, "(ii@ay)", pixmap.width, pixmap.height, pixels);
}

}  // namespace

bool showsCompactReading(const TrayContent& content, TrayShape shape) {
  return shape == TrayShape::square && !content.compactReading.empty();
}

VariantPtr trayPicturesFor(const TrayContent& content, const TrayPresentation& presentation) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
  std::vector<double> scales(std::begin(kIconScales), std::end(kIconScales));
  if (presentation.exactHeight > 0) scales.push_back(presentation.exactHeight / kIconHeight);
  for (const double scale : scales) {
    const std::optional<Pixmap> pixmap = renderAt(content, presentation, scale);
    const bool complete = pixmap && pixmap->width > 0 && pixmap->height > 0 &&
                          pixmap->argb.size() == std::size_t{4} *
                                                     static_cast<std::size_t>(pixmap->width) *
                                                     static_cast<std::size_t>(pixmap->height);
    if (complete) addPixmap(builder, *pixmap);
  }
  return VariantPtr{g_variant_ref_sink(g_variant_builder_end(&builder))};
}

GVariant* newEmptyPixmaps() { return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0); }

}  // namespace platform::linuxdesktop
