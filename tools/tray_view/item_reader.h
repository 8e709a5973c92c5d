#pragma once

#include <gio/gio.h>

#include <optional>
#include <string>

#include "tools/tray_view/gio_handles.h"
#include "tools/tray_view/item_snapshot.h"
#include "tools/tray_view/sni_protocol.h"

namespace tools::trayview {

// Follows one StatusNotifierItem: reads all its properties at start and again
// after each of its New* signals (NewIcon, NewToolTip, NewTitle, NewStatus,
// ...), one read at a time, and notices when its bus name loses its owner.
class ItemReader {
 public:
  // Told about every completed read and about the item's end. itemVanished
  // may destroy the reader; it is the last thing the reader does in that turn.
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void itemRead(const std::string& entry, const ItemSnapshot& snapshot) = 0;
    virtual void itemVanished(const std::string& entry) = 0;
  };

  // entry is the watcher's "<bus name><object path>" string; listener must
  // outlive the reader.
  ItemReader(GDBusConnection* connection, std::string entry, Listener& listener);

  ItemReader(const ItemReader&) = delete;
  ItemReader& operator=(const ItemReader&) = delete;

  // The item's Id, or its bus name before a first read or when its Id is empty.
  std::string name() const;
  const ItemAddress& address() const { return itemAddress; }

 private:
  static void signalReceived(GDBusConnection*, const char*, const char*, const char*,
                             const char* signal, GVariant*, gpointer self);
  static void propertiesRead(GObject* source, GAsyncResult* result, gpointer self);
  static void nameVanished(GDBusConnection*, const char*, gpointer self);

  void readProperties();

  GObjectPtr<GDBusConnection> connection;
  std::string itemEntry;
  ItemAddress itemAddress;
  Listener& listener;
  std::optional<ItemSnapshot> latest;
  bool reading = false;
  bool readAgain = false;
  OwnedCancellable cancellable{g_cancellable_new()};
  SignalSubscription itemSignals;
  WatchedName owner;
};

}  // namespace tools::trayview
