#pragma once

#include <gio/gio.h>

#include <string>
#include <string_view>
#include <vector>

namespace tools::trayview {

// One entry of a dbusmenu layout. Properties the menu leaves out take the
// protocol's defaults: enabled, visible, type "standard".
struct MenuEntry {
  int id = 0;
  // 0 for the root's children, 1 for theirs, ...
  int depth = 0;
  std::string label;
  bool enabled = true;
  bool visible = true;
  bool separator = false;
};

// The entries of a GetLayout reply's layout, (ia{sv}av), depth first, without
// the root itself. Children of another type are skipped; nesting deeper than
// 32 levels is cut off.
std::vector<MenuEntry> readMenuLayout(GVariant* layout);

// One line per entry: two spaces per depth level, the id, the quoted label,
// then "disabled", "hidden" and "separator" where they apply, e.g.
//   1 "Velmora · 网速显示" disabled
std::string formatMenuEntry(const MenuEntry& entry);

// The first entry whose label is label, either as sent or with its mnemonic
// underscores removed ("_Quit" matches "Quit"); null when there is none.
const MenuEntry* findMenuEntry(const std::vector<MenuEntry>& entries, std::string_view label);

}  // namespace tools::trayview
