#include "tools/tray_view/menu_layout.h"

#include "tools/tray_view/gio_handles.h"
#include "tools/tray_view/item_snapshot.h"

namespace tools::trayview {
namespace {

constexpr int kMaximumDepth = 32;

MenuEntry readEntry(gint32 id, GVariant* properties, int depth) {
  MenuEntry entry;
  entry.id = id;
  entry.depth = depth;
  const char* text = nullptr;
  if (g_variant_lookup(properties, "label", "&s", &text)) entry.label = text;
  gboolean flag = TRUE;
  if (g_variant_lookup(properties, "enabled", "b", &flag)) entry.enabled = flag;
  if (g_variant_lookup(properties, "visible", "b", &flag)) entry.visible = flag;
  if (g_variant_lookup(properties, "type", "&s", &text))
    entry.separator = g_strcmp0(text, "separator") == 0;
  return entry;
}

void readChildren(GVariant* node, int depth, std::vector<MenuEntry>& entries) {
  if (depth >= kMaximumDepth) return;
  const VariantPtr children{g_variant_get_child_value(node, 2)};
  const gsize count = g_variant_n_children(children.get());
  for (gsize index = 0; index < count; ++index) {
    const VariantPtr boxed{g_variant_get_child_value(children.get(), index)};
    const VariantPtr child{g_variant_get_variant(boxed.get())};
    if (!g_variant_is_of_type(child.get(), G_VARIANT_TYPE("(ia{sv}av)"))) continue;
    gint32 id = 0;
    g_variant_get_child(child.get(), 0, "i", &id);
    const VariantPtr properties{g_variant_get_child_value(child.get(), 1)};
    entries.push_back(readEntry(id, properties.get(), depth));
    readChildren(child.get(), depth + 1, entries);
  }
}

std::string withoutMnemonics(std::string_view label) {
  // "_x" shows as "x" and "__" as "_"; a lone trailing '_' shows as nothing.
  std::string result;
  for (std::size_t index = 0; index < label.size(); ++index) {
    if (label[index] != '_') {
      result += label[index];
    } else if (index + 1 < label.size()) {
      result += label[++index];
    }
  }
  return result;
}

}  // namespace

std::vector<MenuEntry> readMenuLayout(GVariant* layout) {
  std::vector<MenuEntry> entries;
  if (layout != nullptr && g_variant_is_of_type(layout, G_VARIANT_TYPE("(ia{sv}av)"))) {
    readChildren(layout, 0, entries);
  }
  return entries;
}

std::string formatMenuEntry(const MenuEntry& entry) {
  std::string line(static_cast<std::size_t>(entry.depth) * 2, ' ');
  line += std::to_string(entry.id) + " " + quoted(entry.label);
  if (!entry.enabled) line += " disabled";
  if (!entry.visible) line += " hidden";
  if (entry.separator) line += " separator";
  return line;
}

const MenuEntry* findMenuEntry(const std::vector<MenuEntry>& entries, std::string_view label) {
  for (const auto& entry : entries) {
    if (entry.label == label) return &entry;
  }
  for (const auto& entry : entries) {
    if (withoutMnemonics(entry.label) == label) return &entry;
  }
  return nullptr;
}

}  // namespace tools::trayview
