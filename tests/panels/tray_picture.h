#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/panels/panel_fixture.h"

namespace e2e {

// A rectangle of pixels: [left, right) x [top, bottom).
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  double proportion() const { return static_cast<double>(width()) / height(); }
  bool operator==(const Box&) const = default;
};

// The WCAG contrast ratio of two colours, 1 to 21.
double contrastRatio(Rgb a, Rgb b);

// Text a panel draws itself, in its own colour on its own background.
struct LabelMeasure {
  // The contrast of the text's fill (the most common colour that stands out
  // from the box's most common one, the panel's) to the panel.
  double contrast = 0.0;
  // From the first to the last row that holds text.
  int glyphHeight = 0;
  // The columns that hold text.
  int inkColumns = 0;
  // The heights of the runs of rows that hold text, top to bottom.
  std::vector<int> textRows;
};

// What an item's picture measures on screen: where its backdrop is, and the
// text on the backdrop.
struct PictureMeasure : LabelMeasure {
  Box box;
};

// The tray picture within the rows [top, bottom) of the screen: the largest
// connected area of the backdrop's colour, when it is at least a few pixels
// each way.
std::optional<PictureMeasure> measurePicture(const Image& shot, int top, int bottom);

// The text within the box, the pixels that stand out from the panel by
// `inkContrast`; absent when none does.
std::optional<LabelMeasure> measureLabel(const Image& shot, const Box& box,
                                         double inkContrast = 3.0);

// The bounding box of the pixels in rows [top, bottom), from column `left`
// on, that differ from `before`; absent when none does.
std::optional<Box> changedBox(const Image& before, const Image& after, int top, int bottom,
                              int left = 0);

// Keeps the screenshot as a PPM file in the folder VELMORA_PANEL_SHOTS names,
// if any, as `name@left,top,width,height.ppm` for the box measured in it;
// scripts/panel-crops cuts the boxes out.
void keepShot(const Image& shot, const Box& box, const std::string& name);

}  // namespace e2e
