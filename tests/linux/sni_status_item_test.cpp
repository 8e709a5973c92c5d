// The status item, its menu and its registration with the watcher, on the
// private bus, and both agents refreshed on them ten thousand times.
#include "platform/linux/sni_status_item.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <malloc.h>

#include "agent_common/host_contract.h"
#include "network_agent/app/network_speed_status_item_app.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/notification_wire.h"
#include "platform/linux/pango_graphics.h"
#include "platform/linux/sni_watcher_registration.h"
#include "platform/linux/text_engine.h"
#include "platform/linux/tray_pictures.h"
#include "sleep_agent/sleep_status_item_app.h"
#include "tests/support/gdbus.h"

#if defined(__SANITIZE_ADDRESS__)
#define HEAP_COUNTED_BY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HEAP_COUNTED_BY_ASAN 1
#endif
#endif
#if HEAP_COUNTED_BY_ASAN
// From <sanitizer/allocator_interface.h>, which GCC does not ship.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace platform::linuxdesktop::testing {
namespace {

using namespace test_support;
using ::testing::_;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Pair;

constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// Records the signals of an interface a connection receives, from any
// sender, as "member body".
class SignalRecorder {
 public:
  explicit SignalRecorder(GDBusConnection* connection, const char* interfaceName = kItemInterface)
      : subscription{connection, g_dbus_connection_signal_subscribe(
                                     connection, nullptr, interfaceName, nullptr, nullptr, nullptr,
                                     G_DBUS_SIGNAL_FLAGS_NONE, record, this, nullptr)} {}
  // How many of the recorded signals contain the text.
  int count(const std::string& text) const {
    return static_cast<int>(std::ranges::count_if(
        received, [&](const auto& line) { return line.find(text) != std::string::npos; }));
  }

  std::vector<std::string> received;

 private:
  static void record(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                     const gchar* member, GVariant* body, gpointer data) {
    static_cast<SignalRecorder*>(data)->received.push_back(std::string{member} + " " +
                                                           printed(body));
  }

  SignalSubscriptionId subscription;
};

// A platform over the private bus, and a peer connection that plays the
// tray: host, and StatusNotifierWatcher from the start. Like real hosts, the
// watcher reads an item's menu layout the moment the item registers.
class StatusItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform);
    ASSERT_TRUE(host);
    static const DBusNodeInfoPtr node{g_dbus_node_info_new_for_xml(
        "<node><interface name='org.kde.StatusNotifierWatcher'><method "
        "name='RegisterStatusNotifierItem'><arg type='s' direction='in'/></method></interface>"
        "</node>",
        nullptr)};
    // The layout is read while the call is handled, before the item hears back.
    const auto registerItem = [](GDBusConnection* connection, const gchar* sender, const gchar*,
                                 const gchar*, const gchar*, GVariant* parameters,
                                 GDBusMethodInvocation* invocation, gpointer data) {
      auto* test = static_cast<StatusItemTest*>(data);
      const char* service = nullptr;
      g_variant_get(parameters, "(&s)", &service);
      test->registeredServices.emplace_back(service);
      test->menuLayouts.push_back(
          callAndWait(connection, sender, "/MenuBar", "com.canonical.dbusmenu", "GetLayout",
                      g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0))));
      g_dbus_method_invocation_return_value(invocation, nullptr);
    };
    static const GDBusInterfaceVTable vtable{registerItem, nullptr, nullptr, {}};
    watcherObject = ObjectRegistrationId{
        host.get(),
        g_dbus_connection_register_object(host.get(), "/StatusNotifierWatcher", node->interfaces[0],
                                          &vtable, this, nullptr, nullptr)};
    ASSERT_TRUE(callAndWait(host.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                            "org.freedesktop.DBus", "RequestName",
                            g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 0u)));
  }

  std::shared_ptr<platform::StatusItem> newItem() {
    return platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  }
  bool waitForRegistration() {
    return spinUntil([&] { return !menuLayouts.empty(); });
  }
  VariantPtr callItem(const char* method, GVariant* parameters, const char* path = kItemPath,
                      const char* interfaceName = kItemInterface) {
    return callAndWait(host.get(), itemName.c_str(), path, interfaceName, method, parameters);
  }
  VariantPtr getAll(const char* interfaceName = kItemInterface) {
    return callItem("GetAll", g_variant_new("(s)", interfaceName), kItemPath, kProperties);
  }
  VariantPtr itemProperty(const char* name) {
    const VariantPtr reply =
        callItem("Get", g_variant_new("(ss)", kItemInterface, name), kItemPath, kProperties);
    GVariant* value = nullptr;
    if (reply) g_variant_get(reply.get(), "(v)", &value);
    return VariantPtr{value};
  }
  std::string printedProperty(const char* name) { return printed(itemProperty(name).get()); }
  // Lets the item's next turn pass and every signal it sent arrive.
  void settle() {
    spinUntil([] { return false; }, 30ms);
    roundTrip(host.get(), itemName.c_str());
  }
  // The unique name of the platform's connection, the process's shared one.
  static std::string agentConnection() {
    const GObjectPtr<GDBusConnection> shared{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
    return g_dbus_connection_get_unique_name(shared.get());
  }

  std::unique_ptr<LinuxPlatform> platform = LinuxPlatform::create("velmora-test-agent");
  GObjectPtr<GDBusConnection> host = connectPeer();
  const std::string itemName = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-1";
  // The GetLayout reply read at each registration, in order.
  std::vector<VariantPtr> menuLayouts;
  // What each registration gave the watcher, in order.
  std::vector<std::string> registeredServices;

 private:
  ObjectRegistrationId watcherObject;
};

std::vector<std::pair<int, int>> pixmapSizes(GVariant* pixmaps) {
  std::vector<std::pair<int, int>> sizes;
  for (gsize i = 0; pixmaps && i < g_variant_n_children(pixmaps); ++i) {
    auto& [width, height] = sizes.emplace_back();
    g_variant_get_child(pixmaps, i, "(ii@ay)", &width, &height, nullptr);
  }
  return sizes;
}

TEST(TrayPicturesTest, AHostsExactHeightIsOfferedBesideTheWholeScalesAndTheSquareStaysSquare) {
  TrayContent content;
  content.title = "眠╮";
  content.textEngine = std::make_shared<TextEngine>();
  const TrayPresentation mate{TrayShape::wide, false, false, 25};
  EXPECT_THAT(pixmapSizes(trayPicturesFor(content, mate).get()),
              ElementsAre(Pair(_, 22), Pair(_, 44), Pair(_, 25)));
  const TrayPresentation square{TrayShape::square, false, false, 25};
  const std::vector<std::pair<int, int>> squares{{22, 22}, {44, 44}, {25, 25}};
  // A title in the square is its first character; broken UTF-8 is repaired.
  for (const char* title : {"眠╮", "\xff\xfe", "x"}) {
    content.title = title;
    EXPECT_EQ(pixmapSizes(trayPicturesFor(content, square).get()), squares) << title;
  }
  content.compactReading = {{"↑", {1.0, 0.25, 0.19, 1.0}, "1.2M", "888M"}};
  EXPECT_EQ(pixmapSizes(trayPicturesFor(content, square).get()), squares);
}

TEST_F(StatusItemTest, ChangeSignalsComeOncePerTurnAndOnlyForChangedBytes) {
  const auto item = newItem();
  ASSERT_TRUE(waitForRegistration());
  SignalRecorder recorder{host.get()};
  roundTrip(host.get());
  item->button()->setToolTip("a");
  item->button()->setToolTip("b");
  ASSERT_TRUE(spinUntil([&] { return recorder.count("NewToolTip ") == 1; }));
  item->button()->setToolTip("b");
  item->button()->setTitle("x");
  ASSERT_TRUE(spinUntil([&] { return recorder.count("NewTitle ") == 1; }));
  item->setVisible(true);
  item->button()->setTitle("x");
  settle();
  EXPECT_EQ(recorder.count("NewToolTip "), 1);
  EXPECT_EQ(recorder.count("NewTitle "), 1);
  EXPECT_EQ(recorder.count("NewIcon "), 1);
  EXPECT_EQ(recorder.count("NewStatus "), 0);
  item->setVisible(false);
  ASSERT_TRUE(spinUntil([&] { return recorder.count("NewStatus ('Passive',)") == 1; }));
  EXPECT_EQ(printedProperty("Status"), "'Passive'");
}

TEST_F(StatusItemTest, LabelIsTheCompactReadingOrElseTheTitleAndNeverDeclaredEmpty) {
  const auto item = newItem();
  ASSERT_TRUE(waitForRegistration());
  SignalRecorder recorder{host.get()};
  // The test's own process is the tray host here: one not known, which
  // gets the square and no themed icon. GetAll answers: an undeclared label
  // does not break it.
  EXPECT_THAT(printed(getAll().get()), AllOf(HasSubstr("'Id'"), Not(HasSubstr("XAyatanaLabel"))))
      << "no title, no reading: no label";
  EXPECT_TRUE(pixmapSizes(itemProperty("IconPixmap").get()).empty()) << "and no picture";
  EXPECT_EQ(printedProperty("IconName"), "''");
  item->button()->setTitle("眠╮");
  ASSERT_TRUE(spinUntil([&] { return recorder.count("XAyatanaNewLabel ('眠╮', '眠╮')") == 1; }));
  EXPECT_EQ(printedProperty("XAyatanaLabel"), "'眠╮'");
  EXPECT_THAT(printed(getAll().get()), HasSubstr("'XAyatanaLabel'"));
  // Only the item's own interface answers from its properties.
  EXPECT_FALSE(getAll("org.example.Other"));
  EXPECT_FALSE(callItem("Get", g_variant_new("(ss)", "org.example.Other", "XAyatanaLabel"),
                        kItemPath, kProperties));
  EXPECT_THAT(pixmapSizes(itemProperty("IconPixmap").get()), ElementsAre(Pair(_, 22), Pair(_, 44)));

  const platform::Color red{1.0, 0.25, 0.19, 1.0};
  const std::vector<platform::CompactLine> reading{{"↑", red, "1.2M", "888M"},
                                                   {"↓", red, "0", "888M"}};
  item->button()->setCompactReading(reading);
  ASSERT_TRUE(spinUntil(
      [&] { return recorder.count("XAyatanaNewLabel ('↑1.2M ↓0', '↑888M ↓888M')") == 1; }));
  EXPECT_EQ(printedProperty("XAyatanaLabelGuide"), "'↑888M ↓888M'");
  EXPECT_EQ(pixmapSizes(itemProperty("IconPixmap").get()),
            (std::vector<std::pair<int, int>>{{22, 22}, {44, 44}}));
  // The same reading again changes nothing a host sees.
  item->button()->setCompactReading(reading);
  item->button()->setTitle("");
  settle();
  EXPECT_EQ(recorder.count("XAyatanaNewLabel "), 2);
  EXPECT_EQ(recorder.count("NewIcon "), 2) << "the title's picture, then the reading's";
  item->button()->setCompactReading({});
  EXPECT_TRUE(spinUntil([&] { return pixmapSizes(itemProperty("IconPixmap").get()).empty(); }))
      << "neither title nor reading: no picture";
}

// GNOME's AppIndicator extension drops Id and Menu from its proxy's copy when
// it sees the item's name appear, then reads each with Get and compares the
// answer with the copy: by the time the answer is handled the copy must hold
// the value again, or the host forgets the item. A proxy takes values from
// PropertiesChanged, which must come before the answer.
TEST_F(StatusItemTest, IdAndMenuAreAnnouncedBeforeAGetOfThemIsAnswered) {
  const auto item = newItem();
  ASSERT_TRUE(waitForRegistration());
  SignalRecorder log{host.get(), kProperties};
  for (const char* name : {"Id", "Menu"}) {
    const int answers = log.count("answered");
    g_dbus_connection_call(
        host.get(), itemName.c_str(), kItemPath, kProperties, "Get",
        g_variant_new("(ss)", kItemInterface, name), nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
        [](GObject*, GAsyncResult*, gpointer data) {
          static_cast<SignalRecorder*>(data)->received.emplace_back("answered");
        },
        &log);
    ASSERT_TRUE(spinUntil([&] { return log.count("answered") > answers; })) << name;
  }
  EXPECT_THAT(log.received, ElementsAre(HasSubstr("{'Id': <'velmora-test-agent'>}"), "answered",
                                        HasSubstr("{'Menu': <objectpath '/'>}"), "answered"));
}

// The item keeps its icon while a new image draws the same as the shown one;
// any change of a text or a column gives a new icon, and drawing the first
// picture again gives the first icon again, never a stale one, by Get and by
// GetAll alike.
TEST_F(StatusItemTest, IconFollowsEveryChangedDrawingAndSameDrawingsSendNothing) {
  const auto item = newItem();
  ASSERT_TRUE(waitForRegistration());
  SignalRecorder recorder{host.get()};
  PangoGraphics graphics;
  struct Step {
    const char* value;
    double column;
    int newIcons;
  };
  std::vector<std::string> icons;
  for (const Step step : {Step{"8%", 20.0, 1}, Step{"8%", 20.0, 1}, Step{"9%", 20.0, 2},
                          Step{"9%", 21.0, 3}, Step{"8%", 20.0, 4}}) {
    const auto image = graphics.newImage({60.0, 22.0});
    image->drawText("CPU", {step.column, 11.3}, {platform::FontFace::system, 6.5}, {1, 1, 1, 0.72});
    image->drawText(step.value, {step.column, 0.0}, {platform::FontFace::system, 10.0},
                    {1, 1, 1, 0.86});
    item->button()->setImage(image);
    settle();
    EXPECT_EQ(recorder.count("NewIcon "), step.newIcons) << step.value << " " << step.column;
    icons.push_back(printed(itemProperty("IconPixmap").get()));
    EXPECT_THAT(printed(getAll().get()), HasSubstr("'IconPixmap': <" + icons.back() + ">"))
        << "GetAll answers with the same icon";
  }
  EXPECT_EQ(icons[1], icons[0]);
  EXPECT_NE(icons[2], icons[1]) << "a value";
  EXPECT_NE(icons[3], icons[2]) << "a column";
  EXPECT_EQ(icons[4], icons[0]) << "the first drawing again";
}

// Each setting reports a change only when it changes something, so that an
// agent setting the same title, font or tooltip every refresh costs no redraw.
TEST(SniButtonTest, OnlySettingsThatChangeSomethingAreReported) {
  SniPropertyPipeline pipeline{{}, [](const auto&, const auto&) {}};
  CurrentEvent events;
  SniButton button{pipeline, events};
  const platform::Font font{platform::FontFace::system, 12.5, platform::FontWeight::semibold};
  PangoGraphics graphics;
  const auto image = graphics.newImage({10.0, 22.0});
  button.setImage(nullptr);
  EXPECT_FALSE(pipeline.changesPending()) << "no image, as before";
  // Each is made twice: a change, then none unless flagged (the same image
  // again may have been drawn on); a blank image for a blank one changes nothing.
  const std::vector<std::pair<std::function<void()>, bool>> settings = {
      {[&] { button.setTitle("醒┃"); }, false},
      {[&] { button.setFont(font); }, false},
      {[&] { button.setToolTip("a"); }, false},
      {[&] { button.setThemedIconName("b"); }, false},
      {[&] { button.setImagePosition(platform::ImagePosition::noImage); }, false},
      {[&] { button.setImage(image); }, true},
  };
  for (std::size_t i = 0; i < settings.size(); ++i) {
    for (const bool first : {true, false}) {
      settings[i].first();
      EXPECT_EQ(pipeline.changesPending(), first || settings[i].second) << "setting " << i;
      pipeline.publishNow();
    }
  }
  button.setImage(graphics.newImage({10.0, 22.0}));
  EXPECT_FALSE(pipeline.changesPending()) << "a blank image again";
}

struct ClickCase {
  std::uint64_t mask = 0;
  const char* method = "";
  // The event types the action sees, -1 for none or one with modifiers; empty
  // when the action must not run.
  std::vector<int> seen;
};

TEST_F(StatusItemTest, HostClicksRunTheActionOnlyForReleasesInTheMask) {
  // Cases without a mask come first and see the default one.
  const ClickCase cases[] = {
      {0, "Activate", {platform::kEventTypeLeftMouseUp}},
      {0, "ContextMenu", {}},
      {0, "SecondaryActivate", {}},
      {platform::kEventMaskLeftMouseUp | platform::kEventMaskRightMouseUp,
       "ContextMenu",
       {platform::kEventTypeRightMouseUp}},
      {platform::kEventMaskRightMouseUp, "Activate", {}},
      {platform::kEventMaskOtherMouseUp, "SecondaryActivate", {platform::kEventTypeOtherMouseUp}},
  };
  const auto item = newItem();
  platform::Application& app = platform->sharedApplication();
  std::vector<int> seen;
  item->button()->setAction([&] {
    const auto event = app.currentEvent();
    seen.push_back(event && event->modifierFlags == 0 ? event->type : -1);
  });
  ASSERT_TRUE(waitForRegistration());
  // Not a menu: a host sends Activate for a primary click.
  EXPECT_EQ(printedProperty("ItemIsMenu"), "false");
  for (const ClickCase& click : cases) {
    SCOPED_TRACE(std::string{click.method} + " mask " + std::to_string(click.mask));
    seen.clear();
    if (click.mask != 0) item->button()->sendActionOn(click.mask);
    EXPECT_TRUE(callItem(click.method, g_variant_new("(ii)", 10, 20)));
    EXPECT_EQ(seen, click.seen);
    EXPECT_FALSE(app.currentEvent().has_value());
  }
}

// The menu root's children, each as its id and its properties printed.
std::vector<std::pair<int, std::string>> menuEntries(GVariant* layoutReply) {
  std::vector<std::pair<int, std::string>> entries;
  GVariantIter* children = nullptr;
  g_variant_get(layoutReply, "(u(ia{sv}av))", nullptr, nullptr, nullptr, &children);
  const VariantIterPtr owned{children};
  GVariant* child = nullptr;
  while (g_variant_iter_next(children, "v", &child)) {
    const VariantPtr entry{child};
    VariantPtr properties;
    g_variant_get(child, "(i@a{sv}av)", &entries.emplace_back().first, &properties, nullptr);
    entries.back().second = printed(properties.get());
  }
  return entries;
}

// The layout checked is the one the watcher read while the item registered
// (the entries' flags are read by the tray test, through tray-view).
TEST_F(StatusItemTest, MenuIsExportedBeforeTheItemRegistersAndRunsOnlyEnabledEntries) {
  int headingRuns = 0;
  int openRuns = 0;
  auto menu = platform->statusBar().newMenu();
  menu->addItem(
      "Velmora · 网速显示", [&] { ++headingRuns; }, "", false);
  menu->addSeparator();
  menu->addItem(
      "打开主界面", [&] { ++openRuns; }, "", true);
  menu->addItem("关闭_网速显示", nullptr, "", true);
  const auto item = newItem();
  item->setSecondaryClickMenu(menu);
  ASSERT_TRUE(waitForRegistration());
  ASSERT_TRUE(menuLayouts[0]);
  const auto entries = menuEntries(menuLayouts[0].get());
  ASSERT_EQ(entries.size(), 4u);
  // '_' would mark a mnemonic; it is doubled to show as itself.
  EXPECT_THAT(entries[3].second, HasSubstr("'label': <'关闭__网速显示'>"));
  EXPECT_EQ(printedProperty("Menu"), "objectpath '/MenuBar'");
  // Xfce reports a chosen entry with EventGroup. A disabled entry is refused
  // as it arrives, so it would have run before the enabled one.
  GVariantBuilder events;
  g_variant_builder_init(&events, G_VARIANT_TYPE("a(isvu)"));
  for (const int entry : {0, 2, 3}) {
    g_variant_builder_add(&events, "(isvu)", entries[entry].first, "clicked",
                          g_variant_new_int32(0), 0u);
  }
  EXPECT_TRUE(callItem("EventGroup", g_variant_new("(a(isvu))", &events), "/MenuBar",
                       "com.canonical.dbusmenu"));
  ASSERT_TRUE(spinUntil([&] { return openRuns == 1; }));
  EXPECT_EQ(headingRuns, 0);
  // A host that read every property sees the menu gone at its next read.
  ASSERT_TRUE(getAll());
  item->setSecondaryClickMenu(nullptr);
  EXPECT_EQ(printedProperty("Menu"), "objectpath '/'");
}

// Two agents with the same process id (in two pid namespaces) want the same
// bus name: the second registers by its connection's unique name, and the
// watcher reaches both items.
TEST_F(StatusItemTest, AnItemWhosePreferredNameIsTakenRegistersByItsUniqueName) {
  const GObjectPtr<GDBusConnection> otherAgent = connectPeer();
  SniWatcherRegistration first{otherAgent.get(), itemName, itemName, [] { return true; }};
  ASSERT_TRUE(spinUntil([&] { return registeredServices.size() == 1; }));
  EXPECT_EQ(registeredServices[0], itemName);

  const auto item = newItem();
  ASSERT_TRUE(spinUntil([&] { return registeredServices.size() == 2; }))
      << "the second item never registered";
  const std::string second = registeredServices[1];
  EXPECT_NE(second, itemName);
  const VariantPtr id = callAndWait(host.get(), second.c_str(), kItemPath, kProperties, "Get",
                                    g_variant_new("(ss)", kItemInterface, "Id"));
  EXPECT_EQ(printed(id.get()), "(<'velmora-test-agent'>,)") << "registered as " << second;
}

// GNOME's extension announces an item unregistered when its first reading
// failed, while the item lives on: it registers again, whichever way the
// watcher names it, and only for its own entry.
TEST_F(StatusItemTest, AnItemTheWatcherDropsWhileItLivesRegistersAgain) {
  const auto item = newItem();
  ASSERT_TRUE(spinUntil([&] { return registeredServices.size() == 1; }));
  const std::string uniqueName = agentConnection();
  const auto drop = [&](const std::string& entry) {
    g_dbus_connection_emit_signal(host.get(), nullptr, "/StatusNotifierWatcher",
                                  "org.kde.StatusNotifierWatcher", "StatusNotifierItemUnregistered",
                                  g_variant_new("(s)", entry.c_str()), nullptr);
  };
  drop("org.kde.StatusNotifierItem-1-1");
  drop(uniqueName + "/StatusNotifierItem/2");
  EXPECT_FALSE(spinUntil([&] { return registeredServices.size() > 1; }, 500ms))
      << "another item's entry made this one register";
  drop(itemName);
  EXPECT_TRUE(spinUntil([&] { return registeredServices.size() == 2; }, 2s)) << "by bus name";
  drop(uniqueName + "/StatusNotifierItem");
  EXPECT_TRUE(spinUntil([&] { return registeredServices.size() == 3; }, 2s)) << "by unique name";
  EXPECT_EQ(registeredServices.back(), itemName);
}

// Bytes handed out by the allocator and not yet freed: AddressSanitizer's own
// count under it, glibc's otherwise.
std::size_t heapInUse() {
#if HEAP_COUNTED_BY_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

// Reads every property of the item that announced a change, as a tray does.
struct RereadingTray {
  static void changed(GDBusConnection* connection, const char* sender, const char* path,
                      const char*, const char*, GVariant*, gpointer self) {
    ++static_cast<RereadingTray*>(self)->pending;
    g_dbus_connection_call(
        connection, sender, path, kProperties, "GetAll", g_variant_new("(s)", kItemInterface),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer self) {
          auto* tray = static_cast<RereadingTray*>(self);
          const VariantPtr reply{
              g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr)};
          --tray->pending;
          tray->reads += reply != nullptr;
        },
        self);
  }

  int pending = 0;
  int reads = 0;
};

// Both agents' delegates on the real Linux backend, refreshed ten thousand
// times as fast as a tray that reads every property again after each change
// keeps up, with the display options switching and a sleep state arriving
// from the bus in every cycle. The heap in use after the last thousand cycles
// stays within a small bound of the heap after the first. Each cycle waits
// until the tray has heard every change and read the item again: unpaced, the
// loop outruns the tray's reads, and the backlog of messages in flight grows
// the heap without a leak (in a build without the sanitizers, whose slower
// cycles hid it). Messages still come and go between cycles, so each figure
// is the least heap in use seen after any cycle of its thousand: a leak of
// even a few bytes a cycle still raises it by tens of kilobytes.
using RefreshSoakTest = StatusItemTest;

TEST_F(RefreshSoakTest, TenThousandRefreshesOfBothAgentsLeaveTheHeapWhereTheFirstThousandPutIt) {
  const std::string suite{agent::kHostIdentifier};
  const auto network = std::make_shared<agent::NetworkSpeedStatusItemApp>(*platform, suite);
  const std::string sleepState = agent::hostNotificationName(agent::kSleepStateChangedSuffix);
  const auto sleep = std::make_shared<agent::SleepStatusItemApp>(
      *platform, sleepState, agent::hostNotificationName(agent::kShowSleepManagementSuffix));
  network->applicationDidFinishLaunching();
  sleep->applicationDidFinishLaunching();
  ASSERT_TRUE(waitForRegistration());
  RereadingTray tray;
  const SignalSubscriptionId rereads{
      host.get(), g_dbus_connection_signal_subscribe(host.get(), nullptr, kItemInterface, nullptr,
                                                     nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                     RereadingTray::changed, &tray, nullptr)};
  const std::string agents = agentConnection();

  const std::string optionsFolder = std::string{g_get_user_config_dir()} + "/" + suite;
  g_mkdir_with_parents(optionsFolder.c_str(), 0700);
  const auto signal = notificationSignalFor(sleepState);
  ASSERT_TRUE(signal);

  constexpr int kCycles = 10000;
  std::size_t afterFirstThousand = SIZE_MAX;
  std::size_t afterLastThousand = SIZE_MAX;
  for (int cycle = 1; cycle <= kCycles; ++cycle) {
    if (cycle % 100 == 0) {
      // Every column on, then CPU and GPU off, in turn.
      const bool all = cycle % 200 == 0;
      std::ofstream{optionsFolder + "/defaults.conf"} << "[Defaults]\nnetworkSpeedShowCPUV1=" << all
                                                      << "\nnetworkSpeedShowGPUV1=" << all << "\n";
    }
    const std::string status = "第" + std::to_string(cycle % 50) + "步";
    g_dbus_connection_emit_signal(
        host.get(), nullptr, signal->objectPath.c_str(), signal->interfaceName.c_str(),
        signal->member.c_str(),
        g_variant_new_parsed("({'active': <%s>, 'status': <%s>},)", cycle % 2 ? "true" : "false",
                             status.c_str()),
        nullptr);
    network->refreshStatusItem();
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    // The ping's answer comes after every change signal the agents sent
    // before it; then the tray's reads of them are answered.
    roundTrip(host.get(), agents.c_str());
    ASSERT_TRUE(spinUntil([&] { return tray.pending == 0; }, 10s)) << "cycle " << cycle;
    if (cycle > 1000 && cycle <= 2000)
      afterFirstThousand = std::min(afterFirstThousand, heapInUse());
    if (cycle > kCycles - 1000) afterLastThousand = std::min(afterLastThousand, heapInUse());
  }
  EXPECT_GT(tray.reads, kCycles / 10) << "the tray saw the changes";
  EXPECT_LE(afterLastThousand, afterFirstThousand + 64 * 1024);

  sleep->applicationWillTerminate();
  network->applicationWillTerminate();
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
