#pragma once

#include <gio/gio.h>

#include <map>
#include <memory>
#include <string>

#include "tools/tray_view/gio_handles.h"
#include "tools/tray_view/item_reader.h"

namespace tools::trayview {

// A StatusNotifierHost: owns org.kde.StatusNotifierHost-<pid>, registers with
// whichever watcher owns org.kde.StatusNotifierWatcher (again each time one
// appears), and follows every item the watcher lists or announces.
class TrayHost : private ItemReader::Listener {
 public:
  // Told about each item's properties after every read, and once when the
  // item goes (its bus name vanished or the watcher unregistered it).
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void itemChanged(const std::string& entry, const ItemReader& item,
                             const ItemSnapshot& snapshot) = 0;
    virtual void itemGone(const std::string& entry, const std::string& name) = 0;
  };

  // observer must outlive the host.
  TrayHost(GDBusConnection* connection, Observer& observer);

  TrayHost(const TrayHost&) = delete;
  TrayHost& operator=(const TrayHost&) = delete;

 private:
  static void hostNameAcquired(GDBusConnection*, const char*, gpointer self);
  static void hostNameLost(GDBusConnection*, const char* name, gpointer self);
  static void watcherAppeared(GDBusConnection*, const char*, const char* owner, gpointer self);
  static void watcherVanished(GDBusConnection*, const char*, gpointer self);
  static void watcherSignal(GDBusConnection*, const char*, const char*, const char*,
                            const char* signal, GVariant* parameters, gpointer self);
  static void hostRegistered(GObject* source, GAsyncResult* result, gpointer self);
  static void itemsListed(GObject* source, GAsyncResult* result, gpointer self);

  void registerWithWatcher();
  void addItem(const std::string& entry);
  void removeItem(std::string entry);
  void itemRead(const std::string& entry, const ItemSnapshot& snapshot) override;
  void itemVanished(const std::string& entry) override;

  GObjectPtr<GDBusConnection> connection;
  Observer& observer;
  std::string hostName;
  bool hostNameOwned = false;
  bool watcherPresent = false;
  std::map<std::string, std::unique_ptr<ItemReader>> items;
  OwnedCancellable cancellable{g_cancellable_new()};
  SignalSubscription watcherSignals;
  OwnedName ownedHostName;
  WatchedName watcherName;
};

}  // namespace tools::trayview
