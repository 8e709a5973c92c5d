#include "platform/linux/sni_status_item.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/cairo_image.h"
#include "platform/linux/pango_graphics.h"
#include "platform/linux/text_engine.h"
#include "platform/linux/tray_pictures.h"
#include "tests/linux/test_bus.h"

namespace platform::linuxdesktop::testing {
namespace {

std::vector<std::pair<int, int>> pixmapSizes(GVariant* pixmaps) {
  std::vector<std::pair<int, int>> sizes;
  for (gsize i = 0; pixmaps && i < g_variant_n_children(pixmaps); ++i) {
    auto& [width, height] = sizes.emplace_back();
    g_variant_get_child(pixmaps, i, "(ii@ay)", &width, &height, nullptr);
  }
  return sizes;
}

std::vector<int> pixmapHeights(GVariant* pixmaps) {
  std::vector<int> heights;
  for (const auto& size : pixmapSizes(pixmaps)) heights.push_back(size.second);
  return heights;
}

TEST(TrayPicturesTest, AHostsExactHeightIsOfferedBesideTheWholeScalesAndTheSquareStaysSquare) {
  TrayContent content;
  content.title = "眠╮";
  content.textEngine = std::make_shared<TextEngine>();
  const TrayPresentation mate{TrayShape::wide, false, false, 25};
  EXPECT_EQ(pixmapHeights(trayPicturesFor(content, mate).get()), (std::vector{22, 44, 25}));
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
  spinUntil([] { return false; }, 30ms);
  roundTrip(host.get(), itemBusName().c_str());
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
  // Absent when GetAll fails: an undeclared label must not break it.
  const auto declared = [&]() -> std::optional<bool> {
    const VariantPtr all = callItem("GetAll", g_variant_new("(s)", kItemInterface),
                                    "/StatusNotifierItem", "org.freedesktop.DBus.Properties");
    if (!all) return std::nullopt;
    return printed(all.get()).find("XAyatanaLabel") != std::string::npos;
  };
  // The test's own process is the tray host here: one not known, which
  // gets the square and no themed icon.
  EXPECT_EQ(declared(), false) << "no title, no reading: no label";
  EXPECT_TRUE(pixmapSizes(itemProperty("IconPixmap").get()).empty()) << "and no picture";
  EXPECT_EQ(printedProperty("IconName"), "''");
  item->button()->setTitle("眠╮");
  ASSERT_TRUE(spinUntil([&] { return recorder.count("XAyatanaNewLabel ('眠╮', '眠╮')") == 1; }));
  EXPECT_EQ(printedProperty("XAyatanaLabel"), "'眠╮'");
  EXPECT_EQ(declared(), true);
  // Only the item's own interface answers from its properties.
  EXPECT_FALSE(callItem("GetAll", g_variant_new("(s)", "org.example.Other"), "/StatusNotifierItem",
                        "org.freedesktop.DBus.Properties"));
  EXPECT_FALSE(callItem("Get", g_variant_new("(ss)", "org.example.Other", "XAyatanaLabel"),
                        "/StatusNotifierItem", "org.freedesktop.DBus.Properties"));
  EXPECT_EQ(pixmapHeights(itemProperty("IconPixmap").get()), (std::vector{22, 44}));

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
  spinUntil([] { return false; }, 30ms);
  roundTrip(host.get(), itemBusName().c_str());
  EXPECT_EQ(recorder.count("XAyatanaNewLabel "), 2);
  EXPECT_EQ(recorder.count("NewIcon "), 2) << "the title's picture, then the reading's";
  item->button()->setCompactReading({});
  EXPECT_TRUE(spinUntil([&] { return pixmapSizes(itemProperty("IconPixmap").get()).empty(); }))
      << "neither title nor reading: no picture";
}

// GNOME's AppIndicator extension drops Id and Menu from its proxy's copy when
// it sees the item's name appear, then reads each with Get and compares the
// answer with the copy: by the time the answer is handled the copy must hold
// the value again, or the host forgets the item.
TEST_F(StatusItemTest, IdAndMenuAreBackInAHostsProxyBeforeItsGetIsAnswered) {
  const auto item = newItem();
  ASSERT_TRUE(waitForRegistration());
  // Made asynchronously: the item answers on this thread's main loop.
  GObjectPtr<GDBusProxy> proxy;
  g_dbus_proxy_new(
      host.get(), G_DBUS_PROXY_FLAGS_NONE, nullptr, itemBusName().c_str(), "/StatusNotifierItem",
      kItemInterface, nullptr,
      [](GObject*, GAsyncResult* result, gpointer data) {
        static_cast<GObjectPtr<GDBusProxy>*>(data)->reset(g_dbus_proxy_new_finish(result, nullptr));
      },
      &proxy);
  ASSERT_TRUE(spinUntil([&] { return static_cast<bool>(proxy); }));
  struct Read {
    GDBusProxy* proxy;
    const char* name;
    std::optional<bool> cachedWhenAnswered;
  };
  for (const char* name : {"Id", "Menu"}) {
    g_dbus_proxy_set_cached_property(proxy.get(), name, nullptr);
    Read read{proxy.get(), name, std::nullopt};
    g_dbus_connection_call(
        host.get(), itemBusName().c_str(), "/StatusNotifierItem", "org.freedesktop.DBus.Properties",
        "Get", g_variant_new("(ss)", kItemInterface, name), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
          auto& read = *static_cast<Read*>(data);
          const VariantPtr reply{
              g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr)};
          const VariantPtr cached{g_dbus_proxy_get_cached_property(read.proxy, read.name)};
          read.cachedWhenAnswered = reply && cached;
        },
        &read);
    ASSERT_TRUE(spinUntil([&] { return read.cachedWhenAnswered.has_value(); })) << name;
    EXPECT_TRUE(*read.cachedWhenAnswered) << name;
  }
}

// The icon's bytes, whatever its shape on this host.
std::string iconBytes(GVariant* pixmaps) {
  return pixmaps ? std::string(static_cast<const char*>(g_variant_get_data(pixmaps)),
                               g_variant_get_size(pixmaps))
                 : std::string{};
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
    spinUntil([] { return false; }, 30ms);
    roundTrip(host.get(), itemBusName().c_str());
    EXPECT_EQ(recorder.count("NewIcon "), step.newIcons) << step.value << " " << step.column;
    icons.push_back(iconBytes(itemProperty("IconPixmap").get()));
    const VariantPtr all = callItem("GetAll", g_variant_new("(s)", kItemInterface),
                                    "/StatusNotifierItem", "org.freedesktop.DBus.Properties");
    ASSERT_TRUE(all);
    const VariantPtr properties{g_variant_get_child_value(all.get(), 0)};
    const VariantPtr icon{g_variant_lookup_value(properties.get(), "IconPixmap", nullptr)};
    EXPECT_EQ(iconBytes(icon.get()), icons.back()) << "GetAll answers with the same icon";
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

}  // namespace
}  // namespace platform::linuxdesktop::testing
