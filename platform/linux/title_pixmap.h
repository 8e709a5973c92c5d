#pragma once

#include <memory>
#include <string>

#include "platform/graphics.h"
#include "platform/linux/pixmap.h"

namespace platform::linuxdesktop {

class TextEngine;

// A button title as a tray icon: the text in white in the font, on the tray
// backdrop (see tray_backdrop.h), kTitleHeight points high and as wide as the
// text rounded up plus kTitlePadding on either side, plus the backdrop's
// padding; the line box is centred vertically. Rendered at `scale` pixels
// per point (see CairoImage::renderOnBackdrop). The engine shapes the title.
inline constexpr double kTitleHeight = 22.0;
inline constexpr double kTitlePadding = 1.0;

Pixmap renderTitle(const std::string& title, const platform::Font& font, double scale,
                   const std::shared_ptr<TextEngine>& engine);

}  // namespace platform::linuxdesktop
