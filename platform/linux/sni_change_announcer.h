#pragma once

#include <array>
#include <functional>

#include <glib.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"

namespace platform::linuxdesktop {

// The item properties a host is told about when they change; each has its own
// New... signal.
enum class SniAnnounced { title, icon, toolTip, status, label };

// Keeps the current value of each announced property, recomputed only after
// it was marked stale, and the value hosts were last told of. Every change
// signal makes a host re-read all properties, so changes are announced at most
// once a main-loop turn, from one idle source, and only for the properties
// whose bytes differ from the last announcement.
class SniChangeAnnouncer {
 public:
  // compute returns a full reference. announce gets the new value, borrowed.
  SniChangeAnnouncer(std::function<VariantPtr(SniAnnounced)> compute,
                     std::function<void(SniAnnounced, GVariant*)> announce);

  // Takes the current values as what hosts know, without announcing them:
  // hosts read every property when the item registers. Call once everything
  // compute reads exists.
  void prime();
  void markStale(SniAnnounced property);
  // The up-to-date value, borrowed until the next change.
  GVariant* current(SniAnnounced property);

 private:
  struct Slot {
    VariantPtr value;
    VariantPtr announced;
    bool stale = true;
  };

  static gboolean announceChanges(gpointer data);
  Slot& slot(SniAnnounced property);

  std::function<VariantPtr(SniAnnounced)> compute;
  std::function<void(SniAnnounced, GVariant*)> announce;
  std::array<Slot, 5> slots;
  SourceId pending;
};

}  // namespace platform::linuxdesktop
