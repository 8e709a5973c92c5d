#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::linuxdesktop {

// The picture's shape: as drawn (wide), or a compact reading in a square for
// hosts that squeeze every icon into a square.
enum class TrayShape { wide, square };

// What a tray host is given besides the tooltip.
struct TrayPresentation {
  TrayShape shape = TrayShape::square;
  // Whether the item declares XAyatanaLabel: never for a host that shows the
  // label instead of the picture.
  bool label = true;
  // Whether the item names a themed icon: only for hosts that draw no
  // pixmap, as the others would prefer the theme's icon to the picture.
  bool themedIcon = false;
  // A pixmap height in pixels the host shows icons at, besides the whole
  // scales of 22 points, so that it picks that pixmap instead of scaling
  // another; 0 for none.
  int exactHeight = 0;
  // Whether the picture is only a symbol of the reading (its cue marks), for
  // hosts that draw icons too small for the reading and show the label
  // beside them.
  bool symbol = false;
  bool operator==(const TrayPresentation&) const = default;
};

// The presentation for the tray host program (the watcher's executable name,
// or its first 15 bytes as /proc's comm gives them; absent when unknown) and the user's shape, if
// any, which replaces the host's. Hosts not known get the square: it is legible whether a host
// keeps an icon's shape or squeezes it.
TrayPresentation presentationFor(std::optional<std::string_view> hostProgram,
                                 std::optional<TrayShape> userShape);

// The program name of a process: its executable's file name, or its /proc
// comm (cut to 15 bytes) where the executable cannot be read (another user's
// process); absent when /proc has neither.
std::optional<std::string> programOfProcess(unsigned processId);

// "wide" or "square", in any case and with blanks around; anything else,
// "auto" included, is no choice.
std::optional<TrayShape> parseTrayShape(std::string_view text);

}  // namespace platform::linuxdesktop
