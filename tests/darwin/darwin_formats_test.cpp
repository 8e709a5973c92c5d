// The Darwin backend's parsers and readers, which run anywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/darwin/ioreg_device_utilization_reader.h"
#include "platform/darwin/ioreg_output.h"
#include "platform/darwin/mach_statistics.h"
#include "platform/darwin/routing_messages.h"
#include "platform/posix/posix_child_process_runner.h"
#include "tests/support/temp_dir.h"

namespace platform::darwin {
namespace {

// One accelerator node as the tool prints it, with the utilisation's value text spliced in.
std::string acceleratorNode(const std::string& utilization) {
  return "+-o AGXAcceleratorG13X  <class AGXAcceleratorG13X, id 0x1000003c5, registered>\n"
         "    {\n"
         "      \"PerformanceStatistics\" = {\"Tiler Utilization %\"=2,\"Device Utilization "
         "%\"=" +
         utilization + ",\"In use system memory\"=340983808}\n    }\n";
}

TEST(IoregOutputTest, NumberRightAfterTheFirstKeyIsTheUtilization) {
  const std::string key = "\"Device Utilization %\"=";
  const struct {
    const char* what;
    std::string output;
    std::optional<std::int64_t> percent;
  } cases[] = {
      {"realistic nested statistics", acceleratorNode("23"), 23},
      {"zero with leading zeros", key + "000", 0},
      {"above 100 is limited", key + "250", 100},
      {"fraction is cut at the point", key + "37.9", 37},
      {"key at the end", "{\"Tiler Utilization %\"=3," + key, std::nullopt},
      {"20 digits exceed 64 bits", key + "12345678901234567890", std::nullopt},
      {"no key", "{\"Renderer Utilization %\"=9}", std::nullopt},
      {"two accelerators: the first", acceleratorNode("12") + acceleratorNode("77"), 12},
      {"first unusable decides", acceleratorNode("-1") + acceleratorNode("77"), std::nullopt},
      {"lookalike key", "{\"Device Utilization % at cur p-state\"=5," + key + "41}", 41},
      {"Arabic-Indic digit in the run", key + "3\xD9\xA7,", std::nullopt},
      {"combining accent on a digit", key + "37\xCC\x81,", std::nullopt},
      {"combining accent right after the key", key + "\xCC\x81" + "37", std::nullopt},
      {"valid non-ASCII elsewhere", "\"IOName\" = \"\xE5\x9B\xBE\"\n" + acceleratorNode("64"), 64},
      {"invalid byte before", "\"IOName\" = \"\xFF\"\n" + acceleratorNode("37"), std::nullopt},
      {"overlong form", "\"IOName\" = \"\xC0\xAF\"\n" + acceleratorNode("37"), std::nullopt},
      {"surrogate", "\"IOName\" = \"\xED\xA0\x80\"\n" + acceleratorNode("37"), std::nullopt},
      {"truncated sequence at the end", acceleratorNode("37") + "\xE2\x82", std::nullopt},
  };
  for (const auto& output : cases) {
    EXPECT_EQ(deviceUtilizationFromIoregOutput(output.output), output.percent) << output.what;
  }
}

// Reads through a stand-in tool: a shell script with this body, written into
// a fresh temporary folder that is removed afterwards.
std::optional<std::int64_t> readWithTool(const std::string& body) {
  const test_support::TempDir folder{"ioreg-standin"};
  const std::string path = folder.path() / "ioreg";
  std::ofstream(path) << "#!/bin/sh\n" << body;
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  platform::posix::PosixChildProcessRunner runner;
  return IoregDeviceUtilizationReader{runner, path}.readDeviceUtilization();
}

TEST(StandInIoregTest, ToolRunWithTheFixedArgumentsGivesItsUtilizationUnlessItFails) {
  const std::string node =
      "echo '+-o AGXAcceleratorG13X  <class AGXAcceleratorG13X>'\n"
      "echo '  \"PerformanceStatistics\" = {\"Device Utilization %\"=57}'\n";
  EXPECT_EQ(readWithTool("[ \"$*\" = \"-r -c IOAccelerator -k PerformanceStatistics -d 1\" ] || "
                         "exit 9\n" +
                         node + "echo 'diagnostics nobody reads' >&2\n"),
            57);
  EXPECT_EQ(readWithTool(node + "exit 1\n"), std::nullopt);
}

TEST(MachStatisticsTest, TickCountersAreReadAsSignedThirtyTwoBitCounts) {
  const CpuTicksReading ticks = cpuTicksFromLoadInfo(
      {.user = 0x7fffffff, .system = 0x80000000, .idle = 0xffffffff, .nice = 25});
  EXPECT_EQ(std::tuple(ticks.user, ticks.system, ticks.idle, ticks.nice),
            std::tuple(0x7fffffffu, 0u, 0u, 25u));
}

TEST(MachStatisticsTest, UsedMemoryIsWiredInternalAndCompressorPagesCappedAtPhysical) {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  constexpr std::uint64_t kPage = 16 * 1024;
  struct Case {
    const char* what;
    std::uint64_t physical;
    std::uint64_t pageSize;
    UsedPageCounts pages;
    std::optional<std::uint64_t> used;
  };
  for (const Case& c : std::vector<Case>{
           {"10 GiB of 16 KiB pages", 16 * kGiB, kPage, {200'000, 400'000, 55'360}, 10 * kGiB},
           {"counts summed in 64 bits", 64 * kGiB, kPage, {0xffffffff, 1, 0}, 64 * kGiB},
           {"more than physical", 16 * kGiB, kPage, {1'000'000, 1'000'000, 0}, 16 * kGiB},
           {"a product beyond 64 bits",
            16 * kGiB,
            std::uint64_t{1} << 40,
            {1 << 30, 0, 0},
            16 * kGiB},
           {"physical size zero", 0, kPage, {1, 1, 1}, std::nullopt},
           {"page size zero", 16 * kGiB, 0, {1, 1, 1}, std::nullopt},
       }) {
    SCOPED_TRACE(c.what);
    const std::optional<MemoryReading> reading =
        memoryFromVmStatistics(c.physical, c.pageSize, c.pages);
    ASSERT_EQ(reading.has_value(), c.used.has_value());
    if (!reading) continue;
    EXPECT_EQ(reading->physicalBytes, c.physical);
    EXPECT_EQ(reading->usedBytes, *c.used);
  }
}

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

constexpr std::uint8_t kInterfaceInfo2 = 0x12;
constexpr std::uint8_t kNewMulticastAddress2 = 0x13;
constexpr std::int32_t kUp = 0x1;
constexpr std::int32_t kLoopback = 0x8;
constexpr std::int32_t kDestinationAddressBit = 0x1;
constexpr std::int32_t kInterfaceAddressBit = 0x10;

template <class T>
void put(Bytes& bytes, std::size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

void setLength(Bytes& message) { put<std::uint16_t>(message, 0, message.size()); }

// An RTM_IFINFO2 message laid out as struct if_msghdr2 (160 bytes) followed
// by the interface's struct sockaddr_dl, padded to 4 bytes.
Bytes interfaceMessage(const std::string& name, std::int32_t flags, std::uint64_t received,
                       std::uint64_t sent) {
  Bytes message(160);
  message[2] = 5;
  message[3] = kInterfaceInfo2;
  put<std::int32_t>(message, 4, kInterfaceAddressBit);
  put<std::int32_t>(message, 8, flags);
  put<std::uint64_t>(message, 96, received);
  put<std::uint64_t>(message, 104, sent);
  Bytes address(std::max<std::size_t>(20, 8 + name.size()));
  address[0] = static_cast<std::uint8_t>(address.size());
  address[1] = 18;
  address[5] = static_cast<std::uint8_t>(name.size());
  std::memcpy(address.data() + 8, name.data(), name.size());
  address.resize((address.size() + 3) / 4 * 4);
  message.insert(message.end(), address.begin(), address.end());
  setLength(message);
  return message;
}

// en5's message with an address of `length` bytes before the link-level one,
// announced by its bit, taking `taken` bytes with its padding.
Bytes afterDestination(std::uint8_t length, std::size_t taken) {
  Bytes message = interfaceMessage("en5", kUp, 1, 1);
  message.insert(message.begin() + 160, taken, 0);
  message[160] = length;
  put<std::int32_t>(message, 4, kDestinationAddressBit | kInterfaceAddressBit);
  setLength(message);
  return message;
}

Bytes multicastMessage() {
  Bytes message(28);
  message[2] = 5;
  message[3] = kNewMulticastAddress2;
  setLength(message);
  return message;
}

Bytes joined(const std::vector<Bytes>& messages) {
  Bytes buffer;
  for (const Bytes& message : messages) buffer.insert(buffer.end(), message.begin(), message.end());
  return buffer;
}

// The first `size` bytes of a buffer, with the byte at `offset` set to `value`.
Bytes edited(const Bytes& buffer, std::size_t size, std::size_t offset, std::uint8_t value) {
  Bytes result(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(size));
  result[offset] = value;
  return result;
}

// Each entry as "name up|down [loopback] received/sent", "?" without a name.
Strings described(const std::vector<InterfaceEntry>& entries) {
  Strings lines;
  for (const InterfaceEntry& entry : entries) {
    EXPECT_TRUE(entry.linkLevel && entry.hasStatistics);
    EXPECT_EQ(entry.counterWidth, CounterWidth::bits32) << "XNU cuts them to 32 bits";
    lines.push_back(entry.name.value_or("?") + (entry.up ? " up " : " down ") +
                    (entry.loopback ? "loopback " : "") + std::to_string(entry.receivedBytes) +
                    "/" + std::to_string(entry.sentBytes));
  }
  return lines;
}

TEST(RoutingMessagesTest, ReadsEachInterfaceMessageAndRejectsABufferThatCannotBeTrustedWhole) {
  constexpr std::uint64_t kBeyond32Bits = 5'000'000'000;
  const Bytes en0 = interfaceMessage("en0", kUp, 1, 1);  // 180 bytes
  const struct {
    const char* what;
    Bytes buffer;
    std::optional<Strings> entries;  // none when the buffer is rejected
  } cases[] = {
      {"counters whole, other messages skipped",
       joined({interfaceMessage("lo0", kUp | kLoopback, 7, 7), multicastMessage(),
               interfaceMessage("en0", kUp, kBeyond32Bits, 3'000),
               interfaceMessage("en1", 0, 11, 12),
               interfaceMessage("utun3", kUp, 20, kBeyond32Bits + 1)}),
       Strings{"lo0 up loopback 7/7", "en0 up 5000000000/3000", "en1 down 11/12",
               "utun3 up 20/5000000001"}},
      {"no messages", {}, Strings{}},
      {"name after a destination address", afterDestination(16, 16), Strings{"en5 up 1/1"}},
      {"name after one padded to 4 bytes", afterDestination(6, 8), Strings{"en5 up 1/1"}},
      {"name after an empty one, which takes 4 bytes", afterDestination(0, 4),
       Strings{"en5 up 1/1"}},
      {"no link-level address announced", edited(en0, 180, 4, 0), Strings{"? up 1/1"}},
      {"an address of another family", edited(en0, 180, 161, 2), Strings{"? up 1/1"}},
      {"a name longer than its address", edited(en0, 180, 165, 200), Strings{"? up 1/1"}},
      {"an address longer than its message", edited(en0, 180, 160, 250), Strings{"? up 1/1"}},
      {"no address after the fixed part", edited(en0, 160, 0, 160), Strings{"? up 1/1"}},
      {"a message cut off by the buffer's end", edited(joined({en0, en0}), 280, 0, 180),
       std::nullopt},
      {"a message length of zero", joined({en0, edited(multicastMessage(), 28, 0, 0)}),
       std::nullopt},
      {"an interface message shorter than its fixed part", edited(en0, 120, 0, 120), std::nullopt},
      {"an interface message of another version", edited(en0, 180, 2, 4), std::nullopt},
      {"fewer bytes left than a message head", joined({en0, {0x01, 0x00, 0x05}}), std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // A copy of exactly the buffer's size, so that the sanitizer catches any
    // read past its end.
    const Bytes exact(c.buffer);
    const auto entries = interfacesFromRoutingMessages(exact);
    ASSERT_EQ(entries.has_value(), c.entries.has_value());
    if (!entries) continue;
    EXPECT_EQ(described(*entries), *c.entries);
  }
}

}  // namespace
}  // namespace platform::darwin
