#include "platform/linux/linux_application.h"

#include <csignal>
#include <utility>

#include <glib-unix.h>

namespace platform::linuxdesktop {
namespace {

// How long ending the process waits for the bus to take what is queued.
constexpr guint kFinalFlushMilliseconds = 250;

// Writes what the connection has queued, waiting at most the bound: a frozen
// bus whose socket is full must not hold the exit. The flush's completion is
// dispatched on a context of its own, so that nothing else (signals from the
// bus, the agent's timers) runs meanwhile.
void flushWithin(GDBusConnection* connection, guint milliseconds) {
  struct Wait {
    bool over = false;
  };
  const auto finish = [](GObject* source, GAsyncResult* result, gpointer data) {
    g_dbus_connection_flush_finish(G_DBUS_CONNECTION(source), result, nullptr);
    static_cast<Wait*>(data)->over = true;
  };
  const auto expire = [](gpointer data) -> gboolean {
    static_cast<Wait*>(data)->over = true;
    return G_SOURCE_REMOVE;
  };
  GMainContext* context = g_main_context_new();
  g_main_context_push_thread_default(context);
  // Left for good when the bus never takes the bytes: the flush's callback
  // is then never dispatched, since nothing runs this context again.
  auto* flushed = new Wait;
  Wait timedOut;
  g_dbus_connection_flush(connection, nullptr, finish, flushed);
  GSource* timeout = g_timeout_source_new(milliseconds);
  g_source_set_callback(timeout, expire, &timedOut, nullptr);
  g_source_attach(timeout, context);
  while (!flushed->over && !timedOut.over) g_main_context_iteration(context, TRUE);
  g_source_destroy(timeout);
  g_source_unref(timeout);
  g_main_context_pop_thread_default(context);
  g_main_context_unref(context);
  if (flushed->over) delete flushed;
}

}  // namespace

LinuxApplication::LinuxApplication(GDBusConnection* connection, const CurrentEvent& events)
    : connection(connection ? static_cast<GDBusConnection*>(g_object_ref(connection)) : nullptr),
      events(events) {}

void LinuxApplication::setActivationPolicy(platform::ActivationPolicy) {}

void LinuxApplication::setDelegate(std::weak_ptr<platform::ApplicationDelegate> newDelegate) {
  delegate = std::move(newDelegate);
}

int LinuxApplication::run() {
  if (terminated) return 0;
  constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    signalSources[i] = SourceId{g_unix_signal_add(kSignals[i], &terminateOnSignal, this)};
  }
  // Launching happens from inside the loop, as the first thing it does.
  launchSource = SourceId{g_idle_add_full(G_PRIORITY_DEFAULT, &finishLaunching, this, nullptr)};
  g_main_loop_run(loop.get());
  launchSource.reset();
  for (SourceId& source : signalSources) source.reset();
  // The bus worker thread may still hold a reply to the click or menu command
  // that led here, or a notification the delegate just posted.
  if (connection) flushWithin(connection.get(), kFinalFlushMilliseconds);
  return 0;
}

void LinuxApplication::terminate() {
  if (terminated) return;
  terminated = true;
  if (const auto alive = delegate.lock()) alive->applicationWillTerminate();
  g_main_loop_quit(loop.get());
}

std::optional<platform::Event> LinuxApplication::currentEvent() const { return events.get(); }

gboolean LinuxApplication::finishLaunching(gpointer data) {
  auto* self = static_cast<LinuxApplication*>(data);
  self->launchSource.release();
  if (!self->terminated) {
    if (const auto alive = self->delegate.lock()) alive->applicationDidFinishLaunching();
  }
  return G_SOURCE_REMOVE;
}

gboolean LinuxApplication::terminateOnSignal(gpointer data) {
  static_cast<LinuxApplication*>(data)->terminate();
  return G_SOURCE_CONTINUE;
}

}  // namespace platform::linuxdesktop
