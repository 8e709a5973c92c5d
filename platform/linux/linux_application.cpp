#include "platform/linux/linux_application.h"

#include <csignal>
#include <utility>

#include <glib-unix.h>

namespace platform::linuxdesktop {

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
  return 0;
}

void LinuxApplication::terminate() {
  if (terminated) return;
  terminated = true;
  if (const auto alive = delegate.lock()) alive->applicationWillTerminate();
  g_main_loop_quit(loop.get());
  // The bus worker thread may still hold a reply to the click or menu command
  // that led here, or a notification the delegate just posted.
  if (connection) g_dbus_connection_flush_sync(connection.get(), nullptr, nullptr);
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
