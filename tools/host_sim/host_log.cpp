#include "tools/host_sim/host_log.h"

#include <glib.h>

#include <cstdio>
#include <memory>

#include "tools/tray_view/gio_handles.h"

namespace tools::hostsim {
namespace {

using DateTimePtr = std::unique_ptr<GDateTime, Deleter<g_date_time_unref>>;

}  // namespace

void printHostLine(std::string_view text) {
  const DateTimePtr now{g_date_time_new_now_local()};
  const CharPtr clock{now ? g_date_time_format(now.get(), "%H:%M:%S") : nullptr};
  const int milliseconds = now ? g_date_time_get_microsecond(now.get()) / 1000 : 0;
  std::printf("%s.%03d host: %.*s\n", clock ? clock.get() : "??:??:??", milliseconds,
              static_cast<int>(text.size()), text.data());
  std::fflush(stdout);
}

void printHostError(std::string_view text) {
  std::fprintf(stderr, "host-sim: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace tools::hostsim
