#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/system_readings.h"

namespace platform::darwin {

// Picks between the two interface lists a Mac offers: the routing messages
// with 64-bit counters, and getifaddrs' records with 32-bit ones, which the
// first one's failure falls back to.
//
// The first successful read picks the source for good. Counters of the two do
// not compare (the 32-bit ones are the 64-bit ones modulo 2^32), and a total
// that jumped between them would show as a burst of gigabytes. So once the
// 64-bit list has been read, a failure to read it again gives no list (the
// sampler keeps its baseline) instead of the other source's counters.
class InterfaceSourceChoice {
 public:
  using Reader = std::function<std::optional<std::vector<platform::InterfaceEntry>>()>;

  std::optional<std::vector<platform::InterfaceEntry>> read(const Reader& sixtyFourBitList,
                                                            const Reader& thirtyTwoBitList);

 private:
  enum class Source { sixtyFourBit, thirtyTwoBit };

  std::optional<Source> source;
};

}  // namespace platform::darwin
