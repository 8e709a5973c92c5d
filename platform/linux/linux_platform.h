#pragma once

#include <memory>
#include <string>

#include <gio/gio.h>

#include "platform/desktop_platform.h"
#include "platform/linux/current_event.h"
#include "platform/linux/glib_handles.h"
#include "platform/platform.h"

namespace platform::linuxdesktop {

class LinuxApplication;

// The Linux desktop platform: GLib main loop, session-bus tray items, menus
// and notifications, key-file defaults, cairo/Pango drawing, /proc and netlink
// readings. Owns every service; the system readings are made on first use, so
// an agent that never asks for them never opens their files or sockets.
class LinuxPlatform : public platform::Platform {
 public:
  // How long start-up waits for the session bus to answer.
  static constexpr gint64 kConnectTimeoutMicroseconds = 5'000'000;

  // Connects to the session bus, running the default main context meanwhile
  // and asking `abandoned` (when given) ten times a second whether to go on.
  // nullptr when there is no bus, it has not answered within the time-out
  // (its address accepts connections but the handshake never ends), or the
  // wait was abandoned: the agents cannot run then.
  static std::unique_ptr<LinuxPlatform> create(const std::string& programName,
                                               const platform::StartupAbandoned& abandoned = {});

  // Over an open session-bus connection (referenced); programName is the tray
  // items' Id and default title.
  LinuxPlatform(GDBusConnection* sessionBus, std::string programName);
  ~LinuxPlatform() override;

  platform::Application& sharedApplication() override;
  platform::Environment& environment() override;
  platform::ProcessProbe& processProbe() override;
  platform::Clock& clock() override;
  platform::RunLoop& runLoop() override;
  platform::StatusBar& statusBar() override;
  platform::DistributedNotificationCenter& notificationCenter() override;
  platform::UserDefaultsStore& userDefaults() override;
  platform::RunningApplications& runningApplications() override;
  platform::Graphics& graphics() override;
  platform::InterfaceList& interfaceList() override;
  platform::CpuTicksSource& cpuTicks() override;
  platform::MemorySource& memory() override;
  platform::GpuUtilizationSource& gpuUtilization() override;

 private:
  struct Services;

  GObjectPtr<GDBusConnection> sessionBus;
  std::string programName;
  CurrentEvent events;
  std::unique_ptr<Services> services;
  std::unique_ptr<LinuxApplication> application;
};

}  // namespace platform::linuxdesktop
