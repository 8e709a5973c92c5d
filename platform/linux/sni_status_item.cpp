#include "platform/linux/sni_status_item.h"

#include <utility>

namespace platform::linuxdesktop {

SniStatusItem::SniStatusItem(GDBusConnection* connection, SniItemAddress address,
                             std::string programName, CurrentEvent& events, double length,
                             std::shared_ptr<TextEngine> textEngine)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      address(std::move(address)),
      itemLength(length),
      pipeline(SniItemFacts{.id = std::move(programName)},
               [&object = object](const auto& next, const auto& before) {
                 object.publish(next, before);
               }),
      model(pipeline, events),
      object(connection, this->address.objectPath, pipeline.current(),
             [&model = model](int eventType) { model.hostClicked(eventType); }),
      // Hosts read the menu when the item registers, so registration waits
      // for the export as well as for the presentation.
      registration(connection, this->address.busName, this->address.service,
                   [&pipeline = pipeline, &menuExport = menuExport] {
                     return pipeline.presentation() && (!menuExport || menuExport->isExported());
                   }) {
  pipeline.editContent().textEngine = std::move(textEngine);
}

platform::StatusBarButton* SniStatusItem::button() { return &model; }

void SniStatusItem::setLength(double length) { itemLength = length; }

double SniStatusItem::length() const { return itemLength; }

void SniStatusItem::setVisible(bool shown) { pipeline.setVisible(shown); }

void SniStatusItem::setMenu(std::shared_ptr<platform::Menu> menu) {
  attachedMenu = std::move(menu);
  model.setMenuAttached(attachedMenu != nullptr);
}

void SniStatusItem::setSecondaryClickMenu(std::shared_ptr<platform::Menu> menu) {
  std::shared_ptr<DbusmenuMenu> served = std::dynamic_pointer_cast<DbusmenuMenu>(std::move(menu));
  // No signal tells hosts of a new Menu: they read it when the item
  // registers, which may follow at once.
  pipeline.setMenuPath(served ? address.menuPath : "/");
  pipeline.publishNow();
  if (!served) {
    const bool hadMenu = std::exchange(secondaryClickMenu, nullptr) != nullptr;
    menuExport.reset();
    if (hadMenu) registration.registerAgain();
    return;
  }
  secondaryClickMenu = served;
  if (menuExport) {
    menuExport->show(std::move(served));
    return;
  }
  // Registration waits for the export, and registers again when the item
  // was already known.
  menuExport = std::make_unique<DbusmenuExport>(
      connection.get(), address.menuPath, std::move(served),
      [&registration = registration] { registration.registerAgain(); });
}

void SniStatusItem::present(std::optional<TrayPresentation> presentation) {
  pipeline.present(presentation);
  if (!presentation) return;
  // A host that appeared while its presentation was unknown hears of the
  // item now, and reads what this presentation shows.
  pipeline.publishNow();
  registration.registerAgain();
}

}  // namespace platform::linuxdesktop
