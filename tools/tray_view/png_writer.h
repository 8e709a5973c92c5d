#pragma once

#include <optional>
#include <string>

#include "tools/tray_view/item_snapshot.h"

namespace tools::trayview {

// Saves pixmap as a PNG file at path. The image is written to a temporary
// file in the same folder and renamed over path, so a reader never sees half
// an image. Returns an error text, or absent on success.
std::optional<std::string> writePixmapPng(const Pixmap& pixmap, const std::string& path);

}  // namespace tools::trayview
