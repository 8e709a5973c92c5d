#include "tools/tray_view/tray_commands.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "tools/terminal_text/terminal_text.h"
#include "tools/tray_view/menu_layout.h"
#include "tools/tray_view/png_writer.h"

namespace tools::trayview {
namespace {

int failed(const std::string& reason) {
  printEscapedLine(stderr, "tray-view: " + reason);
  return 1;
}

// The entries of the named item's exported menu; absent with error when
// there is no such item, it has no menu or the menu does not answer.
std::optional<std::vector<MenuEntry>> readMenu(const TrayClient& client, std::string_view item,
                                               ItemAddress& menuAddress, std::string& error) {
  const auto found = client.findItem(item, error);
  if (!found) return std::nullopt;
  const std::string& path = found->snapshot.menuPath;
  if (path.empty() || path == "/" || !g_variant_is_object_path(path.c_str())) {
    error = found->snapshot.id + " exports no menu";
    return std::nullopt;
  }
  menuAddress = ItemAddress{found->address.service, path};
  const VariantPtr reply =
      client.call(menuAddress, kMenuInterface, "GetLayout",
                  g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)),
                  G_VARIANT_TYPE("(u(ia{sv}av))"), error);
  if (!reply) return std::nullopt;
  const VariantPtr layout{g_variant_get_child_value(reply.get(), 1)};
  return readMenuLayout(layout.get());
}

}  // namespace

TrayCommands::TrayCommands(const TrayClient& trayClient) : client(trayClient) {}

int TrayCommands::list() const {
  std::string error;
  const auto entries = client.registeredItems(error);
  if (!entries) return failed(error);
  for (const auto& entry : *entries) {
    const ItemAddress address = splitItemEntry(entry);
    const auto snapshot = client.readItem(address, error);
    if (!snapshot) {
      // An item that left a moment ago is no reason to fail the listing.
      printEscapedLine(stderr, "tray-view: skipping " + entry + ": " + error);
      continue;
    }
    printEscapedLine(stdout, formatItemLine(*snapshot, address.service));
  }
  return 0;
}

int TrayCommands::activate(std::string_view item) const { return click(item, "Activate"); }

int TrayCommands::context(std::string_view item) const { return click(item, "ContextMenu"); }

int TrayCommands::click(std::string_view item, const char* method) const {
  std::string error;
  const auto found = client.findItem(item, error);
  if (!found) return failed(error);
  const VariantPtr reply = client.call(found->address, kItemInterface, method,
                                       g_variant_new("(ii)", 0, 0), nullptr, error);
  return reply ? 0 : failed(error);
}

int TrayCommands::menu(std::string_view item) const {
  std::string error;
  ItemAddress menuAddress;
  const auto entries = readMenu(client, item, menuAddress, error);
  if (!entries) return failed(error);
  for (const auto& entry : *entries) printEscapedLine(stdout, formatMenuEntry(entry));
  return 0;
}

int TrayCommands::menuClick(std::string_view item, std::string_view label) const {
  std::string error;
  ItemAddress menuAddress;
  const auto entries = readMenu(client, item, menuAddress, error);
  if (!entries) return failed(error);
  const MenuEntry* entry = findMenuEntry(*entries, label);
  if (entry == nullptr) return failed("no menu entry " + quoted(label));
  // A tray host offers no disabled or hidden entry and no separator for a click.
  if (!entry->enabled || !entry->visible || entry->separator) {
    return failed("menu entry " + quoted(label) + " cannot be chosen");
  }
  const VariantPtr reply = client.call(
      menuAddress, kMenuInterface, "Event",
      g_variant_new("(isvu)", entry->id, "clicked", g_variant_new_int32(0), 0u), nullptr, error);
  return reply ? 0 : failed(error);
}

int TrayCommands::icon(std::string_view item, const std::string& file) const {
  std::string error;
  const auto found = client.findItem(item, error);
  if (!found) return failed(error);
  if (!found->snapshot.icon) return failed(found->snapshot.id + " has no icon image");
  if (const auto failure = writePixmapPng(*found->snapshot.icon, file)) return failed(*failure);
  return 0;
}

}  // namespace tools::trayview
