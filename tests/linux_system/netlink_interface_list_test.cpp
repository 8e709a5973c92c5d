#include "platform/linux/netlink_interface_list.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace platform::linuxdesktop {
namespace {

const platform::InterfaceEntry* find(const std::vector<platform::InterfaceEntry>& entries,
                                     const std::string& name) {
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [&](const auto& entry) { return entry.name == name; });
  return found == entries.end() ? nullptr : &*found;
}

TEST(NetlinkInterfaceListTest, ThisMachineListsLoopbackWithCounters) {
  NetlinkInterfaceList list;
  const auto entries = list.interfaces();
  ASSERT_TRUE(entries.has_value());
  const platform::InterfaceEntry* loopback = find(*entries, "lo");
  ASSERT_NE(loopback, nullptr);
  EXPECT_TRUE(loopback->loopback);
  EXPECT_TRUE(loopback->linkLevel);
  EXPECT_TRUE(loopback->hasStatistics);
  for (const auto& entry : *entries) {
    EXPECT_TRUE(entry.name.has_value());
    EXPECT_TRUE(entry.linkLevel);
  }
}

TEST(NetlinkInterfaceListTest, RepeatedReadsReuseTheSocketAndCountersNeverFall) {
  NetlinkInterfaceList list;
  const auto first = list.interfaces();
  const auto second = list.interfaces();
  ASSERT_TRUE(first.has_value());
  ASSERT_TRUE(second.has_value());
  const auto* before = find(*first, "lo");
  const auto* after = find(*second, "lo");
  ASSERT_NE(before, nullptr);
  ASSERT_NE(after, nullptr);
  EXPECT_GE(after->receivedBytes, before->receivedBytes);
  EXPECT_GE(after->sentBytes, before->sentBytes);
}

}  // namespace
}  // namespace platform::linuxdesktop
