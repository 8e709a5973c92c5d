#include "tools/tray_view/item_snapshot.h"

#include <cstdio>

#include "tools/tray_view/gio_handles.h"

namespace tools::trayview {
namespace {

// Bigger images than this are not icons; refusing them keeps a broken item
// from making tray-view copy or write hundreds of megabytes.
constexpr std::int64_t kMaximumSide = 4096;

std::string stringProperty(GVariant* properties, const char* name) {
  const char* value = nullptr;
  if (g_variant_lookup(properties, name, "&s", &value)) return value;
  if (g_variant_lookup(properties, name, "&o", &value)) return value;
  return {};
}

std::string tooltipTitle(GVariant* properties) {
  const VariantPtr tooltip{
      g_variant_lookup_value(properties, "ToolTip", G_VARIANT_TYPE("(sa(iiay)ss)"))};
  if (!tooltip) return {};
  const char* title = nullptr;
  g_variant_get_child(tooltip.get(), 2, "&s", &title);
  return title;
}

std::optional<Pixmap> readPixmap(GVariant* entry) {
  gint32 width = 0;
  gint32 height = 0;
  GVariant* bytes = nullptr;
  g_variant_get(entry, "(ii@ay)", &width, &height, &bytes);
  const VariantPtr ownedBytes{bytes};
  if (width <= 0 || height <= 0 || width > kMaximumSide || height > kMaximumSide) {
    return std::nullopt;
  }
  gsize size = 0;
  const auto* data = static_cast<const std::uint8_t*>(
      g_variant_get_fixed_array(bytes, &size, sizeof(std::uint8_t)));
  if (static_cast<std::int64_t>(size) != std::int64_t{width} * height * 4) return std::nullopt;
  return Pixmap{width, height, std::vector<std::uint8_t>(data, data + size)};
}

}  // namespace

std::optional<Pixmap> largestPixmap(GVariant* pixmaps) {
  if (pixmaps == nullptr || !g_variant_is_of_type(pixmaps, G_VARIANT_TYPE("a(iiay)"))) {
    return std::nullopt;
  }
  std::optional<Pixmap> largest;
  const gsize count = g_variant_n_children(pixmaps);
  for (gsize index = 0; index < count; ++index) {
    const VariantPtr entry{g_variant_get_child_value(pixmaps, index)};
    auto pixmap = readPixmap(entry.get());
    if (!pixmap) continue;
    const auto area = std::int64_t{pixmap->width} * pixmap->height;
    if (!largest || area > std::int64_t{largest->width} * largest->height) {
      largest = std::move(pixmap);
    }
  }
  return largest;
}

ItemSnapshot readItemSnapshot(GVariant* properties) {
  ItemSnapshot snapshot;
  if (properties == nullptr || !g_variant_is_of_type(properties, G_VARIANT_TYPE("a{sv}"))) {
    return snapshot;
  }
  snapshot.id = stringProperty(properties, "Id");
  snapshot.title = stringProperty(properties, "Title");
  snapshot.status = stringProperty(properties, "Status");
  snapshot.menuPath = stringProperty(properties, "Menu");
  snapshot.tooltip = tooltipTitle(properties);
  const VariantPtr pixmaps{
      g_variant_lookup_value(properties, "IconPixmap", G_VARIANT_TYPE("a(iiay)"))};
  snapshot.icon = largestPixmap(pixmaps.get());
  return snapshot;
}

std::string formatItemLine(const ItemSnapshot& snapshot, std::string_view name) {
  std::string shownName = snapshot.id.empty() ? std::string{name} : snapshot.id;
  // A name that would not read back as one word is quoted.
  if (shownName.empty() || shownName.find_first_of(" \"\\") != std::string::npos ||
      escapedControls(shownName) != shownName) {
    shownName = quoted(shownName);
  }
  std::string line = "item " + shownName + " title=" + quoted(snapshot.title) +
                     " tooltip=" + quoted(snapshot.tooltip) + " icon=";
  if (snapshot.icon) {
    line += std::to_string(snapshot.icon->width) + "x" + std::to_string(snapshot.icon->height);
  } else {
    line += "none";
  }
  if (snapshot.status != "Active") line += " status=" + quoted(snapshot.status);
  return line;
}

}  // namespace tools::trayview
