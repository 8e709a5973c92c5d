#include "platform/linux/sni_item_properties.h"

#include <utility>
#include <vector>

#include "platform/linux/tray_pictures.h"
#include "platform/linux/variant_bytes.h"

namespace platform::linuxdesktop {
namespace {

using Name = SniItemProperties::Name;

constexpr std::array<const char*, Name::count> kNames = {
    "Category",
    "Id",
    "Title",
    "Status",
    "WindowId",
    "IconThemePath",
    "Menu",
    "ItemIsMenu",
    "IconName",
    "IconPixmap",
    "OverlayIconName",
    "OverlayIconPixmap",
    "AttentionIconName",
    "AttentionIconPixmap",
    "AttentionMovieName",
    "ToolTip",
    "XAyatanaLabel",
    "XAyatanaLabelGuide",
};

constexpr const char* kCategory = "SystemServices";

VariantPtr held(GVariant* floating) { return VariantPtr{g_variant_ref_sink(floating)}; }

VariantPtr text(const std::string& value) { return held(g_variant_new_string(value.c_str())); }

}  // namespace

SniItemProperties::SniItemProperties(const SniItemFacts& facts, TrayView view)
    : trayView(std::move(view)) {
  values[category] = held(g_variant_new_string(kCategory));
  values[id] = text(facts.id);
  values[title] = text(trayView.title);
  values[status] = held(g_variant_new_string(facts.visible ? "Active" : "Passive"));
  values[windowId] = held(g_variant_new_int32(0));
  values[menu] = held(g_variant_new_object_path(facts.menuPath.c_str()));
  values[itemIsMenu] = held(g_variant_new_boolean(FALSE));
  values[iconName] = text(trayView.iconName);
  values[iconPixmap] = trayView.pictures ? VariantPtr{g_variant_ref(trayView.pictures.get())}
                                         : held(newEmptyPixmaps());
  values[toolTip] =
      held(g_variant_new("(s@a(iiay)ss)", "", newEmptyPixmaps(), trayView.toolTip.c_str(), ""));
  // Never declared empty: MATE hides an item whose label is empty.
  if (!trayView.label.empty()) {
    values[label] = text(trayView.label);
    values[labelGuide] = text(trayView.labelGuide);
  }
  const VariantPtr noText = text("");
  const VariantPtr noPixmap = held(newEmptyPixmaps());
  for (const Name name : {iconThemePath, overlayIconName, attentionIconName, attentionMovieName}) {
    values[name] = VariantPtr{g_variant_ref(noText.get())};
  }
  for (const Name name : {overlayIconPixmap, attentionIconPixmap}) {
    values[name] = VariantPtr{g_variant_ref(noPixmap.get())};
  }

  std::vector<GVariant*> entries;
  for (std::size_t index = 0; index < values.size(); ++index) {
    // A property without a value is left out, as GDBus would.
    if (!values[index]) continue;
    entries.push_back(g_variant_new_dict_entry(g_variant_new_string(kNames[index]),
                                               g_variant_new_variant(values[index].get())));
  }
  GVariant* dictionary =
      g_variant_new_array(G_VARIANT_TYPE("{sv}"), entries.data(), entries.size());
  answer = held(g_variant_new_tuple(&dictionary, 1));
}

GVariant* SniItemProperties::value(std::string_view name) const {
  for (std::size_t index = 0; index < kNames.size(); ++index) {
    if (name == kNames[index]) return values[index].get();
  }
  return nullptr;
}

bool SniItemProperties::differs(const SniItemProperties& before, Name name) const {
  return !sameBytes(values[name].get(), before.values[name].get());
}

bool SniItemProperties::sameAs(const SniItemProperties& other) const {
  for (std::size_t index = 0; index < values.size(); ++index) {
    if (differs(other, static_cast<Name>(index))) return false;
  }
  return true;
}

void SniItemProperties::announceChangesSince(
    const SniItemProperties& before,
    const std::function<void(const char*, GVariant*)>& emit) const {
  if (differs(before, title)) emit("NewTitle", nullptr);
  if (differs(before, iconPixmap) || differs(before, iconName)) emit("NewIcon", nullptr);
  if (differs(before, toolTip)) emit("NewToolTip", nullptr);
  if (differs(before, status)) emit("NewStatus", g_variant_new("(@s)", values[status].get()));
  // An empty label is never announced either: MATE takes it for a declared
  // empty label and hides the item, which happens when its presentation (no
  // label) arrives just as it registers the item.
  if (values[label] && (differs(before, label) || differs(before, labelGuide))) {
    emit("XAyatanaNewLabel",
         g_variant_new("(ss)", trayView.label.c_str(), trayView.labelGuide.c_str()));
  }
}

}  // namespace platform::linuxdesktop
