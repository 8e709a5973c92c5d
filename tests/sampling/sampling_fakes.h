#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/system_readings.h"

namespace agent::testing {

// Both clocks are set by the test; they move independently.
class FakeClock final : public platform::Clock {
 public:
  double uptimeSeconds() override {
    ++uptimeReads;
    return uptime;
  }
  double monotonicSeconds() override { return monotonic; }

  double uptime = 0.0;
  double monotonic = 0.0;
  int uptimeReads = 0;
};

class FakeInterfaceList final : public platform::InterfaceList {
 public:
  std::optional<std::vector<platform::InterfaceEntry>> interfaces() override { return entries; }

  // Replaces the list with one counted interface carrying these totals.
  void setTotals(std::uint64_t received, std::uint64_t sent) {
    entries =
        std::vector<platform::InterfaceEntry>{platform::InterfaceEntry{.name = "en0",
                                                                       .linkLevel = true,
                                                                       .up = true,
                                                                       .loopback = false,
                                                                       .hasStatistics = true,
                                                                       .receivedBytes = received,
                                                                       .sentBytes = sent}};
  }

  std::optional<std::vector<platform::InterfaceEntry>> entries =
      std::vector<platform::InterfaceEntry>{};
};

class FakeCpuTicks final : public platform::CpuTicksSource {
 public:
  std::optional<platform::CpuTicksReading> ticks() override { return reading; }
  std::optional<platform::CpuTicksReading> reading;
};

class FakeMemory final : public platform::MemorySource {
 public:
  std::optional<platform::MemoryReading> memory() override { return reading; }
  std::optional<platform::MemoryReading> reading;
};

class FakeGpuSource final : public platform::GpuUtilizationSource {
 public:
  std::optional<std::int64_t> readDeviceUtilization() override {
    ++reads;
    return result;
  }
  std::optional<std::int64_t> result;
  int reads = 0;
};

// Records each run and answers with the preset result.
class FakeChildProcessRunner final : public platform::ChildProcessRunner {
 public:
  struct Call {
    std::string path;
    std::vector<std::string> arguments;
    std::chrono::milliseconds timeLimit{0};
  };

  std::optional<platform::ChildOutput> run(const std::string& path,
                                           const std::vector<std::string>& arguments,
                                           std::chrono::milliseconds timeLimit) override {
    calls.push_back(Call{path, arguments, timeLimit});
    return result;
  }

  std::optional<platform::ChildOutput> result;
  std::vector<Call> calls;
};

}  // namespace agent::testing
