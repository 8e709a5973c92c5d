#pragma once

#include <functional>
#include <optional>
#include <string>

#include <gio/gio.h>

#include "platform/environment.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"
#include "platform/linux/tray_presentation.h"

namespace platform::linuxdesktop {

// The user's choice of picture shape: the key file
// velmora-status-agents/tray.conf in the configuration folder (see
// KeyFileUserDefaultsStore::configurationFolder), key Shape in group [Tray], "wide" or "square";
// anything else, a missing or unreadable file included, leaves the choice to the tray host. The
// file is watched, so a change applies to running agents.
class TrayShapeFile {
 public:
  // changed runs after the file changed on disk, whatever it now says.
  TrayShapeFile(const platform::Environment& environment, std::function<void()> changed);

  // The choice as the file says it now; absent without one.
  std::optional<TrayShape> shape() const;

 private:
  static void fileChanged(GFileMonitor* monitor, GFile* file, GFile* other, GFileMonitorEvent event,
                          gpointer data);

  std::string path;
  std::function<void()> changed;
  GObjectPtr<GFileMonitor> monitor;
  SignalHandlerId subscription;
};

}  // namespace platform::linuxdesktop
