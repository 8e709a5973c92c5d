#include "platform/linux/x11_window_activation.h"

#ifdef VELMORA_HAVE_XCB

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <xcb/xcb.h>

#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop {

namespace {

using XcbConnectionPtr = std::unique_ptr<xcb_connection_t, Deleter<xcb_disconnect>>;
template <class T>
using XcbReplyPtr = std::unique_ptr<T, Deleter<std::free>>;

// An application asks; a pager (2) would claim to act for the user directly.
constexpr std::uint32_t kSourceApplication = 1;
// Enough for any desktop: the property is read in one request.
constexpr std::uint32_t kMostClients = 65536;

xcb_atom_t existingAtom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
  const XcbReplyPtr<xcb_intern_atom_reply_t> reply{
      xcb_intern_atom_reply(connection, cookie, nullptr)};
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_window_t rootOf(xcb_connection_t* connection, int screenNumber) {
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; screens.rem > 0; ++i, xcb_screen_next(&screens)) {
    if (i == screenNumber) return screens.data->root;
  }
  return XCB_WINDOW_NONE;
}

std::vector<xcb_window_t> clientList(xcb_connection_t* connection, xcb_window_t root,
                                     xcb_atom_t property) {
  const XcbReplyPtr<xcb_get_property_reply_t> reply{xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, root, property, XCB_ATOM_WINDOW, 0, kMostClients),
      nullptr)};
  if (!reply || reply->format != 32) return {};
  const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / 4;
  return {windows, windows + count};
}

std::vector<xcb_window_t> windowsOf(xcb_connection_t* connection,
                                    const std::vector<xcb_window_t>& clients, xcb_atom_t pidAtom,
                                    std::int32_t pid) {
  std::vector<xcb_get_property_cookie_t> cookies;
  cookies.reserve(clients.size());
  for (const xcb_window_t window : clients) {
    cookies.push_back(xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1));
  }
  std::vector<xcb_window_t> matching;
  for (std::size_t i = 0; i < clients.size(); ++i) {
    const XcbReplyPtr<xcb_get_property_reply_t> reply{
        xcb_get_property_reply(connection, cookies[i], nullptr)};
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) continue;
    const auto owner = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    if (owner == static_cast<std::uint32_t>(pid)) matching.push_back(clients[i]);
  }
  return matching;
}

void requestActivation(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t activeAtom,
                       xcb_window_t window) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = activeAtom;
  event.data.data32[0] = kSourceApplication;
  event.data.data32[1] = XCB_CURRENT_TIME;
  event.data.data32[2] = XCB_WINDOW_NONE;
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&event));
}

}  // namespace

int activateWindowsOf(std::int32_t pid) {
  const char* display = std::getenv("DISPLAY");
  if (pid < 1 || display == nullptr || *display == '\0') return 0;
  int screenNumber = 0;
  const XcbConnectionPtr connection{xcb_connect(display, &screenNumber)};
  if (!connection || xcb_connection_has_error(connection.get())) return 0;
  const xcb_window_t root = rootOf(connection.get(), screenNumber);
  const xcb_atom_t clientsAtom = existingAtom(connection.get(), "_NET_CLIENT_LIST");
  const xcb_atom_t pidAtom = existingAtom(connection.get(), "_NET_WM_PID");
  const xcb_atom_t activeAtom = existingAtom(connection.get(), "_NET_ACTIVE_WINDOW");
  if (root == XCB_WINDOW_NONE || clientsAtom == XCB_ATOM_NONE || pidAtom == XCB_ATOM_NONE ||
      activeAtom == XCB_ATOM_NONE) {
    return 0;
  }
  const std::vector<xcb_window_t> windows =
      windowsOf(connection.get(), clientList(connection.get(), root, clientsAtom), pidAtom, pid);
  for (const xcb_window_t window : windows) {
    requestActivation(connection.get(), root, activeAtom, window);
  }
  // A round trip, so that the server has handled the requests before the
  // connection closes.
  const XcbReplyPtr<xcb_get_input_focus_reply_t> done{
      xcb_get_input_focus_reply(connection.get(), xcb_get_input_focus(connection.get()), nullptr)};
  return static_cast<int>(windows.size());
}

}  // namespace platform::linuxdesktop

#else

namespace platform::linuxdesktop {

int activateWindowsOf(std::int32_t) { return 0; }

}  // namespace platform::linuxdesktop

#endif
