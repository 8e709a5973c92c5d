// tray-view's reading of an item's properties (Properties.GetAll) and the
// line it prints for the item.
//
// Input: a first byte choosing the type — 0 for a{sv}, anything else for the
// type string that follows up to a NUL — then the serialised value, read as
// untrusted data.
#include <glib.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_rule.h"
#include "fuzz/fuzz_variant.h"
#include "tools/tray_view/item_snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Variant value = fuzz::variantOf(data, size, {"a{sv}"});
  if (!value) return 0;
  GVariant* properties = value.get();

  const tools::trayview::ItemSnapshot snapshot = tools::trayview::readItemSnapshot(properties);
  if (!g_variant_is_of_type(properties, G_VARIANT_TYPE("a{sv}"))) {
    FUZZ_RULE(snapshot.id.empty() && snapshot.title.empty() && snapshot.tooltip.empty() &&
              snapshot.status.empty() && !snapshot.icon);
  }
  if (snapshot.icon) {
    const auto& icon = *snapshot.icon;
    FUZZ_RULE(icon.width > 0 && icon.height > 0 && icon.width <= 4096 && icon.height <= 4096);
    FUZZ_RULE(icon.argb.size() == std::size_t(icon.width) * std::size_t(icon.height) * 4);
  }
  const std::string line = tools::trayview::formatItemLine(snapshot, ":1.42");
  FUZZ_RULE(line.starts_with("item "));
  // No byte a terminal acts on reaches it.
  FUZZ_RULE(
      std::ranges::none_of(line, [](unsigned char byte) { return byte < 0x20 || byte == 0x7f; }));
  const std::string icon = snapshot.icon ? " icon=" + std::to_string(snapshot.icon->width) + "x" +
                                               std::to_string(snapshot.icon->height)
                                         : " icon=none";
  FUZZ_RULE(line.find(icon) != std::string::npos);
  return 0;
}
