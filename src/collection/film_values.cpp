#include "collection/film_values.h"

#include <cctype>

#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

std::string_view Trim(std::string_view text) { return text::TrimView(text, text::kAsciiSpace); }

// The digits at the start of text, at most six of them; none without a digit.
std::optional<int32_t> TakeNumber(std::string_view& text) {
  int32_t value = 0;
  size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
    if (digits == 6) return std::nullopt;
    value = value * 10 + (text[digits] - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
  }
  return true;
}

}  // namespace

ParsedNumber ParseYear(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return {};
  std::optional<int32_t> year = TakeNumber(text);
  if (!year || !text.empty() || *year < kFirstFilmYear || *year > kLastFilmYear) {
    return {std::nullopt, false};
  }
  return {year, true};
}

ParsedNumber ParseRunningTime(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return {};
  std::optional<int32_t> minutes = TakeNumber(text);
  if (!minutes) return {std::nullopt, false};
  if (!text.empty() && text.front() == ':') {
    text.remove_prefix(1);
    const size_t digits = text.size();
    std::optional<int32_t> rest = TakeNumber(text);
    if (!rest || digits != 2 || *rest > 59) return {std::nullopt, false};
    minutes = *minutes * 60 + *rest;
  } else {
    text = Trim(text);
    if (!text.empty() && text.back() == '.') text.remove_suffix(1);
    if (!text.empty() && !EqualsIgnoringCase(text, Trim(text::kMinutes)))
      return {std::nullopt, false};
  }
  if (*minutes <= 0 || *minutes > 6000) return {std::nullopt, false};
  return {minutes, true};
}

std::string RunningTimeText(std::optional<int32_t> minutes) {
  return minutes ? std::to_string(*minutes) + std::string(text::kMinutes) : std::string();
}

std::string YearText(std::optional<int32_t> year) {
  return year ? std::to_string(*year) : std::string();
}

}  // namespace zelluo::collection
