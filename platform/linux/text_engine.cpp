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

PangoLayoutPtr TextEngine::layout(const std::string& text, const platform::Font& font) {
  if (!std::isfinite(font.size) || font.size <= 0.0 || font.size > kMaximumFontSize) {
    return nullptr;
  }
  const auto cached = std::find_if(layouts.begin(), layouts.end(), [&](const CachedLayout& entry) {
    return entry.font == font && entry.text == text;
  });
  if (cached != layouts.end()) {
    std::rotate(cached, cached + 1, layouts.end());
  } else {
    if (layouts.size() >= kCachedLayouts) layouts.erase(layouts.begin());
    layouts.push_back({text, font, newLayout(text, font)});
  }
  return PangoLayoutPtr(static_cast<PangoLayout*>(g_object_ref(layouts.back().layout.get())));
}

PangoLayoutPtr TextEngine::newLayout(const std::string& text, const platform::Font& font) {
  const std::string usable = usableText(text);
  PangoLayoutPtr layout(pango_layout_new(context.get()));
  pango_layout_set_font_description(layout.get(), description(font));
  pango_layout_set_attributes(layout.get(), attributes(usable, font).get());
  pango_layout_set_text(layout.get(), usable.data(), static_cast<int>(usable.size()));
  return layout;
}

platform::Size TextEngine::logicalSize(PangoLayout* layout) {
  PangoRectangle logical{};
  pango_layout_get_extents(layout, nullptr, &logical);
  return {.width = static_cast<double>(logical.width) / PANGO_SCALE,
          .height = static_cast<double>(logical.height) / PANGO_SCALE};
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
