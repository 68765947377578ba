#include "collection/catalogue_values.h"

#include <algorithm>
#include <cmath>

#include "collection/film_values.h"
#include "platform/os_services.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {

// ---------------------------------------------------------------------------
// Values as the catalogues write them.

bool HoldsNoValue(std::string_view value) {
  const std::string trimmed = text::Trimmed(value);
  return trimmed.empty() || trimmed == "0";
}

std::string OneLine(std::string_view value) {
  std::string line;
  bool gap = false;
  for (const char c : text::Trimmed(value)) {
    if (c == '\r' || c == '\n' || c == '\t') {
      gap = true;
      continue;
    }
    if (gap && !line.empty() && line.back() != ' ' && c != ' ') line += ' ';
    gap = false;
    line += c;
  }
  return line;
}

void AddLine(std::string& list, std::string_view item) {
  const std::string line = OneLine(item);
  if (line.empty()) return;
  if (!list.empty()) list += '\n';
  list += line;
}

void AddToLine(std::string& line, std::string_view item, std::string_view separator) {
  const std::string value = OneLine(item);
  if (value.empty()) return;
  if (!line.empty()) line += separator;
  line += value;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find_first_of(separators, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

std::string ActorLine(std::string_view name, std::string_view role) {
  std::string line = OneLine(name);
  const std::string character = OneLine(role);
  if (line.empty()) return {};
  if (!character.empty()) line += " (" + character + ")";
  return line;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<int32_t> YearIn(std::string_view text) {
  if (const ParsedNumber year = ParseYear(text); year.valid) return year.value;
  for (size_t i = 0; i + 4 <= text.size(); ++i) {
    if ((i > 0 && IsDigit(text[i - 1])) || !IsDigit(text[i])) continue;
    size_t digits = 0;
    while (i + digits < text.size() && IsDigit(text[i + digits])) ++digits;
    if (digits == 4) {
      if (const ParsedNumber year = ParseYear(text.substr(i, 4)); year.valid) return year.value;
    }
    i += digits - 1;
  }
  return std::nullopt;
}

std::optional<int32_t> MinutesIn(std::string_view text) {
  if (const ParsedNumber minutes = ParseRunningTime(text); minutes.valid) return minutes.value;
  const std::string trimmed = text::Trimmed(text);
  std::string_view rest = trimmed;
  const auto number = [&rest]() -> std::optional<int32_t> {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    int32_t value = 0;
    size_t digits = 0;
    while (digits < rest.size() && digits < 5 && IsDigit(rest[digits])) {
      value = value * 10 + (rest[digits] - '0');
      ++digits;
    }
    if (digits == 0 || (digits < rest.size() && IsDigit(rest[digits]))) return std::nullopt;
    rest.remove_prefix(digits);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return value;
  };
  const std::optional<int32_t> first = number();
  if (!first) return std::nullopt;
  int32_t minutes = *first;
  if (!rest.empty() && (rest.front() == 'h' || rest.front() == 'H')) {
    rest.remove_prefix(1);
    minutes = *first * 60;
    if (const std::optional<int32_t> more = number()) minutes += *more;
  }
  const ParsedNumber checked = ParseRunningTime(std::to_string(minutes));
  return checked.valid ? checked.value : std::nullopt;
}

std::optional<double> DecimalIn(std::string_view text) {
  const std::string trimmed = text::Trimmed(text);
  double value = 0;
  double scale = 0;
  size_t digits = 0;
  for (const char c : trimmed) {
    if (IsDigit(c)) {
      if (++digits > 6) return std::nullopt;
      if (scale == 0) {
        value = value * 10 + (c - '0');
      } else {
        value += (c - '0') * scale;
        scale /= 10;
      }
    } else if ((c == '.' || c == ',') && scale == 0) {
      scale = 0.1;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  return value;
}

std::optional<int32_t> Stars(std::string_view text, double maximum) {
  const std::optional<double> value = DecimalIn(text);
  if (!value || *value <= 0 || maximum <= 0 || *value > maximum) return std::nullopt;
  const auto stars = static_cast<int32_t>(std::lround(*value * 5 / maximum));
  return std::clamp(stars, 1, 5);
}

// ---------------------------------------------------------------------------
// Files beside the catalogue.

std::string WithoutExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
}

bool IsFile(const std::string& path) { return !path.empty() && platform::os::FileSize(path) > 0; }

std::string PathOfFileUrl(std::string_view url) {
  if (url.substr(0, 7) != "file://") return {};
  url.remove_prefix(7);
  if (url.size() >= 3 && url[0] == '/' && url[2] == ':') url.remove_prefix(1);  // file:///C:/
  std::string path;
  for (size_t i = 0; i < url.size(); ++i) {
    const auto hex = [](char c) {
      if (IsDigit(c)) return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (url[i] == '%' && i + 2 < url.size() && hex(url[i + 1]) >= 0 && hex(url[i + 2]) >= 0) {
      path += static_cast<char>(hex(url[i + 1]) * 16 + hex(url[i + 2]));
      i += 2;
    } else {
      path += url[i];
    }
  }
  return path;
}

// ---------------------------------------------------------------------------
// XML catalogues.

std::string LineOf(const XmlElement& element) {
  return text::FormatText(text::kCatalogueAtLine, std::to_string(element.line));
}

std::string_view LocalName(const XmlElement& element) {
  std::string_view name = element.name;
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string AllText(const XmlElement& element) {
  std::string text = text::Trimmed(element.text);
  for (const XmlElement& child : element.children) {
    if (text.size() > 64) break;
    text += AllText(child);
  }
  return text;
}

}  // namespace zelluo::collection
