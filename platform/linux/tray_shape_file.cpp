#include "platform/linux/tray_shape_file.h"

#include <utility>

#include "platform/linux/key_file_user_defaults_store.h"
#include "platform/linux/user_file.h"

namespace platform::linuxdesktop {
namespace {

constexpr const char* kFolderName = "/velmora-status-agents";
constexpr const char* kFileName = "/tray.conf";
constexpr const char* kGroup = "Tray";
constexpr const char* kShapeKey = "Shape";

// The folder itself when it exists, else its nearest existing ancestor; the
// root (or ".") ends the walk.
std::string nearestExistingFolder(std::string folder) {
  while (!g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR)) {
    const GCharPtr parent{g_path_get_dirname(folder.c_str())};
    if (folder == parent.get()) break;
    folder = parent.get();
  }
  return folder;
}

}  // namespace

TrayShapeFile::TrayShapeFile(const platform::Environment& environment,
                             std::function<void()> changed)
    : changed(std::move(changed)) {
  const std::optional<std::string> configuration =
      KeyFileUserDefaultsStore::configurationFolder(environment);
  if (!configuration) return;
  folder = *configuration + kFolderName;
  path = folder + kFileName;
  watch();
}

std::optional<TrayShape> TrayShapeFile::shape() const {
  if (path.empty()) return std::nullopt;
  const std::optional<std::string> contents = readUserFile(path);
  if (!contents) return std::nullopt;
  const KeyFilePtr keys{g_key_file_new()};
  if (!g_key_file_load_from_data(keys.get(), contents->data(), contents->size(), G_KEY_FILE_NONE,
                                 nullptr)) {
    return std::nullopt;
  }
  const GCharPtr value{g_key_file_get_value(keys.get(), kGroup, kShapeKey, nullptr)};
  if (!value) return std::nullopt;
  return parseTrayShape(value.get());
}

void TrayShapeFile::watch() {
  // A folder made between finding the nearest one and watching it would go
  // unseen: look again once the watch is in place.
  for (std::string nearest = nearestExistingFolder(folder); nearest != watched;
       nearest = nearestExistingFolder(folder)) {
    watched = nearest;
    subscription.reset();
    // A folder's monitor reports its entries (the file written, replaced by
    // a rename as editors and atomic writers do, or removed) and its own
    // removal, which a file monitor would answer by polling for the folder.
    const GObjectPtr<GFile> directory{g_file_new_for_path(watched.c_str())};
    monitor.reset(g_file_monitor_directory(directory.get(), G_FILE_MONITOR_NONE, nullptr, nullptr));
    if (!monitor) return;
    subscription = SignalHandlerId{
        G_OBJECT(monitor.get()),
        g_signal_connect(monitor.get(), "changed", G_CALLBACK(&TrayShapeFile::entryChanged), this)};
  }
}

void TrayShapeFile::entryChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer data) {
  auto* self = static_cast<TrayShapeFile*>(data);
  const bool followedFile = self->watched == self->folder;
  // Any change in a watched ancestor may be the folder, or one of its own
  // ancestors, appearing; and a folder removed sends the watch back up.
  self->watch();
  if (followedFile || self->watched == self->folder) self->changed();
}

}  // namespace platform::linuxdesktop
