#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <sys/types.h>

namespace platform::linuxdesktop {

// The contents of a small file the user keeps in their folders, read without
// ever blocking: only a regular file is opened (checked before and after the
// open, which is non-blocking, so a FIFO, a device or a folder put in its
// place is never waited on or read), and only when it holds at most
// kMaximumBytes. None for anything else, a missing or unreadable file
// included.
std::optional<std::string> readUserFile(const std::string& path);

// A user file read again whenever it may have changed.
class UserFile {
 public:
  // A larger file is not read and counts as absent.
  static constexpr std::size_t kMaximumBytes = 1024 * 1024;

  explicit UserFile(std::string path);

  // One stat(2): true when the file's device, inode, size, modification or
  // status-change time (to the nanosecond) differ from the version read last,
  // so a rewrite in place, a replacement by rename and a chmod or chown are
  // all seen; also whenever the last read failed for a reason that may pass
  // (no permission, an I/O error), so that the next check tries again.
  bool changed() const;

  // Reads the file as readUserFile does and remembers its version.
  std::optional<std::string> read();

 private:
  // What identifies one version of the file; all zero when it is missing.
  struct Version {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec statusChanged{};
    bool operator==(const Version& other) const;
  };

  static Version versionOf(const struct stat& status);
  Version current() const;

  std::string path;
  Version readVersion;
  bool lastReadFailed = false;
};

}  // namespace platform::linuxdesktop
