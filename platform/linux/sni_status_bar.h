#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "platform/environment.h"
#include "platform/linux/current_event.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/sni_status_item.h"
#include "platform/linux/tray_adaptation.h"
#include "platform/status_bar.h"

namespace platform::linuxdesktop {

// The tray as seen from one process: each status item is a StatusNotifierItem
// with its own bus name org.kde.StatusNotifierItem-<pid>-<n>, n counting from
// 1. The first item is the object /StatusNotifierItem with its menu at
// /MenuBar and registers its bus name. Later items of the same process share
// its connection, so they live at /StatusNotifierItem/<n> and /MenuBar/<n>
// and register their object path, which hosts pair with the sender.
//
// The bar follows the tray host (see TrayHost) and gives every item the
// presentation it makes, again whenever it changes.
class SniStatusBar : public platform::StatusBar {
 public:
  // The connection must be the process's shared session-bus connection; the
  // events are borrowed and must outlive every item.
  // Every item's title and compact reading are drawn with the engine.
  SniStatusBar(GDBusConnection* connection, std::string programName, CurrentEvent& events,
               const platform::Environment& environment, std::shared_ptr<TextEngine> textEngine);

  std::shared_ptr<platform::StatusItem> statusItem(double length) override;
  // A DbusmenuMenu, which items of this bar can serve.
  std::shared_ptr<platform::Menu> newMenu() override;

  // The address of the n-th item of a process.
  static SniItemAddress addressOf(long processId, int n);

 private:
  void presentToItems();

  GObjectPtr<GDBusConnection> connection;
  std::shared_ptr<TextEngine> textEngine;
  std::string programName;
  CurrentEvent& events;
  int itemCount = 0;
  std::vector<std::weak_ptr<SniStatusItem>> items;
  TrayHost host;
};

}  // namespace platform::linuxdesktop
