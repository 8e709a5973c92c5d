#include "tests/panels/pixel_search.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace e2e {
namespace {

double distance(Rgb a, Rgb b) {
  const double red = a.red - b.red;
  const double green = a.green - b.green;
  const double blue = a.blue - b.blue;
  return std::sqrt(red * red + green * green + blue * blue);
}

bool columnHasInk(const Screenshot& shot, const Region& band, Rgb background, int x,
                  double threshold) {
  for (int y = band.top; y < band.bottom; ++y) {
    if (distance(shot.at(x, y), background) > threshold) return true;
  }
  return false;
}

}  // namespace

Rgb dominantColour(const Screenshot& shot, const Region& region) {
  std::map<std::tuple<int, int, int>, int> counts;
  for (int y = region.top; y < region.bottom; ++y) {
    for (int x = region.left; x < region.right; ++x) {
      const Rgb pixel = shot.at(x, y);
      ++counts[{pixel.red, pixel.green, pixel.blue}];
    }
  }
  const auto most =
      std::max_element(counts.begin(), counts.end(),
                       [](const auto& a, const auto& b) { return a.second < b.second; });
  if (most == counts.end()) return {};
  const auto [red, green, blue] = most->first;
  return Rgb{red, green, blue};
}

std::optional<ColourHit> findColour(const Screenshot& shot, const Region& region, Rgb background,
                                    Rgb colour, double minimumCoverage, double tolerance) {
  const double dr = colour.red - background.red;
  const double dg = colour.green - background.green;
  const double db = colour.blue - background.blue;
  const double span = dr * dr + dg * dg + db * db;
  if (span == 0) return std::nullopt;
  std::optional<ColourHit> best;
  for (int y = region.top; y < region.bottom; ++y) {
    for (int x = region.left; x < region.right; ++x) {
      const Rgb pixel = shot.at(x, y);
      // The blend background + a * (colour - background) nearest the pixel.
      const double a =
          std::clamp(((pixel.red - background.red) * dr + (pixel.green - background.green) * dg +
                      (pixel.blue - background.blue) * db) /
                         span,
                     0.0, 1.0);
      const bool nearBlend = std::abs(pixel.red - (background.red + a * dr)) <= tolerance &&
                             std::abs(pixel.green - (background.green + a * dg)) <= tolerance &&
                             std::abs(pixel.blue - (background.blue + a * db)) <= tolerance;
      if (nearBlend && a >= minimumCoverage && (!best || a > best->coverage)) {
        best = ColourHit{x, y, a};
      }
    }
  }
  return best;
}

Region inkBounds(const Screenshot& shot, const Region& band, Rgb background, int left, int gap,
                 double threshold) {
  int right = left;
  int blank = 0;
  for (int x = left; x < band.right && blank < gap; ++x) {
    if (columnHasInk(shot, band, background, x, threshold)) {
      right = x + 1;
      blank = 0;
    } else {
      ++blank;
    }
  }
  Region bounds{left, band.bottom, right, band.top};
  for (int y = band.top; y < band.bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (distance(shot.at(x, y), background) <= threshold) continue;
      bounds.top = std::min(bounds.top, y);
      bounds.bottom = std::max(bounds.bottom, y + 1);
    }
  }
  return bounds;
}

int outlinedWhitePixels(const Screenshot& shot, const Region& region) {
  const auto dark = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= shot.width() || y >= shot.height()) return false;
    const Rgb pixel = shot.at(x, y);
    return pixel.red + pixel.green + pixel.blue <= 3 * 200;
  };
  int count = 0;
  for (int y = region.top; y < region.bottom; ++y) {
    for (int x = region.left; x < region.right; ++x) {
      const Rgb pixel = shot.at(x, y);
      if (std::min({pixel.red, pixel.green, pixel.blue}) < 250) continue;
      bool touchesDark = false;
      for (int dy = -1; dy <= 1 && !touchesDark; ++dy) {
        for (int dx = -1; dx <= 1 && !touchesDark; ++dx) touchesDark = dark(x + dx, y + dy);
      }
      if (touchesDark) ++count;
    }
  }
  return count;
}

}  // namespace e2e
