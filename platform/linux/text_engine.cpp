#include "platform/linux/text_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <pango/pangocairo.h>

namespace platform::linuxdesktop {
namespace {

constexpr double kDotsPerInch = 72.0;
constexpr const char* kFamily = "system-ui";
constexpr const char* kTabularDigits = "tnum=1";
constexpr const char* kHanLanguage = "zh-cn";
constexpr const char* kTextLanguage = "en";
// Drop the cache rather than let odd sizes from a caller grow it for good.
constexpr std::size_t kMaximumDescriptions = 16;

PangoWeight pangoWeight(platform::FontWeight weight) {
  switch (weight) {
    case platform::FontWeight::medium:
      return PANGO_WEIGHT_MEDIUM;
    case platform::FontWeight::semibold:
      return PANGO_WEIGHT_SEMIBOLD;
    case platform::FontWeight::regular:
      break;
  }
  return PANGO_WEIGHT_NORMAL;
}

bool isHan(gunichar c) { return g_unichar_get_script(c) == G_UNICODE_SCRIPT_HAN; }

bool containsHan(const std::string& text) {
  for (const char* p = text.c_str(); *p != '\0'; p = g_utf8_next_char(p)) {
    if (isHan(g_utf8_get_char(p))) return true;
  }
  return false;
}

// Pango wants valid UTF-8 without NUL characters; anything else is repaired.
std::string usableText(const std::string& text) {
  const std::string head(text.c_str(), std::strlen(text.c_str()));
  if (g_utf8_validate(head.data(), static_cast<gssize>(head.size()), nullptr)) return head;
  const GCharPtr repaired(g_utf8_make_valid(head.data(), static_cast<gssize>(head.size())));
  return std::string(repaired.get());
}

PangoAttrListPtr attributes(const std::string& text, const platform::Font& font) {
  PangoAttrListPtr list(pango_attr_list_new());
  if (font.face == platform::FontFace::monospacedDigitSystem) {
    pango_attr_list_insert(list.get(), pango_attr_font_features_new(kTabularDigits));
  }
  if (containsHan(text)) {
    pango_attr_list_insert(list.get(),
                           pango_attr_language_new(pango_language_from_string(kHanLanguage)));
  }
  return list;
}

}  // namespace

ShapedText::ShapedText(PangoLayout* layout) {
  pango_layout_get_extents(layout, &ink, &logical);
  // The walk pango_renderer_draw_layout makes: each line from its logical
  // left edge at its baseline, each run after the ones before it.
  const PangoLayoutIterPtr lines(pango_layout_get_iter(layout));
  do {
    PangoRectangle line{};
    pango_layout_iter_get_line_extents(lines.get(), nullptr, &line);
    const int baseline = pango_layout_iter_get_baseline(lines.get());
    int advance = 0;
    for (const GSList* item = pango_layout_iter_get_line_readonly(lines.get())->runs;
         item != nullptr; item = item->next) {
      const auto* run = static_cast<const PangoGlyphItem*>(item->data);
      auto* font = PANGO_CAIRO_FONT(run->item->analysis.font);
      cairo_scaled_font_t* scaled = font ? pango_cairo_font_get_scaled_font(font) : nullptr;
      if (scaled == nullptr || cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) {
        unknownGlyphs.reset(static_cast<PangoLayout*>(g_object_ref(layout)));
        return;
      }
      Run kept{CairoScaledFontPtr(cairo_scaled_font_reference(scaled)),
               line.x + advance,
               baseline - run->y_offset,
               {}};
      int position = 0;
      for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
        const PangoGlyphInfo& glyph = run->glyphs->glyphs[i];
        const bool drawn =
            glyph.glyph != PANGO_GLYPH_EMPTY && glyph.glyph != (0x20 | PANGO_GLYPH_UNKNOWN_FLAG);
        if (drawn && (glyph.glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) {
          unknownGlyphs.reset(static_cast<PangoLayout*>(g_object_ref(layout)));
          return;
        }
        if (drawn) {
          kept.glyphs.push_back(
              {glyph.glyph, position + glyph.geometry.x_offset, glyph.geometry.y_offset});
        }
        position += glyph.geometry.width;
      }
      advance += position;
      if (!kept.glyphs.empty()) runs.push_back(std::move(kept));
    }
  } while (pango_layout_iter_next_line(lines.get()));
}

void ShapedText::draw(cairo_t* cairo, double left, double top) const {
  cairo_move_to(cairo, left, top);
  if (unknownGlyphs) {
    pango_cairo_show_layout(cairo, unknownGlyphs.get());
    return;
  }
  // Pango starts from the current point as cairo keeps it, in fixed point.
  double x = 0.0;
  double y = 0.0;
  cairo_get_current_point(cairo, &x, &y);
  std::vector<cairo_glyph_t> placed;
  for (const Run& run : runs) {
    // The arithmetic of pango_cairo_show_layout, operation for operation, so
    // that every glyph lands on the same fraction of a pixel.
    const double baseX = x + static_cast<double>(run.x) / PANGO_SCALE;
    const double baseY = y + static_cast<double>(run.y) / PANGO_SCALE;
    placed.clear();
    for (const Glyph& glyph : run.glyphs) {
      placed.push_back({glyph.index, baseX + static_cast<double>(glyph.x) / PANGO_SCALE,
                        glyph.y == 0 ? baseY : baseY + static_cast<double>(glyph.y) / PANGO_SCALE});
    }
    cairo_set_scaled_font(cairo, run.font.get());
    cairo_show_glyphs(cairo, placed.data(), static_cast<int>(placed.size()));
  }
}

TextEngine::TextEngine()
    : fontMap(pango_cairo_font_map_new()), context(pango_font_map_create_context(fontMap.get())) {
  pango_cairo_context_set_resolution(context.get(), kDotsPerInch);
  const CairoFontOptionsPtr options(cairo_font_options_create());
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context.get(), options.get());
  pango_context_set_round_glyph_positions(context.get(), FALSE);
  // Pango would take the language from the locale, and under a Chinese or
  // Japanese one even digits and arrows would move to a CJK font. The texts
  // look the same whatever the user's locale; Han text is tagged by itself.
  pango_context_set_language(context.get(), pango_language_from_string(kTextLanguage));
}

std::shared_ptr<const ShapedText> TextEngine::shaped(const std::string& text,
                                                     const platform::Font& font) {
  const auto cached = std::find_if(texts.begin(), texts.end(), [&](const CachedText& entry) {
    return entry.font == font && entry.text == text;
  });
  if (cached != texts.end()) {
    std::rotate(cached, cached + 1, texts.end());
    return texts.back().shaped;
  }
  const PangoLayoutPtr made = layout(text, font);
  if (!made) return nullptr;
  if (texts.size() >= kCachedTexts) texts.erase(texts.begin());
  texts.push_back({text, font, std::make_shared<const ShapedText>(made.get())});
  return texts.back().shaped;
}

PangoLayoutPtr TextEngine::layout(const std::string& text, const platform::Font& font) {
  if (!std::isfinite(font.size) || font.size <= 0.0 || font.size > kMaximumFontSize) {
    return nullptr;
  }
  const std::string usable = usableText(text);
  PangoLayoutPtr layout(pango_layout_new(context.get()));
  pango_layout_set_font_description(layout.get(), description(font));
  pango_layout_set_attributes(layout.get(), attributes(usable, font).get());
  pango_layout_set_text(layout.get(), usable.data(), static_cast<int>(usable.size()));
  return layout;
}

const PangoFontDescription* TextEngine::description(const platform::Font& font) {
  for (const auto& [known, made] : descriptions) {
    if (known == font) return made.get();
  }
  if (descriptions.size() >= kMaximumDescriptions) descriptions.clear();
  PangoFontDescriptionPtr made(pango_font_description_new());
  pango_font_description_set_family_static(made.get(), kFamily);
  pango_font_description_set_weight(made.get(), pangoWeight(font.weight));
  // Pango reads a size of 0 as "unset"; the smallest size it knows stands in.
  const long size = std::max(1L, std::lround(font.size * PANGO_SCALE));
  pango_font_description_set_size(made.get(), static_cast<gint>(size));
  return descriptions.emplace_back(font, std::move(made)).second.get();
}

}  // namespace platform::linuxdesktop
