#include "platform/linux/key_file_user_defaults.h"

#include <optional>
#include <utility>

namespace platform::linuxdesktop {
namespace {

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

KeyFileUserDefaults::KeyFileUserDefaults(std::string path) : file(std::move(path)) { reload(); }

void KeyFileUserDefaults::synchronize() {
  if (file.changed()) reload();
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

void KeyFileUserDefaults::reload() {
  const std::optional<std::string> contents = file.read();
  keyFile = contents ? parsed(*contents) : nullptr;
}

}  // namespace platform::linuxdesktop
