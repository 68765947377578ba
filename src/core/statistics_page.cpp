#include "core/statistics_page.h"

#include <cmath>
#include <vector>

#include "core/list_page_controller.h"
#include "core/user_message.h"
#include "texts/text_tools.h"
#include "texts/texts.h"
#include "ui/gadgets.h"
#include "ui/pages.h"

namespace zelluo::core {
namespace {

// The values each chart shows at most, beside the bucket "ohne Angabe".
constexpr int kTopValues = 8;

// The charts in their gadgets' order.
constexpr collection::StatField kChartFields[] = {
    collection::StatField::Genre, collection::StatField::Director, collection::StatField::Country,
    collection::StatField::Decade, collection::StatField::Added};

const std::vector<collection::StatBar>& BarsOf(const collection::Statistics& statistics,
                                               collection::StatField field) {
  switch (field) {
    case collection::StatField::Genre:
      return statistics.genres;
    case collection::StatField::Director:
      return statistics.directors;
    case collection::StatField::Country:
      return statistics.countries;
    case collection::StatField::Decade:
      return statistics.decades;
    case collection::StatField::Added:
      break;
  }
  return statistics.growth;
}

std::string_view FieldName(collection::StatField field) {
  switch (field) {
    case collection::StatField::Genre:
      return text::kBarGenre;
    case collection::StatField::Director:
      return text::kBarDirector;
    case collection::StatField::Country:
      return text::kBarCountry;
    case collection::StatField::Decade:
    case collection::StatField::Added:
      break;
  }
  return text::kBarDecade;
}

}  // namespace

std::string RunningTimeText(int64_t minutes) {
  const int64_t hours = minutes / 60;
  if (hours < 24) {
    return text::FormatText(text::kHoursMinutes, std::to_string(hours),
                            std::to_string(minutes % 60));
  }
  if (hours < 48) return text::FormatText(text::kOneDayHours, std::to_string(hours % 24));
  return text::FormatText(text::kDaysHours, std::to_string(hours / 24), std::to_string(hours % 24));
}

StatisticsPage::StatisticsPage(platform::Platform& platform, ListPageController& listPage)
    : platform_(platform), listPage_(listPage) {}

void StatisticsPage::Fill() {
  shown_ = {};
  if (collection::FilmStore* store = listPage_.Collection()) {
    shown_ = store->ComputeStatistics(listPage_.Today(), kTopValues);
    if (!store->ReadProblem().empty()) {
      ShowUserMessage(platform_, UserMessage::Error(store->ReadProblem()));
    }
  }
  const int64_t seenShare =
      shown_.films > 0 ? static_cast<int64_t>(std::lround(100.0 * shown_.seen / shown_.films)) : 0;
  const std::string figures[] = {
      std::to_string(shown_.films), RunningTimeText(shown_.minutes),
      text::FormatText(text::kSeenShare, std::to_string(seenShare),
                       text::FormatText(text::kSeenOf, std::to_string(shown_.seen),
                                        std::to_string(shown_.films))),
      std::to_string(shown_.lent), std::to_string(shown_.overdue)};
  for (int32_t tile = 0; tile < ui::gadget::kTiles; ++tile) {
    platform_.SetGadgetText(ui::gadget::TileFigure(tile), figures[tile]);
  }
  for (int32_t chart = 0; chart < ui::gadget::kCharts; ++chart) {
    const platform::GadgetId gadget = ui::gadget::ChartOf(chart);
    const std::optional<platform::Rect> place = platform_.GadgetRect(gadget);
    if (!place) continue;
    platform::Chart drawn = ui::PageChart(kChartFields[chart] == collection::StatField::Added
                                              ? platform::ChartShape::Columns
                                              : platform::ChartShape::Rows);
    for (const collection::StatBar& bar : BarsOf(shown_, kChartFields[chart])) {
      drawn.bars.push_back({bar.label, std::to_string(bar.films), static_cast<double>(bar.films)});
    }
    platform_.CreateChartGadget(gadget, *place, drawn);
  }
}

std::optional<BarChoice> StatisticsPage::BarOf(const platform::Event& event) const {
  if (event.kind != platform::EventKind::Gadget || event.type < platform::kGadgetChartBar) {
    return std::nullopt;
  }
  const int32_t index = event.type - platform::kGadgetChartBar;
  for (int32_t chart = 0; chart < ui::gadget::kCharts; ++chart) {
    if (event.Gadget() != ui::gadget::ChartOf(chart)) continue;
    const collection::StatField field = kChartFields[chart];
    const std::vector<collection::StatBar>& bars = BarsOf(shown_, field);
    if (index >= static_cast<int32_t>(bars.size())) return std::nullopt;
    const collection::StatBar& bar = bars[static_cast<size_t>(index)];
    std::string status = field == collection::StatField::Added
                             ? text::FormatText(text::kNarrowedToAdded, bar.label)
                             : text::FormatText(text::kNarrowedToBar, FieldName(field), bar.label);
    return BarChoice{field, bar.key, std::move(status)};
  }
  return std::nullopt;
}

}  // namespace zelluo::core
