// The kernel's gpu_busy_percent file and the card's runtime power state.
//
// Input: the busy file's bytes; a first byte of 's' makes the card
// runtime-suspended (the rest is then the busy file).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_rule.h"
#include "fuzz/scratch_file.h"
#include "platform/linux/sysfs_gpu_busy.h"

namespace {

// The rule for a file small enough to be read whole: a decimal number from 0
// up, with white space after it, reads as itself limited to 100; anything
// else is no reading. A sign is the kernel's format for no value, so a
// signed text may read either way, but never as another number.
struct Expected {
  std::optional<std::int64_t> percent;
  bool signedText = false;
};

Expected expected(std::string_view text) {
  text = text.substr(0, text.find_last_not_of(" \t\n") + 1);
  Expected result;
  result.signedText = text.starts_with('-') || text.starts_with('+');
  bool negative = text.starts_with('-');
  if (result.signedText) text.remove_prefix(1);
  if (text.empty()) return result;
  std::int64_t value = 0;
  for (const char character : text) {
    if (!fuzz::isAsciiDigit(character)) return result;
    value = std::min<std::int64_t>(value * 10 + (character - '0'), 1000);
  }
  if (!negative || value == 0) result.percent = std::min<std::int64_t>(value, 100);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const test_support::TempDir drm{"velmora-fuzz"};
  std::string_view busy = fuzz::textOf(data, size);
  const bool suspended = busy.starts_with('s');
  if (suspended) busy.remove_prefix(1);
  fuzz::writeScratch(drm, "card0/device/gpu_busy_percent", busy);
  if (suspended) {
    fuzz::writeScratch(drm, "card0/device/power/runtime_status", "suspended\n");
  } else {
    std::filesystem::remove(drm.path() / "card0/device/power/runtime_status");
  }

  const std::optional<std::int64_t> percent = platform::linuxdesktop::readSysfsGpuBusy(drm.path());
  if (percent) FUZZ_RULE(*percent >= 0 && *percent <= 100);
  if (suspended) {
    FUZZ_RULE(percent == 0);
  } else if (busy.size() < 32) {
    const Expected rule = expected(busy);
    FUZZ_RULE(percent == rule.percent || (rule.signedText && !percent));
  }
  return 0;
}
