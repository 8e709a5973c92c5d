#include "platform/linux/proc_stat_cpu_ticks.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <utility>

#include "platform/linux/proc_file.h"

namespace platform::linuxdesktop {
namespace {

constexpr std::string_view kBlanks = " \t";
// user nice system idle iowait irq softirq steal; guest columns follow.
constexpr std::size_t kUsedColumns = 8;
constexpr std::size_t kRequiredColumns = 4;

std::optional<std::uint64_t> parseCounter(std::string_view token) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc{} || end != token.data() + token.size()) return std::nullopt;
  return value;
}

std::optional<std::uint64_t> sum(std::initializer_list<std::uint64_t> values) {
  std::uint64_t total = 0;
  for (const std::uint64_t value : values) {
    if (__builtin_add_overflow(total, value, &total)) return std::nullopt;
  }
  return total;
}

std::optional<std::string_view> aggregateLine(std::string_view text) {
  while (!text.empty()) {
    std::string_view line = nextToken(text, "\n");
    if (nextToken(line, kBlanks) == "cpu") return line;
  }
  return std::nullopt;
}

std::optional<std::array<std::uint64_t, kUsedColumns>> columns(std::string_view line) {
  std::array<std::uint64_t, kUsedColumns> values{};
  std::size_t count = 0;
  while (count < kUsedColumns) {
    const std::size_t start = line.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) break;
    line.remove_prefix(start);
    const std::optional<std::uint64_t> value = parseCounter(nextToken(line, kBlanks));
    if (!value) return std::nullopt;
    values[count++] = *value;
  }
  if (count < kRequiredColumns) return std::nullopt;
  return values;
}

}  // namespace

std::optional<platform::CpuTicksReading> parseProcStat(std::string_view text) {
  const std::optional<std::string_view> line = aggregateLine(text);
  if (!line) return std::nullopt;
  const auto values = columns(*line);
  if (!values) return std::nullopt;
  const auto [user, nice, system, idle, iowait, irq, softirq, steal] = *values;
  const std::optional<std::uint64_t> busySystem = sum({system, irq, softirq, steal});
  const std::optional<std::uint64_t> allIdle = sum({idle, iowait});
  // The agents add the four counters up; refuse a reading whose total would wrap.
  if (!busySystem || !allIdle || !sum({user, nice, *busySystem, *allIdle})) return std::nullopt;
  return platform::CpuTicksReading{
      .user = user, .system = *busySystem, .idle = *allIdle, .nice = nice};
}

ProcStatCpuTicks::ProcStatCpuTicks(std::string path) : file(std::move(path)) {}

std::optional<platform::CpuTicksReading> ProcStatCpuTicks::ticks() {
  // The aggregate line comes first; the rest of the file (one line per CPU and
  // the long interrupt lines) is not needed, so a small buffer does.
  std::array<char, 4096> buffer{};
  const std::optional<std::string_view> text = file.readHead(buffer);
  if (!text) return std::nullopt;
  return parseProcStat(*text);
}

}  // namespace platform::linuxdesktop
