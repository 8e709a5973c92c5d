#include "platform/linux/sni_status_item.h"
#include "platform/linux/sni_watcher_registration.h"

#include <optional>

#include <gtest/gtest.h>

#include "tests/linux/sni_test_support.h"

namespace platform::linuxdesktop::testing {
namespace {

constexpr platform::Font kTitleFont{platform::FontFace::system, 12.5,
                                    platform::FontWeight::semibold};

TEST_F(StatusItemTest, ItemRegistersItsBusNameWithTheWatcher) {
  ASSERT_TRUE(watcher.own());
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  ASSERT_TRUE(waitForRegistrations(1));
  const auto& registration = *watcher.registrations().front();
  EXPECT_EQ(registration.service, itemBusName());
  const GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  EXPECT_EQ(registration.sender, g_dbus_connection_get_unique_name(bus.get()));
}

TEST_F(StatusItemTest, ItemRegistersAgainWhenTheWatcherReappears) {
  ASSERT_TRUE(watcher.own());
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  ASSERT_TRUE(waitForRegistrations(1));
  watcher.release();
  ASSERT_TRUE(watcher.own());
  ASSERT_TRUE(waitForRegistrations(2));
  EXPECT_EQ(watcher.registrations()[1]->service, itemBusName());
}

TEST_F(StatusItemTest, ItemWithoutWatcherLivesOnAndRegistersWhenOneAppears) {
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  ASSERT_TRUE(waitForItemName());
  EXPECT_EQ(printedProperty("Status"), "'Active'");
  ASSERT_TRUE(watcher.own());
  ASSERT_TRUE(waitForRegistrations(1));
  spinFor(50ms);
  EXPECT_EQ(watcher.registrations().size(), 1u);
}

TEST_F(StatusItemTest, RegistrationWaitsUntilTheItemIsReady) {
  ASSERT_TRUE(watcher.own());
  const GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  bool ready = false;
  SniWatcherRegistration registration{bus.get(), itemBusName(), itemBusName(),
                                      [&] { return ready; }};
  ASSERT_TRUE(waitForItemName());
  spinFor(100ms);
  EXPECT_TRUE(watcher.registrations().empty());
  ready = true;
  registration.registerAgain();
  ASSERT_TRUE(waitForRegistrations(1));
  EXPECT_EQ(watcher.registrations().front()->service, itemBusName());
}

TEST_F(StatusItemTest, PropertiesReadAsAHostExpects) {
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  item->button()->setToolTip("上传 0 KB/s · 下载 0 KB/s");
  ASSERT_TRUE(waitForItemName());
  const std::pair<const char*, std::string> expected[] = {
      {"Id", "'velmora-test-agent'"},
      {"Category", "'SystemServices'"},
      {"Title", "'velmora-test-agent'"},
      {"Status", "'Active'"},
      {"ToolTip", "('', @a(iiay) [], '上传 0 KB/s · 下载 0 KB/s', '')"},
      {"ItemIsMenu", "false"},
      {"Menu", "objectpath '/'"},
      {"IconName", "''"},
      {"IconPixmap", "@a(iiay) []"},
      {"AttentionIconName", "''"},
      {"AttentionIconPixmap", "@a(iiay) []"},
      {"OverlayIconPixmap", "@a(iiay) []"},
      {"WindowId", "0"},
  };
  for (const auto& [name, value] : expected) {
    EXPECT_EQ(printedProperty(name), value) << name;
  }
  EXPECT_EQ(item->length(), platform::kVariableStatusItemLength);
  item->setLength(42.5);
  EXPECT_EQ(item->length(), 42.5);
}

TEST_F(StatusItemTest, TitleAndStatusFollowTheButtonAndVisibility) {
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  ASSERT_TRUE(waitForItemName());
  SignalRecorder recorder{host.get(), kItemInterface};
  item->button()->setTitle("眠╮");
  item->setVisible(false);
  EXPECT_EQ(printedProperty("Title"), "'眠╮'");
  EXPECT_EQ(printedProperty("Status"), "'Passive'");
  ASSERT_TRUE(spinUntil([&] { return recorder.count("NewStatus") == 1; }));
  EXPECT_EQ(recorder.lastBody("NewStatus"), "('Passive',)");
  item->setVisible(true);
  ASSERT_TRUE(spinUntil([&] { return recorder.count("NewStatus") == 2; }));
  EXPECT_EQ(recorder.lastBody("NewStatus"), "('Active',)");
}

// Width, height and whether any pixel is not fully transparent, per pixmap.
struct PixmapSummary {
  int width = 0;
  int height = 0;
  bool complete = false;
  bool drawn = false;
};

std::vector<PixmapSummary> summarize(GVariant* pixmaps) {
  std::vector<PixmapSummary> result;
  for (gsize i = 0; pixmaps && i < g_variant_n_children(pixmaps); ++i) {
    const VariantPtr entry{g_variant_get_child_value(pixmaps, i)};
    PixmapSummary summary;
    VariantPtr bytes;
    g_variant_get(entry.get(), "(ii@ay)", &summary.width, &summary.height, &bytes);
    gsize size = 0;
    const auto* argb = static_cast<const guint8*>(g_variant_get_fixed_array(bytes.get(), &size, 1));
    summary.complete = size == static_cast<gsize>(4 * summary.width * summary.height);
    for (gsize p = 0; p < size; p += 4) summary.drawn = summary.drawn || argb[p] != 0;
    result.push_back(summary);
  }
  return result;
}

TEST_F(StatusItemTest, IconPixmapHoldsTheImageAtScaleOneAndTwo) {
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  const auto image = platform->graphics().newImage({30.0, 22.0});
  image->drawText("1.2 KB/s", {1.0, 5.0}, kTitleFont, {1.0, 1.0, 1.0, 1.0});
  item->button()->setImagePosition(platform::ImagePosition::imageOnly);
  item->button()->setImage(image);
  ASSERT_TRUE(waitForItemName());
  const std::vector<PixmapSummary> pixmaps = summarize(itemProperty("IconPixmap").get());
  ASSERT_EQ(pixmaps.size(), 2u);
  EXPECT_EQ(pixmaps[0].width, 30);
  EXPECT_EQ(pixmaps[0].height, 22);
  EXPECT_EQ(pixmaps[1].width, 60);
  EXPECT_EQ(pixmaps[1].height, 44);
  for (const PixmapSummary& pixmap : pixmaps) {
    EXPECT_TRUE(pixmap.complete);
    EXPECT_TRUE(pixmap.drawn);
  }
}

TEST_F(StatusItemTest, TitleWithoutImageIsDrawnAsTheIcon) {
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  item->button()->setTitle("眠╮");
  item->button()->setFont(kTitleFont);
  ASSERT_TRUE(waitForItemName());
  const std::vector<PixmapSummary> pixmaps = summarize(itemProperty("IconPixmap").get());
  ASSERT_EQ(pixmaps.size(), 2u);
  EXPECT_EQ(pixmaps[0].height, 22);
  EXPECT_EQ(pixmaps[1].height, 44);
  EXPECT_EQ(pixmaps[1].width, 2 * pixmaps[0].width);
  EXPECT_TRUE(pixmaps[0].complete && pixmaps[0].drawn);
  EXPECT_TRUE(pixmaps[1].complete && pixmaps[1].drawn);
  item->button()->setImagePosition(platform::ImagePosition::noImage);
  item->button()->setTitle("");
  EXPECT_TRUE(summarize(itemProperty("IconPixmap").get()).empty());
}

TEST_F(StatusItemTest, ChangeSignalsComeOncePerTurnAndOnlyForChangedBytes) {
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  ASSERT_TRUE(waitForItemName());
  SignalRecorder recorder{host.get(), kItemInterface};
  roundTrip(host.get(), itemBusName().c_str());
  item->button()->setToolTip("a");
  item->button()->setToolTip("b");
  ASSERT_TRUE(spinUntil([&] { return recorder.count("NewToolTip") == 1; }));
  item->button()->setToolTip("b");
  item->button()->setTitle("x");
  ASSERT_TRUE(spinUntil([&] { return recorder.count("NewTitle") == 1; }));
  roundTrip(host.get(), itemBusName().c_str());
  EXPECT_EQ(recorder.count("NewToolTip"), 1);
  EXPECT_EQ(recorder.count("NewIcon"), 1);
  EXPECT_EQ(recorder.count("NewStatus"), 0);
  item->setVisible(true);
  item->button()->setTitle("x");
  spinFor(30ms);
  roundTrip(host.get(), itemBusName().c_str());
  EXPECT_EQ(recorder.count("NewTitle"), 1);
  EXPECT_EQ(recorder.count("NewIcon"), 1);
  EXPECT_EQ(recorder.count("NewStatus"), 0);
}

struct ClickCase {
  std::uint64_t mask = 0;
  const char* method = "";
  bool runs = false;
  int eventType = 0;
};

TEST_F(StatusItemTest, HostClicksRunTheActionOnlyForReleasesInTheMask) {
  const ClickCase cases[] = {
      {0, "Activate", true, platform::kEventTypeLeftMouseUp},
      {0, "ContextMenu", false, 0},
      {0, "SecondaryActivate", false, 0},
      {platform::kEventMaskLeftMouseUp | platform::kEventMaskRightMouseUp, "ContextMenu", true,
       platform::kEventTypeRightMouseUp},
      {platform::kEventMaskRightMouseUp, "Activate", false, 0},
      {platform::kEventMaskOtherMouseUp, "SecondaryActivate", true,
       platform::kEventTypeOtherMouseUp},
  };
  // Cases without a mask come first and see the default one.
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  platform::Application& app = platform->sharedApplication();
  std::vector<std::optional<platform::Event>> seen;
  item->button()->setAction([&] { seen.push_back(app.currentEvent()); });
  ASSERT_TRUE(waitForItemName());
  for (const ClickCase& click : cases) {
    SCOPED_TRACE(std::string{click.method} + " mask " + std::to_string(click.mask));
    seen.clear();
    if (click.mask != 0) item->button()->sendActionOn(click.mask);
    const CallResult result = callItem(click.method, g_variant_new("(ii)", 10, 20));
    EXPECT_TRUE(result.reply) << result.errorName;
    ASSERT_EQ(seen.size(), click.runs ? 1u : 0u);
    if (click.runs) {
      ASSERT_TRUE(seen[0].has_value());
      EXPECT_EQ(seen[0]->type, click.eventType);
      EXPECT_EQ(seen[0]->modifierFlags, 0u);
    }
    EXPECT_FALSE(app.currentEvent().has_value());
  }
}

TEST_F(StatusItemTest, EveryCallIsAnsweredAndUnknownOnesWithAnError) {
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  int runs = 0;
  item->button()->setAction([&] { ++runs; });
  ASSERT_TRUE(waitForItemName());
  EXPECT_TRUE(callItem("Scroll", g_variant_new("(is)", 3, "vertical")).reply);
  EXPECT_EQ(callItem("Explode", nullptr).errorName, "org.freedesktop.DBus.Error.UnknownMethod");
  EXPECT_EQ(callItem("Activate", g_variant_new("(s)", "x")).errorName,
            "org.freedesktop.DBus.Error.InvalidArgs");
  EXPECT_EQ(runs, 0);
}

TEST_F(StatusItemTest, AnAttachedMenuKeepsClicksFromTheAction) {
  const auto item = platform->statusBar().statusItem(platform::kVariableStatusItemLength);
  int runs = 0;
  item->button()->setAction([&] { ++runs; });
  item->button()->performClick();
  EXPECT_EQ(runs, 1);
  item->setMenu(platform->statusBar().newMenu());
  item->button()->performClick();
  ASSERT_TRUE(waitForItemName());
  EXPECT_TRUE(callItem("Activate", g_variant_new("(ii)", 0, 0)).reply);
  EXPECT_EQ(runs, 1);
  item->setMenu(nullptr);
  item->button()->performClick();
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
