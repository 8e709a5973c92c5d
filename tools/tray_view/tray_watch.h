#pragma once

#include <gio/gio.h>

#include <map>
#include <optional>
#include <string>

#include "tools/tray_view/gio_handles.h"
#include "tools/tray_view/item_snapshot.h"
#include "tools/tray_view/tray_host.h"

namespace tools::trayview {

// "tray-view watch": serves as the watcher when the name is free, hosts every
// item, and prints one line per change of an item ("item ...", "gone <id>")
// on stdout, flushed. With a PNG folder it also keeps <folder>/<id>.png equal
// to each item's latest largest icon.
class TrayWatch : public TrayHost::Observer {
 public:
  explicit TrayWatch(std::optional<std::string> pngFolder);

  // Runs until SIGINT or SIGTERM (exit status 0) or until the session bus is
  // lost (1).
  int run();

  void itemChanged(const std::string& entry, const ItemReader& item,
                   const ItemSnapshot& snapshot) override;
  void itemGone(const std::string& entry, const std::string& name) override;

 private:
  static gboolean stopRequested(gpointer self);
  static void busClosed(GDBusConnection*, gboolean, GError*, gpointer self);

  void saveIcon(const std::string& entry, const ItemSnapshot& snapshot, const std::string& name);

  std::optional<std::string> iconFolder;
  std::map<std::string, std::string> printedLines;
  std::map<std::string, Pixmap> savedIcons;
  MainLoopPtr loop{g_main_loop_new(nullptr, FALSE)};
  int exitStatus = 0;
};

}  // namespace tools::trayview
