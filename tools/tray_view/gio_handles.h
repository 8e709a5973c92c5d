#pragma once

#include <string>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"

// The developer tools hold their GLib and GIO resources with the same
// move-only owners as the Linux desktop backend.
namespace tools {

using platform::linuxdesktop::Deleter;
using platform::linuxdesktop::ErrorPtr;
using platform::linuxdesktop::GObjectPtr;
using platform::linuxdesktop::KeyFilePtr;
using platform::linuxdesktop::MainLoopPtr;
using platform::linuxdesktop::OwnedCancellable;
using platform::linuxdesktop::SourceId;
using platform::linuxdesktop::StrvPtr;
using platform::linuxdesktop::VariantPtr;
using CharPtr = platform::linuxdesktop::GCharPtr;
using NodeInfoPtr = platform::linuxdesktop::DBusNodeInfoPtr;
using OwnedName = platform::linuxdesktop::BusNameOwnerId;
using WatchedName = platform::linuxdesktop::BusNameWatchId;
using SignalSubscription = platform::linuxdesktop::SignalSubscriptionId;
using ObjectRegistration = platform::linuxdesktop::ObjectRegistrationId;

// The message of an error, or "unknown error" when there is none.
inline std::string errorText(const ErrorPtr& error) {
  return error ? std::string{error->message} : std::string{"unknown error"};
}

// The session bus; null, with the reason in error, when there is none.
inline GObjectPtr<GDBusConnection> connectSessionBus(std::string& error) {
  GError* busError = nullptr;
  GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &busError)};
  const ErrorPtr owned{busError};
  if (!bus) error = "no session bus: " + errorText(owned);
  return bus;
}

}  // namespace tools
