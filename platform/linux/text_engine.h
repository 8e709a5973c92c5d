#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics.h"
#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop {

// Lays texts out with Pango for measuring and for drawing with cairo, in one
// font map and context of its own. Sizes are at 72 dpi, so one point is one
// pixel at scale 1. Hinting is off and glyph positions are not rounded, so a
// text measures the same at every scale and widths keep their fractions.
//
// Fonts: the face is fontconfig's "system-ui", and Pango falls back through
// fontconfig for characters it lacks (CJK, arrows, box drawing). Medium is
// weight 500, regular 400, semibold 600. Monospaced digits switch on the
// OpenType feature tnum. Texts are laid out as English whatever the locale,
// except that a text holding Han characters is tagged Simplified Chinese, so
// that fallback picks the Simplified Chinese forms.
class TextEngine {
 public:
  static constexpr double kMaximumFontSize = 1000.0;

  TextEngine();

  // Layouts kept for texts laid out again: measuring and then drawing a text,
  // or the same label every refresh, shapes it once. A kept layout stays
  // right because the context never changes after construction.
  static constexpr std::size_t kCachedLayouts = 32;

  // A layout of the text in the font; nullptr when the font's size is not a
  // number in (0, kMaximumFontSize]. Text that is not UTF-8 is repaired, and a
  // NUL character ends the text. The same text in the same font gives the same
  // layout while it is among the last kCachedLayouts asked for, so callers
  // share layouts and must never change one.
  PangoLayoutPtr layout(const std::string& text, const platform::Font& font);

  // The layout's logical size in points.
  static platform::Size logicalSize(PangoLayout* layout);

 private:
  struct CachedLayout {
    std::string text;
    platform::Font font;
    PangoLayoutPtr layout;
  };

  PangoLayoutPtr newLayout(const std::string& text, const platform::Font& font);
  const PangoFontDescription* description(const platform::Font& font);

  GObjectPtr<PangoFontMap> fontMap;
  GObjectPtr<PangoContext> context;
  // Descriptions made so far, one per font; the agents use a handful.
  std::vector<std::pair<platform::Font, PangoFontDescriptionPtr>> descriptions;
  // The most recently asked for last.
  std::vector<CachedLayout> layouts;
};

}  // namespace platform::linuxdesktop
