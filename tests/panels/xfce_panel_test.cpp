#include <string>

#include "tests/e2e/programs.h"
#include "tests/panels/panel_fixture.h"
#include "tests/panels/pixel_search.h"

namespace e2e {
namespace {

// A panel along the top with the status tray at its right end.
constexpr const char* kPanelConfiguration = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="26"/>
      <property name="icon-size" type="uint" value="0"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray">
      <property name="square-icons" type="bool" value="false"/>
      <property name="single-row" type="bool" value="true"/>
    </property>
  </property>
</channel>
)";
constexpr int kPanelHeight = 26;
// The title's white strokes with their outline, even shrunk into Xfce's
// square icon, cover more pixels than this.
constexpr int kMinimumInk = 5;

class XfcePanelTest : public PanelFixture {
 protected:
  XfcePanelTest() : PanelFixture("xfce4-panel", "800x100x24") {}

  int trayInk(const Screenshot& shot) const {
    return outlinedWhitePixels(shot, Region{shot.width() / 2, 0, shot.width(), kPanelHeight});
  }
};

TEST_F(XfcePanelTest, ShowsTheSleepTitleAsOutlinedWhiteInkInTheTray) {
  ASSERT_FALSE(
      session->folder()
          .writeFile("config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml", kPanelConfiguration)
          .empty());
  startHelper(Launch{{panel, "--disable-wm-check"}});
  ASSERT_TRUE(session->waitForBusNames({"org.kde.StatusNotifierWatcher"}, 20s))
      << "the panel's tray never started";
  const auto before = screenshot();
  ASSERT_TRUE(before);
  const int inkBefore = trayInk(*before);

  Process& host = startSleeper();
  startAgent(kSleepAgent, std::to_string(host.id()));
  ASSERT_TRUE(waitUntilListed(kSleepAgentId, 20s)) << "the item never reached the panel";
  int inkAfter = inkBefore;
  const auto deadline = Clock::now() + 15s;
  while (Clock::now() < deadline && inkAfter < inkBefore + kMinimumInk) {
    const auto shot = screenshot();
    ASSERT_TRUE(shot);
    inkAfter = trayInk(*shot);
  }
  EXPECT_GE(inkAfter, inkBefore + kMinimumInk) << "outlined white pixels in the tray: " << inkBefore
                                               << " before the agent, " << inkAfter << " after";
}

}  // namespace
}  // namespace e2e
