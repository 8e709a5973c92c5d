#include "platform/linux/x11_window_activation.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop {
namespace {

// A headless X server of its own, with the test acting as its window manager.
class X11WindowActivationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const GCharPtr xvfb{g_find_program_in_path("Xvfb")};
    if (!xvfb) GTEST_SKIP() << "Xvfb is not installed";
    const char* argv[] = {xvfb.get(), "-displayfd", "1", "-nolisten", "tcp", nullptr};
    int output = -1;
    ASSERT_TRUE(g_spawn_async_with_pipes(
        nullptr, const_cast<gchar**>(argv), nullptr,
        static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDERR_TO_DEV_NULL), nullptr,
        nullptr, &server, nullptr, &output, nullptr, nullptr));
    std::string number;
    char c = 0;
    pollfd ready{output, POLLIN, 0};
    while (poll(&ready, 1, 5000) > 0 && read(output, &c, 1) == 1 && c != '\n') number += c;
    close(output);
    ASSERT_FALSE(number.empty()) << "Xvfb gave no display";
    display = ":" + number;
    const char* previous = std::getenv("DISPLAY");
    if (previous) previousDisplay = previous;
    setenv("DISPLAY", display.c_str(), 1);
    connection = xcb_connect(display.c_str(), nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  }

  void TearDown() override {
    if (connection) xcb_disconnect(connection);
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
    }
    if (previousDisplay.empty()) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", previousDisplay.c_str(), 1);
    }
  }

  xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return value;
  }

  xcb_window_t window(std::uint32_t pid) {
    const xcb_window_t id = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, id, root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_PID"),
                        XCB_ATOM_CARDINAL, 32, 1, &pid);
    return id;
  }

  void sync() {
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
  }

  // The windows of the _NET_ACTIVE_WINDOW requests received within a second.
  std::set<xcb_window_t> activationRequests(std::size_t expected) {
    std::set<xcb_window_t> windows;
    const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
    pollfd ready{xcb_get_file_descriptor(connection), POLLIN, 0};
    // A round trip each time makes xcb read whatever the server sent so far.
    for (int attempt = 0; attempt < 100 && windows.size() < expected; ++attempt) {
      sync();
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
          const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
          if (message->type == active && message->data.data32[0] == 1) {
            windows.insert(message->window);
          }
        }
        std::free(event);
      }
      poll(&ready, 1, 10);
    }
    return windows;
  }

  GPid server = -1;
  std::string display;
  std::string previousDisplay;
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = XCB_WINDOW_NONE;
};

TEST_F(X11WindowActivationTest, ActivatesEveryListedWindowOfTheProcess) {
  const auto pid = static_cast<std::uint32_t>(getpid());
  const xcb_window_t clients[] = {window(pid), window(pid + 1), window(pid)};
  const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
  xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &redirect);
  const xcb_atom_t supported[] = {atom("_NET_ACTIVE_WINDOW"), atom("_NET_CLIENT_LIST"),
                                  atom("_NET_WM_PID")};
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom("_NET_SUPPORTED"),
                      XCB_ATOM_ATOM, 32, 3, supported);
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom("_NET_CLIENT_LIST"),
                      XCB_ATOM_WINDOW, 32, 3, clients);
  sync();
  EXPECT_EQ(activateWindowsOf(getpid()), 2);
  EXPECT_EQ(activationRequests(2), (std::set<xcb_window_t>{clients[0], clients[2]}));
  EXPECT_EQ(activateWindowsOf(4194305), 0);
}

TEST_F(X11WindowActivationTest, NothingHappensWithoutAClientListOrADisplay) {
  window(static_cast<std::uint32_t>(getpid()));
  sync();
  EXPECT_EQ(activateWindowsOf(getpid()), 0);
  unsetenv("DISPLAY");
  EXPECT_EQ(activateWindowsOf(getpid()), 0);
  setenv("DISPLAY", ":-1", 1);
  EXPECT_EQ(activateWindowsOf(getpid()), 0);
}

}  // namespace
}  // namespace platform::linuxdesktop
