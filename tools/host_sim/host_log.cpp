#include "tools/host_sim/host_log.h"

#include <glib.h>

#include <cstdio>
#include <memory>

#include "tools/terminal_text/terminal_text.h"
#include "tools/tray_view/gio_handles.h"

namespace tools::hostsim {
namespace {

using DateTimePtr = std::unique_ptr<GDateTime, Deleter<g_date_time_unref>>;

}  // namespace

void printHostLine(std::string_view text) {
  const DateTimePtr now{g_date_time_new_now_local()};
  const CharPtr clock{now ? g_date_time_format(now.get(), "%H:%M:%S") : nullptr};
  const int milliseconds = now ? g_date_time_get_microsecond(now.get()) / 1000 : 0;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%s.%03d host: ", clock ? clock.get() : "??:??:??",
                milliseconds);
  printEscapedLine(stdout, stamp + std::string{text});
}

void printHostError(std::string_view text) {
  printEscapedLine(stderr, "host-sim: " + std::string{text});
}

}  // namespace tools::hostsim
