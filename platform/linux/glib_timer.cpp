#include "platform/linux/glib_timer.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

namespace platform::linuxdesktop {
namespace {

constexpr gint64 kMicrosecondsPerMillisecond = 1000;

// Timers started this close after the last grid's start join that grid.
// Starting two timers back to back can straddle a millisecond (or be
// preempted for a few), and a grid of their own would then never share a
// wakeup with the first.
constexpr gint64 kSharedGridWindowMicroseconds = 50 * kMicrosecondsPerMillisecond;

// The start of the grid the last new timer took. Timers live on the thread
// that runs the default main context.
thread_local std::optional<gint64> lastGridStart;

// A source that only dispatches once its ready time has come.
gboolean dispatchCallback(GSource*, GSourceFunc callback, gpointer data) {
  return callback ? callback(data) : G_SOURCE_REMOVE;
}

GSourceFuncs tickFunctions = {nullptr, nullptr, &dispatchCallback, nullptr, nullptr, nullptr};

}  // namespace

GLibTimer::GLibTimer(std::function<void()> callback, std::chrono::microseconds interval)
    : callback(std::move(callback)), interval(interval) {}

std::shared_ptr<GLibTimer> GLibTimer::start(std::chrono::milliseconds interval,
                                            std::function<void()> callback) {
  const auto clamped = std::chrono::milliseconds{
      std::clamp<std::int64_t>(interval.count(), 0, std::numeric_limits<guint>::max())};
  auto timer = std::make_shared<GLibTimer>(std::move(callback), clamped);
  const gint64 now = g_get_monotonic_time();
  if (!lastGridStart || now - *lastGridStart > kSharedGridWindowMicroseconds) {
    lastGridStart = (now + kMicrosecondsPerMillisecond - 1) / kMicrosecondsPerMillisecond *
                    kMicrosecondsPerMillisecond;
  }
  timer->startedAt = *lastGridStart;
  GSource* const tick = g_source_new(&tickFunctions, sizeof(GSource));
  g_source_set_priority(tick, G_PRIORITY_DEFAULT);
  g_source_set_ready_time(tick, timer->nextTickAfter(now));
  // The source owns a strong reference, dropped when the source is destroyed.
  g_source_set_callback(tick, &GLibTimer::fire, new std::shared_ptr<GLibTimer>(timer),
                        &GLibTimer::dropReference);
  timer->source = SourceId{g_source_attach(tick, nullptr)};
  g_source_unref(tick);
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

gint64 GLibTimer::nextTickAfter(gint64 now) const {
  const gint64 period = interval.count();
  if (period == 0) return 0;  // at once, every turn
  if (now < startedAt) return startedAt + period;
  return startedAt + ((now - startedAt) / period + 1) * period;
}

gboolean GLibTimer::fire(gpointer data) {
  const std::shared_ptr<GLibTimer> self = *static_cast<std::shared_ptr<GLibTimer>*>(data);
  g_source_set_ready_time(g_main_current_source(), self->nextTickAfter(g_get_monotonic_time()));
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
