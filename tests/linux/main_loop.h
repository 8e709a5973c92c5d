#pragma once

#include <chrono>
#include <functional>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop::testing {

using namespace std::chrono_literals;

// Runs the default main context until done() holds; false when the limit
// passes first. Everything on the bus in this process (items, watchers, hosts)
// is served from this context, so tests wait here and never block on a call.
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s);

// Runs the default main context for the whole duration: for checking that
// something does not happen.
void spinFor(std::chrono::milliseconds duration);

// A method call answered while the main context runs. On an error the reply
// is null and the D-Bus error name is kept ("timeout" when no answer came).
struct CallResult {
  VariantPtr reply;
  std::string errorName;
};

CallResult callAndWait(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters);

// The value of a property, unwrapped from its variant; null when it cannot be read.
VariantPtr getProperty(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* name);

// Returns once every message the destination sent before has arrived.
void roundTrip(GDBusConnection* connection, const char* destination);

}  // namespace platform::linuxdesktop::testing
