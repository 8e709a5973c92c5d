#include "platform/linux/sysfs_gpu_busy.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "platform/linux/proc_file.h"
#include "platform/system_readings.h"

namespace platform::linuxdesktop {
namespace {

constexpr std::string_view kCardPrefix = "card";

struct CloseDirectory {
  void operator()(DIR* directory) const { closedir(directory); }
};

bool isCard(std::string_view name) {
  if (!name.starts_with(kCardPrefix)) return false;
  const std::string_view digits = name.substr(kCardPrefix.size());
  return !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
}

std::vector<std::string> cardNames(const std::string& drmRoot) {
  std::vector<std::string> cards;
  const std::unique_ptr<DIR, CloseDirectory> directory(opendir(drmRoot.c_str()));
  if (!directory) return cards;
  while (const dirent* entry = readdir(directory.get())) {
    if (isCard(entry->d_name)) cards.emplace_back(entry->d_name);
  }
  return cards;
}

std::optional<std::int64_t> busyPercent(const std::string& path) {
  std::array<char, 64> buffer{};
  const std::optional<std::string_view> text = readFileHead(path.c_str(), buffer);
  if (!text) return std::nullopt;
  const std::string_view value = text->substr(0, text->find_last_not_of(" \t\n") + 1);
  if (value.empty() || value.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  std::int64_t percent = 0;
  const std::from_chars_result parsed =
      std::from_chars(value.data(), value.data() + value.size(), percent);
  // Only digits: the one possible failure is a number too long for 64 bits.
  if (parsed.ec == std::errc::result_out_of_range) {
    return utilizationPercent(std::numeric_limits<std::int64_t>::max());
  }
  return utilizationPercent(percent);
}

bool isSuspended(const std::string& device) {
  std::array<char, 32> buffer{};
  const std::string path = device + "/power/runtime_status";
  const std::optional<std::string_view> status = readFileHead(path.c_str(), buffer);
  return status && status->starts_with("suspended");
}

std::string busyFileOf(const std::string& device) { return device + "/gpu_busy_percent"; }

}  // namespace

bool anyCardPublishesGpuBusy(const std::string& drmRoot) {
  for (const std::string& card : cardNames(drmRoot)) {
    if (access(busyFileOf(drmRoot + "/" + card + "/device").c_str(), R_OK) == 0) return true;
  }
  return false;
}

std::optional<std::int64_t> readSysfsGpuBusy(const std::string& drmRoot) {
  std::optional<std::int64_t> busiest;
  for (const std::string& card : cardNames(drmRoot)) {
    const std::string device = drmRoot + "/" + card + "/device";
    const std::string busyFile = busyFileOf(device);
    if (access(busyFile.c_str(), R_OK) != 0) continue;
    // Reading gpu_busy_percent resumes a runtime-suspended GPU, and a reading
    // every few seconds would keep a laptop's idle discrete GPU awake. A
    // suspended GPU does no work, so it reads as 0 without being asked.
    const std::optional<std::int64_t> percent =
        isSuspended(device) ? std::optional<std::int64_t>{0} : busyPercent(busyFile);
    if (percent && (!busiest || *percent > *busiest)) busiest = percent;
  }
  return busiest;
}

}  // namespace platform::linuxdesktop
