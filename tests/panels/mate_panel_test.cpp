#include <algorithm>
#include <string>

#include "tests/e2e/programs.h"
#include "tests/panels/panel_fixture.h"
#include "tests/panels/pixel_search.h"

namespace e2e {
namespace {

// The arrows' colours in the network image.
constexpr Rgb kUploadRed{255, 64, 48};
constexpr Rgb kDownloadBlue{28, 140, 255};
// MATE scales the image to the panel's height, so the thin arrows are
// smoothed into the background: a pixel at least half covered by the
// colour, within a few levels of the exact blend, is the arrow.
constexpr double kMinimumCoverage = 0.5;
constexpr double kBlendTolerance = 12;
// The top panel; its tray is in the right half.
constexpr int kPanelHeight = 24;
// Opacity from which a pixel of the icon counts as drawn, and the colour
// distance from which a pixel of the screen does: about a quarter of the
// way from the background to the dark outline.
constexpr int kDrawnAlpha = 64;
constexpr double kInkDistance = 48;
// Width/height of the drawing on screen over that of the icon itself.
constexpr double kProportionTolerance = 0.15;

struct Arrows {
  ColourHit upload;
  ColourHit download;
  Rgb background;
};

class MatePanelTest : public PanelFixture {
 protected:
  // 200 pixels high: on a lower screen MATE makes its panels shorter than
  // their applets and cuts the icons off.
  MatePanelTest() : PanelFixture("mate-panel", "800x200x24") {}

  static Region trayBand(const Screenshot& shot) {
    return Region{shot.width() / 2, 0, shot.width(), kPanelHeight};
  }

  static std::optional<Arrows> findArrows(const Screenshot& shot) {
    const Region band = trayBand(shot);
    const Rgb background = dominantColour(shot, band);
    const auto upload =
        findColour(shot, band, background, kUploadRed, kMinimumCoverage, kBlendTolerance);
    const auto download =
        findColour(shot, band, background, kDownloadBlue, kMinimumCoverage, kBlendTolerance);
    if (!upload || !download) return std::nullopt;
    return Arrows{*upload, *download, background};
  }

  // Takes screenshots until both arrows show in the tray.
  std::optional<Arrows> waitForArrows(Clock::duration limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
      const auto shot = screenshot();
      if (!shot) return std::nullopt;
      if (auto arrows = findArrows(*shot)) return arrows;
    }
    return std::nullopt;
  }

  // Where the image is drawn in the shot, from its arrows to its last ink.
  static std::optional<Region> shownBounds(const Screenshot& shot) {
    const auto arrows = findArrows(shot);
    if (!arrows) return std::nullopt;
    // The arrows are the image's leftmost drawing; the next item or applet
    // is further away than the image's widest inner gap.
    const int left = std::min(arrows->upload.x, arrows->download.x) - 2;
    return inkBounds(shot, trayBand(shot), arrows->background, left, kPanelHeight / 2,
                     kInkDistance);
  }

  // Compares the drawing's proportions on screen with the icon's own. The
  // image changes with the rates, and the tray moves while the panel's
  // applets settle, so a measure counts only when the icon was the same just
  // before and just after it and two screenshots agree on it.
  void expectOwnProportions() {
    for (int attempt = 0; attempt < 10; ++attempt) {
      const auto before = itemIcon(kNetworkAgentId);
      const auto first = screenshot();
      const auto second = screenshot();
      const auto after = itemIcon(kNetworkAgentId);
      ASSERT_TRUE(before && first && second && after);
      const Region icon = before->opaqueBounds(kDrawnAlpha);
      const auto shown = shownBounds(*first);
      if (!(icon == after->opaqueBounds(kDrawnAlpha)) || icon.height() == 0 || !shown ||
          shown != shownBounds(*second)) {
        continue;
      }
      ASSERT_GT(shown->height(), 0);
      const double shownRatio = static_cast<double>(shown->width()) / shown->height();
      const double iconRatio = static_cast<double>(icon.width()) / icon.height();
      EXPECT_NEAR(shownRatio / iconRatio, 1.0, kProportionTolerance)
          << "shown " << shown->width() << "x" << shown->height() << " at " << shown->left << ","
          << shown->top << ", drawn " << icon.width() << "x" << icon.height();
      return;
    }
    FAIL() << "the image or the tray kept changing";
  }
};

TEST_F(MatePanelTest, ShowsTheNetworkImageWithBothArrowsAndItsOwnProportions) {
  startHelper(Launch{{panel}}, {"GSETTINGS_BACKEND=memory"});
  Process& host = startSleeper();
  startAgent(kNetworkAgent, std::to_string(host.id()));
  ASSERT_TRUE(waitUntilListed(kNetworkAgentId, 20s)) << "the item never reached the panel";

  const auto arrows = waitForArrows(15s);
  ASSERT_TRUE(arrows) << "no red upload and blue download arrow in the panel's tray";
  EXPECT_LT(arrows->upload.y, arrows->download.y) << "upload above download";
  EXPECT_NEAR(arrows->upload.x, arrows->download.x, 2) << "the arrows share a column";
  expectOwnProportions();
}

}  // namespace
}  // namespace e2e
