#include "platform/linux/user_file.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/unique_fd.h"

namespace platform::linuxdesktop {
namespace {

bool sameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool readableSize(const struct stat& status) {
  return S_ISREG(status.st_mode) && status.st_size >= 0 &&
         static_cast<std::size_t>(status.st_size) <= UserFile::kMaximumBytes;
}

// Why a read gave nothing: a settled answer (missing, not a regular file, too
// large) or a failure that may pass.
enum class Outcome { read, settled, failed };

Outcome readInto(const std::string& path, std::string& contents, struct stat& status) {
  // Looked at before opening: opening some devices has effects of its own.
  if (stat(path.c_str(), &status) != 0) return errno == ENOENT ? Outcome::settled : Outcome::failed;
  if (!readableSize(status)) return Outcome::settled;
  // O_NONBLOCK: a FIFO put in the file's place meanwhile must not block.
  const UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file) return errno == ENOENT ? Outcome::settled : Outcome::failed;
  // The version comes from the descriptor that is read, so a file replaced
  // between the calls is seen as changed next time.
  if (fstat(file.get(), &status) != 0) return Outcome::failed;
  if (!readableSize(status)) return Outcome::settled;
  contents.assign(static_cast<std::size_t>(status.st_size), '\0');
  std::size_t filled = 0;
  while (filled < contents.size()) {
    const ssize_t count = ::read(file.get(), contents.data() + filled, contents.size() - filled);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return Outcome::failed;
    if (count == 0) break;
    filled += static_cast<std::size_t>(count);
  }
  // A file that shrank meanwhile is taken as far as it goes; one that grew is
  // read again at the next check, since its size no longer matches.
  contents.resize(filled);
  return Outcome::read;
}

}  // namespace

std::optional<std::string> readUserFile(const std::string& path) {
  std::string contents;
  struct stat status {};
  if (readInto(path, contents, status) != Outcome::read) return std::nullopt;
  return contents;
}

bool UserFile::Version::operator==(const Version& other) const {
  return exists == other.exists && device == other.device && inode == other.inode &&
         size == other.size && sameTime(modified, other.modified) &&
         sameTime(statusChanged, other.statusChanged);
}

UserFile::UserFile(std::string path) : path(std::move(path)) {}

UserFile::Version UserFile::versionOf(const struct stat& status) {
  return {.exists = true,
          .device = status.st_dev,
          .inode = status.st_ino,
          .size = status.st_size,
          .modified = status.st_mtim,
          .statusChanged = status.st_ctim};
}

UserFile::Version UserFile::current() const {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return {};
  return versionOf(status);
}

bool UserFile::changed() const { return lastReadFailed || current() != readVersion; }

std::optional<std::string> UserFile::read() {
  std::string contents;
  struct stat status {};
  const Outcome outcome = readInto(path, contents, status);
  lastReadFailed = outcome == Outcome::failed;
  if (outcome != Outcome::read) {
    readVersion = current();
    return std::nullopt;
  }
  // The version of what was read, not of what the path names by now.
  readVersion = versionOf(status);
  return contents;
}

}  // namespace platform::linuxdesktop
