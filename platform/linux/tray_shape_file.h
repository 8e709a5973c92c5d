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
//
// GIO follows a file in a missing folder by looking for the folder every few
// seconds, which would wake an idle agent for good on most machines, where the
// folder never exists. So until the folder exists its nearest existing
// ancestor is watched instead, which costs nothing until that folder changes;
// the file itself is watched from the moment its folder appears.
class TrayShapeFile {
 public:
  // changed runs after the file changed on disk, whatever it now says, and
  // when its folder appears.
  TrayShapeFile(const platform::Environment& environment, std::function<void()> changed);

  // The choice as the file says it now; absent without one.
  std::optional<TrayShape> shape() const;

 private:
  // Watches the file when its folder exists, else the folder's nearest
  // existing ancestor.
  void watch();
  static void entryChanged(GFileMonitor* monitor, GFile* file, GFile* other,
                           GFileMonitorEvent event, gpointer data);

  std::string folder;
  std::string path;
  std::function<void()> changed;
  // The folder the monitor watches: `folder` itself (the monitor follows the
  // file), or an ancestor.
  std::string watched;
  GObjectPtr<GFileMonitor> monitor;
  SignalHandlerId subscription;
};

}  // namespace platform::linuxdesktop
