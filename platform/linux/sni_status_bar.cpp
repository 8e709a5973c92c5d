#include "platform/linux/sni_status_bar.h"

#include <unistd.h>

#include <utility>

#include "platform/linux/dbusmenu_menu.h"

namespace platform::linuxdesktop {

SniStatusBar::SniStatusBar(GDBusConnection* connection, std::string programName,
                           CurrentEvent& events, const platform::Environment& environment,
                           std::shared_ptr<TextEngine> textEngine)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      textEngine(std::move(textEngine)),
      programName(std::move(programName)),
      events(events),
      host(connection, environment, [this] { presentToItems(); }) {}

std::shared_ptr<platform::StatusItem> SniStatusBar::statusItem(double length) {
  ++itemCount;
  auto item = std::make_shared<SniStatusItem>(connection.get(), addressOf(getpid(), itemCount),
                                              programName, events, length, textEngine);
  std::erase_if(items, [](const std::weak_ptr<SniStatusItem>& held) { return held.expired(); });
  items.push_back(item);
  presentToItems();
  return item;
}

void SniStatusBar::presentToItems() {
  const std::optional<TrayPresentation> presentation = host.presentation();
  for (const std::weak_ptr<SniStatusItem>& held : items) {
    if (const std::shared_ptr<SniStatusItem> item = held.lock()) item->present(presentation);
  }
}

std::shared_ptr<platform::Menu> SniStatusBar::newMenu() { return std::make_shared<DbusmenuMenu>(); }

SniItemAddress SniStatusBar::addressOf(long processId, int n) {
  SniItemAddress address;
  address.busName =
      "org.kde.StatusNotifierItem-" + std::to_string(processId) + "-" + std::to_string(n);
  if (n == 1) {
    address.objectPath = "/StatusNotifierItem";
    address.menuPath = "/MenuBar";
    address.service = address.busName;
  } else {
    address.objectPath = "/StatusNotifierItem/" + std::to_string(n);
    address.menuPath = "/MenuBar/" + std::to_string(n);
    address.service = address.objectPath;
  }
  return address;
}

}  // namespace platform::linuxdesktop
