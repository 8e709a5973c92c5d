#include "tests/panels/tray_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>

namespace e2e {
namespace {

// The backdrop the Linux tray pictures carry: 0.11 grey, as a panel's
// scaling leaves it inside the picture.
constexpr Rgb kBackdrop{28, 28, 28};
constexpr int kBackdropTolerance = 3;
// The smallest backdrop taken for a picture: the sleep title squeezed into
// a 16 px tray icon is about 11 px high.
constexpr int kMinimumSide = 8;
// A pixel belongs to the text when it stands out this much from the
// backdrop: the antialiased edges of strokes too.
constexpr double kTextContrast = 2.0;

double channel(int value) {
  const double c = value / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Rgb colour) {
  return 0.2126 * channel(colour[0]) + 0.7152 * channel(colour[1]) + 0.0722 * channel(colour[2]);
}

bool isBackdrop(Rgb colour) {
  for (int c = 0; c < 3; ++c) {
    if (std::abs(colour[c] - kBackdrop[c]) > kBackdropTolerance) return false;
  }
  return true;
}

}  // namespace

double contrastRatio(Rgb a, Rgb b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::optional<PictureMeasure> measurePicture(const Image& shot, int top, int bottom) {
  bottom = std::min(bottom, shot.height);
  // Each backdrop pixel is taken once, into the connected area flooded from
  // the first one of it met.
  std::vector<bool> seen(static_cast<std::size_t>(shot.width * (bottom - top)), false);
  const auto takeBackdrop = [&](int x, int y) {
    if (x < 0 || x >= shot.width || y < top || y >= bottom || seen[(y - top) * shot.width + x] ||
        !isBackdrop(shot.at(x, y))) {
      return false;
    }
    seen[(y - top) * shot.width + x] = true;
    return true;
  };
  std::optional<Box> largest;
  int largestCount = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      if (!takeBackdrop(x, y)) continue;
      Box box{x, y, x + 1, y + 1};
      int count = 0;
      for (std::vector<std::pair<int, int>> pending{{x, y}}; !pending.empty(); ++count) {
        const auto [px, py] = pending.back();
        pending.pop_back();
        box = {std::min(box.left, px), std::min(box.top, py), std::max(box.right, px + 1),
               std::max(box.bottom, py + 1)};
        for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
          if (takeBackdrop(px + dx, py + dy)) pending.emplace_back(px + dx, py + dy);
        }
      }
      if (count > largestCount) {
        largest = box;
        largestCount = count;
      }
    }
  }
  if (!largest || largest->width() < kMinimumSide || largest->height() < kMinimumSide) {
    return std::nullopt;
  }
  // The edge rows and columns are left out: the rounded corners blend into
  // the panel there.
  const auto text = measureLabel(
      shot, {largest->left + 1, largest->top + 1, largest->right - 1, largest->bottom - 1},
      kTextContrast);
  return PictureMeasure{text.value_or(LabelMeasure{}), *largest};
}

std::optional<LabelMeasure> measureLabel(const Image& shot, const Box& box, double inkContrast) {
  std::map<Rgb, int> counts;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) ++counts[shot.at(x, y)];
  }
  if (counts.empty()) return std::nullopt;
  const auto mostCommon = [](const std::map<Rgb, int>& colours) {
    return std::ranges::max_element(colours, {}, [](const auto& entry) { return entry.second; })
        ->first;
  };
  LabelMeasure measure;
  const Rgb background = mostCommon(counts);
  std::map<Rgb, int> inks;
  std::vector<bool> inkColumns(static_cast<std::size_t>(box.width()), false);
  int first = -1;
  int last = -1;
  for (int y = box.top; y < box.bottom; ++y) {
    const int previous = last;
    for (int x = box.left; x < box.right; ++x) {
      if (contrastRatio(shot.at(x, y), background) < inkContrast) continue;
      ++inks[shot.at(x, y)];
      inkColumns[x - box.left] = true;
      if (first < 0) first = y;
      last = y;
    }
    if (last != y) continue;
    if (!measure.textRows.empty() && previous == y - 1) {
      ++measure.textRows.back();
    } else {
      measure.textRows.push_back(1);
    }
  }
  if (inks.empty()) return std::nullopt;
  measure.contrast = contrastRatio(mostCommon(inks), background);
  measure.glyphHeight = last - first + 1;
  measure.inkColumns = static_cast<int>(std::ranges::count(inkColumns, true));
  return measure;
}

std::optional<Box> changedBox(const Image& before, const Image& after, int top, int bottom,
                              int left) {
  std::optional<Box> box;
  if (before.width != after.width || before.height != after.height) return std::nullopt;
  for (int y = top; y < std::min(bottom, after.height); ++y) {
    for (int x = left; x < after.width; ++x) {
      if (before.at(x, y) == after.at(x, y)) continue;
      box = box ? Box{std::min(box->left, x), std::min(box->top, y), std::max(box->right, x + 1),
                      std::max(box->bottom, y + 1)}
                : Box{x, y, x + 1, y + 1};
    }
  }
  return box;
}

void keepShot(const Image& shot, const Box& box, const std::string& name) {
  const char* folder = std::getenv("VELMORA_PANEL_SHOTS");
  if (folder == nullptr || *folder == '\0') return;
  std::ofstream{std::string{folder} + "/" + name + "@" + std::to_string(box.left) + "," +
                    std::to_string(box.top) + "," + std::to_string(box.width()) + "," +
                    std::to_string(box.height()) + ".ppm",
                std::ios::binary}
      << "P6 " << shot.width << " " << shot.height << " 255\n"
      << shot.bytes;
}

}  // namespace e2e
