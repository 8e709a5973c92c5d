#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <glib.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/tray_adaptation.h"

namespace platform::linuxdesktop {

// What an item's properties are built from besides its host-facing view.
struct SniItemFacts {
  std::string id;
  bool visible = true;
  // The menu's object path, "/" for none.
  std::string menuPath = "/";
};

// One immutable snapshot of every org.kde.StatusNotifierItem property of an
// item: GetAll's answer, built once, and each value Get answers. A new
// snapshot replaces the old whole, so a host always reads values that belong
// together, and what it was told of by a change signal.
class SniItemProperties {
 public:
  // The interface's properties, in its order.
  enum Name : std::size_t {
    category,
    id,
    title,
    status,
    windowId,
    iconThemePath,
    menu,
    itemIsMenu,
    iconName,
    iconPixmap,
    overlayIconName,
    overlayIconPixmap,
    attentionIconName,
    attentionIconPixmap,
    attentionMovieName,
    toolTip,
    label,
    labelGuide,
    count,
  };

  SniItemProperties(const SniItemFacts& facts, TrayView view);

  // The (a{sv}) GetAll answers, borrowed for the snapshot's life.
  GVariant* all() const { return answer.get(); }
  // One property's value, borrowed; null for a name the interface does not
  // have and for a property left undeclared (an empty label).
  GVariant* value(std::string_view name) const;
  // The view the snapshot was built from, for the next one to reuse.
  const TrayView& view() const { return trayView; }

  // Whether every value holds the same bytes as in `other`.
  bool sameAs(const SniItemProperties& other) const;
  // Calls emit(member, parameters) for each change signal that tells hosts
  // of what differs from `before`: NewTitle, NewIcon (the pixmaps or the
  // icon's name), NewToolTip, NewStatus, XAyatanaNewLabel (label or guide,
  // never for an empty label). parameters are floating or null.
  void announceChangesSince(const SniItemProperties& before,
                            const std::function<void(const char*, GVariant*)>& emit) const;

 private:
  bool differs(const SniItemProperties& before, Name name) const;

  TrayView trayView;
  std::array<VariantPtr, count> values;
  VariantPtr answer;
};

}  // namespace platform::linuxdesktop
