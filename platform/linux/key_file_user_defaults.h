#pragma once

#include <string>
#include <string_view>

#include "platform/linux/glib_handles.h"
#include "platform/linux/user_file.h"
#include "platform/user_defaults.h"

namespace platform::linuxdesktop {

// One defaults suite kept in a GLib key file, read-only. The keys are those
// of the group [Defaults]; a missing file or group, or a file that cannot be
// parsed, holds no keys. The file is read (as a UserFile: never a FIFO, a
// device or a file over 1 MiB) when this object is made and again by
// synchronize() when it changed.
class KeyFileUserDefaults : public platform::UserDefaults {
 public:
  static constexpr const char* kGroup = "Defaults";
  // A larger file is not read and counts as empty.
  static constexpr std::size_t kMaximumFileBytes = UserFile::kMaximumBytes;

  explicit KeyFileUserDefaults(std::string path);

  // One stat(2) of the file; the file is read again only when it may have
  // changed or the last read failed (see UserFile::changed).
  void synchronize() override;

  // True when the key is present in the group, whatever its value.
  bool hasObject(const std::string& key) override;

  // The value read by platform::textReadsAsTrue; a missing key is false.
  // Key-file escapes such as \s are resolved first.
  bool boolForKey(const std::string& key) override;

 private:
  void reload();

  UserFile file;
  // Null while the suite holds no keys.
  KeyFilePtr keyFile;
};

}  // namespace platform::linuxdesktop
