#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop::testing {

using namespace std::chrono_literals;

// Runs the default main context until done() holds; false when the limit
// passes first. Everything on the bus in this process (items, watcher, host)
// is served from this context, so tests wait here and never block on a call.
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s);

// Runs the default main context for the whole duration: for checking that
// something does not happen.
void spinFor(std::chrono::milliseconds duration);

// A method call's reply: unset until answered, null when the answer is an error.
using PendingReply = std::shared_ptr<std::optional<VariantPtr>>;

// Sends the call; the reply fills in while the main context runs.
PendingReply callLater(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters);

// The reply; null on an error or when none came in time.
VariantPtr callAndWait(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters);

// Returns once every message the destination sent before has arrived; with
// the bus as destination, once the bus has handled what this connection sent.
void roundTrip(GDBusConnection* connection, const char* destination = "org.freedesktop.DBus");

std::string printed(GVariant* value);

// Starts a server that prints one line once it is ready (an address, a
// display number); that line, empty when the server did not start.
std::string startServer(const char* const argv[], GPid& pid);
void stopServer(GPid pid);

// A connection to the private session bus, as another process would have.
GObjectPtr<GDBusConnection> connectPeer();

}  // namespace platform::linuxdesktop::testing
