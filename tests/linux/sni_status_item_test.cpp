#include "platform/linux/sni_status_item.h"

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/linux/sni_test_support.h"

namespace platform::linuxdesktop::testing {
namespace {

TEST_F(StatusItemTest, ItemRegistersWithTheWatcherAndAgainWhenTheWatcherReappears) {
  const auto item = newItem();
  ASSERT_TRUE(waitForRegistrations(1));
  ASSERT_TRUE(ownWatcher(false));
  ASSERT_TRUE(ownWatcher());
  ASSERT_TRUE(waitForRegistrations(2));
  EXPECT_EQ(registrations[0].service, itemBusName());
  EXPECT_EQ(registrations[1].service, itemBusName());
}

TEST_F(StatusItemTest, PropertiesReadAsAHostExpectsAndFollowTheButton) {
  const auto item = newItem();
  item->button()->setToolTip("上传 0 KB/s · 下载 0 KB/s");
  ASSERT_TRUE(waitForRegistrations(1));
  const std::pair<const char*, std::string> expected[] = {
      {"Id", "'velmora-test-agent'"},
      {"Category", "'SystemServices'"},
      {"Title", "'velmora-test-agent'"},
      {"Status", "'Active'"},
      {"ToolTip", "('', @a(iiay) [], '上传 0 KB/s · 下载 0 KB/s', '')"},
      {"ItemIsMenu", "false"},
      {"Menu", "objectpath '/'"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(printedProperty(name), value) << name;
  SignalRecorder recorder{host.get(), nullptr, kItemInterface};
  roundTrip(host.get());
  item->button()->setTitle("眠╮");
  item->setVisible(false);
  EXPECT_EQ(printedProperty("Title"), "'眠╮'");
  EXPECT_EQ(printedProperty("Status"), "'Passive'");
  ASSERT_TRUE(spinUntil([&] { return recorder.count("NewStatus ('Passive',)") == 1; }));
  item->setVisible(true);
  EXPECT_TRUE(spinUntil([&] { return recorder.count("NewStatus ('Active',)") == 1; }));
}

// Width, height, and whether the bytes fill that size with some pixel drawn.
using Pixmaps = std::vector<std::tuple<int, int, bool>>;

Pixmaps summarize(GVariant* pixmaps) {
  Pixmaps result;
  for (gsize i = 0; pixmaps && i < g_variant_n_children(pixmaps); ++i) {
    int width = 0;
    int height = 0;
    VariantPtr bytes;
    g_variant_get_child(pixmaps, i, "(ii@ay)", &width, &height, &bytes);
    gsize size = 0;
    const auto* argb = static_cast<const guint8*>(g_variant_get_fixed_array(bytes.get(), &size, 1));
    bool drawn = false;
    for (gsize p = 0; p < size; p += 4) drawn = drawn || argb[p] != 0;
    result.emplace_back(width, height, drawn && size == static_cast<gsize>(4 * width * height));
  }
  return result;
}

TEST_F(StatusItemTest, IconPixmapHoldsTheImageOrElseTheTitleAtScaleOneAndTwo) {
  const platform::Font font{platform::FontFace::system, 12.5, platform::FontWeight::semibold};
  const auto item = newItem();
  const auto image = platform->graphics().newImage({30.0, 22.0});
  image->drawText("1.2 KB/s", {1.0, 5.0}, font, {1.0, 1.0, 1.0, 1.0});
  item->button()->setImagePosition(platform::ImagePosition::imageOnly);
  item->button()->setImage(image);
  item->button()->setFont(font);
  ASSERT_TRUE(waitForRegistrations(1));
  EXPECT_EQ(summarize(itemProperty("IconPixmap").get()), (Pixmaps{{30, 22, true}, {60, 44, true}}));
  item->button()->setImagePosition(platform::ImagePosition::noImage);
  item->button()->setTitle("眠╮");
  const Pixmaps title = summarize(itemProperty("IconPixmap").get());
  ASSERT_EQ(title.size(), 2u);
  const int width = std::get<0>(title[0]);
  EXPECT_EQ(title, (Pixmaps{{width, 22, true}, {2 * width, 44, true}}));
  item->button()->setTitle("");
  EXPECT_TRUE(summarize(itemProperty("IconPixmap").get()).empty());
}

TEST_F(StatusItemTest, ChangeSignalsComeOncePerTurnAndOnlyForChangedBytes) {
  const auto item = newItem();
  ASSERT_TRUE(waitForRegistrations(1));
  SignalRecorder recorder{host.get(), nullptr, kItemInterface};
  roundTrip(host.get());
  item->button()->setToolTip("a");
  item->button()->setToolTip("b");
  ASSERT_TRUE(spinUntil([&] { return recorder.count(".NewToolTip ") == 1; }));
  item->button()->setToolTip("b");
  item->button()->setTitle("x");
  ASSERT_TRUE(spinUntil([&] { return recorder.count(".NewTitle ") == 1; }));
  item->setVisible(true);
  item->button()->setTitle("x");
  spinFor(30ms);
  roundTrip(host.get(), itemBusName().c_str());
  EXPECT_EQ(recorder.count(".NewToolTip "), 1);
  EXPECT_EQ(recorder.count(".NewTitle "), 1);
  EXPECT_EQ(recorder.count(".NewIcon "), 1);
  EXPECT_EQ(recorder.count(".NewStatus "), 0);
}

struct ClickCase {
  std::uint64_t mask = 0;
  const char* method = "";
  // The event type the action sees; none when the action must not run.
  std::optional<int> eventType;
};

TEST_F(StatusItemTest, HostClicksRunTheActionOnlyForReleasesInTheMask) {
  // Cases without a mask come first and see the default one.
  const ClickCase cases[] = {
      {0, "Activate", platform::kEventTypeLeftMouseUp},
      {0, "ContextMenu", std::nullopt},
      {0, "SecondaryActivate", std::nullopt},
      {platform::kEventMaskLeftMouseUp | platform::kEventMaskRightMouseUp, "ContextMenu",
       platform::kEventTypeRightMouseUp},
      {platform::kEventMaskRightMouseUp, "Activate", std::nullopt},
      {platform::kEventMaskOtherMouseUp, "SecondaryActivate", platform::kEventTypeOtherMouseUp},
  };
  const auto item = newItem();
  platform::Application& app = platform->sharedApplication();
  std::vector<std::optional<platform::Event>> seen;
  item->button()->setAction([&] { seen.push_back(app.currentEvent()); });
  ASSERT_TRUE(waitForRegistrations(1));
  for (const ClickCase& click : cases) {
    SCOPED_TRACE(std::string{click.method} + " mask " + std::to_string(click.mask));
    seen.clear();
    if (click.mask != 0) item->button()->sendActionOn(click.mask);
    EXPECT_TRUE(callItem(click.method, g_variant_new("(ii)", 10, 20)));
    ASSERT_EQ(seen.size(), click.eventType ? 1u : 0u);
    if (click.eventType) {
      ASSERT_TRUE(seen[0].has_value());
      EXPECT_EQ(seen[0]->type, *click.eventType);
      EXPECT_EQ(seen[0]->modifierFlags, 0u);
    }
    EXPECT_FALSE(app.currentEvent().has_value());
  }
}

TEST_F(StatusItemTest, AnAttachedMenuKeepsClicksFromTheAction) {
  const auto item = newItem();
  int runs = 0;
  item->button()->setAction([&] { ++runs; });
  item->setMenu(platform->statusBar().newMenu());
  item->button()->performClick();
  ASSERT_TRUE(waitForRegistrations(1));
  EXPECT_TRUE(callItem("Activate", g_variant_new("(ii)", 0, 0)));
  EXPECT_EQ(runs, 0);
  item->setMenu(nullptr);
  item->button()->performClick();
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
