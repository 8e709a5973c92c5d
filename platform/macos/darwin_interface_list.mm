#include "platform/macos/darwin_interface_list.h"

#include <cerrno>
#include <iterator>
#include <memory>
#include <string>

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/sysctl.h>
#include <sys/types.h>

#include "platform/darwin/routing_messages.h"

namespace platform::macos {
namespace {

// An interface that appears between sizing the buffer and filling it makes
// the second call fail with ENOMEM; a fresh size is then asked for.
constexpr int kRoutingMessageAttempts = 3;

struct InterfaceAddressesFree {
  void operator()(ifaddrs* list) const { freeifaddrs(list); }
};
using InterfaceAddresses = std::unique_ptr<ifaddrs, InterfaceAddressesFree>;

platform::InterfaceEntry entryOf(const ifaddrs& address) {
  platform::InterfaceEntry entry;
  if (address.ifa_name != nullptr) entry.name = std::string(address.ifa_name);
  entry.linkLevel = address.ifa_addr != nullptr && address.ifa_addr->sa_family == AF_LINK;
  entry.up = (address.ifa_flags & IFF_UP) != 0;
  entry.loopback = (address.ifa_flags & IFF_LOOPBACK) != 0;
  entry.hasStatistics = address.ifa_data != nullptr;
  // Only a link-level entry's data is an if_data record.
  if (entry.linkLevel && entry.hasStatistics) {
    const auto* data = static_cast<const struct if_data*>(address.ifa_data);
    entry.receivedBytes = data->ifi_ibytes;
    entry.sentBytes = data->ifi_obytes;
  }
  entry.counterWidth = platform::CounterWidth::bits32;
  return entry;
}

}  // namespace

std::optional<std::vector<platform::InterfaceEntry>> DarwinInterfaceList::interfaces() {
  if (auto entries = readRoutingMessages()) return entries;
  return readInterfaceAddresses();
}

std::optional<std::vector<platform::InterfaceEntry>> DarwinInterfaceList::readRoutingMessages() {
  int names[] = {CTL_NET, PF_ROUTE, 0, 0, NET_RT_IFLIST2, 0};
  const auto nameCount = static_cast<u_int>(std::size(names));
  for (int attempt = 0; attempt < kRoutingMessageAttempts; ++attempt) {
    size_t size = 0;
    if (sysctl(names, nameCount, nullptr, &size, nullptr, 0) != 0) return std::nullopt;
    buffer.resize(size);
    if (sysctl(names, nameCount, buffer.data(), &size, nullptr, 0) == 0) {
      return platform::darwin::interfacesFromRoutingMessages(
          std::span<const std::uint8_t>(buffer.data(), size));
    }
    if (errno != ENOMEM) return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::vector<platform::InterfaceEntry>> DarwinInterfaceList::readInterfaceAddresses() {
  ifaddrs* first = nullptr;
  if (getifaddrs(&first) != 0) return std::nullopt;
  const InterfaceAddresses list(first);
  std::vector<platform::InterfaceEntry> entries;
  for (const ifaddrs* address = list.get(); address != nullptr; address = address->ifa_next) {
    entries.push_back(entryOf(*address));
  }
  return entries;
}

}  // namespace platform::macos
