// What the network agent does once a second, piece by piece, on this machine's
// real Linux services. Run: build/release/bench/refresh_bench
#include <benchmark/benchmark.h>

#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "network_agent/presentation/status_item_renderer.h"
#include "network_agent/sampling/network_speed_sampler.h"
#include "network_agent/sampling/rate_text.h"
#include "platform/darwin/ioreg_output.h"
#include "platform/fake/fake_graphics.h"
#include "platform/linux/cairo_image.h"
#include "platform/linux/link_dump_parser.h"
#include "platform/linux/netlink_interface_list.h"
#include "platform/linux/pango_graphics.h"
#include "platform/linux/proc_meminfo_memory.h"
#include "platform/linux/proc_stat_cpu_ticks.h"
#include "platform/linux/sni_button.h"
#include "platform/linux/sni_property_pipeline.h"

namespace {

const agent::NetworkSnapshot kSnapshot{.uploadBytesPerSecond = 12'345.0,
                                       .downloadBytesPerSecond = 1'567'890.0};
const agent::StatusMetrics kThreeMetrics{{"RAM", "63%"}, {"CPU", "8%"}, {"GPU", "--"}};

// Layout and drawing order alone, with text measured by a trivial rule.
void BM_RendererLayoutOnly(benchmark::State& state) {
  platform::fake::FakeGraphics graphics;
  agent::StatusItemRenderer renderer{graphics};
  for (auto _ : state) {
    benchmark::DoNotOptimize(renderer.image(kSnapshot, kThreeMetrics));
    graphics.images.clear();
  }
}
BENCHMARK(BM_RendererLayoutOnly);

// The whole image of one refresh: Pango measuring, then the pixels the tray
// reads, at scale 1 and 2.
void BM_RefreshImageWithPango(benchmark::State& state) {
  platform::linuxdesktop::PangoGraphics graphics;
  agent::StatusItemRenderer renderer{graphics};
  for (auto _ : state) {
    const std::shared_ptr<platform::Image> image = renderer.image(kSnapshot, kThreeMetrics);
    const auto& cairoImage = dynamic_cast<const platform::linuxdesktop::CairoImage&>(*image);
    benchmark::DoNotOptimize(cairoImage.render(1));
    benchmark::DoNotOptimize(cairoImage.render(2));
  }
}
BENCHMARK(BM_RefreshImageWithPango)->Unit(benchmark::kMicrosecond);

// One refresh of the picture as the agent does it: the image, handed to the
// tray button, and, when it changed, the item's next property snapshot (the
// IconPixmap value at both scales and GetAll's answer), for a host that shows
// the wide picture. Arguments: shown metric columns (0 to 3), and whether a
// value differs from the previous refresh (1) or every text is the same (0).
void BM_RefreshColumns(benchmark::State& state) {
  using platform::linuxdesktop::SniPropertyPipeline;
  platform::linuxdesktop::PangoGraphics graphics;
  agent::StatusItemRenderer renderer{graphics};
  SniPropertyPipeline pipeline{{.id = "network-status-agent"},
                               [](const SniPropertyPipeline::Snapshot& next, const auto&) {
                                 benchmark::DoNotOptimize(next->all());
                               }};
  pipeline.present(
      platform::linuxdesktop::TrayPresentation{.shape = platform::linuxdesktop::TrayShape::wide});
  platform::linuxdesktop::CurrentEvent events;
  platform::linuxdesktop::SniButton button{pipeline, events};
  const auto columns = static_cast<std::size_t>(state.range(0));
  const bool everyRefreshDiffers = state.range(1) != 0;
  agent::StatusMetrics metrics(kThreeMetrics.begin(), kThreeMetrics.begin() + columns);
  agent::NetworkSnapshot network = kSnapshot;
  int step = 0;
  for (auto _ : state) {
    // Alternating rates keep every width, so only texts change.
    if (everyRefreshDiffers) network.uploadBytesPerSecond = (++step % 2 == 0) ? 12'345 : 23'456;
    button.setImage(renderer.image(network, metrics));
    // What the next idle turn does.
    pipeline.publishNow();
  }
}
BENCHMARK(BM_RefreshColumns)
    ->ArgNames({"columns", "changed"})
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

using Bytes = std::vector<std::uint8_t>;

// Appends the object's bytes, then zeros up to netlink's 4-byte alignment.
void appendAligned(Bytes& out, const void* data, std::size_t size) {
  const std::size_t at = out.size();
  out.resize(NLMSG_ALIGN(at + size));
  if (size > 0) std::memcpy(out.data() + at, data, size);
}

void appendAttribute(Bytes& out, std::uint16_t type, const void* data, std::size_t size) {
  const rtattr header{static_cast<unsigned short>(RTA_LENGTH(size)), type};
  appendAligned(out, &header, sizeof header);
  appendAligned(out, data, size);
}

// A dump of `count` messages, message(i) giving the type and payload of the
// i-th, in datagrams of at most 32 KiB as the kernel sends them, then its end.
template <class Message>
std::vector<Bytes> builtDump(int count, std::uint32_t sequence, Message message) {
  std::vector<Bytes> datagrams(1);
  const auto append = [&](std::uint16_t type, const Bytes& payload) {
    const std::size_t length = NLMSG_HDRLEN + payload.size();
    if (datagrams.back().size() + NLMSG_ALIGN(length) > 32 * 1024) datagrams.emplace_back();
    const nlmsghdr header{static_cast<std::uint32_t>(length), type, NLM_F_MULTI, sequence, 0};
    appendAligned(datagrams.back(), &header, sizeof header);
    appendAligned(datagrams.back(), payload.data(), payload.size());
  };
  for (int i = 0; i < count; ++i) {
    const auto [type, payload] = message(i);
    append(type, payload);
  }
  append(NLMSG_DONE, Bytes(sizeof(int)));
  return datagrams;
}

// A link dump of `count` interfaces that are up, with 64-bit counters.
std::vector<Bytes> builtLinkDump(int count, std::uint32_t sequence) {
  return builtDump(count, sequence, [](int i) {
    Bytes payload;
    const ifinfomsg info{0, 0, 0, i + 1, IFF_UP, 0};
    appendAligned(payload, &info, sizeof info);
    const std::string name = "eth" + std::to_string(i);
    appendAttribute(payload, IFLA_IFNAME, name.c_str(), name.size() + 1);
    rtnl_link_stats64 stats{};
    stats.rx_bytes = 1'000'000u * static_cast<unsigned>(i + 1);
    stats.tx_bytes = 2'000u * static_cast<unsigned>(i + 1);
    appendAttribute(payload, IFLA_STATS64, &stats, sizeof stats);
    return std::pair{std::uint16_t{RTM_NEWLINK}, payload};
  });
}

// A stats dump of the same interfaces' 64-bit counters.
std::vector<Bytes> builtStatsDump(int count, std::uint32_t sequence) {
  return builtDump(count, sequence, [](int i) {
    Bytes payload;
    const if_stats_msg header{AF_UNSPEC, 0, 0, static_cast<std::uint32_t>(i + 1),
                              IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64)};
    appendAligned(payload, &header, sizeof header);
    rtnl_link_stats64 stats{};
    stats.rx_bytes = 3'000'000u * static_cast<unsigned>(i + 1);
    appendAttribute(payload, IFLA_STATS_LINK_64, &stats, sizeof stats);
    return std::pair{std::uint16_t{RTM_NEWSTATS}, payload};
  });
}

// 1, 100 and 1,000 interfaces, with the cost's growth fitted to a line.
void atMachineSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgName("interfaces")
      ->Arg(1)
      ->Arg(100)
      ->Arg(1000)
      ->Complexity(benchmark::oN)
      ->Unit(benchmark::kMicrosecond);
}

// The interface walk and the sample over a built dump of 1, 100 and 1,000
// interfaces: parsing every datagram, then the counted totals.
void BM_InterfaceWalk(benchmark::State& state) {
  constexpr std::uint32_t kSequence = 9;
  const auto datagrams = builtLinkDump(static_cast<int>(state.range(0)), kSequence);
  for (auto _ : state) {
    platform::linuxdesktop::LinkDumpParser parser{kSequence};
    for (const auto& datagram : datagrams) parser.feed(datagram);
    benchmark::DoNotOptimize(agent::NetworkSpeedSampler::countedTotals(parser.entries()));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_InterfaceWalk)->Apply(atMachineSizes);

// What each refresh does while no link changes: the stats dump's counters
// put on the kept link list, then the counted totals.
void BM_CountersWalk(benchmark::State& state) {
  constexpr std::uint32_t kSequence = 9;
  const int count = static_cast<int>(state.range(0));
  platform::linuxdesktop::LinkDumpParser links{kSequence};
  for (const auto& datagram : builtLinkDump(count, kSequence)) links.feed(datagram);
  const auto datagrams = builtStatsDump(count, kSequence + 1);
  for (auto _ : state) {
    platform::linuxdesktop::LinkDumpParser parser{kSequence + 1};
    for (const auto& datagram : datagrams) parser.feed(datagram);
    const auto entries = platform::linuxdesktop::linksWithCounters(links.entries(), links.indexes(),
                                                                   parser.counters());
    benchmark::DoNotOptimize(agent::NetworkSpeedSampler::countedTotals(entries.value()));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CountersWalk)->Apply(atMachineSizes);

void BM_InterfaceCountersOverNetlink(benchmark::State& state) {
  platform::linuxdesktop::NetlinkInterfaceList interfaces;
  for (auto _ : state) benchmark::DoNotOptimize(interfaces.interfaces());
}
BENCHMARK(BM_InterfaceCountersOverNetlink)->Unit(benchmark::kMicrosecond);

void BM_CpuTicksFromProcStat(benchmark::State& state) {
  platform::linuxdesktop::ProcStatCpuTicks ticks;
  for (auto _ : state) benchmark::DoNotOptimize(ticks.ticks());
}
BENCHMARK(BM_CpuTicksFromProcStat)->Unit(benchmark::kMicrosecond);

void BM_MemoryFromProcMeminfo(benchmark::State& state) {
  platform::linuxdesktop::ProcMeminfoMemory memory;
  for (auto _ : state) benchmark::DoNotOptimize(memory.memory());
}
BENCHMARK(BM_MemoryFromProcMeminfo)->Unit(benchmark::kMicrosecond);

void BM_RateTexts(benchmark::State& state) {
  double rate = 1.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(agent::menuRate(rate));
    benchmark::DoNotOptimize(agent::fullRate(rate));
    rate = rate * 1.7 + 3.0;
    if (rate > 1e10) rate = 1.0;
  }
}
BENCHMARK(BM_RateTexts);

// A large ioreg answer (many accelerators) with the key near the end.
void BM_IoregOutputRule(benchmark::State& state) {
  std::string output;
  for (int i = 0; i < 200; ++i) {
    output += "+-o AGXAcceleratorG13X  <class AGXAcceleratorG13X, id 0x1000003c5>\n  {\n";
    output +=
        "    \"PerformanceStatistics\" = {\"Tiler Utilization %\"=2,\"In use system "
        "memory\"=340983808}\n  }\n";
  }
  output += "    \"PerformanceStatistics\" = {\"Device Utilization %\"=37}\n";
  for (auto _ : state)
    benchmark::DoNotOptimize(platform::darwin::deviceUtilizationFromIoregOutput(output));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * output.size()));
}
BENCHMARK(BM_IoregOutputRule);

}  // namespace

BENCHMARK_MAIN();
