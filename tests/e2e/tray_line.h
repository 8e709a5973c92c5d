#pragma once

#include <optional>
#include <string>

namespace e2e {

// One "item ..." line of `tray-view watch` or `tray-view list`, unquoted.
// width and height are 0 for an item without an icon; status is "Active"
// when the line names none.
struct ItemLine {
  std::string id;
  std::string title;
  std::string tooltip;
  int width = 0;
  int height = 0;
  std::string status = "Active";
};

// Absent for any other line ("gone ...", a malformed line).
std::optional<ItemLine> parseItemLine(const std::string& line);

}  // namespace e2e
