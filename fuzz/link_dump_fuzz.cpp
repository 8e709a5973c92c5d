// The rtnetlink link and stats dumps: the interfaces and counters read from
// the kernel's datagrams and the rates made of the interfaces' counters.
//
// Input: the request's sequence number (4 bytes, host order), then datagrams,
// each a 2-byte little-endian length and that many bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_rule.h"
#include "network_agent/sampling/network_speed_sampler.h"
#include "network_agent/sampling/rate_text.h"
#include "platform/fake/fake_run_loop.h"
#include "platform/fake/fake_services.h"
#include "platform/linux/link_dump_parser.h"

namespace {

using Parser = platform::linuxdesktop::LinkDumpParser;

bool endsWithUnit(const std::string& text) {
  return text.ends_with(" B/s") || text.ends_with(" KB/s") || text.ends_with(" MB/s");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input{data, size};
  if (input.size() < 4) return 0;
  std::uint32_t sequence = 0;
  std::memcpy(&sequence, input.data(), sizeof sequence);
  input = input.subspan(4);

  Parser parser{sequence};
  Parser::Progress progress = Parser::Progress::more;
  while (input.size() >= 2 && progress == Parser::Progress::more) {
    const std::size_t length = std::min<std::size_t>(input[0] | (input[1] << 8), input.size() - 2);
    const std::vector<std::uint8_t> datagram(input.begin() + 2, input.begin() + 2 + length);
    progress = parser.feed(datagram);
    input = input.subspan(2 + length);
  }

  FUZZ_RULE(parser.indexes().size() == parser.entries().size());
  for (const platform::InterfaceEntry& entry : parser.entries()) {
    FUZZ_RULE(entry.linkLevel);
    if (entry.name) FUZZ_RULE(entry.name->find('\0') == std::string::npos);
    if (!entry.hasStatistics) FUZZ_RULE(entry.receivedBytes == 0 && entry.sentBytes == 0);
  }

  // A baseline without interfaces, then the dump one second later.
  platform::fake::FakeClock clock;
  platform::fake::FakeInterfaceList interfaces;
  agent::NetworkSpeedSampler sampler{clock, interfaces};
  sampler.sample();
  clock.now += 1.0;
  interfaces.reading = parser.entries();
  const agent::NetworkSnapshot rates = sampler.sample();
  for (const double rate : {rates.uploadBytesPerSecond, rates.downloadBytesPerSecond}) {
    FUZZ_RULE(std::isfinite(rate) && rate >= 0.0);
    FUZZ_RULE(endsWithUnit(agent::menuRate(rate)) && endsWithUnit(agent::fullRate(rate)));
  }
  return 0;
}
