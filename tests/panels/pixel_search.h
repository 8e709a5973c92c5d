#pragma once

#include <optional>

#include "tests/panels/screenshot.h"

namespace e2e {

// A pixel of a colour drawn over the panel's background: where it is and how
// much of the pixel the colour covers (0 to 1).
struct ColourHit {
  int x = 0;
  int y = 0;
  double coverage = 0.0;
};

// The colour most pixels of the region have: a panel's background.
Rgb dominantColour(const Screenshot& shot, const Region& region);

// The pixel of the region that is most covered by `colour` blended over
// `background` (as a panel scales and smooths an icon), counting only pixels
// within `tolerance` (per channel, 0-255 units) of such a blend. Absent when
// no pixel is at least `minimumCoverage` covered.
std::optional<ColourHit> findColour(const Screenshot& shot, const Region& region, Rgb background,
                                    Rgb colour, double minimumCoverage, double tolerance);

// The bounds of the drawing that starts at column `left`: columns to the
// right belong to it until `gap` columns in a row show only background; rows
// are those with ink in those columns. A pixel is ink when it differs from
// the background by more than `threshold` (Euclidean, 0-255 units).
Region inkBounds(const Screenshot& shot, const Region& band, Rgb background, int left, int gap,
                 double threshold);

// Pixels of the region that are near white and touch a dark pixel: white
// text with a dark outline.
int outlinedWhitePixels(const Screenshot& shot, const Region& region);

}  // namespace e2e
