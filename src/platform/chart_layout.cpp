#include "platform/chart_layout.h"

#include <algorithm>
#include <cmath>

namespace zelluo::platform {
namespace {

constexpr int32_t kGap = 8;           // between a row's parts and between columns
constexpr int32_t kFigureWidth = 70;  // room for "12.345"

// The length of a bar of amount within length pixels for the longest; at
// least one pixel for any amount above 0.
int32_t BarLength(double amount, double longest, int32_t length) {
  if (amount <= 0 || longest <= 0 || length <= 0) return 0;
  return std::max<int32_t>(1, static_cast<int32_t>(std::lround(amount / longest * length)));
}

}  // namespace

std::vector<ChartPiece> LayOutChart(const Chart& chart, Size size, int32_t lineHeight) {
  std::vector<ChartPiece> pieces;
  if (chart.bars.empty() || size.width <= 0 || size.height <= 0) return pieces;
  double longest = 0;
  for (const ChartBar& bar : chart.bars) longest = std::max(longest, bar.amount);
  const auto count = static_cast<int32_t>(chart.bars.size());
  if (chart.shape == ChartShape::Rows) {
    const int32_t rowHeight = lineHeight + kGap;
    const int32_t labelWidth = size.width / 3;
    const int32_t barLeft = labelWidth + kGap;
    const int32_t barRoom = std::max(0, size.width - barLeft - kGap - kFigureWidth);
    for (int32_t i = 0; i < count && (i + 1) * rowHeight <= size.height; ++i) {
      const int32_t y = i * rowHeight;
      const int32_t length = BarLength(chart.bars[i].amount, longest, barRoom);
      pieces.push_back(ChartPiece{{barLeft, y + 2, length, rowHeight - 4},
                                  {0, y, labelWidth, rowHeight},
                                  {barLeft + length + kGap, y, kFigureWidth, rowHeight},
                                  {0, y, size.width, rowHeight},
                                  TextAlign::Left});
    }
    return pieces;
  }
  const int32_t columnWidth = size.width / count;
  const int32_t textHeight = lineHeight + 4;
  const int32_t barRoom = std::max(0, size.height - 2 * textHeight);
  const int32_t barWidth = std::max(1, columnWidth - 2 * kGap);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t x = i * columnWidth;
    const int32_t length = BarLength(chart.bars[i].amount, longest, barRoom);
    const int32_t top = textHeight + barRoom - length;
    pieces.push_back(ChartPiece{{x + kGap, top, barWidth, length},
                                {x, textHeight + barRoom, columnWidth, textHeight},
                                {x, top - textHeight, columnWidth, textHeight},
                                {x, 0, columnWidth, size.height},
                                TextAlign::Centre});
  }
  return pieces;
}

int32_t ChartBarAt(const Chart& chart, Size size, int32_t lineHeight, Point point) {
  const std::vector<ChartPiece> pieces = LayOutChart(chart, size, lineHeight);
  for (size_t i = 0; i < pieces.size(); ++i) {
    const Rect& slice = pieces[i].slice;
    if (slice.x <= point.x && point.x < slice.x + slice.width && slice.y <= point.y &&
        point.y < slice.y + slice.height) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

}  // namespace zelluo::platform
