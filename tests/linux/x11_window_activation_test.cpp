#include "platform/linux/linux_running_applications.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include "platform/linux/glib_handles.h"
#include "tests/support/process.h"

namespace platform::linuxdesktop::testing {
namespace {

using namespace test_support;

// A headless X server of its own, with the test acting as its window manager.
class X11WindowActivationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const GCharPtr xvfb{g_find_program_in_path("Xvfb")};
    if (!xvfb) GTEST_SKIP() << "Xvfb is not installed";
    server = std::make_unique<Process>(Strings{xvfb.get(), "-displayfd", "1", "-nolisten", "tcp"},
                                       Strings{std::string{"PATH="} + std::getenv("PATH")});
    const auto number = server->next([](const std::string& line) { return !line.empty(); }, 5s);
    ASSERT_TRUE(number) << "Xvfb gave no display";
    setenv("DISPLAY", (":" + *number).c_str(), 1);
    connection = xcb_connect(std::getenv("DISPLAY"), nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  }

  void TearDown() override {
    if (connection) xcb_disconnect(connection);
    unsetenv("DISPLAY");
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

  // The windows of the _NET_ACTIVE_WINDOW requests received so far: they are
  // sent before activateWindowsOf returns, so one round trip reads them all.
  std::set<xcb_window_t> activationRequests() {
    std::set<xcb_window_t> windows;
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
      if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
          message->type == atom("_NET_ACTIVE_WINDOW") && message->data.data32[0] == 1) {
        windows.insert(message->window);
      }
      std::free(event);
    }
    return windows;
  }

  std::unique_ptr<Process> server;
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = XCB_WINDOW_NONE;
};

// Through the running application the host request activates.
TEST_F(X11WindowActivationTest, ActivatesTheListedWindowsOfTheProcessOnly) {
  LinuxRunningApplications applications;
  EXPECT_EQ(applications.find(2147483647), nullptr);
  const auto self = applications.find(getpid());
  ASSERT_TRUE(self);
  const auto pid = static_cast<std::uint32_t>(getpid());
  const xcb_window_t clients[] = {window(pid), window(pid + 1), window(pid)};
  const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
  xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &redirect);
  const xcb_atom_t clientList = atom("_NET_CLIENT_LIST");
  atom("_NET_ACTIVE_WINDOW");
  self->activate(0);
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, clientList, XCB_ATOM_WINDOW, 32, 3,
                      clients);
  EXPECT_TRUE(activationRequests().empty()) << "without a client list";
  self->activate(0);
  EXPECT_EQ(activationRequests(), (std::set<xcb_window_t>{clients[0], clients[2]}));
  unsetenv("DISPLAY");
  self->activate(0);
  setenv("DISPLAY", ":-1", 1);
  self->activate(0);
  EXPECT_TRUE(activationRequests().empty());
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
