#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/pixmap.h"
#include "tools/terminal_text/terminal_text.h"

namespace tools::trayview {

// One icon image as an item sends it (ARGB32 in network byte order, rows top
// to bottom): the same layout the desktop backend exports.
using Pixmap = platform::linuxdesktop::Pixmap;

// What tray-view shows of a StatusNotifierItem. A property the item does not
// have, or has with another type, reads as empty.
struct ItemSnapshot {
  std::string id;
  std::string title;
  std::string status;
  // The tooltip's title text (the third field of ToolTip).
  std::string tooltip;
  // The exported menu's object path; empty or "/" when there is none.
  std::string menuPath;
  // The largest well-formed image of IconPixmap; absent when there is none.
  std::optional<Pixmap> icon;
};

// Reads the a{sv} that Properties.GetAll returns for an item.
ItemSnapshot readItemSnapshot(GVariant* properties);

// The largest (by area) well-formed pixmap of an a(iiay) value. An entry with
// a non-positive size or a byte count other than width * height * 4 is skipped.
std::optional<Pixmap> largestPixmap(GVariant* pixmaps);

// The line tray-view prints for an item, e.g.
//   item network-status-agent title="network-status-agent" tooltip="..." icon=58x22
// name stands in for an empty Id. " status=S" follows when the status is not
// "Active"; "icon=none" when there is no image.
std::string formatItemLine(const ItemSnapshot& snapshot, std::string_view name);

using tools::quoted;

}  // namespace tools::trayview
