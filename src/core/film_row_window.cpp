#include "core/film_row_window.h"

#include <algorithm>

#include "collection/film_store.h"
#include "platform/invariant.h"

namespace zelluo::core {

bool FilmRowWindow::Holds(int64_t row) const {
  return row >= firstRow_ && row < firstRow_ + static_cast<int64_t>(rows_.size());
}

std::optional<collection::FilmRow> FilmRowWindow::RowAt(collection::FilmStore& store,
                                                        std::string_view query, int64_t row) {
  ZELLUO_ASSERT(row >= 0);
  if (!Holds(row)) {
    firstRow_ = std::max<int64_t>(0, row - kRowsFetched / 2);
    rows_ = store.ListFilms(query, firstRow_, kRowsFetched);
    // The window lies around the row asked for and never starts before the list.
    ZELLUO_ASSERT(firstRow_ >= 0 && row >= firstRow_ && row < firstRow_ + kRowsFetched);
    ZELLUO_ASSERT(static_cast<int64_t>(rows_.size()) <= kRowsFetched);
    if (!Holds(row)) return std::nullopt;
  }
  return rows_[static_cast<size_t>(row - firstRow_)];
}

void FilmRowWindow::Forget() {
  firstRow_ = 0;
  rows_.clear();
}

}  // namespace zelluo::core
