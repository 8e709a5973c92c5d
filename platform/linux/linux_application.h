#pragma once

#include <array>
#include <memory>
#include <optional>

#include <gio/gio.h>

#include "platform/application.h"
#include "platform/linux/current_event.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"

namespace platform::linuxdesktop {

// The application on the default GLib main context. SIGTERM, SIGINT and SIGHUP
// terminate it like terminate() while run() is under way.
class LinuxApplication : public platform::Application {
 public:
  // The connection (referenced) is flushed when run() ends, for at most a
  // quarter of a second, so that a reply or a signal sent just before still
  // leaves the process while a frozen bus cannot hold the exit. The event source is
  // borrowed and must outlive the application.
  LinuxApplication(GDBusConnection* connection, const CurrentEvent& events);

  // There is no dock or application switcher to keep out of: nothing to do.
  void setActivationPolicy(platform::ActivationPolicy policy) override;
  void setDelegate(std::weak_ptr<platform::ApplicationDelegate> delegate) override;
  // Returns 0 once terminated; at once when terminate() came before run().
  int run() override;
  // Runs applicationWillTerminate once, however often it is called.
  void terminate() override;
  std::optional<platform::Event> currentEvent() const override;

 private:
  static gboolean finishLaunching(gpointer data);
  static gboolean terminateOnSignal(gpointer data);

  GObjectPtr<GDBusConnection> connection;
  const CurrentEvent& events;
  std::weak_ptr<platform::ApplicationDelegate> delegate;
  MainLoopPtr loop{g_main_loop_new(nullptr, FALSE)};
  bool terminated = false;
  SourceId launchSource;
  std::array<SourceId, 3> signalSources;
};

}  // namespace platform::linuxdesktop
