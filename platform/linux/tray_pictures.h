#pragma once

#include "platform/linux/glib_handles.h"
#include "platform/linux/tray_adaptation.h"
#include "platform/linux/tray_presentation.h"

namespace platform::linuxdesktop {

// The scales every tray host is offered: the icon in points and at twice the
// resolution for high-density panels.
inline constexpr int kIconScales[] = {1, 2};
// The height in points of the pictures the scales apply to.
inline constexpr double kIconHeight = 22.0;

// The IconPixmap value (a(iiay), ARGB32 in network byte order) of an item's
// content, one pixmap per scale in kIconScales and one at the presentation's
// exact height when it has one, each on the tray backdrop: in the square
// shape its compact reading when it has one (see renderCompact); else its
// image when it has one, drawn by CairoImage; else its title, when not empty:
// in the square only its first character (see renderCharacter; the tooltip
// holds the rest), otherwise the whole title drawn in white in its font; else
// no pixmap. An image made by another Graphics, or one without pixels, gives
// no pixmap either. A full reference.
VariantPtr trayPicturesFor(const TrayContent& content, const TrayPresentation& presentation);

// Whether the picture of the content in the shape is its compact reading:
// then a new image alone does not change it.
bool showsCompactReading(const TrayContent& content, TrayShape shape);

// A new floating a(iiay) with no pixmap, for the icons the item never shows.
GVariant* newEmptyPixmaps();

}  // namespace platform::linuxdesktop
