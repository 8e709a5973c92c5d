#include "platform/darwin/interface_source_choice.h"

namespace platform::darwin {

std::optional<std::vector<platform::InterfaceEntry>> InterfaceSourceChoice::read(
    const Reader& sixtyFourBitList, const Reader& thirtyTwoBitList) {
  if (source != Source::thirtyTwoBit) {
    if (auto entries = sixtyFourBitList()) {
      source = Source::sixtyFourBit;
      return entries;
    }
    if (source == Source::sixtyFourBit) return std::nullopt;
  }
  auto entries = thirtyTwoBitList();
  if (entries) source = Source::thirtyTwoBit;
  return entries;
}

}  // namespace platform::darwin
