#include <algorithm>

#include "tests/panels/panel_fixture.h"

namespace e2e {
namespace {

// A panel along the top with the status tray.
constexpr const char* kPanelConfiguration =
    R"(<channel name="xfce4-panel" version="1.0"><property name="configver" type="int" value="2"/>
<property name="panels" type="array"><value type="int" value="1"/>
<property name="panel-1" type="empty"><property name="position" type="string" value="p=6;x=0;y=0"/>
<property name="size" type="uint" value="26"/><property name="plugin-ids" type="array">
<value type="int" value="1"/></property></property></property><property name="plugins" type="empty">
<property name="plugin-1" type="string" value="systray"/></property></channel>)";
constexpr int kPanelHeight = 26;
// The title's white strokes with their outline, even shrunk into Xfce's
// square icon, cover more pixels than this.
constexpr int kMinimumInk = 5;

// Pixels of the panel that are near white and touch a dark one: white text
// with a dark outline.
int outlinedWhitePixels(const Image& shot) {
  const auto dark = [&](int x, int y) {
    const Rgb pixel = shot.at(std::clamp(x, 0, shot.width - 1), std::clamp(y, 0, shot.height - 1));
    return pixel[0] + pixel[1] + pixel[2] <= 3 * 200;
  };
  int count = 0;
  for (int y = 0; y < kPanelHeight; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      bool outlined = false;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) outlined = outlined || dark(x + dx, y + dy);
      }
      count += outlined && std::ranges::min(shot.at(x, y)) >= 250 ? 1 : 0;
    }
  }
  return count;
}

class XfcePanelTest : public PanelFixture {
 protected:
  XfcePanelTest() : PanelFixture("xfce4-panel", "800x100x24") {}
};

TEST_F(XfcePanelTest, ShowsTheSleepTitleAsOutlinedWhiteInkInTheTray) {
  writeFile("config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml", kPanelConfiguration);
  start({panel, "--disable-wm-check"});
  ASSERT_TRUE(waitForBusNames({"org.kde.StatusNotifierWatcher"}))
      << "the panel's tray never started";
  const auto before = screenshot();
  ASSERT_TRUE(before);
  const int inkBefore = outlinedWhitePixels(*before);

  startAgent(kSleepAgent, std::to_string(startSleeper().id()));
  int inkAfter = inkBefore;
  for (const auto deadline = Clock::now() + 30s;
       Clock::now() < deadline && inkAfter < inkBefore + kMinimumInk;) {
    const auto shot = screenshot();
    ASSERT_TRUE(shot);
    inkAfter = outlinedWhitePixels(*shot);
  }
  EXPECT_GE(inkAfter, inkBefore + kMinimumInk) << "outlined white pixels in the tray: " << inkBefore
                                               << " before the agent, " << inkAfter << " after";
}

}  // namespace
}  // namespace e2e
