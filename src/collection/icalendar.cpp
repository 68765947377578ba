#include "collection/icalendar.h"

#include <algorithm>
#include <cstdio>

#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// "2026-12-17" as "20261217".
std::string BasicDate(std::string_view day) {
  std::string basic;
  for (char c : day) {
    if (c != '-') basic += c;
  }
  return basic;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// The day after "2026-12-31" in basic form: "20270101".
std::string DayAfter(std::string_view day) {
  int year = std::stoi(std::string(day.substr(0, 4)));
  int month = std::stoi(std::string(day.substr(5, 2)));
  int date = std::stoi(std::string(day.substr(8, 2)));
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int length = month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
  if (++date > length) {
    date = 1;
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  char text[40];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, date);
  return text;
}

// "2026-12-03" as "03.12.2026".
std::string GermanDay(std::string_view day) {
  return std::string(day.substr(8, 2)) + "." + std::string(day.substr(5, 2)) + "." +
         std::string(day.substr(0, 4));
}

// Appends one content line, folded: no line longer than 75 octets, a
// continuation line begins with a space, and a UTF-8 character stays whole.
void AppendLine(std::string& out, std::string_view line) {
  size_t width = 0;
  size_t at = 0;
  while (at < line.size()) {
    size_t length = 1;
    const auto lead = static_cast<unsigned char>(line[at]);
    if (lead >= 0xF0) {
      length = 4;
    } else if (lead >= 0xE0) {
      length = 3;
    } else if (lead >= 0xC0) {
      length = 2;
    }
    length = std::min(length, line.size() - at);
    if (width + length > 75) {
      out += "\r\n ";
      width = 1;
    }
    out.append(line.substr(at, length));
    width += length;
    at += length;
  }
  out += "\r\n";
}

}  // namespace

std::string ICalendarText(std::string_view text) {
  std::string escaped;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' || c == ';' || c == ',') {
      escaped += '\\';
      escaped += c;
    } else if (c == '\r') {
      escaped += "\\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
      escaped += c;
    }
  }
  return escaped;
}

std::string LoansAsICalendar(const std::vector<Loan>& loans, std::string_view stamp) {
  std::string out;
  AppendLine(out, "BEGIN:VCALENDAR");
  AppendLine(out, "VERSION:2.0");
  AppendLine(out, "PRODID:-//Zelluo//Verleih//DE");
  AppendLine(out, "CALSCALE:GREGORIAN");
  for (const Loan& loan : loans) {
    if (!loan.returned.empty() || loan.due.size() != 10 || loan.lent.size() != 10) continue;
    AppendLine(out, "BEGIN:VEVENT");
    AppendLine(out, "UID:zelluo-ausleihe-" + std::to_string(loan.id) + "-" + BasicDate(loan.lent) +
                        "@zelluo");
    AppendLine(out, "DTSTAMP:" + std::string(stamp));
    AppendLine(out, "DTSTART;VALUE=DATE:" + BasicDate(loan.due));
    AppendLine(out, "DTEND;VALUE=DATE:" + DayAfter(loan.due));
    AppendLine(out, "SUMMARY:" + ICalendarText(text::FormatText(text::kLoanEventSummary, loan.title,
                                                                loan.borrower.name)));
    std::string description =
        text::FormatText(text::kLoanEventDescription, loan.borrower.name, GermanDay(loan.lent));
    if (!loan.note.empty()) description += "\n" + loan.note;
    AppendLine(out, "DESCRIPTION:" + ICalendarText(description));
    AppendLine(out, "TRANSP:TRANSPARENT");
    AppendLine(out, "END:VEVENT");
  }
  AppendLine(out, "END:VCALENDAR");
  return out;
}

}  // namespace zelluo::collection
