#include "core/form_draft.h"

#include <charconv>
#include <cstdint>
#include <set>
#include <vector>

#include "texts/texts.h"

namespace zelluo::core {
namespace {

constexpr std::string_view kFirstLine = "Zelluo-Entwurf 1";
constexpr std::string_view kFilmKey = "Film";
constexpr std::string_view kTimeKey = "Zeit";

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        return std::nullopt;
    }
  }
  return out;
}

// Decimal digits only, exactly width of them (any number up to 18 for width
// 0), with the value between low and high.
std::optional<int64_t> Number(std::string_view text, size_t width, int64_t low, int64_t high) {
  if (text.empty() || (width == 0 ? text.size() > 18 : text.size() != width) ||
      text.front() == '-' || text.front() == '+') {
    return std::nullopt;
  }
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::string TwoDigits(int32_t value) {
  return (value < 10 && value >= 0 ? "0" : "") + std::to_string(value);
}

// "2026-12-07 18:30"
std::string IsoTime(const platform::LocalTime& time) {
  return std::to_string(time.date.year) + "-" + TwoDigits(time.date.month) + "-" +
         TwoDigits(time.date.day) + " " + TwoDigits(time.hour) + ":" + TwoDigits(time.minute);
}

std::optional<platform::LocalTime> ParseIsoTime(std::string_view text) {
  if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':') {
    return std::nullopt;
  }
  const auto year = Number(text.substr(0, 4), 4, 1970, 9999);
  const auto month = Number(text.substr(5, 2), 2, 1, 12);
  const auto day = Number(text.substr(8, 2), 2, 1, 31);
  const auto hour = Number(text.substr(11, 2), 2, 0, 23);
  const auto minute = Number(text.substr(14, 2), 2, 0, 59);
  if (!year || !month || !day || !hour || !minute) return std::nullopt;
  return platform::LocalTime{
      platform::LocalDate{static_cast<int32_t>(*day), static_cast<int32_t>(*month),
                          static_cast<int32_t>(*year)},
      static_cast<int32_t>(*hour), static_cast<int32_t>(*minute)};
}

bool IsFieldName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

}  // namespace

std::string FormatFormDraft(const FormDraft& draft) {
  std::string out(kFirstLine);
  out += '\n';
  out += std::string(kFilmKey) + " " + std::to_string(draft.filmId) + "\n";
  out += std::string(kTimeKey) + " " + IsoTime(draft.written) + "\n";
  for (const auto& [name, text] : draft.texts) out += name + " " + Escaped(text) + "\n";
  return out;
}

std::optional<FormDraft> ParseFormDraft(std::string_view bytes) {
  // Every line ends with a line feed: a file cut short has a last one without.
  if (bytes.empty() || bytes.back() != '\n') return std::nullopt;
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  if (lines.size() < 3 || lines[0] != kFirstLine) return std::nullopt;
  FormDraft draft;
  std::set<std::string_view> seen;
  for (size_t i = 1; i < lines.size(); ++i) {
    const size_t blank = lines[i].find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const std::string_view key = lines[i].substr(0, blank);
    const std::string_view value = lines[i].substr(blank + 1);
    if (i == 1) {
      const auto id = Number(value, 0, 0, INT64_MAX);
      if (key != kFilmKey || !id) return std::nullopt;
      draft.filmId = *id;
    } else if (i == 2) {
      const auto written = ParseIsoTime(value);
      if (key != kTimeKey || !written) return std::nullopt;
      draft.written = *written;
    } else {
      std::optional<std::string> text = Unescaped(value);
      if (!IsFieldName(key) || !seen.insert(key).second || !text) return std::nullopt;
      draft.texts.emplace_back(std::string(key), std::move(*text));
    }
  }
  return draft;
}

std::string RestoreDraftQuestion(const platform::LocalTime& written) {
  return std::string(text::kRestoreDraftHead) + TwoDigits(written.date.day) + "." +
         TwoDigits(written.date.month) + "." + std::to_string(written.date.year) + ", " +
         TwoDigits(written.hour) + ":" + TwoDigits(written.minute) +
         std::string(text::kRestoreDraftTail);
}

}  // namespace zelluo::core
