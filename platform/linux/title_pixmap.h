#pragma once

#include <string>

#include "platform/graphics.h"
#include "platform/linux/pixmap.h"

namespace platform::linuxdesktop {

// A button title as a tray icon: the text in white (with the outline every
// white text gets, see CairoImage) in the font, on a transparent image
// kTitleHeight points high and as wide as the text rounded up plus
// kTitlePadding on either side for the outline; the line box is centred
// vertically. Rendered at `scale` pixels per point (see CairoImage::render).
inline constexpr double kTitleHeight = 22.0;
inline constexpr double kTitlePadding = 1.0;

Pixmap renderTitle(const std::string& title, const platform::Font& font, int scale);

}  // namespace platform::linuxdesktop
