#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <thread>

#include "tests/panels/panel_fixture.h"

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
// The colour distance from which a pixel of the screen counts as drawn:
// about a quarter of the way from the background to the dark outline. The
// icon's pixels count from a quarter opacity.
constexpr double kInkDistance = 48;
// Width/height of the drawing on screen over that of the icon itself.
constexpr double kProportionTolerance = 0.15;

// A rectangle of pixels: [left, right) x [top, bottom).
struct Region {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  double proportion() const { return static_cast<double>(right - left) / (bottom - top); }
  bool operator==(const Region&) const = default;
};

// The pixel of the band that is `colour` blended over `background` (as a
// panel scales and smooths an icon) covering at least kMinimumCoverage of
// it; the first of the most covered ones.
std::optional<std::pair<int, int>> findColour(const Image& shot, const Region& band, Rgb background,
                                              Rgb colour) {
  std::optional<std::pair<int, int>> best;
  double bestCoverage = kMinimumCoverage;
  for (int y = band.top; y < band.bottom; ++y) {
    for (int x = band.left; x < band.right; ++x) {
      double d[3], p[3];
      for (int c = 0; c < 3; ++c) {
        d[c] = colour[c] - background[c];
        p[c] = shot.at(x, y)[c] - background[c];
      }
      // The blend background + a * (colour - background) nearest the pixel.
      const double a = std::clamp(
          (p[0] * d[0] + p[1] * d[1] + p[2] * d[2]) / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]),
          0.0, 1.0);
      bool near = best ? a > bestCoverage : a >= bestCoverage;
      for (int c = 0; c < 3; ++c) near = near && std::abs(p[c] - a * d[c]) <= kBlendTolerance;
      if (near) {
        best = {x, y};
        bestCoverage = a;
      }
    }
  }
  return best;
}

// Where the network image is drawn in the tray, when both arrows show there,
// upload above download. The arrows are its leftmost drawing; columns to the
// right belong to it until half a panel's height of them show only
// background, which is more than the image's widest inner gap.
std::optional<Region> shownImage(const Image& shot) {
  const Region band{shot.width / 2, 0, shot.width, kPanelHeight};
  std::map<Rgb, int> counts;
  for (int y = band.top; y < band.bottom; ++y) {
    for (int x = band.left; x < band.right; ++x) ++counts[shot.at(x, y)];
  }
  const Rgb background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                           return a.second < b.second;
                         })->first;
  const auto upload = findColour(shot, band, background, kUploadRed);
  const auto download = findColour(shot, band, background, kDownloadBlue);
  if (!upload || !download || upload->second >= download->second) return std::nullopt;
  const int left = std::min(upload->first, download->first) - 2;
  Region shown{left, band.bottom, left, band.top};
  // The panel's edge rows are left out: MATE pads its icons, and a border or
  // highlight drawn along an edge would join the image to its neighbours.
  for (int x = left; x < band.right && x - shown.right < kPanelHeight / 2; ++x) {
    for (int y = band.top + 1; y < band.bottom - 1; ++y) {
      const Rgb pixel = shot.at(x, y);
      if (std::hypot(pixel[0] - background[0], pixel[1] - background[1], pixel[2] - background[2]) >
          kInkDistance) {
        shown = {left, std::min(shown.top, y), x + 1, std::max(shown.bottom, y + 1)};
      }
    }
  }
  return shown;
}

class MatePanelTest : public PanelFixture {
 protected:
  // 200 pixels high: on a lower screen MATE makes its panels shorter than
  // their applets and cuts the icons off.
  MatePanelTest() : PanelFixture("mate-panel", "800x200x24") {}

  // Where the item's own image has its drawing.
  std::optional<Region> drawnIcon() {
    const std::string path = home + "/icon.png";
    const auto box = run({kTrayView, "icon", kNetworkAgentId, path})
                         ? run({"convert", path, "-alpha", "extract", "-threshold", "25%",
                                "-format", "%@", "info:"})
                         : std::nullopt;
    int width = 0, height = 0, x = 0, y = 0;
    if (!box || box->empty() ||
        std::sscanf(box->front().c_str(), "%dx%d+%d+%d", &width, &height, &x, &y) != 4) {
      return std::nullopt;
    }
    return Region{x, y, x + width, y + height};
  }
};

TEST_F(MatePanelTest, ShowsTheNetworkImageWithBothArrowsInItsOwnProportions) {
  start({panel});
  startAgent(kNetworkAgent, std::to_string(startSleeper().id()));
  // The image changes with the rates, and the tray moves while the panel's
  // applets settle, so a measure counts only when the icon was the same just
  // before and just after it and two screenshots agree on it.
  bool arrowsSeen = false;
  for (const auto deadline = Clock::now() + 40s; Clock::now() < deadline;) {
    const auto before = drawnIcon();
    const auto first = screenshot();
    // Far enough apart that a redraw in progress does not pass for the tray.
    std::this_thread::sleep_for(300ms);
    const auto second = screenshot();
    const auto after = drawnIcon();
    ASSERT_TRUE(first && second);
    const auto shown = shownImage(*first);
    arrowsSeen = arrowsSeen || shown;
    if (!before || before != after || !shown || shown != shownImage(*second) ||
        shown->bottom <= shown->top) {
      continue;
    }
    EXPECT_NEAR(shown->proportion() / before->proportion(), 1.0, kProportionTolerance)
        << "shown " << shown->right - shown->left << "x" << shown->bottom - shown->top << ", drawn "
        << before->right - before->left << "x" << before->bottom - before->top;
    return;
  }
  FAIL() << (arrowsSeen ? "the image or the tray kept changing"
                        : "no red upload above a blue download arrow in the panel's tray");
}

}  // namespace
}  // namespace e2e
