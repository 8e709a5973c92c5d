#include "platform/linux/tray_shape_file.h"

#include <utility>

#include "platform/linux/key_file_user_defaults_store.h"

namespace platform::linuxdesktop {
namespace {

constexpr const char* kRelativePath = "/velmora-status-agents/tray.conf";
constexpr const char* kGroup = "Tray";
constexpr const char* kShapeKey = "Shape";

}  // namespace

TrayShapeFile::TrayShapeFile(const platform::Environment& environment,
                             std::function<void()> changed)
    : changed(std::move(changed)) {
  const std::optional<std::string> folder =
      KeyFileUserDefaultsStore::configurationFolder(environment);
  if (!folder) return;
  path = *folder + kRelativePath;
  // A file monitor also follows a file that does not exist yet, and one
  // replaced by a rename, as editors and atomic writers do.
  const GObjectPtr<GFile> file{g_file_new_for_path(path.c_str())};
  monitor.reset(g_file_monitor_file(file.get(), G_FILE_MONITOR_NONE, nullptr, nullptr));
  if (!monitor) return;
  subscription = SignalHandlerId{
      G_OBJECT(monitor.get()),
      g_signal_connect(monitor.get(), "changed", G_CALLBACK(&TrayShapeFile::fileChanged), this)};
}

std::optional<TrayShape> TrayShapeFile::shape() const {
  if (path.empty()) return std::nullopt;
  const KeyFilePtr keys{g_key_file_new()};
  if (!g_key_file_load_from_file(keys.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) {
    return std::nullopt;
  }
  const GCharPtr value{g_key_file_get_value(keys.get(), kGroup, kShapeKey, nullptr)};
  if (!value) return std::nullopt;
  return parseTrayShape(value.get());
}

void TrayShapeFile::fileChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer data) {
  static_cast<TrayShapeFile*>(data)->changed();
}

}  // namespace platform::linuxdesktop
