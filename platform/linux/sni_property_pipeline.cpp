#include "platform/linux/sni_property_pipeline.h"

#include <utility>

namespace platform::linuxdesktop {

SniPropertyPipeline::SniPropertyPipeline(
    SniItemFacts facts, std::function<void(const Snapshot& next, const Snapshot& before)> publish)
    : facts(std::move(facts)),
      publish(std::move(publish)),
      snapshot(std::make_shared<const SniItemProperties>(
          this->facts, trayViewOf(shownContent, this->facts.id, shownPresentation,
                                  TrayChanges::all(), nullptr))) {}

void SniPropertyPipeline::changed(TrayChange change) {
  pending.add(change);
  schedule();
}

void SniPropertyPipeline::setVisible(bool visible) {
  if (std::exchange(facts.visible, visible) == visible) return;
  factsChanged = true;
  schedule();
}

void SniPropertyPipeline::setMenuPath(std::string path) {
  if (facts.menuPath == path) return;
  facts.menuPath = std::move(path);
  factsChanged = true;
  schedule();
}

void SniPropertyPipeline::present(std::optional<TrayPresentation> presentation) {
  if (shownPresentation == presentation) return;
  shownPresentation = presentation;
  changed(TrayChange::presentation);
}

void SniPropertyPipeline::schedule() {
  if (!turn) turn = SourceId{g_idle_add(&SniPropertyPipeline::idle, this)};
}

gboolean SniPropertyPipeline::idle(gpointer data) {
  auto* self = static_cast<SniPropertyPipeline*>(data);
  self->turn.release();
  self->publishNow();
  return G_SOURCE_REMOVE;
}

void SniPropertyPipeline::publishNow() {
  turn.reset();
  if (pending.empty() && !factsChanged) return;
  auto next = std::make_shared<const SniItemProperties>(
      facts, trayViewOf(shownContent, facts.id, shownPresentation, pending, &snapshot->view()));
  pending = TrayChanges{};
  factsChanged = false;
  if (next->sameAs(*snapshot)) return;
  Snapshot before = std::exchange(snapshot, std::move(next));
  publish(snapshot, before);
}

}  // namespace platform::linuxdesktop
