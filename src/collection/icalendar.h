#pragma once
// The due dates of lent films as an iCalendar file (RFC 5545) that any
// calendar program reads: one all-day event per film away, on its due day.

#include <string>
#include <string_view>
#include <vector>

#include "collection/film_store.h"

namespace zelluo::collection {

// The calendar of the loans that are open and have a due date. stamp is the
// moment written as DTSTAMP, "20261207T101500Z". Lines end in CRLF and are
// folded at 75 octets, never inside a UTF-8 character.
std::string LoansAsICalendar(const std::vector<Loan>& loans, std::string_view stamp);

// text as an iCalendar TEXT value: backslash, semicolon, comma and line breaks escaped.
std::string ICalendarText(std::string_view text);

}  // namespace zelluo::collection
