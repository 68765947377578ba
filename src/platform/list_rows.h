#pragma once
// What a desktop list gadget knows of its rows, shared by the GTK and Win32
// backends: the program's row source, how many rows and columns there are and
// the selection last known. A cell the list draws is read from the source
// when it is drawn; the program's side keeps the rows it has at hand, so the
// list keeps none of its own.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zelluo::platform {

struct ListRows {
  ListRowSource source;
  int32_t columnCount = 0;
  int32_t count = 0;
  // The selected row as the program last knew it (its own selection or the
  // last one reported), so that a repeated notification reports nothing.
  int32_t knownSelection = -1;

  // The text of one cell as the source gives it now, made one line in the
  // backend's text type by toCell; an empty cell for a row or column the
  // source has no text for.
  template <typename ToCell>
  auto Cell(int32_t row, int32_t column, ToCell toCell) const -> decltype(toCell(std::string())) {
    if (!source || column < 0 || column >= columnCount) return {};
    const std::vector<std::string> texts = source(row);
    if (static_cast<size_t>(column) >= texts.size()) return {};
    return toCell(texts[static_cast<size_t>(column)]);
  }
};

}  // namespace zelluo::platform
