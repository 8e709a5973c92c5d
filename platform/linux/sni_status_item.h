#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <gio/gio.h>

#include "platform/linux/current_event.h"
#include "platform/linux/dbusmenu_export.h"
#include "platform/linux/dbusmenu_menu.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/sni_button.h"
#include "platform/linux/sni_change_announcer.h"
#include "platform/linux/sni_dbus_object.h"
#include "platform/linux/sni_watcher_registration.h"
#include "platform/linux/tray_presentation.h"
#include "platform/status_bar.h"

namespace platform::linuxdesktop {

// Where one status item lives on the bus.
struct SniItemAddress {
  std::string busName;     // org.kde.StatusNotifierItem-<pid>-<n>
  std::string objectPath;  // the item's object
  std::string menuPath;    // where its secondary-click menu is served
  std::string service;     // what the watcher is given
};

// A status item as a StatusNotifierItem on the session bus (see
// SniDbusObject): the button is drawn into its icon, a secondary-click menu is
// served with dbusmenu, and hosts' clicks run the button's action. The item
// is visible from the start; hidden, its status is Passive. The length has no
// tray form and is only kept.
//
// What hosts are shown follows the tray host's presentation (see
// TrayPresentation): the picture's shape; XAyatanaLabel with the compact
// reading's lines (cue and text, one space apart) or else the title, and
// XAyatanaLabelGuide with the widest texts, both declared only when the label
// is wanted and not empty; IconName, a freedesktop icon for the program, only
// for hosts that draw no pixmap. The item registers with a watcher only once
// its host's presentation is known.
class SniStatusItem : public platform::StatusItem, private SniObjectHandler {
 public:
  // The connection must be the process's shared session-bus connection (the
  // menu server finds it by itself); the events are borrowed and must outlive
  // the item. programName is the item's Id and its title when the button has
  // none.
  SniStatusItem(GDBusConnection* connection, SniItemAddress address, std::string programName,
                CurrentEvent& events, double length);

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
  GVariant* property(std::string_view name) override;
  void clicked(int eventType) override;
  VariantPtr compute(SniAnnounced property) const;
  void announce(SniAnnounced property, GVariant* value);
  bool readyToRegister() const;
  void buttonChanged(SniButton::Change change);
  // Marks a property to be announced; property reads go to the main thread
  // until the change is announced.
  void markStale(SniAnnounced property);
  TrayPresentation shown() const { return presentation.value_or(TrayPresentation{}); }
  // The label and its guide; empty when none is declared.
  std::pair<std::string, std::string> label() const;

  GObjectPtr<GDBusConnection> connection;
  SniItemAddress address;
  std::string programName;
  CurrentEvent& events;
  double itemLength = 0.0;
  bool visible = true;
  std::optional<TrayPresentation> presentation;
  std::shared_ptr<platform::Menu> attachedMenu;
  std::shared_ptr<DbusmenuMenu> secondaryClickMenu;
  SniButton model{[this](SniButton::Change change) { buttonChanged(change); }};
  SniChangeAnnouncer announcer{
      [this](SniAnnounced property) { return compute(property); },
      [this](SniAnnounced property, GVariant* value) { announce(property, value); }};
  SniDbusObject object;
  std::unique_ptr<DbusmenuExport> menuExport;
  SniWatcherRegistration registration;
};

}  // namespace platform::linuxdesktop
