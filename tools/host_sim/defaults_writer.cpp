#include "tools/host_sim/defaults_writer.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <utility>

#include "agent_common/host_contract.h"
#include "platform/linux/key_file_user_defaults.h"
#include "platform/linux/key_file_user_defaults_store.h"
#include "platform/posix/posix_environment.h"
#include "tools/host_sim/host_log.h"
#include "tools/tray_view/gio_handles.h"

namespace tools::hostsim {
std::optional<std::string> DefaultsWriter::suitePath() {
  // The agents' own rule, so that both always mean the same file.
  const platform::posix::PosixEnvironment environment;
  return platform::linuxdesktop::KeyFileUserDefaultsStore{environment}.suitePath(
      std::string{agent::kHostIdentifier});
}

DefaultsWriter::DefaultsWriter(std::string path) : filePath(std::move(path)) {}

std::optional<std::string> DefaultsWriter::setBool(std::string_view key, bool value) const {
  const CharPtr folder{g_path_get_dirname(filePath.c_str())};
  if (g_mkdir_with_parents(folder.get(), 0700) != 0) {
    return "cannot create " + std::string{folder.get()};
  }

  KeyFilePtr file{g_key_file_new()};
  ErrorPtr error;
  GError* loadError = nullptr;
  const auto flags =
      static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
  if (!g_key_file_load_from_file(file.get(), filePath.c_str(), flags, &loadError)) {
    error.reset(loadError);
    const bool missing = g_error_matches(loadError, G_FILE_ERROR, G_FILE_ERROR_NOENT);
    if (!missing)
      printHostError(filePath + " is unreadable (" + errorText(error) + "); rewriting it");
    // A failed load may leave part of the file behind; start from nothing.
    file.reset(g_key_file_new());
  }

  const std::string keyName{key};
  g_key_file_set_boolean(file.get(), platform::linuxdesktop::KeyFileUserDefaults::kGroup,
                         keyName.c_str(), value ? TRUE : FALSE);

  // g_key_file_save_to_file writes a temporary file next to the target and
  // renames it over the target.
  GError* saveError = nullptr;
  if (!g_key_file_save_to_file(file.get(), filePath.c_str(), &saveError)) {
    error.reset(saveError);
    return "cannot write " + filePath + ": " + errorText(error);
  }
  return std::nullopt;
}

}  // namespace tools::hostsim
