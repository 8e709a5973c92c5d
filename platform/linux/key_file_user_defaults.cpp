#include "platform/linux/key_file_user_defaults.h"

#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/linux/unique_fd.h"

namespace platform::linuxdesktop {
namespace {

// Reads a regular file of bounded size; none for anything else.
std::optional<std::string> readContents(int fd, off_t size) {
  if (size < 0 || static_cast<std::size_t>(size) > KeyFileUserDefaults::kMaximumFileBytes) {
    return std::nullopt;
  }
  std::string contents(static_cast<std::size_t>(size), '\0');
  std::size_t filled = 0;
  while (filled < contents.size()) {
    const ssize_t count = read(fd, contents.data() + filled, contents.size() - filled);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) break;
    filled += static_cast<std::size_t>(count);
  }
  // A file that shrank meanwhile is taken as far as it goes; one that grew is
  // read again at the next synchronize, since its size no longer matches.
  contents.resize(filled);
  return contents;
}

KeyFilePtr parsed(const std::string& contents) {
  KeyFilePtr keyFile(g_key_file_new());
  GError* rawError = nullptr;
  const bool loaded = g_key_file_load_from_data(keyFile.get(), contents.data(), contents.size(),
                                                G_KEY_FILE_NONE, &rawError);
  const ErrorPtr error(rawError);
  if (!loaded) return nullptr;
  return keyFile;
}

}  // namespace

KeyFileUserDefaults::KeyFileUserDefaults(std::string path) : path(std::move(path)) { reload(); }

void KeyFileUserDefaults::synchronize() {
  if (currentVersion() != loadedVersion) reload();
}

bool KeyFileUserDefaults::hasObject(const std::string& key) {
  if (!keyFile || key.find('\0') != std::string::npos) return false;
  return g_key_file_has_key(keyFile.get(), kGroup, key.c_str(), nullptr);
}

bool KeyFileUserDefaults::boolForKey(const std::string& key) {
  if (!hasObject(key)) return false;
  GError* rawError = nullptr;
  const GCharPtr value(g_key_file_get_string(keyFile.get(), kGroup, key.c_str(), &rawError));
  const ErrorPtr error(rawError);
  return value && textReadsAsTrue(value.get());
}

KeyFileUserDefaults::FileVersion KeyFileUserDefaults::versionOf(const struct stat& status) {
  return {.exists = true,
          .device = status.st_dev,
          .inode = status.st_ino,
          .size = status.st_size,
          .modifiedSeconds = status.st_mtim.tv_sec,
          .modifiedNanoseconds = status.st_mtim.tv_nsec};
}

KeyFileUserDefaults::FileVersion KeyFileUserDefaults::currentVersion() const {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return {};
  return versionOf(status);
}

void KeyFileUserDefaults::reload() {
  keyFile.reset();
  // O_NONBLOCK: a FIFO in the file's place must not block the agent.
  const UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat status {};
  if (!file || fstat(file.get(), &status) != 0) {
    // Unreadable (no such file, no permission): remember what stat sees so
    // that the next synchronize does not try again until the file changes.
    loadedVersion = currentVersion();
    return;
  }
  // The version comes from the descriptor that is read, so a file replaced
  // between the two calls is seen as changed next time.
  loadedVersion = versionOf(status);
  if (!S_ISREG(status.st_mode)) return;
  if (const std::optional<std::string> contents = readContents(file.get(), status.st_size)) {
    keyFile = parsed(*contents);
  }
}

}  // namespace platform::linuxdesktop
