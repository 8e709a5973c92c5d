#pragma once

#include <functional>
#include <optional>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"

namespace platform::linuxdesktop {

// Follows which program hosts the tray: the process owning
// org.kde.StatusNotifierWatcher, asked of the bus daemon
// (GetConnectionUnixProcessID) each time the name changes owner, named by
// programOfProcess.
class TrayHostWatch {
 public:
  // lost runs when the watcher leaves the bus (or changes owner: found
  // follows then); found runs once the new owner is known, with its program
  // name, absent when the daemon or /proc would not tell.
  TrayHostWatch(GDBusConnection* connection, std::function<void()> lost,
                std::function<void(std::optional<std::string>)> found);

 private:
  static void appeared(GDBusConnection* connection, const gchar* name, const gchar* owner,
                       gpointer data);
  static void vanished(GDBusConnection* connection, const gchar* name, gpointer data);
  static void answered(GObject* source, GAsyncResult* result, gpointer data);

  GObjectPtr<GDBusConnection> connection;
  std::function<void()> lost;
  std::function<void(std::optional<std::string>)> found;
  // Replaced for each question, so that an answer about a former owner is
  // dropped.
  OwnedCancellable question;
  BusNameWatchId watch;
};

}  // namespace platform::linuxdesktop
