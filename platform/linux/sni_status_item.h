#pragma once

#include <memory>
#include <optional>
#include <string>

#include <gio/gio.h>

#include "platform/linux/current_event.h"
#include "platform/linux/dbusmenu_export.h"
#include "platform/linux/dbusmenu_menu.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/sni_button.h"
#include "platform/linux/sni_dbus_object.h"
#include "platform/linux/sni_property_pipeline.h"
#include "platform/linux/sni_watcher_registration.h"
#include "platform/linux/tray_adaptation.h"
#include "platform/status_bar.h"

namespace platform::linuxdesktop {

// Where one status item lives on the bus.
struct SniItemAddress {
  std::string busName;     // org.kde.StatusNotifierItem-<pid>-<n>
  std::string objectPath;  // the item's object
  std::string menuPath;    // where its secondary-click menu is served
  std::string service;     // what the watcher is given
};

// A status item as a StatusNotifierItem on the session bus: the button's
// content goes through the property pipeline (SniPropertyPipeline, which asks
// the tray-host adaptation what each host is shown) to the object hosts read
// (SniDbusObject); a secondary-click menu is served with dbusmenu, and hosts'
// clicks run the button's action. The item is visible from the start; hidden,
// its status is Passive. The length has no tray form and is only kept. The
// item registers with a watcher only once its host's presentation is known.
class SniStatusItem : public platform::StatusItem {
 public:
  // The connection must be the process's shared session-bus connection (the
  // menu server finds it by itself); the events are borrowed and must outlive
  // the item. programName is the item's Id and its title when the button has
  // none.
  SniStatusItem(GDBusConnection* connection, SniItemAddress address, std::string programName,
                CurrentEvent& events, double length, std::shared_ptr<TextEngine> textEngine);

  // Never null: every item has a button.
  platform::StatusBarButton* button() override;
  void setLength(double length) override;
  double length() const override;
  void setVisible(bool visible) override;
  // Attaching a menu only keeps clicks from the action while attached: the
  // host, not the item, opens menus (see SniButton::performClick).
  void setMenu(std::shared_ptr<platform::Menu> menu) override;
  // Served from the first call on; a later call replaces the menu, null takes
  // it away. A menu from another StatusBar counts as none.
  void setSecondaryClickMenu(std::shared_ptr<platform::Menu> menu) override;

  // The tray host's presentation; absent while the host is being identified.
  void present(std::optional<TrayPresentation> presentation);

 private:
  GObjectPtr<GDBusConnection> connection;
  SniItemAddress address;
  double itemLength = 0.0;
  std::shared_ptr<platform::Menu> attachedMenu;
  std::shared_ptr<DbusmenuMenu> secondaryClickMenu;
  SniPropertyPipeline pipeline;
  SniButton model;
  SniDbusObject object;
  std::unique_ptr<DbusmenuExport> menuExport;
  SniWatcherRegistration registration;
};

}  // namespace platform::linuxdesktop
