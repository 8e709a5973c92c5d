#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tools::hostsim {

// Writes the host's display options into its defaults suite, the key file
// the agents read (KeyFileUserDefaultsStore::suitePath for <HostIdentifier>),
// group [Defaults].
class DefaultsWriter {
 public:
  // The suite file's path; absent when neither XDG_CONFIG_HOME nor HOME gives
  // a folder.
  static std::optional<std::string> suitePath();

  explicit DefaultsWriter(std::string path);

  // Sets key to "true" or "false", keeping every other key, group and comment.
  // The file is replaced whole (temporary file in the same folder, then
  // rename), so a reader never sees half a file. A file that cannot be parsed
  // is replaced by one holding only this key. Returns an error text, or
  // absent on success.
  std::optional<std::string> setBool(std::string_view key, bool value) const;

  const std::string& path() const { return filePath; }

 private:
  std::string filePath;
};

}  // namespace tools::hostsim
