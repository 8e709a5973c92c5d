#include "platform/linux/dbusmenu_menu.h"

#include <utility>

#include <libdbusmenu-glib/client.h>

#include "platform/linux/dbus_strings.h"

namespace platform::linuxdesktop {

namespace {

// dbusmenu labels read '_' as a mnemonic marker; doubling shows it literally.
std::string labelText(const std::string& title) {
  std::string label;
  label.reserve(title.size());
  for (char c : title) {
    label += c;
    if (c == '_') label += '_';
  }
  return label;
}

}  // namespace

DbusmenuMenu::DbusmenuMenu() : rootItem(dbusmenu_menuitem_new()) {}

void DbusmenuMenu::addItem(const std::string& title, std::function<void()> action,
                           const std::string&, bool enabled) {
  auto entry = std::make_unique<Entry>();
  entry->menu = this;
  entry->item.reset(dbusmenu_menuitem_new());
  entry->action = std::move(action);
  entry->enabled = enabled;
  DbusmenuMenuitem* item = entry->item.get();
  dbusmenu_menuitem_property_set(item, DBUSMENU_MENUITEM_PROP_LABEL,
                                 labelText(validUtf8(title)).c_str());
  dbusmenu_menuitem_property_set_bool(item, DBUSMENU_MENUITEM_PROP_ENABLED, enabled);
  const gulong handler = g_signal_connect(item, DBUSMENU_MENUITEM_SIGNAL_ITEM_ACTIVATED,
                                          G_CALLBACK(&DbusmenuMenu::activated), entry.get());
  entry->activation = SignalHandlerId{G_OBJECT(item), handler};
  dbusmenu_menuitem_child_append(rootItem.get(), item);
  entries.push_back(std::move(entry));
}

void DbusmenuMenu::addSeparator() {
  auto entry = std::make_unique<Entry>();
  entry->menu = this;
  entry->item.reset(dbusmenu_menuitem_new());
  entry->enabled = false;
  dbusmenu_menuitem_property_set(entry->item.get(), DBUSMENU_MENUITEM_PROP_TYPE,
                                 DBUSMENU_CLIENT_TYPES_SEPARATOR);
  dbusmenu_menuitem_child_append(rootItem.get(), entry->item.get());
  entries.push_back(std::move(entry));
}

void DbusmenuMenu::activated(DbusmenuMenuitem*, guint, gpointer data) {
  const Entry& entry = *static_cast<Entry*>(data);
  // A host should not send clicks for a disabled entry; one that does is ignored.
  if (!entry.enabled || !entry.action) return;
  DbusmenuMenu& menu = *entry.menu;
  menu.pending.push_back(entry.action);
  if (!menu.pendingSource) {
    menu.pendingSource = SourceId{g_idle_add(&DbusmenuMenu::runPending, &menu)};
  }
}

gboolean DbusmenuMenu::runPending(gpointer data) {
  auto& menu = *static_cast<DbusmenuMenu*>(data);
  menu.pendingSource.release();
  std::deque<std::function<void()>> running = std::exchange(menu.pending, {});
  // Actions run from a local queue: one of them may destroy the menu.
  for (const std::function<void()>& action : running) action();
  return G_SOURCE_REMOVE;
}

}  // namespace platform::linuxdesktop
