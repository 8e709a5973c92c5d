#include "platform/linux/sni_change_announcer.h"

#include <cstring>
#include <utility>

namespace platform::linuxdesktop {

namespace {

constexpr std::array<SniAnnounced, 5> kAll = {SniAnnounced::title, SniAnnounced::icon,
                                              SniAnnounced::toolTip, SniAnnounced::status,
                                              SniAnnounced::label};

// Whether two values of one property hold the same bytes. g_variant_equal
// compares containers by printing both as text, which for two icon pixmaps
// costs tens of milliseconds a refresh. Equal bytes of one type are always
// equal values; the reverse could only fail for values not in normal form,
// and then costs one needless signal, never a missed change.
bool sameBytes(GVariant* a, GVariant* b) {
  if (a == b) return true;
  const gsize size = g_variant_get_size(a);
  return g_variant_type_equal(g_variant_get_type(a), g_variant_get_type(b)) &&
         size == g_variant_get_size(b) &&
         (size == 0 || std::memcmp(g_variant_get_data(a), g_variant_get_data(b), size) == 0);
}

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
