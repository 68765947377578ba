#include "settings/settings_record.h"

#include <cstdio>

namespace zelluo::settings {

std::string FormatDate(const platform::LocalDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", static_cast<int>(date.day),
                static_cast<int>(date.month), static_cast<int>(date.year));
  return text;
}

SettingsRecord DefaultSettings(const platform::LocalDate& date) {
  SettingsRecord record;
  record.Today = FormatDate(date);
  return record;
}

int32_t ParseLenientInteger(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  uint32_t base = 10;
  if (at < text.size() && text[at] == '$') {
    base = 16;
    ++at;
  } else if (at < text.size() && text[at] == '%') {
    base = 2;
    ++at;
  }
  // Unsigned arithmetic wraps, which keeps the low 32 bits of any long number.
  uint32_t value = 0;
  for (; at < text.size(); ++at) {
    char c = text[at];
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      break;
    }
    if (digit >= base) break;
    value = value * base + digit;
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

}  // namespace zelluo::settings
