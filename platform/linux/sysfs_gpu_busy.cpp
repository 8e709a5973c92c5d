#include "platform/linux/sysfs_gpu_busy.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "platform/linux/proc_file.h"
#include "platform/system_readings.h"

namespace platform::linuxdesktop {
namespace {

constexpr std::string_view kCardPrefix = "card";

struct Card {
  std::uint64_t number = 0;
  std::string name;
};

std::optional<std::uint64_t> cardNumber(std::string_view name) {
  if (!name.starts_with(kCardPrefix)) return std::nullopt;
  const std::string_view digits = name.substr(kCardPrefix.size());
  std::uint64_t number = 0;
  const char* end = digits.data() + digits.size();
  const auto [parsedEnd, error] = std::from_chars(digits.data(), end, number);
  if (digits.empty() || error != std::errc{} || parsedEnd != end) return std::nullopt;
  return number;
}

struct CloseDirectory {
  void operator()(DIR* directory) const { closedir(directory); }
};

std::vector<Card> cardsInOrder(const std::string& drmRoot) {
  std::vector<Card> cards;
  const std::unique_ptr<DIR, CloseDirectory> directory(opendir(drmRoot.c_str()));
  if (!directory) return cards;
  while (const dirent* entry = readdir(directory.get())) {
    if (const auto number = cardNumber(entry->d_name)) cards.push_back({*number, entry->d_name});
  }
  std::sort(cards.begin(), cards.end(), [](const Card& left, const Card& right) {
    return std::tie(left.number, left.name) < std::tie(right.number, right.name);
  });
  return cards;
}

std::optional<std::int64_t> busyPercent(const std::string& path) {
  std::array<char, 64> buffer{};
  const std::optional<std::string_view> text = readFileHead(path.c_str(), buffer);
  if (!text) return std::nullopt;
  const std::string_view value = text->substr(0, text->find_last_not_of(" \t\n") + 1);
  std::int64_t percent = 0;
  const char* end = value.data() + value.size();
  const auto [parsedEnd, error] = std::from_chars(value.data(), end, percent);
  if (value.empty() || error != std::errc{} || parsedEnd != end || percent < 0) {
    return std::nullopt;
  }
  return utilizationPercent(percent);
}

bool isSuspended(const std::string& device) {
  std::array<char, 32> buffer{};
  const std::string path = device + "/power/runtime_status";
  const std::optional<std::string_view> status = readFileHead(path.c_str(), buffer);
  return status && status->starts_with("suspended");
}

}  // namespace

std::optional<std::int64_t> readSysfsGpuBusy(const std::string& drmRoot) {
  for (const Card& card : cardsInOrder(drmRoot)) {
    const std::string device = drmRoot + "/" + card.name + "/device";
    const std::string busyFile = device + "/gpu_busy_percent";
    if (access(busyFile.c_str(), R_OK) != 0) continue;
    // Reading gpu_busy_percent resumes a runtime-suspended GPU, and a reading
    // every few seconds would keep a laptop's idle discrete GPU awake. A
    // suspended GPU does no work, so it reads as 0 without being asked.
    if (isSuspended(device)) return 0;
    if (const auto percent = busyPercent(busyFile)) return percent;
  }
  return std::nullopt;
}

}  // namespace platform::linuxdesktop
