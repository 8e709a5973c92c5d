#pragma once

#include <string>
#include <string_view>

// Names of the tray protocols tray-view speaks: StatusNotifierWatcher,
// StatusNotifierItem and dbusmenu.
namespace tools::trayview {

inline constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";
inline constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
inline constexpr const char* kWatcherInterface = "org.kde.StatusNotifierWatcher";
inline constexpr const char* kHostNamePrefix = "org.kde.StatusNotifierHost-";
inline constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
inline constexpr const char* kDefaultItemPath = "/StatusNotifierItem";
inline constexpr const char* kMenuInterface = "com.canonical.dbusmenu";
inline constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";

// Every D-Bus call tray-view makes gives up after this long.
inline constexpr int kCallTimeoutMilliseconds = 3000;

// Where an item lives. The watcher lists each item as one string, the bus
// name directly followed by the object path
// (":1.42/StatusNotifierItem", "org.kde.StatusNotifierItem-7-1/StatusNotifierItem").
struct ItemAddress {
  std::string service;
  std::string path;
};

// Splits a watcher entry at its first '/'; an entry without a path names an
// item at the usual /StatusNotifierItem.
inline ItemAddress splitItemEntry(std::string_view entry) {
  const auto slash = entry.find('/');
  if (slash == std::string_view::npos) return {std::string{entry}, kDefaultItemPath};
  return {std::string{entry.substr(0, slash)}, std::string{entry.substr(slash)}};
}

}  // namespace tools::trayview
