// The statistics of the collection: counts, totals and the films per value of
// a field, all counted by SQLite, and the narrowing of the List page to the
// films behind one bar.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "collection/film_store.h"
#include "collection/sql_statement.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// Every line of the genre of every film that has more than one, trimmed, one
// row (id, value) each: the field holds one genre per line. Most films have
// one line, which is its genre as it stands (kSingleGenre): cutting only the
// others halves the work.
constexpr std::string_view kGenreLines =
    "WITH RECURSIVE line(id, value, rest) AS ("
    " SELECT id, NULL, replace(genre, char(13), '') || char(10) FROM film"
    " WHERE instr(genre, char(10)) > 0"
    " UNION ALL SELECT id, trim(substr(rest, 1, instr(rest, char(10)) - 1)),"
    " substr(rest, instr(rest, char(10)) + 1) FROM line WHERE rest <> '')";
constexpr std::string_view kSingleGenre = "trim(replace(genre, char(13), ''))";
constexpr std::string_view kOneLine = "instr(coalesce(genre, ''), char(10)) = 0";
// A film whose genre has no line with a word in it.
constexpr std::string_view kNoGenre =
    "trim(replace(replace(coalesce(genre, ''), char(13), ''), char(10), '')) = ''";
// A film's decade as the text of its first year; empty without a year.
constexpr std::string_view kDecade = "coalesce(CAST(year / 10 * 10 AS TEXT), '')";

// The value a film is counted under for the plain fields.
std::string_view ValueOf(StatField field) {
  switch (field) {
    case StatField::Director:
      return "trim(coalesce(director, ''))";
    case StatField::Country:
      return "trim(coalesce(country, ''))";
    case StatField::Decade:
      return kDecade;
    case StatField::Genre:
    case StatField::Added:
      break;
  }
  return "''";
}

// The films per value (value, count) by the query, most first; the bucket
// "ohne Angabe" after them.
bool ReadBars(sqlite3* db, const std::string& sql, int topValues, int64_t without,
              std::vector<StatBar>& bars) {
  SqlStatement query(db, sql);
  query.Bind(1, int64_t{topValues});
  int stepped;
  while ((stepped = query.Step()) == SQLITE_ROW) {
    bars.push_back({query.Text(0), query.Text(0), query.Integer(1)});
  }
  bars.push_back({std::string(text::kWithoutValue), {}, without});
  return stepped == SQLITE_DONE;
}

int64_t Count(sqlite3* db, const std::string& sql, std::string_view parameter = {}) {
  SqlStatement count(db, sql);
  if (!parameter.empty()) count.Bind(1, parameter);
  return count.Step() == SQLITE_ROW ? count.Integer(0) : -1;
}

// "2026-12" to "12.2026"; the month after it, "2027-01".
std::string MonthLabel(const std::string& month) {
  return month.substr(5, 2) + "." + month.substr(0, 4);
}
std::string NextPeriod(const std::string& period) {
  const int year = std::atoi(period.substr(0, 4).c_str());
  if (period.size() == 4) return std::to_string(year + 1);
  const int month = std::atoi(period.substr(5, 2).c_str());
  char next[32];
  std::snprintf(next, sizeof next, "%04d-%02d", month == 12 ? year + 1 : year,
                month == 12 ? 1 : month + 1);
  return next;
}

// The films at the end of each month with films added (each year, once they
// span more than twelve months), from the films added per month; the last
// topValues periods.
std::vector<StatBar> GrowthOf(const std::vector<std::pair<std::string, int64_t>>& months,
                              int topValues) {
  std::vector<std::pair<std::string, int64_t>> periods = months;
  if (months.size() > 1) {
    const int first = std::atoi(months.front().first.substr(0, 4).c_str()) * 12 +
                      std::atoi(months.front().first.substr(5, 2).c_str());
    const int last = std::atoi(months.back().first.substr(0, 4).c_str()) * 12 +
                     std::atoi(months.back().first.substr(5, 2).c_str());
    if (last - first >= 12) {
      periods.clear();
      for (const auto& [month, films] : months) {
        const std::string year = month.substr(0, 4);
        if (periods.empty() || periods.back().first != year) periods.emplace_back(year, 0);
        periods.back().second += films;
      }
    }
  }
  std::vector<StatBar> growth;
  int64_t total = 0;
  for (const auto& [period, films] : periods) {
    total += films;
    growth.push_back({period.size() == 4 ? period : MonthLabel(period), NextPeriod(period), total});
  }
  if (growth.size() > static_cast<size_t>(topValues)) {
    growth.erase(growth.begin(), growth.end() - topValues);
  }
  return growth;
}

}  // namespace

Statistics FilmStore::ComputeStatistics(std::string_view today, int topValues) {
  readProblem_.clear();
  Statistics statistics;
  // The viewing log and the loans are there only once an older file is migrated.
  if (std::string problem = FinishOpening(); !problem.empty()) {
    readProblem_ = problem;
    return statistics;
  }
  sqlite3* db = db_;
  if (!db) return statistics;  // no file yet: no films
  const auto failed = [&] {
    readProblem_ = text::FormatText(text::kCannotRead, path_, sqlite3_errmsg(db));
    return Statistics{};
  };
  // The totals and the films without a value of each field, in one pass.
  SqlStatement totals(
      db, "SELECT count(*), coalesce(sum(runtime), 0), sum(" + std::string(kNoGenre) + "), sum(" +
              std::string(ValueOf(StatField::Director)) + " = ''), sum(" +
              std::string(ValueOf(StatField::Country)) + " = ''), sum(year IS NULL) FROM film");
  if (totals.Step() != SQLITE_ROW) return failed();
  statistics.films = totals.Integer(0);
  statistics.minutes = totals.Integer(1);
  const int64_t noGenre = totals.Integer(2);
  const int64_t noDirector = totals.Integer(3);
  const int64_t noCountry = totals.Integer(4);
  const int64_t noYear = totals.Integer(5);
  statistics.seen = Count(db, "SELECT count(DISTINCT film) FROM viewing WHERE complete = 1");
  statistics.lent = Count(db, "SELECT count(*) FROM loan WHERE returned IS NULL");
  statistics.overdue =
      Count(db, "SELECT count(*) FROM loan WHERE returned IS NULL AND due < ?1", today);
  if (statistics.seen < 0 || statistics.lent < 0 || statistics.overdue < 0) return failed();

  bool read =
      ReadBars(db,
               std::string(kGenreLines) + " SELECT value, sum(films) AS films FROM (SELECT " +
                   std::string(kSingleGenre) + " AS value, count(*) AS films FROM film" +
                   " WHERE " + std::string(kOneLine) +
                   " GROUP BY value UNION ALL SELECT value, count(DISTINCT id) FROM line"
                   " WHERE value <> '' GROUP BY value) WHERE value <> ''"
                   " GROUP BY value ORDER BY films DESC, value LIMIT ?1",
               topValues, noGenre, statistics.genres);
  for (auto [field, bars, without] :
       {std::tuple{StatField::Director, &statistics.directors, noDirector},
        std::tuple{StatField::Country, &statistics.countries, noCountry}}) {
    const std::string value(ValueOf(field));
    read = read && ReadBars(db,
                            "SELECT " + value +
                                " AS value, count(*) AS films FROM film WHERE value <> ''"
                                " GROUP BY value ORDER BY films DESC, value LIMIT ?1",
                            topValues, without, *bars);
  }
  read = read && ReadBars(db,
                          "SELECT value, films FROM (SELECT " + std::string(kDecade) +
                              " AS value, count(*) AS films FROM film WHERE year IS NOT NULL"
                              " GROUP BY value ORDER BY films DESC, value LIMIT ?1) ORDER BY value",
                          topValues, noYear, statistics.decades);
  for (size_t i = 0; i + 1 < statistics.decades.size(); ++i) {
    statistics.decades[i].label += text::kDecadeSuffix;
  }

  SqlStatement months(db,
                      "SELECT substr(added, 1, 7) AS month, count(*) FROM film"
                      " WHERE added GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]*'"
                      " GROUP BY month ORDER BY month");
  std::vector<std::pair<std::string, int64_t>> perMonth;
  int stepped;
  while ((stepped = months.Step()) == SQLITE_ROW) {
    perMonth.emplace_back(months.Text(0), months.Integer(1));
  }
  if (!read || stepped != SQLITE_DONE) return failed();
  statistics.growth = GrowthOf(perMonth, topValues);
  return statistics;
}

void FilmStore::NarrowToBar(StatField field, std::string key) {
  narrowing_ = Narrowing::Bar;
  barField_ = field;
  narrowingDay_ = std::move(key);
}

std::string FilmStore::BarFilter() const {
  std::string condition;
  switch (barField_) {
    case StatField::Genre:
      if (narrowingDay_.empty()) {
        condition = "SELECT id FROM film WHERE " + std::string(kNoGenre);
      } else {
        condition = std::string(kGenreLines) +
                    " SELECT id FROM line WHERE value = ?8 UNION ALL SELECT id FROM film WHERE " +
                    std::string(kOneLine) + " AND " + std::string(kSingleGenre) + " = ?8";
      }
      break;
    case StatField::Director:
    case StatField::Country:
    case StatField::Decade:
      condition = "SELECT id FROM film WHERE " + std::string(ValueOf(barField_)) + " = ?8";
      break;
    case StatField::Added:
      condition =
          "SELECT id FROM film WHERE added GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]*'"
          " AND added < ?8";
      break;
  }
  return " AND id IN (" + condition + ")";
}

}  // namespace zelluo::collection
