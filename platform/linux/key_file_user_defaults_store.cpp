#include "platform/linux/key_file_user_defaults_store.h"

#include "platform/linux/key_file_user_defaults.h"

namespace platform::linuxdesktop {
namespace {

class EmptyUserDefaults : public platform::UserDefaults {
 public:
  void synchronize() override {}
  bool hasObject(const std::string&) override { return false; }
  bool boolForKey(const std::string&) override { return false; }
};

bool isSafeSuiteName(const std::string& name) {
  return !name.empty() && name != "." && name.find('/') == std::string::npos &&
         name.find("..") == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

KeyFileUserDefaultsStore::KeyFileUserDefaultsStore(const platform::Environment& environment)
    : environment(environment) {}

std::unique_ptr<platform::UserDefaults> KeyFileUserDefaultsStore::openSuite(
    const std::string& name) {
  const std::optional<std::string> path = suitePath(name);
  if (!path) return nullptr;
  return std::make_unique<KeyFileUserDefaults>(*path);
}

std::unique_ptr<platform::UserDefaults> KeyFileUserDefaultsStore::standard() {
  return std::make_unique<EmptyUserDefaults>();
}

std::optional<std::string> KeyFileUserDefaultsStore::suitePath(const std::string& name) const {
  if (!isSafeSuiteName(name)) return std::nullopt;
  const std::optional<std::string> folder = configurationFolder(environment);
  if (!folder) return std::nullopt;
  return *folder + "/" + name + "/" + kFileName;
}

std::optional<std::string> KeyFileUserDefaultsStore::configurationFolder(
    const platform::Environment& environment) {
  const std::optional<std::string> configHome = environment.value("XDG_CONFIG_HOME");
  if (configHome && configHome->starts_with('/')) return *configHome;
  const std::optional<std::string> home = environment.value("HOME");
  if (home && !home->empty()) return *home + "/.config";
  return std::nullopt;
}

}  // namespace platform::linuxdesktop
