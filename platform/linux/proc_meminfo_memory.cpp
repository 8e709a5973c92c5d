#include "platform/linux/proc_meminfo_memory.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <utility>

#include "platform/linux/proc_file.h"

namespace platform::linuxdesktop {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::uint64_t kBytesPerKilobyte = 1024;

std::string_view trimmed(std::string_view text) {
  const std::size_t start = text.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

// "  16318412 kB" -> bytes; none for any other shape.
std::optional<std::uint64_t> kilobytesAsBytes(std::string_view field) {
  std::string_view rest = trimmed(field);
  const std::string_view digits = nextToken(rest, kBlanks);
  if (trimmed(rest) != "kB") return std::nullopt;
  std::uint64_t kilobytes = 0;
  const char* end = digits.data() + digits.size();
  const auto [parsedEnd, error] = std::from_chars(digits.data(), end, kilobytes);
  if (error != std::errc{} || parsedEnd != end) return std::nullopt;
  std::uint64_t bytes = 0;
  if (__builtin_mul_overflow(kilobytes, kBytesPerKilobyte, &bytes)) return std::nullopt;
  return bytes;
}

struct Fields {
  std::optional<std::uint64_t> total;
  std::optional<std::uint64_t> available;
  bool malformed = false;
};

// The first line of each key counts; a malformed one spoils the reading.
void readLine(std::string_view line, Fields& fields) {
  const std::string_view key = nextToken(line, ":");
  std::optional<std::uint64_t>* target = nullptr;
  if (key == "MemTotal") target = &fields.total;
  if (key == "MemAvailable") target = &fields.available;
  if (target == nullptr || target->has_value()) return;
  *target = kilobytesAsBytes(line);
  if (!target->has_value()) fields.malformed = true;
}

}  // namespace

std::optional<platform::MemoryReading> parseProcMeminfo(std::string_view text) {
  Fields fields;
  // Later lines cannot change a key already read, so the walk ends there.
  while (!text.empty() && !fields.malformed && !(fields.total && fields.available)) {
    readLine(nextToken(text, "\n"), fields);
  }
  if (fields.malformed || !fields.total || !fields.available || *fields.total == 0) {
    return std::nullopt;
  }
  const std::uint64_t total = *fields.total;
  const std::uint64_t available = *fields.available;
  return platform::MemoryReading{.physicalBytes = total,
                                 .usedBytes = available > total ? 0 : total - available};
}

ProcMeminfoMemory::ProcMeminfoMemory(std::string path) : file(std::move(path)) {}

std::optional<platform::MemoryReading> ProcMeminfoMemory::memory() {
  // MemTotal and MemAvailable are among the first lines of a file of about
  // 1.5 KiB; the buffer holds all of it with room to spare.
  std::array<char, 8192> buffer{};
  const std::optional<std::string_view> text = file.readHead(buffer);
  if (!text) return std::nullopt;
  return parseProcMeminfo(*text);
}

}  // namespace platform::linuxdesktop
