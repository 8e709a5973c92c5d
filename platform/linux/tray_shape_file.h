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
// file is read as readUserFile reads (never a FIFO, a device or over 1 MiB) and watched, so a
// change applies to running agents, a chmod that makes it readable included.
//
// GIO follows a file in a missing folder by looking for the folder every few
// seconds, which would wake an idle agent for good on most machines, where the
// folder never exists. So the folder is watched while it exists, and its
// nearest existing ancestor while it does not: neither costs anything until
// something in it changes.
class TrayShapeFile {
 public:
  // changed runs after anything in the folder changed on disk, whatever the
  // file now says, and when the folder appears or goes.
  TrayShapeFile(const platform::Environment& environment, std::function<void()> changed);

  // The choice as the file says it now; absent without one.
  std::optional<TrayShape> shape() const;

 private:
  // Watches the folder when it exists, else its nearest existing ancestor.
  void watch();
  static void entryChanged(GFileMonitor* monitor, GFile* file, GFile* other,
                           GFileMonitorEvent event, gpointer data);

  std::string folder;
  std::string path;
  std::function<void()> changed;
  // The folder the monitor watches: `folder` itself, or an ancestor.
  std::string watched;
  GObjectPtr<GFileMonitor> monitor;
  SignalHandlerId subscription;
};

}  // namespace platform::linuxdesktop
