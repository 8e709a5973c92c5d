#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <glib.h>

#include "platform/linux/glib_ids.h"
#include "platform/linux/sni_item_properties.h"
#include "platform/linux/tray_adaptation.h"

namespace platform::linuxdesktop {

// From what an item shows to the properties hosts read: keeps the content,
// the facts and the presentation, notes what changed, and once a main-loop
// turn (an idle source) builds the next snapshot of the properties from them
// (trayViewOf rebuilds only what the changes make stale) and hands it to
// `publish` when its bytes differ from the current one. Every change signal
// makes a host read all the properties again, so one turn's changes make one
// snapshot and at most one signal of each kind.
class SniPropertyPipeline {
 public:
  using Snapshot = std::shared_ptr<const SniItemProperties>;

  // publish gets each new snapshot with the one it replaces; it is not
  // called for the first, current() from the start.
  SniPropertyPipeline(SniItemFacts facts,
                      std::function<void(const Snapshot& next, const Snapshot& before)> publish);

  const TrayContent& content() const { return shownContent; }
  // The content to change in place; report each change with changed().
  TrayContent& editContent() { return shownContent; }
  void changed(TrayChange change);
  // Whether anything changed since the last snapshot was built.
  bool changesPending() const { return !pending.empty() || factsChanged; }
  void setVisible(bool visible);
  void setMenuPath(std::string path);
  void present(std::optional<TrayPresentation> presentation);
  const std::optional<TrayPresentation>& presentation() const { return shownPresentation; }

  // The properties as last published.
  const Snapshot& current() const { return snapshot; }
  // Publishes what has changed now instead of at the next turn: for changes
  // a host is about to read without a change signal (the menu, a
  // registration).
  void publishNow();

 private:
  void schedule();
  static gboolean idle(gpointer data);

  SniItemFacts facts;
  TrayContent shownContent;
  std::optional<TrayPresentation> shownPresentation;
  std::function<void(const Snapshot&, const Snapshot&)> publish;
  TrayChanges pending;
  bool factsChanged = false;
  Snapshot snapshot;
  SourceId turn;
};

}  // namespace platform::linuxdesktop
