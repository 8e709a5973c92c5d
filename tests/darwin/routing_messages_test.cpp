#include "platform/darwin/routing_messages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "network_agent/sampling/network_speed_sampler.h"

namespace platform::darwin {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

std::optional<std::vector<InterfaceEntry>> walk(const Bytes& buffer) {
  // Copied to a buffer of exactly that size, so that the sanitizer catches
  // any read past its end.
  const Bytes exact(buffer);
  return interfacesFromRoutingMessages(exact);
}

TEST(RoutingMessagesTest, ReadsEveryInterfaceWithItsCountersWholeAndSkipsOtherMessages) {
  constexpr std::uint64_t kBeyond32Bits = 5'000'000'000;
  const Bytes buffer = joined({
      interfaceMessage("lo0", kUp | kLoopback, 7, 7),
      multicastMessage(),
      interfaceMessage("en0", kUp, kBeyond32Bits, 3'000),
      interfaceMessage("en1", 0, 11, 12),
      interfaceMessage("lo9", kUp, 13, 14),
      interfaceMessage("utun3", kUp, 20, kBeyond32Bits + 1),
  });

  const auto entries = walk(buffer);

  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 5u);
  EXPECT_EQ((*entries)[0].name, "lo0");
  EXPECT_TRUE((*entries)[0].loopback);
  EXPECT_EQ((*entries)[1].name, "en0");
  EXPECT_TRUE((*entries)[1].up && (*entries)[1].linkLevel && (*entries)[1].hasStatistics);
  EXPECT_FALSE((*entries)[1].loopback);
  EXPECT_EQ((*entries)[1].receivedBytes, kBeyond32Bits);
  EXPECT_EQ((*entries)[1].sentBytes, 3'000u);
  EXPECT_EQ((*entries)[1].counterWidth, CounterWidth::bits32) << "XNU cuts them to 32 bits";
  EXPECT_FALSE((*entries)[2].up);
  // The sampler's own selection leaves loopback, down and "lo" names out.
  const auto totals = agent::NetworkSpeedSampler::countedTotals(*entries);
  EXPECT_EQ(totals.receivedBytes, kBeyond32Bits + 20);
  EXPECT_EQ(totals.sentBytes, kBeyond32Bits + 1 + 3'000);
}

TEST(RoutingMessagesTest, FindsTheNameAfterEarlierAddressesAndLeavesItAbsentWhenItDoesNotFit) {
  // An address of `length` bytes before the link-level one, announced by its
  // bit, taking `taken` bytes with its padding.
  auto afterDestination = [](std::uint8_t length, std::size_t taken) {
    Bytes message = interfaceMessage("en5", kUp, 1, 1);
    message.insert(message.begin() + 160, taken, 0);
    message[160] = length;
    put<std::int32_t>(message, 4, kDestinationAddressBit | kInterfaceAddressBit);
    setLength(message);
    return message;
  };

  Bytes noAddressBit = interfaceMessage("en0", kUp, 1, 1);
  put<std::int32_t>(noAddressBit, 4, 0);
  Bytes notLinkLevel = interfaceMessage("en0", kUp, 1, 1);
  notLinkLevel[161] = 2;
  Bytes nameBeyondAddress = interfaceMessage("en0", kUp, 1, 1);
  nameBeyondAddress[165] = 200;
  Bytes addressBeyondMessage = interfaceMessage("en0", kUp, 1, 1);
  addressBeyondMessage[160] = 250;
  Bytes headerOnly = interfaceMessage("en0", kUp, 1, 1);
  headerOnly.resize(160);
  setLength(headerOnly);

  const std::vector<std::tuple<const char*, Bytes, std::optional<std::string>>> cases = {
      {"after a destination address", afterDestination(16, 16), "en5"},
      {"after one padded to 4 bytes", afterDestination(6, 8), "en5"},
      {"after an empty one, which takes 4 bytes", afterDestination(0, 4), "en5"},
      {"no link-level address announced", noAddressBit, std::nullopt},
      {"an address of another family", notLinkLevel, std::nullopt},
      {"a name longer than its address", nameBeyondAddress, std::nullopt},
      {"an address longer than its message", addressBeyondMessage, std::nullopt},
      {"no address after the fixed part", headerOnly, std::nullopt},
  };
  for (const auto& [what, message, name] : cases) {
    SCOPED_TRACE(what);
    const auto entries = walk(message);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, name);
    EXPECT_EQ((*entries)[0].receivedBytes, 1u);
  }
}

TEST(RoutingMessagesTest, RejectsABufferThatCannotBeTrustedWholeWithoutReadingPastIt) {
  const Bytes good = interfaceMessage("en0", kUp, 1, 1);
  Bytes truncated = joined({good, good});
  truncated.resize(good.size() + 100);
  Bytes zeroLength = joined({good, multicastMessage()});
  put<std::uint16_t>(zeroLength, good.size(), 0);
  Bytes shortInterface = good;
  shortInterface.resize(120);
  setLength(shortInterface);
  Bytes otherVersion = good;
  otherVersion[2] = 4;
  Bytes strayBytes = good;
  strayBytes.insert(strayBytes.end(), {0x01, 0x00, 0x05});
  for (const auto& [what, buffer] : std::vector<std::pair<const char*, Bytes>>{
           {"a message cut off by the buffer's end", truncated},
           {"a message length of zero", zeroLength},
           {"an interface message shorter than its fixed part", shortInterface},
           {"an interface message of another version", otherVersion},
           {"fewer bytes left than a message head", strayBytes},
       }) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(walk(buffer).has_value());
  }
  const auto empty = walk({});
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());
}

}  // namespace
}  // namespace platform::darwin
