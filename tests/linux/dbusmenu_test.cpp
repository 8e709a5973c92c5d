#include "platform/linux/dbusmenu_menu.h"

#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/linux/test_bus.h"

namespace platform::linuxdesktop::testing {
namespace {

using ::testing::HasSubstr;

// The menu root's children, each as its id and its properties printed.
std::vector<std::pair<int, std::string>> menuEntries(GVariant* layoutReply) {
  std::vector<std::pair<int, std::string>> entries;
  GVariantIter* children = nullptr;
  if (layoutReply)
    g_variant_get(layoutReply, "(u(ia{sv}av))", nullptr, nullptr, nullptr, &children);
  const VariantIterPtr owned{children};
  GVariant* child = nullptr;
  while (children && g_variant_iter_next(children, "v", &child)) {
    const VariantPtr entry{child};
    VariantPtr properties;
    g_variant_get(child, "(i@a{sv}av)", &entries.emplace_back().first, &properties, nullptr);
    entries.back().second = printed(properties.get());
  }
  return entries;
}

// The layout checked is the one the watcher read while the item registered.
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
  const auto entries = menuEntries(menuLayouts[0].get());
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_THAT(entries[0].second, HasSubstr("'enabled': <false>"));
  EXPECT_THAT(entries[1].second, HasSubstr("'type': <'separator'>"));
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
  ASSERT_TRUE(callItem("GetAll", g_variant_new("(s)", kItemInterface), "/StatusNotifierItem",
                       "org.freedesktop.DBus.Properties"));
  item->setSecondaryClickMenu(nullptr);
  EXPECT_EQ(printedProperty("Menu"), "objectpath '/'");
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
