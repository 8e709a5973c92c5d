#include "platform/linux/dbusmenu_menu.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/linux_application.h"
#include "tests/linux/sni_test_support.h"

namespace platform::linuxdesktop::testing {
namespace {

// One child of the root in a GetLayout reply.
struct Entry {
  int id = 0;
  std::string label;
  std::string type;
  std::optional<bool> enabled;
};

std::vector<Entry> rootChildren(GVariant* layoutReply) {
  std::vector<Entry> entries;
  if (layoutReply == nullptr) return entries;
  guint revision = 0;
  VariantPtr root;
  g_variant_get(layoutReply, "(u@(ia{sv}av))", &revision, &root);
  const VariantPtr children{g_variant_get_child_value(root.get(), 2)};
  for (gsize i = 0; i < g_variant_n_children(children.get()); ++i) {
    const VariantPtr boxed{g_variant_get_child_value(children.get(), i)};
    const VariantPtr child{g_variant_get_variant(boxed.get())};
    Entry entry;
    VariantPtr properties;
    VariantPtr grandchildren;
    g_variant_get(child.get(), "(i@a{sv}@av)", &entry.id, &properties, &grandchildren);
    const gchar* text = nullptr;
    if (g_variant_lookup(properties.get(), "label", "&s", &text)) entry.label = text;
    if (g_variant_lookup(properties.get(), "type", "&s", &text)) entry.type = text;
    gboolean enabled = TRUE;
    if (g_variant_lookup(properties.get(), "enabled", "b", &enabled)) entry.enabled = enabled;
    entries.push_back(entry);
  }
  return entries;
}

class DbusmenuTest : public StatusItemTest {
 protected:
  std::shared_ptr<platform::Menu> agentMenu() {
    auto menu = platform->statusBar().newMenu();
    menu->addItem(
        "Velmora · 网速显示", [this] { ++headingRuns; }, "", false);
    menu->addSeparator();
    menu->addItem(
        "打开主界面", [this] { ++openRuns; }, "", true);
    menu->addSeparator();
    menu->addItem("关闭_网速显示", nullptr, "", true);
    return menu;
  }

  CallResult sendEvent(const char* method, GVariant* parameters) {
    return callAndWait(host.get(), itemBusName().c_str(), "/MenuBar", "com.canonical.dbusmenu",
                       method, parameters);
  }

  int headingRuns = 0;
  int openRuns = 0;
};

TEST_F(DbusmenuTest, MenuIsExportedBeforeTheItemRegisters) {
  ASSERT_TRUE(watcher.own());
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  item->setSecondaryClickMenu(agentMenu());
  ASSERT_TRUE(waitForRegistrations(1));
  const FakeWatcher::Registration& registration = *watcher.registrations().front();
  ASSERT_TRUE(
      spinUntil([&] { return registration.menuLayout || !registration.menuError.empty(); }));
  EXPECT_EQ(registration.menuError, "");
  EXPECT_EQ(rootChildren(registration.menuLayout.get()).size(), 5u);
  EXPECT_EQ(printedProperty("Menu"), "objectpath '/MenuBar'");
}

TEST_F(DbusmenuTest, LayoutCarriesLabelsSeparatorsAndEnabledState) {
  ASSERT_TRUE(watcher.own());
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  item->setSecondaryClickMenu(agentMenu());
  ASSERT_TRUE(waitForRegistrations(1));
  const CallResult layout =
      sendEvent("GetLayout", g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
  const std::vector<Entry> entries = rootChildren(layout.reply.get());
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].label, "Velmora · 网速显示");
  EXPECT_EQ(entries[0].enabled, std::optional<bool>{false});
  EXPECT_EQ(entries[1].type, "separator");
  EXPECT_EQ(entries[2].label, "打开主界面");
  EXPECT_NE(entries[2].enabled, std::optional<bool>{false});
  EXPECT_EQ(entries[3].type, "separator");
  // '_' would mark a mnemonic; it is doubled to show as itself.
  EXPECT_EQ(entries[4].label, "关闭__网速显示");
}

TEST_F(DbusmenuTest, ClickedEventsRunEnabledEntriesOnly) {
  ASSERT_TRUE(watcher.own());
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  item->setSecondaryClickMenu(agentMenu());
  ASSERT_TRUE(waitForRegistrations(1));
  const CallResult layout =
      sendEvent("GetLayout", g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
  const std::vector<Entry> entries = rootChildren(layout.reply.get());
  ASSERT_EQ(entries.size(), 5u);
  // MATE reports a chosen entry with Event, Xfce with EventGroup.
  EXPECT_TRUE(sendEvent("Event", g_variant_new("(isvu)", entries[0].id, "clicked",
                                               g_variant_new_int32(0), 0u))
                  .reply);
  EXPECT_TRUE(sendEvent("Event", g_variant_new("(isvu)", entries[2].id, "clicked",
                                               g_variant_new_int32(0), 0u))
                  .reply);
  ASSERT_TRUE(spinUntil([&] { return openRuns == 1; }));
  GVariantBuilder events;
  g_variant_builder_init(&events, G_VARIANT_TYPE("a(isvu)"));
  g_variant_builder_add(&events, "(isvu)", entries[2].id, "clicked", g_variant_new_int32(0), 0u);
  EXPECT_TRUE(sendEvent("EventGroup", g_variant_new("(a(isvu))", &events)).reply);
  ASSERT_TRUE(spinUntil([&] { return openRuns == 2; }));
  EXPECT_TRUE(sendEvent("Event", g_variant_new("(isvu)", entries[4].id, "clicked",
                                               g_variant_new_int32(0), 0u))
                  .reply);
  spinFor(30ms);
  EXPECT_EQ(headingRuns, 0);
  EXPECT_EQ(openRuns, 2);
}

TEST_F(DbusmenuTest, LaterMenusReplaceTheServedOneAndNullRemovesIt) {
  ASSERT_TRUE(watcher.own());
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  item->setSecondaryClickMenu(agentMenu());
  ASSERT_TRUE(waitForRegistrations(1));
  auto replacement = platform->statusBar().newMenu();
  replacement->addItem("退出", nullptr, "", true);
  item->setSecondaryClickMenu(replacement);
  spinFor(20ms);
  const CallResult layout =
      sendEvent("GetLayout", g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
  const std::vector<Entry> entries = rootChildren(layout.reply.get());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].label, "退出");
  item->setSecondaryClickMenu(nullptr);
  EXPECT_EQ(printedProperty("Menu"), "objectpath '/'");
  // Hosts are asked to read the item again.
  EXPECT_TRUE(waitForRegistrations(2));
}

// A delegate that builds an item with a quit command, as the network agent does.
class QuittingDelegate : public platform::ApplicationDelegate {
 public:
  QuittingDelegate(LinuxPlatform& platform, platform::Application& app)
      : platform(platform), app(app) {}
  void applicationDidFinishLaunching() override {
    item = platform.statusBar().statusItem(platform::kVariableStatusItemLength);
    auto menu = platform.statusBar().newMenu();
    menu->addItem(
        "关闭网速显示", [this] { app.terminate(); }, "", true);
    item->setSecondaryClickMenu(menu);
  }
  void applicationWillTerminate() override { ++terminations; }

  std::shared_ptr<platform::StatusItem> item;
  int terminations = 0;

 private:
  LinuxPlatform& platform;
  platform::Application& app;
};

TEST_F(DbusmenuTest, MenuCommandCanEndTheApplicationAndTheHostStillGetsItsReply) {
  ASSERT_TRUE(watcher.own());
  platform::Application& app = platform->sharedApplication();
  auto delegate = std::make_shared<QuittingDelegate>(*platform, app);
  app.setDelegate(delegate);
  bool replied = false;
  bool timedOut = false;
  bool sent = false;
  const auto driver = platform->runLoop().scheduleRepeatingTimer(0.01, [&] {
    if (sent || watcher.registrations().empty()) return;
    sent = true;
    // Entry ids are assigned per process; the first child of the root.
    g_dbus_connection_call(
        host.get(), itemBusName().c_str(), "/MenuBar", "com.canonical.dbusmenu", "GetLayout",
        g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)), nullptr,
        G_DBUS_CALL_FLAGS_NONE, 4000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
          auto* flag = static_cast<bool*>(data);
          const VariantPtr layout{
              g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr)};
          const std::vector<Entry> entries = rootChildren(layout.get());
          if (entries.empty()) return;
          g_dbus_connection_call(
              G_DBUS_CONNECTION(source), itemBusName().c_str(), "/MenuBar",
              "com.canonical.dbusmenu", "Event",
              g_variant_new("(isvu)", entries[0].id, "clicked", g_variant_new_int32(0), 0u),
              nullptr, G_DBUS_CALL_FLAGS_NONE, 4000, nullptr,
              [](GObject* connection, GAsyncResult* reply, gpointer answered) {
                const VariantPtr empty{
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(connection), reply, nullptr)};
                *static_cast<bool*>(answered) = empty != nullptr;
              },
              flag);
        },
        &replied);
  });
  const auto limit = platform->runLoop().scheduleRepeatingTimer(5.0, [&] {
    timedOut = true;
    app.terminate();
  });
  EXPECT_EQ(app.run(), 0);
  driver->invalidate();
  limit->invalidate();
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(delegate->terminations, 1);
  EXPECT_TRUE(spinUntil([&] { return replied; }));
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
