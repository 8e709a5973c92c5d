// What the network agent does once a second, piece by piece, on this machine's
// real Linux services. Run: build/release/bench/refresh_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "network_agent/presentation/status_item_renderer.h"
#include "network_agent/sampling/ioreg_output.h"
#include "network_agent/sampling/rate_text.h"
#include "platform/fake/fake_graphics.h"
#include "platform/linux/cairo_image.h"
#include "platform/linux/netlink_interface_list.h"
#include "platform/linux/pango_graphics.h"
#include "platform/linux/proc_meminfo_memory.h"
#include "platform/linux/proc_stat_cpu_ticks.h"

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
  for (auto _ : state) benchmark::DoNotOptimize(agent::deviceUtilizationFromIoregOutput(output));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * output.size()));
}
BENCHMARK(BM_IoregOutputRule);

}  // namespace

BENCHMARK_MAIN();
