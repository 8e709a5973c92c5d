#include "platform/linux/dbusmenu_menu.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/linux/sni_test_support.h"

namespace platform::linuxdesktop::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// An item with the network agent's kind of menu, registered.
class DbusmenuTest : public StatusItemTest {
 protected:
  void SetUp() override {
    StatusItemTest::SetUp();
    auto menu = platform->statusBar().newMenu();
    menu->addItem(
        "Velmora · 网速显示", [this] { ++headingRuns; }, "", false);
    menu->addSeparator();
    menu->addItem(
        "打开主界面", [this] { ++openRuns; }, "", true);
    menu->addItem("关闭_网速显示", nullptr, "", true);
    item = newItem();
    item->setSecondaryClickMenu(menu);
    ASSERT_TRUE(waitForRegistrations(1));
    entries = menuEntries(registrations[0].menuLayout.get());
    ASSERT_EQ(entries.size(), 4u);
  }

  VariantPtr menuCall(const char* method, GVariant* parameters) {
    return callItem(method, parameters, "/MenuBar", "com.canonical.dbusmenu");
  }

  std::shared_ptr<platform::StatusItem> item;
  std::vector<MenuEntry> entries;
  int headingRuns = 0;
  int openRuns = 0;
};

// The layout used is the one the watcher read while the item registered.
TEST_F(DbusmenuTest, MenuIsExportedWithLabelsSeparatorsAndEnabledStateBeforeTheItemRegisters) {
  EXPECT_THAT(entries[0].properties, HasSubstr("'label': <'Velmora · 网速显示'>"));
  EXPECT_THAT(entries[0].properties, HasSubstr("'enabled': <false>"));
  EXPECT_THAT(entries[1].properties, HasSubstr("'type': <'separator'>"));
  EXPECT_THAT(entries[2].properties, HasSubstr("'label': <'打开主界面'>"));
  EXPECT_THAT(entries[2].properties, Not(HasSubstr("'enabled'")));
  // '_' would mark a mnemonic; it is doubled to show as itself.
  EXPECT_THAT(entries[3].properties, HasSubstr("'label': <'关闭__网速显示'>"));
  EXPECT_EQ(printedProperty("Menu"), "objectpath '/MenuBar'");
}

TEST_F(DbusmenuTest, ClickedEventsRunEnabledEntriesOnly) {
  // MATE reports a chosen entry with Event, Xfce with EventGroup.
  for (const int entry : {0, 2, 3}) {
    EXPECT_TRUE(menuCall("Event", g_variant_new("(isvu)", entries[entry].id, "clicked",
                                                g_variant_new_int32(0), 0u)));
  }
  ASSERT_TRUE(spinUntil([&] { return openRuns == 1; }));
  GVariantBuilder events;
  g_variant_builder_init(&events, G_VARIANT_TYPE("a(isvu)"));
  g_variant_builder_add(&events, "(isvu)", entries[2].id, "clicked", g_variant_new_int32(0), 0u);
  EXPECT_TRUE(menuCall("EventGroup", g_variant_new("(a(isvu))", &events)));
  ASSERT_TRUE(spinUntil([&] { return openRuns == 2; }));
  spinFor(30ms);
  EXPECT_EQ(headingRuns, 0);
  EXPECT_EQ(openRuns, 2);
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
