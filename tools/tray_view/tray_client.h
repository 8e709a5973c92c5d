#pragma once

#include <gio/gio.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/tray_view/gio_handles.h"
#include "tools/tray_view/item_snapshot.h"
#include "tools/tray_view/sni_protocol.h"

namespace tools::trayview {

// One item as the running watcher lists it, with its properties.
struct FoundItem {
  std::string entry;
  ItemAddress address;
  ItemSnapshot snapshot;
};

// Blocking calls to the running watcher and its items, for the one-shot
// commands. Every call gives up after kCallTimeoutMilliseconds. Failures are
// absent results with a one-line reason in error.
class TrayClient {
 public:
  static std::unique_ptr<TrayClient> connect(std::string& error);

  explicit TrayClient(GObjectPtr<GDBusConnection> sessionBus);

  // The watcher's RegisteredStatusNotifierItems.
  std::optional<std::vector<std::string>> registeredItems(std::string& error) const;

  // The item's properties (Properties.GetAll).
  std::optional<ItemSnapshot> readItem(const ItemAddress& address, std::string& error) const;

  // The one item whose Id, bus name or watcher entry is item. Two items that
  // match are an error: the bus name tells them apart.
  std::optional<FoundItem> findItem(std::string_view item, std::string& error) const;

  // A method call; the reply, or null with error set.
  VariantPtr call(const ItemAddress& address, const char* interface, const char* method,
                  GVariant* parameters, const GVariantType* replyType, std::string& error) const;

 private:
  GObjectPtr<GDBusConnection> connection;
};

}  // namespace tools::trayview
