#pragma once
// The year and the running time of a film as people write them, read the same
// way wherever they come from: the List page's fields and imported files.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelluo::collection {

inline constexpr int32_t kFirstFilmYear = 1888;
inline constexpr int32_t kLastFilmYear = 2100;

// A parsed value: none when the text is blank, invalid when it is no value of
// the kind.
struct ParsedNumber {
  std::optional<int32_t> value;
  bool valid = true;
};

// "1994" (blanks around it allowed); a year from 1888 to 2100.
ParsedNumber ParseYear(std::string_view text);
// Minutes as "102", "102 min", "102 Min." or hours and minutes as "1:42"; more
// than 0 and at most 100 hours.
ParsedNumber ParseRunningTime(std::string_view text);
// "102 min"; empty for none.
std::string RunningTimeText(std::optional<int32_t> minutes);
std::string YearText(std::optional<int32_t> year);

}  // namespace zelluo::collection
