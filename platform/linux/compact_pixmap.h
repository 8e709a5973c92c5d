#pragma once

#include <string>
#include <vector>

#include "platform/linux/pixmap.h"
#include "platform/linux/text_engine.h"
#include "platform/status_bar.h"

namespace platform::linuxdesktop {

// The side of the compact picture in points: the size of the square a
// squeezing tray gives an icon.
inline constexpr double kCompactSide = 22.0;

// A compact reading as a square tray icon on the backdrop: one row for each
// of the first two lines, top to bottom, each line's text centred in its row in the cue's colour
// lightened halfway to white (legible on the backdrop, still telling the
// lines apart), as large as the row allows and narrowed to the square's
// width when too wide. The cue marks themselves are left out: the colour is
// the cue. kCompactSide * scale pixels square, rounded; empty for no lines.
// The engine shapes the texts.
Pixmap renderCompact(const std::vector<platform::CompactLine>& lines, double scale,
                     TextEngine& engine);

// One character as a square tray icon on the backdrop, in white (about 17:1
// on it), its ink scaled to fill the square but for a frame of 2.5 points:
// a character reads at 22 pixels where a whole title squeezed in does not.
// kCompactSide * scale pixels square; the backdrop alone for a character
// without ink. The engine shapes the character.
Pixmap renderCharacter(const std::string& character, double scale, TextEngine& engine);

// The cue marks of the first two lines side by side, each in its colour
// lightened as above and as large as the square allows: a symbol of the
// reading for hosts that show the reading itself as a label beside the icon.
// kCompactSide * scale pixels square, rounded; empty for no lines.
Pixmap renderCues(const std::vector<platform::CompactLine>& lines, double scale,
                  TextEngine& engine);

}  // namespace platform::linuxdesktop
