#include "platform/linux/sni_status_item.h"

#include <utility>

#include "platform/linux/dbus_strings.h"
#include "platform/linux/sni_icon_pixmaps.h"
#include "platform/linux/tray_presentation.h"

namespace platform::linuxdesktop {

namespace {

constexpr const char* kCategory = "SystemServices";

// Standard freedesktop icon names, for hosts that show a
// themed icon beside the label; other programs name none.
std::string themedIconOf(std::string_view programName) {
  if (programName == "network-status-agent") return "network-transmit-receive";
  if (programName == "sleep-status-agent") return "preferences-desktop-screensaver";
  return {};
}

GVariant* text(const std::string& value) { return g_variant_new_string(validUtf8(value).c_str()); }

std::uint64_t releaseMaskOf(int eventType) {
  switch (eventType) {
    case platform::kEventTypeLeftMouseUp:
      return platform::kEventMaskLeftMouseUp;
    case platform::kEventTypeRightMouseUp:
      return platform::kEventMaskRightMouseUp;
    case platform::kEventTypeOtherMouseUp:
      return platform::kEventMaskOtherMouseUp;
    default:
      return 0;
  }
}

}  // namespace

SniStatusItem::SniStatusItem(GDBusConnection* connection, SniItemAddress address,
                             std::string programName, CurrentEvent& events, double length)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      address(std::move(address)),
      programName(std::move(programName)),
      events(events),
      itemLength(length),
      object(connection, this->address.objectPath, *this),
      registration(connection, this->address.busName, this->address.service,
                   [this] { return readyToRegister(); }) {
  announcer.prime();
}

platform::StatusBarButton* SniStatusItem::button() { return &model; }

void SniStatusItem::setLength(double length) { itemLength = length; }

double SniStatusItem::length() const { return itemLength; }

void SniStatusItem::setVisible(bool shown) {
  visible = shown;
  markStale(SniAnnounced::status);
}

void SniStatusItem::markStale(SniAnnounced property) {
  object.withdrawProperties();
  announcer.markStale(property);
}

void SniStatusItem::setMenu(std::shared_ptr<platform::Menu> menu) {
  attachedMenu = std::move(menu);
  model.setMenuAttached(attachedMenu != nullptr);
}

void SniStatusItem::setSecondaryClickMenu(std::shared_ptr<platform::Menu> menu) {
  // The Menu property may change.
  object.withdrawProperties();
  std::shared_ptr<DbusmenuMenu> served = std::dynamic_pointer_cast<DbusmenuMenu>(std::move(menu));
  if (!served) {
    // The Menu property changes to "/", which hosts see when they read again.
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
  // Hosts read the menu when the item registers, so registration waits for
  // the export, and registers again when the item was already known.
  menuExport =
      std::make_unique<DbusmenuExport>(connection.get(), address.menuPath, std::move(served),
                                       [this] { registration.registerAgain(); });
}

GVariant* SniStatusItem::property(std::string_view name) {
  if (name == "Title") return g_variant_ref(announcer.current(SniAnnounced::title));
  if (name == "IconPixmap") return g_variant_ref(announcer.current(SniAnnounced::icon));
  if (name == "ToolTip") return g_variant_ref(announcer.current(SniAnnounced::toolTip));
  if (name == "Status") return g_variant_ref(announcer.current(SniAnnounced::status));
  if (name == "Id") return text(programName);
  if (name == "Category") return g_variant_new_string(kCategory);
  if (name == "Menu") {
    return g_variant_new_object_path(secondaryClickMenu ? address.menuPath.c_str() : "/");
  }
  if (name == "ItemIsMenu") return g_variant_new_boolean(FALSE);
  if (name == "WindowId") return g_variant_new_int32(0);
  if (name == "OverlayIconPixmap" || name == "AttentionIconPixmap") return newEmptyPixmaps();
  if (name == "IconName") {
    return text(shown().themedIcon ? themedIconOf(programName) : std::string{});
  }
  if (name == "XAyatanaLabel" || name == "XAyatanaLabelGuide") {
    GVariant* value = announcer.current(SniAnnounced::label);
    const char* labelText = nullptr;
    const char* guide = nullptr;
    g_variant_get(value, "(&s&s)", &labelText, &guide);
    // Never declared empty: MATE hides an item whose label is empty.
    if (*labelText == '\0') return nullptr;
    return g_variant_new_string(name == "XAyatanaLabel" ? labelText : guide);
  }
  const bool emptyText = name == "IconThemePath" || name == "OverlayIconName" ||
                         name == "AttentionIconName" || name == "AttentionMovieName";
  return emptyText ? g_variant_new_string("") : nullptr;
}

void SniStatusItem::clicked(int eventType) {
  // Tray hosts send no modifier keys.
  const CurrentEvent::Scope scope{events, platform::Event{eventType, 0}};
  model.click(releaseMaskOf(eventType));
}

VariantPtr SniStatusItem::compute(SniAnnounced property) const {
  GVariant* value = nullptr;
  switch (property) {
    case SniAnnounced::title:
      value = text(model.title().empty() ? programName : model.title());
      break;
    case SniAnnounced::icon:
      // The item registers only once its host's presentation is known: a
      // picture before that is seen by no host, and drawing it would load
      // fonts and caches the right picture may not need.
      if (!presentation) return VariantPtr{g_variant_ref_sink(newEmptyPixmaps())};
      return iconPixmapsFor(model, *presentation);
    case SniAnnounced::toolTip:
      value = g_variant_new("(s@a(iiay)ss)", "", newEmptyPixmaps(),
                            validUtf8(model.toolTip()).c_str(), "");
      break;
    case SniAnnounced::status:
      value = g_variant_new_string(visible ? "Active" : "Passive");
      break;
    case SniAnnounced::label: {
      const auto [labelText, guide] = label();
      value = g_variant_new("(ss)", labelText.c_str(), guide.c_str());
      break;
    }
  }
  return VariantPtr{g_variant_ref_sink(value)};
}

void SniStatusItem::announce(SniAnnounced property, GVariant* value) {
  // Every value is current when changes are announced, and hosts answer a
  // change signal by reading the properties again.
  object.publishProperties();
  switch (property) {
    case SniAnnounced::title:
      object.emit("NewTitle", nullptr);
      break;
    case SniAnnounced::icon:
      object.emit("NewIcon", nullptr);
      break;
    case SniAnnounced::toolTip:
      object.emit("NewToolTip", nullptr);
      break;
    case SniAnnounced::status:
      object.emit("NewStatus", g_variant_new("(@s)", value));
      break;
    case SniAnnounced::label: {
      // An empty label is never announced either: MATE takes it for a
      // declared empty label and hides the item, which happens when its
      // presentation (no label) arrives just as it registers the item.
      const char* labelText = nullptr;
      g_variant_get_child(value, 0, "&s", &labelText);
      if (*labelText != '\0') object.emit("XAyatanaNewLabel", value);
      break;
    }
  }
}

bool SniStatusItem::readyToRegister() const {
  return presentation && (!menuExport || menuExport->isExported());
}

void SniStatusItem::present(std::optional<TrayPresentation> newPresentation) {
  const bool changed = presentation != newPresentation;
  presentation = newPresentation;
  if (changed) {
    markStale(SniAnnounced::icon);
    markStale(SniAnnounced::label);
  }
  // A host that appeared while its presentation was unknown hears of the
  // item now.
  if (presentation) registration.registerAgain();
}

void SniStatusItem::buttonChanged(SniButton::Change change) {
  switch (change) {
    case SniButton::Change::toolTip:
      markStale(SniAnnounced::toolTip);
      return;
    case SniButton::Change::title:
      markStale(SniAnnounced::title);
      markStale(SniAnnounced::icon);
      markStale(SniAnnounced::label);
      return;
    case SniButton::Change::compactReading:
      markStale(SniAnnounced::label);
      // In the square the reading is the picture, or was until it emptied.
      if (shown().shape == TrayShape::square) markStale(SniAnnounced::icon);
      return;
    case SniButton::Change::image:
      // The compact picture does not show the image: nothing to redraw.
      if (!showsCompactReading(model, shown().shape)) markStale(SniAnnounced::icon);
      return;
  }
}

std::pair<std::string, std::string> SniStatusItem::label() const {
  if (!shown().label) return {};
  const auto& lines = model.compactReading();
  if (lines.empty()) return {validUtf8(model.title()), validUtf8(model.title())};
  std::string labelText;
  std::string guide;
  for (const platform::CompactLine& line : lines) {
    const char* separator = labelText.empty() ? "" : " ";
    labelText += separator + line.cue + line.text;
    guide += separator + line.cue + line.widest;
  }
  return {validUtf8(labelText), validUtf8(guide)};
}

}  // namespace platform::linuxdesktop
