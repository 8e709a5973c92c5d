// The host's defaults file: which options are present and how they read.
//
// Input: the file's bytes.
#include <glib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "agent_common/host_contract.h"
#include "fuzz/fuzz_rule.h"
#include "fuzz/scratch_file.h"
#include "platform/linux/key_file_user_defaults.h"

namespace {

using platform::linuxdesktop::KeyFileUserDefaults;

// "true" or "yes" in any case, or a decimal integer other than 0 with an
// optional sign, once white space around it is gone.
bool readsAsTrue(std::string_view value) {
  constexpr std::string_view kWhiteSpace = " \t\n\r\v\f";
  const std::size_t start = value.find_first_not_of(kWhiteSpace);
  if (start == std::string_view::npos) return false;
  std::string text{value.substr(start, value.find_last_not_of(kWhiteSpace) - start + 1)};
  for (char& character : text) character = g_ascii_tolower(character);
  if (text == "true" || text == "yes") return true;
  std::string_view number = text;
  if (number.front() == '+' || number.front() == '-') number.remove_prefix(1);
  return !number.empty() && std::ranges::all_of(number, fuzz::isAsciiDigit) &&
         number.find_first_not_of('0') != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const test_support::TempDir folder{"velmora-fuzz"};
  const std::string_view contents = fuzz::textOf(data, size);
  KeyFileUserDefaults defaults{fuzz::writeScratch(folder, "defaults.conf", contents)};
  // What GLib itself makes of the file; none when it refuses it.
  GKeyFile* reference = g_key_file_new();
  const bool loaded = g_key_file_load_from_data(reference, contents.data(), contents.size(),
                                                G_KEY_FILE_NONE, nullptr);
  for (const std::string_view name :
       {agent::kShowMemoryKey, agent::kShowCPUKey, agent::kShowGPUKey}) {
    const std::string key{name};
    const bool present =
        loaded && g_key_file_has_key(reference, KeyFileUserDefaults::kGroup, key.c_str(), nullptr);
    FUZZ_RULE(defaults.hasObject(key) == present);
    gchar* value = present ? g_key_file_get_string(reference, KeyFileUserDefaults::kGroup,
                                                   key.c_str(), nullptr)
                           : nullptr;
    FUZZ_RULE(defaults.boolForKey(key) == (value != nullptr && readsAsTrue(value)));
    g_free(value);
  }
  g_key_file_free(reference);
  return 0;
}
