#include "platform/linux/linux_platform.h"

#include <utility>

#include <malloc.h>

#include "platform/linux/background_gpu_utilization.h"
#include "platform/linux/dbus_notification_center.h"
#include "platform/linux/glib_ids.h"
#include "platform/linux/glib_run_loop.h"
#include "platform/linux/key_file_user_defaults_store.h"
#include "platform/linux/linux_application.h"
#include "platform/linux/linux_clock.h"
#include "platform/linux/linux_gpu_utilization.h"
#include "platform/linux/linux_running_applications.h"
#include "platform/linux/netlink_interface_list.h"
#include "platform/linux/pango_graphics.h"
#include "platform/linux/proc_meminfo_memory.h"
#include "platform/linux/proc_stat_cpu_ticks.h"
#include "platform/linux/sni_status_bar.h"
#include "platform/linux/text_engine.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_process_probe.h"

namespace platform::linuxdesktop {

namespace {

template <class T>
T& madeOnFirstUse(std::unique_ptr<T>& slot) {
  if (!slot) slot = std::make_unique<T>();
  return *slot;
}

// How often a connection under way asks whether it is still wanted.
constexpr guint kAbandonCheckMilliseconds = 100;

// Whether a connection under way is still wanted: not past its deadline,
// and not abandoned.
struct StartupWait {
  const platform::StartupAbandoned& abandoned;
  gint64 deadline;
  platform::posix::PosixEnvironment environment;
  platform::posix::PosixProcessProbe probe;
  bool wanted = true;

  void check() {
    wanted = g_get_monotonic_time() < deadline && !(abandoned && abandoned(environment, probe));
  }
  static gboolean tick(gpointer data) {
    static_cast<StartupWait*>(data)->check();
    return G_SOURCE_CONTINUE;
  }
};

// The session bus, connected asynchronously: the authentication handshake
// has no time limit of its own, and a bus that accepts the connection but
// never answers would hold the process for good, before anything could
// notice its host going. None when the bus cannot be reached, when it has not
// answered within the time-out, or when `abandoned` says so.
GObjectPtr<GDBusConnection> connectWithin(gint64 timeoutMicroseconds,
                                          const platform::StartupAbandoned& abandoned) {
  // Outlives the wait when the connection is given up: the callback, which
  // then may still come, frees it.
  struct Connecting {
    GObjectPtr<GDBusConnection> bus;
    bool finished = false;
    bool givenUp = false;
  };
  const auto connected = [](GObject*, GAsyncResult* result, gpointer data) {
    auto* connecting = static_cast<Connecting*>(data);
    GError* error = nullptr;
    connecting->bus.reset(g_bus_get_finish(result, &error));
    const ErrorPtr failure{error};
    connecting->finished = true;
    if (connecting->givenUp) delete connecting;
  };
  auto* connecting = new Connecting;
  g_bus_get(G_BUS_TYPE_SESSION, nullptr, connected, connecting);

  StartupWait wait{abandoned, g_get_monotonic_time() + timeoutMicroseconds, {}, {}};
  const SourceId ticks{g_timeout_add(kAbandonCheckMilliseconds, &StartupWait::tick, &wait)};
  while (wait.wanted && !connecting->finished) g_main_context_iteration(nullptr, TRUE);
  if (!connecting->finished) {
    connecting->givenUp = true;
    return {};
  }
  GObjectPtr<GDBusConnection> bus = std::move(connecting->bus);
  delete connecting;
  return bus;
}

}  // namespace

struct LinuxPlatform::Services {
  Services(GDBusConnection* sessionBus, const std::string& programName, CurrentEvent& events)
      : statusBar(sessionBus, programName, events, environment, textEngine),
        notificationCenter(sessionBus) {}

  // The one text engine: the images of graphics, the titles and the compact
  // readings share its fonts and shaped texts.
  std::shared_ptr<TextEngine> textEngine = std::make_shared<TextEngine>();
  platform::posix::PosixEnvironment environment;
  platform::posix::PosixProcessProbe processProbe;
  LinuxClock clock;
  GLibRunLoop runLoop;
  SniStatusBar statusBar;
  DbusNotificationCenter notificationCenter;
  KeyFileUserDefaultsStore userDefaults{environment};
  LinuxRunningApplications runningApplications;
  std::unique_ptr<PangoGraphics> graphics;
  std::unique_ptr<NetlinkInterfaceList> interfaceList;
  std::unique_ptr<ProcStatCpuTicks> cpuTicks;
  std::unique_ptr<ProcMeminfoMemory> memory;
  std::unique_ptr<BackgroundGpuUtilization> gpuUtilization;
};

std::unique_ptr<LinuxPlatform> LinuxPlatform::create(const std::string& programName,
                                                     const platform::StartupAbandoned& abandoned) {
  // One malloc arena for the whole process, set before GDBus starts its
  // worker thread: an agent's few threads (that worker, the GPU reader)
  // allocate little, and an arena of their own costs each about 150 KB of
  // dirty memory for good.
  mallopt(M_ARENA_MAX, 1);
  const GObjectPtr<GDBusConnection> bus = connectWithin(kConnectTimeoutMicroseconds, abandoned);
  if (!bus) return nullptr;
  return std::make_unique<LinuxPlatform>(bus.get(), programName);
}

LinuxPlatform::LinuxPlatform(GDBusConnection* sessionBus, std::string programName)
    : sessionBus(static_cast<GDBusConnection*>(g_object_ref(sessionBus))),
      programName(std::move(programName)),
      services(std::make_unique<Services>(sessionBus, this->programName, events)) {}

LinuxPlatform::~LinuxPlatform() = default;

platform::Application& LinuxPlatform::sharedApplication() {
  if (!application) application = std::make_unique<LinuxApplication>(sessionBus.get(), events);
  return *application;
}

platform::Environment& LinuxPlatform::environment() { return services->environment; }

platform::ProcessProbe& LinuxPlatform::processProbe() { return services->processProbe; }

platform::Clock& LinuxPlatform::clock() { return services->clock; }

platform::RunLoop& LinuxPlatform::runLoop() { return services->runLoop; }

platform::StatusBar& LinuxPlatform::statusBar() { return services->statusBar; }

platform::DistributedNotificationCenter& LinuxPlatform::notificationCenter() {
  return services->notificationCenter;
}

platform::UserDefaultsStore& LinuxPlatform::userDefaults() { return services->userDefaults; }

platform::RunningApplications& LinuxPlatform::runningApplications() {
  return services->runningApplications;
}

platform::Graphics& LinuxPlatform::graphics() {
  if (!services->graphics)
    services->graphics = std::make_unique<PangoGraphics>(services->textEngine);
  return *services->graphics;
}

platform::InterfaceList& LinuxPlatform::interfaceList() {
  return madeOnFirstUse(services->interfaceList);
}

platform::CpuTicksSource& LinuxPlatform::cpuTicks() { return madeOnFirstUse(services->cpuTicks); }

platform::MemorySource& LinuxPlatform::memory() { return madeOnFirstUse(services->memory); }

platform::GpuUtilizationSource& LinuxPlatform::gpuUtilization() {
  // A driver call can block: it runs on a helper thread of its own.
  if (!services->gpuUtilization) {
    services->gpuUtilization = std::make_unique<BackgroundGpuUtilization>(
        std::make_unique<LinuxGpuUtilization>(), services->clock);
  }
  return *services->gpuUtilization;
}

}  // namespace platform::linuxdesktop
