#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <libdbusmenu-glib/menuitem.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"
#include "platform/status_bar.h"

namespace platform::linuxdesktop {

// A menu as a tree of dbusmenu items, ready to be served by a DbusmenuServer.
// A chosen entry's action runs from the main loop after the host's call has
// been answered, so an action may end the application or drop the menu.
class DbusmenuMenu : public platform::Menu {
 public:
  DbusmenuMenu();

  // The title is shown as given ('_' marks no mnemonic). Key equivalents have
  // no tray form and are not exported.
  void addItem(const std::string& title, std::function<void()> action,
               const std::string& keyEquivalent, bool enabled) override;
  void addSeparator() override;

  // The root item a server exports; owned by the menu.
  DbusmenuMenuitem* root() const { return rootItem.get(); }

 private:
  struct Entry {
    DbusmenuMenu* menu = nullptr;
    GObjectPtr<DbusmenuMenuitem> item;
    std::function<void()> action;
    bool enabled = true;
    SignalHandlerId activation;
  };

  static void activated(DbusmenuMenuitem* item, guint timestamp, gpointer data);
  static gboolean runPending(gpointer data);

  GObjectPtr<DbusmenuMenuitem> rootItem;
  std::vector<std::unique_ptr<Entry>> entries;
  std::deque<std::function<void()>> pending;
  SourceId pendingSource;
};

}  // namespace platform::linuxdesktop
