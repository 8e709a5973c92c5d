#pragma once

#include <memory>
#include <string>

#include <gio/gio.h>

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
  // Connects to the session bus. nullptr when there is none: the agents
  // cannot run then (print one line on stderr, exit with status 1).
  static std::unique_ptr<LinuxPlatform> create(const std::string& programName);

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
