#pragma once
// The statistics page at work: the collection's figures in five tiles and its
// films per genre, director, country, decade and month (or year) added in
// five charts, all counted by the collection; a click on a bar opens the List
// page narrowed to the films behind it.

#include <cstdint>
#include <optional>
#include <string>

#include "collection/film_store.h"
#include "platform/platform.h"

namespace zelluo::core {

class ListPageController;

// The films behind a bar, and the List page's status line for them.
struct BarChoice {
  collection::StatField field = collection::StatField::Genre;
  std::string key;
  std::string status;
};

class StatisticsPage {
 public:
  StatisticsPage(platform::Platform& platform, ListPageController& listPage);

  // Counts the collection anew and shows it on the page's gadgets (built).
  void Fill();
  // The films behind a clicked bar of one of the charts; none for other events.
  std::optional<BarChoice> BarOf(const platform::Event& event) const;

 private:
  platform::Platform& platform_;
  ListPageController& listPage_;
  collection::Statistics shown_;
};

// The running times added up, "12 Tage 4 Std." ("5 Std. 20 Min." under a day).
std::string RunningTimeText(int64_t minutes);

}  // namespace zelluo::core
