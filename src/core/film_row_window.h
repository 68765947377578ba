#pragma once
// The rows of the film list around the ones shown last, fetched from the
// collection in one query: asked row by row, SQLite would run a query for
// each row and walk past every row before it (the order's OFFSET).

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "collection/film.h"

namespace zelluo::collection {
class FilmStore;
}  // namespace zelluo::collection

namespace zelluo::core {

class FilmRowWindow {
 public:
  // Rows fetched at a time: a few screens around the one asked for.
  static constexpr int64_t kRowsFetched = 100;

  // The film at row of the list that query finds; fetches the rows around it
  // when it is outside the window. None past the end of the list or when the
  // collection could not be read.
  std::optional<collection::FilmRow> RowAt(collection::FilmStore& store, std::string_view query,
                                           int64_t row);
  // The list changed (another search, a film saved, deleted or imported).
  void Forget();

 private:
  bool Holds(int64_t row) const;

  int64_t firstRow_ = 0;  // the list row of rows_[0]
  std::vector<collection::FilmRow> rows_;
};

}  // namespace zelluo::core
