#include "platform/linux/glib_timer.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace platform::linuxdesktop {

GLibTimer::GLibTimer(std::function<void()> callback) : callback(std::move(callback)) {}

std::shared_ptr<GLibTimer> GLibTimer::start(std::chrono::milliseconds interval,
                                            std::function<void()> callback) {
  auto timer = std::make_shared<GLibTimer>(std::move(callback));
  const auto milliseconds = static_cast<guint>(
      std::clamp<std::int64_t>(interval.count(), 0, std::numeric_limits<guint>::max()));
  // The source owns a strong reference, dropped when the source is destroyed.
  timer->source = SourceId{g_timeout_add_full(G_PRIORITY_DEFAULT, milliseconds, &GLibTimer::fire,
                                              new std::shared_ptr<GLibTimer>(timer),
                                              &GLibTimer::dropReference)};
  return timer;
}

void GLibTimer::invalidate() {
  // Removing the source drops the loop's reference; when that was the last
  // one, this object must survive until the method returns.
  const std::shared_ptr<GLibTimer> keepAlive = weak_from_this().lock();
  source.reset();
  callback = nullptr;
}

bool GLibTimer::isValid() const { return static_cast<bool>(source); }

gboolean GLibTimer::fire(gpointer data) {
  const std::shared_ptr<GLibTimer> self = *static_cast<std::shared_ptr<GLibTimer>*>(data);
  // A copy, so that a callback which invalidates its own timer (releasing the
  // stored function) keeps running on a live object.
  const std::function<void()> running = self->callback;
  if (running) running();
  return G_SOURCE_CONTINUE;
}

void GLibTimer::dropReference(gpointer data) {
  delete static_cast<std::shared_ptr<GLibTimer>*>(data);
}

}  // namespace platform::linuxdesktop
