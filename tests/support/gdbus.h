#pragma once

#include <chrono>
#include <functional>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"

namespace test_support {

using platform::linuxdesktop::GObjectPtr;
using platform::linuxdesktop::VariantPtr;
using namespace std::chrono_literals;

// Runs the default main context until done() holds; false when the limit
// passes first (done() always false: for checking that nothing happens).
// Connections made on this thread are served from this context, so tests
// wait here and never block on a call.
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s);

// The reply; null on an error or when none came in time.
VariantPtr callAndWait(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters,
                       std::chrono::milliseconds limit = 5s);

// Returns once every message the destination sent before has arrived; with
// the bus as destination, once the bus has handled what this connection sent.
void roundTrip(GDBusConnection* connection, const char* destination = "org.freedesktop.DBus");

std::string printed(GVariant* value);

// A connection of its own to the bus at the address, as another process
// would have; the session bus's without one.
GObjectPtr<GDBusConnection> connectPeer(const char* address = nullptr);

}  // namespace test_support
