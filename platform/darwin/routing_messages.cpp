#include "platform/darwin/routing_messages.h"

#include <cstddef>
#include <cstring>
#include <string>

namespace platform::darwin {
namespace {

// The common head of every routing message: u_short msglen, u_char version,
// u_char type.
constexpr std::size_t kMessageHeadSize = 4;
constexpr std::size_t kLengthOffset = 0;
constexpr std::size_t kVersionOffset = 2;
constexpr std::size_t kTypeOffset = 3;
constexpr std::uint8_t kRoutingMessageVersion = 5;  // RTM_VERSION
constexpr std::uint8_t kInterfaceInfo2 = 0x12;      // RTM_IFINFO2

// struct if_msghdr2: int ifm_addrs at 4, int ifm_flags at 8, then u_short
// ifm_index, four ints of send-queue figures and, at 32, struct if_data64,
// whose ifi_ibytes and ifi_obytes lie at 64 and 72 within it. 160 bytes.
constexpr std::size_t kAddressesOffset = 4;
constexpr std::size_t kFlagsOffset = 8;
constexpr std::size_t kReceivedBytesOffset = 32 + 64;
constexpr std::size_t kSentBytesOffset = 32 + 72;
constexpr std::size_t kInterfaceHeaderSize = 160;

constexpr std::int32_t kFlagUp = 0x1;        // IFF_UP
constexpr std::int32_t kFlagLoopback = 0x8;  // IFF_LOOPBACK

// The addresses after the fixed part come in the order of their bits in
// ifm_addrs; the interface's own link-level address is RTAX_IFP.
constexpr int kInterfaceAddressIndex = 4;  // RTAX_IFP

// struct sockaddr_dl: u_char sdl_len, u_char sdl_family, u_short sdl_index,
// u_char sdl_type, u_char sdl_nlen, u_char sdl_alen, u_char sdl_slen, then
// the name (sdl_nlen bytes, no terminator) at sdl_data.
constexpr std::uint8_t kLinkFamily = 18;  // AF_LINK
constexpr std::size_t kLinkNameLengthOffset = 5;
constexpr std::size_t kLinkNameOffset = 8;

template <class T>
T readAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
  T value{};
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

// Socket addresses in routing messages take their length rounded up to 4
// bytes; a zero length still takes 4.
std::size_t paddedAddressLength(std::uint8_t length) {
  return length == 0 ? 4 : (std::size_t{length} + 3) / 4 * 4;
}

// The name in the link-level address, or none when the address is missing,
// not link-level or does not fit its message.
std::optional<std::string> interfaceName(std::span<const std::uint8_t> message) {
  const auto addresses = readAt<std::int32_t>(message, kAddressesOffset);
  std::size_t offset = kInterfaceHeaderSize;
  for (int index = 0; index <= kInterfaceAddressIndex; ++index) {
    if ((addresses & (1 << index)) == 0) continue;
    if (offset >= message.size()) return std::nullopt;
    const std::uint8_t length = message[offset];
    if (index < kInterfaceAddressIndex) {
      offset += paddedAddressLength(length);
      continue;
    }
    if (length < kLinkNameOffset || length > message.size() - offset) return std::nullopt;
    const std::span<const std::uint8_t> address = message.subspan(offset, length);
    if (address[1] != kLinkFamily) return std::nullopt;
    const std::uint8_t nameLength = address[kLinkNameLengthOffset];
    if (nameLength > length - kLinkNameOffset) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(address.data() + kLinkNameOffset), nameLength);
  }
  return std::nullopt;
}

platform::InterfaceEntry interfaceEntry(std::span<const std::uint8_t> message) {
  const auto flags = readAt<std::int32_t>(message, kFlagsOffset);
  return {.name = interfaceName(message),
          .linkLevel = true,
          .up = (flags & kFlagUp) != 0,
          .loopback = (flags & kFlagLoopback) != 0,
          .hasStatistics = true,
          .receivedBytes = readAt<std::uint64_t>(message, kReceivedBytesOffset),
          .sentBytes = readAt<std::uint64_t>(message, kSentBytesOffset),
          .counterWidth = platform::CounterWidth::bits32};
}

}  // namespace

std::optional<std::vector<platform::InterfaceEntry>> interfacesFromRoutingMessages(
    std::span<const std::uint8_t> buffer) {
  std::vector<platform::InterfaceEntry> entries;
  std::size_t offset = 0;
  while (offset < buffer.size()) {
    const std::span<const std::uint8_t> rest = buffer.subspan(offset);
    if (rest.size() < kMessageHeadSize) return std::nullopt;
    const auto length = readAt<std::uint16_t>(rest, kLengthOffset);
    // A length below the head would never move the walk on.
    if (length < kMessageHeadSize || length > rest.size()) return std::nullopt;
    const std::span<const std::uint8_t> message = rest.first(length);
    if (message[kTypeOffset] == kInterfaceInfo2) {
      if (message[kVersionOffset] != kRoutingMessageVersion) return std::nullopt;
      if (message.size() < kInterfaceHeaderSize) return std::nullopt;
      entries.push_back(interfaceEntry(message));
    }
    offset += length;
  }
  return entries;
}

}  // namespace platform::darwin
