#include "tools/tray_view/tray_watch.h"

#include <glib-unix.h>
#include <glib/gstdio.h>

#include <csignal>
#include <cstdio>
#include <utility>

#include "tools/terminal_text/terminal_text.h"
#include "tools/tray_view/png_writer.h"
#include "tools/tray_view/status_notifier_watcher.h"

namespace tools::trayview {
namespace {

// An item's Id as a file name: no folder separators, no control characters,
// never "." or "..".
std::string fileNameFor(const std::string& name) {
  std::string fileName = name;
  for (char& character : fileName) {
    if (character == '/' || static_cast<unsigned char>(character) < 0x20) character = '_';
  }
  if (fileName.empty() || fileName == "." || fileName == "..") fileName = "item" + fileName;
  return fileName;
}

}  // namespace

TrayWatch::TrayWatch(std::optional<std::string> pngFolder) : iconFolder(std::move(pngFolder)) {}

int TrayWatch::run() {
  if (iconFolder && g_mkdir_with_parents(iconFolder->c_str(), 0755) != 0) {
    printEscapedLine(stderr, "tray-view: cannot create " + *iconFolder);
    return 1;
  }
  std::string error;
  const GObjectPtr<GDBusConnection> bus = connectSessionBus(error);
  if (!bus) {
    printEscapedLine(stderr, "tray-view: " + error);
    return 1;
  }
  g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
  const gulong closedHandler = g_signal_connect(bus.get(), "closed", G_CALLBACK(busClosed), this);

  const StatusNotifierWatcher watcher{bus.get()};
  const TrayHost host{bus.get(), *this};
  const SourceId interrupt{g_unix_signal_add(SIGINT, stopRequested, this)};
  const SourceId terminate{g_unix_signal_add(SIGTERM, stopRequested, this)};
  g_main_loop_run(loop.get());

  g_signal_handler_disconnect(bus.get(), closedHandler);
  g_dbus_connection_flush_sync(bus.get(), nullptr, nullptr);
  return exitStatus;
}

gboolean TrayWatch::stopRequested(gpointer self) {
  g_main_loop_quit(static_cast<TrayWatch*>(self)->loop.get());
  return G_SOURCE_CONTINUE;
}

void TrayWatch::busClosed(GDBusConnection*, gboolean, GError*, gpointer self) {
  auto* watch = static_cast<TrayWatch*>(self);
  printEscapedLine(stderr, "tray-view: the session bus connection closed");
  watch->exitStatus = 1;
  g_main_loop_quit(watch->loop.get());
}

void TrayWatch::itemChanged(const std::string& entry, const ItemReader& item,
                            const ItemSnapshot& snapshot) {
  const std::string name = item.name();
  std::string line = formatItemLine(snapshot, name);
  auto& printed = printedLines[entry];
  if (line != printed) {
    printEscapedLine(stdout, line);
    printed = std::move(line);
  }
  if (iconFolder) saveIcon(entry, snapshot, name);
}

void TrayWatch::itemGone(const std::string& entry, const std::string& name) {
  printedLines.erase(entry);
  savedIcons.erase(entry);
  printEscapedLine(stdout, "gone " + name);
}

void TrayWatch::saveIcon(const std::string& entry, const ItemSnapshot& snapshot,
                         const std::string& name) {
  if (!snapshot.icon) return;
  const auto saved = savedIcons.find(entry);
  if (saved != savedIcons.end() && saved->second == *snapshot.icon) return;
  const std::string path = *iconFolder + "/" + fileNameFor(name) + ".png";
  if (const auto failure = writePixmapPng(*snapshot.icon, path)) {
    printEscapedLine(stderr, "tray-view: " + *failure);
    return;
  }
  savedIcons[entry] = *snapshot.icon;
}

}  // namespace tools::trayview
