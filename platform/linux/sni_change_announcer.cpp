#include "platform/linux/sni_change_announcer.h"

#include <utility>

#include "platform/linux/variant_bytes.h"

namespace platform::linuxdesktop {

namespace {

constexpr std::array<SniAnnounced, 5> kAll = {SniAnnounced::title, SniAnnounced::icon,
                                              SniAnnounced::toolTip, SniAnnounced::status,
                                              SniAnnounced::label};

}  // namespace

SniChangeAnnouncer::SniChangeAnnouncer(std::function<VariantPtr(SniAnnounced)> compute,
                                       std::function<void(SniAnnounced, GVariant*)> announce)
    : compute(std::move(compute)), announce(std::move(announce)) {}

void SniChangeAnnouncer::prime() {
  for (const SniAnnounced property : kAll) {
    Slot& entry = slot(property);
    GVariant* value = current(property);
    entry.announced.reset(g_variant_ref(value));
  }
}

void SniChangeAnnouncer::markStale(SniAnnounced property) {
  slot(property).stale = true;
  if (!pending) {
    pending = SourceId{g_idle_add(&SniChangeAnnouncer::announceChanges, this)};
  }
}

GVariant* SniChangeAnnouncer::current(SniAnnounced property) {
  Slot& entry = slot(property);
  if (entry.stale || !entry.value) {
    entry.value = compute(property);
    entry.stale = false;
  }
  return entry.value.get();
}

gboolean SniChangeAnnouncer::announceChanges(gpointer data) {
  auto* self = static_cast<SniChangeAnnouncer*>(data);
  self->pending.release();
  for (const SniAnnounced property : kAll) {
    Slot& entry = self->slot(property);
    GVariant* value = self->current(property);
    if (entry.announced && sameBytes(value, entry.announced.get())) continue;
    entry.announced.reset(g_variant_ref(value));
    self->announce(property, value);
  }
  return G_SOURCE_REMOVE;
}

SniChangeAnnouncer::Slot& SniChangeAnnouncer::slot(SniAnnounced property) {
  return slots[static_cast<std::size_t>(property)];
}

}  // namespace platform::linuxdesktop
