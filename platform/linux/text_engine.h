#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <cairo.h>

#include "platform/graphics.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/tray_backdrop.h"

namespace platform::linuxdesktop {

// One text shaped in one font: the glyphs Pango chose and placed, kept with
// the cairo fonts that draw them, so that drawing it again, at any scale, is a
// few cairo calls. Immutable once made.
class ShapedText {
 public:
  explicit ShapedText(PangoLayout* layout);

  // The line box's size in points.
  platform::Size logicalSize() const {
    return {.width = static_cast<double>(logical.width) / PANGO_SCALE,
            .height = static_cast<double>(logical.height) / PANGO_SCALE};
  }
  // Where ink falls, in Pango units from the line box's top-left corner.
  const PangoRectangle& inkExtents() const { return ink; }

  // Draws the glyphs in the current source with the top-left corner of the
  // line box at (left, top) of the user space, pixel for pixel as
  // pango_cairo_show_layout draws the layout from there. Leaves the current
  // point at (left, top).
  void draw(cairo_t* cairo, double left, double top) const;

 private:
  struct Glyph {
    unsigned long index = 0;
    // From the run's origin, in Pango units.
    int x = 0;
    int y = 0;
  };
  // Glyphs of one font.
  struct Run {
    CairoScaledFontPtr font;
    // The baseline's start from the line box's top-left corner, in Pango units.
    int x = 0;
    int y = 0;
    std::vector<Glyph> glyphs;
  };

  PangoRectangle ink{};
  PangoRectangle logical{};
  std::vector<Run> runs;
  // Kept only for a text with a character no font has: Pango draws its box.
  PangoLayoutPtr unknownGlyphs;
};

// Lays texts out with Pango for measuring and for drawing with cairo, in one
// font map and context of its own. Sizes are at 72 dpi, so one point is one
// pixel at scale 1. Hinting is off and glyph positions are not rounded, so a
// text measures the same at every scale and widths keep their fractions:
// one shaping serves every scale.
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
  // Shaped texts kept for texts drawn again: a refresh draws the same labels,
  // arrows and most values as the last one. A kept text stays right because
  // the context never changes after construction.
  static constexpr std::size_t kCachedTexts = 32;

  TextEngine();

  // The text shaped in the font; nullptr when the font's size is not a
  // number in (0, kMaximumFontSize]. Text that is not UTF-8 is repaired, and
  // a NUL character ends the text. The same text in the same font gives the
  // same object while it is among the last kCachedTexts asked for.
  std::shared_ptr<const ShapedText> shaped(const std::string& text, const platform::Font& font);

  // A new layout of the text in the font, which the shaped text is made
  // from; nullptr for a font shaped() refuses.
  PangoLayoutPtr layout(const std::string& text, const platform::Font& font);

  // The backdrops of the pictures drawn with this engine, which keeps them
  // for the pictures that follow.
  BackdropCache& backdrops() { return backdropCache; }

 private:
  struct CachedText {
    std::string text;
    platform::Font font;
    std::shared_ptr<const ShapedText> shaped;
  };

  const PangoFontDescription* description(const platform::Font& font);

  GObjectPtr<PangoFontMap> fontMap;
  GObjectPtr<PangoContext> context;
  // Descriptions made so far, one per font; the agents use a handful.
  std::vector<std::pair<platform::Font, PangoFontDescriptionPtr>> descriptions;
  // The most recently asked for last.
  std::vector<CachedText> texts;
  BackdropCache backdropCache;
};

}  // namespace platform::linuxdesktop
