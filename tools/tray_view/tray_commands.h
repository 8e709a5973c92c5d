#pragma once

#include <string>
#include <string_view>

#include "tools/tray_view/tray_client.h"

namespace tools::trayview {

// The one-shot commands, run against the watcher on the session bus. Each
// returns the exit status: 0 on success, 1 after printing a one-line reason
// ("tray-view: ...") on stderr.
class TrayCommands {
 public:
  explicit TrayCommands(const TrayClient& client);

  // One line per readable item, as "watch" prints it.
  int list() const;
  // Activate(0, 0): a primary click.
  int activate(std::string_view item) const;
  // ContextMenu(0, 0): a secondary click.
  int context(std::string_view item) const;
  // The item's exported menu (GetLayout(0, -1, [])), one line per entry.
  int menu(std::string_view item) const;
  // Event(id, "clicked", <int32 0>, 0) for the enabled entry labelled label.
  int menuClick(std::string_view item, std::string_view label) const;
  // Saves the item's largest icon image as a PNG file.
  int icon(std::string_view item, const std::string& file) const;

 private:
  int click(std::string_view item, const char* method) const;

  const TrayClient& client;
};

}  // namespace tools::trayview
