#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/environment.h"
#include "platform/user_defaults.h"

namespace platform::linuxdesktop {

// Defaults suites as key files under the user's configuration folder: the
// suite `name` is $XDG_CONFIG_HOME/<name>/defaults.conf, or
// $HOME/.config/<name>/defaults.conf when XDG_CONFIG_HOME is unset, empty or
// relative (relative values are invalid by the XDG base-directory rules).
// Nothing is ever written. The environment is read at each openSuite and must
// outlive the store.
class KeyFileUserDefaultsStore : public platform::UserDefaultsStore {
 public:
  static constexpr const char* kFileName = "defaults.conf";

  explicit KeyFileUserDefaultsStore(const platform::Environment& environment);

  // A KeyFileUserDefaults for the suite's file (which need not exist);
  // nullptr when neither XDG_CONFIG_HOME nor HOME gives a folder, or the name
  // could leave it: empty, ".", containing "/", ".." or a NUL character.
  std::unique_ptr<platform::UserDefaults> openSuite(const std::string& name) override;

  // Defaults that hold no keys at all.
  std::unique_ptr<platform::UserDefaults> standard() override;

  // The file openSuite reads for the name, or none when it returns nullptr.
  std::optional<std::string> suitePath(const std::string& name) const;

  // $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config; absent
  // when neither is usable.
  static std::optional<std::string> configurationFolder(const platform::Environment& environment);

 private:
  const platform::Environment& environment;
};

}  // namespace platform::linuxdesktop
