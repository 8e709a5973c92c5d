#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// How many bits a byte counter keeps before it wraps to zero.
enum class CounterWidth : std::uint8_t { bits32 = 32, bits64 = 64 };

// One entry of the system's interface list. An interface may appear several
// times (one entry per address family); the link-level entry carries the
// byte counters, which wrap at counterWidth bits.
struct InterfaceEntry {
  std::optional<std::string> name;
  bool linkLevel = false;
  bool up = false;
  bool loopback = false;
  bool hasStatistics = false;
  std::uint64_t receivedBytes = 0;
  std::uint64_t sentBytes = 0;
  CounterWidth counterWidth = CounterWidth::bits64;
};

class InterfaceList {
 public:
  virtual ~InterfaceList() = default;
  // None when the list cannot be read.
  virtual std::optional<std::vector<InterfaceEntry>> interfaces() = 0;
};

// System-wide processor time counters since boot, in ticks.
struct CpuTicksReading {
  std::uint64_t user = 0;
  std::uint64_t system = 0;
  std::uint64_t idle = 0;
  std::uint64_t nice = 0;
};

class CpuTicksSource {
 public:
  virtual ~CpuTicksSource() = default;
  virtual std::optional<CpuTicksReading> ticks() = 0;
};

struct MemoryReading {
  std::uint64_t physicalBytes = 0;
  std::uint64_t usedBytes = 0;
};

class MemorySource {
 public:
  virtual ~MemorySource() = default;
  virtual std::optional<MemoryReading> memory() = 0;
};

// The graphics device's utilisation as a reading shows it: a figure above
// 100 (a driver's rounding, a tool's odd output) reads as fully busy, one
// below 0 as idle. Every utilisation source applies it.
constexpr std::int64_t utilizationPercent(std::int64_t reported) {
  return std::clamp<std::int64_t>(reported, 0, 100);
}

// How long one read of the graphics device's utilisation may take. A read
// still running after this gives no reading: a tool is killed, and a driver
// call that cannot be interrupted shows as no figure until it returns.
inline constexpr std::chrono::milliseconds kGpuReadTimeLimit{2000};

class GpuUtilizationSource {
 public:
  virtual ~GpuUtilizationSource() = default;
  // One complete read of the graphics device's utilisation in percent, limited
  // by utilizationPercent; none when the machine cannot tell.
  virtual std::optional<std::int64_t> readDeviceUtilization() = 0;
};

}  // namespace platform
