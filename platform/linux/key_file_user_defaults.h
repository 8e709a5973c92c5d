#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include <sys/stat.h>

#include "platform/linux/glib_handles.h"
#include "platform/user_defaults.h"

namespace platform::linuxdesktop {

// One defaults suite kept in a GLib key file, read-only. The keys are those
// of the group [Defaults]; a missing file or group, or a file that cannot be
// parsed, holds no keys. The file is read when this object is made and again
// by synchronize() when it changed.
class KeyFileUserDefaults : public platform::UserDefaults {
 public:
  static constexpr const char* kGroup = "Defaults";
  // A larger file is not read and counts as empty.
  static constexpr std::size_t kMaximumFileBytes = 1024 * 1024;

  explicit KeyFileUserDefaults(std::string path);

  // One stat(2) of the file; the file is read again only when its device,
  // inode, size or modification time (to the nanosecond) differ from the
  // version read last, so a rewrite in place and a replacement by rename are
  // both seen.
  void synchronize() override;

  // True when the key is present in the group, whatever its value.
  bool hasObject(const std::string& key) override;

  // The value read by platform::textReadsAsTrue; a missing key is false.
  // Key-file escapes such as \s are resolved first.
  bool boolForKey(const std::string& key) override;

 private:
  // What identifies one version of the file; all zero when it is missing.
  struct FileVersion {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::time_t modifiedSeconds = 0;
    long modifiedNanoseconds = 0;
    bool operator==(const FileVersion&) const = default;
  };

  static FileVersion versionOf(const struct stat& status);
  FileVersion currentVersion() const;
  void reload();

  std::string path;
  FileVersion loadedVersion;
  // Null while the suite holds no keys.
  KeyFilePtr keyFile;
};

}  // namespace platform::linuxdesktop
