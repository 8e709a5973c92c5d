#include "platform/darwin/interface_source_choice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::darwin {
namespace {

using List = std::optional<std::vector<InterfaceEntry>>;

// One read: whether each source works, and which list (by its counter) the
// choice gives: 64 for the 64-bit source, 32 for the other, none for none.
struct Read {
  bool sixtyFourBitWorks;
  bool thirtyTwoBitWorks;
  std::optional<std::uint64_t> given;
};

List listOf(std::uint64_t counter) {
  InterfaceEntry entry;
  entry.receivedBytes = counter;
  return std::vector<InterfaceEntry>{entry};
}

TEST(InterfaceSourceChoiceTest, TheFirstWorkingSourceStaysTheOnlyOne) {
  struct Case {
    const char* what;
    std::vector<Read> reads;
  };
  for (const Case& c : std::vector<Case>{
           {"64-bit counters while they can be read", {{true, true, 64}, {true, true, 64}}},
           {"no list rather than 32-bit counters once 64-bit ones were read",
            {{true, true, 64}, {false, true, std::nullopt}, {true, true, 64}}},
           {"32-bit counters for good when the first read falls back",
            {{false, true, 32}, {true, true, 32}}},
           {"no choice before any source has worked",
            {{false, false, std::nullopt}, {true, true, 64}, {false, true, std::nullopt}}},
           {"a failing fallback keeps its choice",
            {{false, true, 32}, {true, false, std::nullopt}, {true, true, 32}}},
       }) {
    SCOPED_TRACE(c.what);
    InterfaceSourceChoice choice;
    for (const Read& read : c.reads) {
      const List list =
          choice.read([&] { return read.sixtyFourBitWorks ? listOf(64) : std::nullopt; },
                      [&] { return read.thirtyTwoBitWorks ? listOf(32) : std::nullopt; });
      ASSERT_EQ(list.has_value(), read.given.has_value());
      if (list) {
        EXPECT_EQ(list->front().receivedBytes, *read.given);
      }
    }
  }
}

}  // namespace
}  // namespace platform::darwin
