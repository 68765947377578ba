#pragma once
// Where the parts of a chart gadget lie, and which bar a click hits: the same
// for every backend, which only draws the parts and reports the click.

#include <cstdint>
#include <vector>

#include "platform/platform_types.h"

namespace zelluo::platform {

// One bar's parts in the gadget's own coordinates: the bar (empty for an
// amount of 0), its label and its figure, and the slice of the gadget a
// click on it may hit (the whole row or column).
struct ChartPiece {
  Rect bar;
  Rect label;
  Rect figure;
  Rect slice;
  TextAlign align = TextAlign::Left;  // of the label and the figure
};

// The pieces of the chart's bars in a gadget of size, for text lineHeight
// pixels high: rows of lineHeight + 8 pixels from the top, the labels in the
// left third; columns spread over the width, the labels under them.
std::vector<ChartPiece> LayOutChart(const Chart& chart, Size size, int32_t lineHeight);

// The bar whose slice holds point (in the gadget's coordinates); -1 for none.
int32_t ChartBarAt(const Chart& chart, Size size, int32_t lineHeight, Point point);

}  // namespace zelluo::platform
