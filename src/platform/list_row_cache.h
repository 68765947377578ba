#pragma once
// The rows a desktop list gadget has fetched from its ListRowSource, shared by
// the GTK and Win32 backends: a few screens around the rows drawn last, each
// cell made one line in the backend's own text type.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace zelluo {

template <typename Cell>
struct ListRowCache {
  // How many fetched rows are kept: enough for several screens around the
  // rows shown last.
  static constexpr size_t kKeptRows = 512;

  ListRowSource source;
  int32_t columnCount = 0;
  int32_t count = 0;
  std::unordered_map<int32_t, std::vector<Cell>> fetched;
  // The selected row as the program last knew it (its own selection or the
  // last one reported), so that a repeated notification reports nothing.
  int32_t knownSelection = -1;

  // The row's cells, columnCount of them, made from the source's texts by
  // toCell (which turns one text into one line of the backend's text).
  template <typename ToCell>
  const std::vector<Cell>& Row(int32_t row, ToCell toCell) {
    const auto found = fetched.find(row);
    if (found != fetched.end()) return found->second;
    if (fetched.size() >= kKeptRows) {
      // Forget the rows far from this one; the view has moved on from them.
      const int32_t keep = static_cast<int32_t>(kKeptRows / 2);
      for (auto it = fetched.begin(); it != fetched.end();) {
        it = std::abs(it->first - row) > keep ? fetched.erase(it) : std::next(it);
      }
    }
    const std::vector<std::string> texts = source ? source(row) : std::vector<std::string>{};
    std::vector<Cell> cells(static_cast<size_t>(columnCount));
    for (size_t column = 0; column < cells.size() && column < texts.size(); ++column) {
      cells[column] = toCell(texts[column]);
    }
    return fetched.emplace(row, std::move(cells)).first->second;
  }
};

}  // namespace zelluo
