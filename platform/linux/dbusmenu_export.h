#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gio/gio.h>
#include <libdbusmenu-glib/server.h>

#include "platform/linux/dbusmenu_menu.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"

namespace platform::linuxdesktop {

// Serves one menu over com.canonical.dbusmenu at an object path, and says
// when hosts can read it. The server looks the session bus up by itself, so
// the connection given must be the process's shared session-bus connection.
class DbusmenuExport {
 public:
  // exported runs once, from the main loop: when the menu answers on the
  // bus, or after kPatience attempts without an answer, so that a broken
  // menu never keeps the item from its host.
  DbusmenuExport(GDBusConnection* connection, const std::string& objectPath,
                 std::shared_ptr<DbusmenuMenu> menu, std::function<void()> exported);

  // Replaces the menu served; hosts are told the layout changed.
  void show(std::shared_ptr<DbusmenuMenu> menu);
  bool isExported() const { return exported == nullptr; }

 private:
  static constexpr int kRetryMilliseconds = 5;
  static constexpr int kPatience = 400;  // attempts, about two seconds

  void probe();
  void finish();
  static void probed(GObject* source, GAsyncResult* result, gpointer data);
  static gboolean retry(gpointer data);

  GObjectPtr<GDBusConnection> connection;
  std::shared_ptr<DbusmenuMenu> menu;
  std::function<void()> exported;
  std::string objectPath;
  GObjectPtr<DbusmenuServer> server;
  OwnedCancellable cancellable{g_cancellable_new()};
  SourceId retrySource;
  int attempts = 0;
};

}  // namespace platform::linuxdesktop
