// The viewing log of the collection (schema version 2): every viewing of a
// film with its dates, position and duration, from which the Play page derives
// seen, last seen and the resume point. docs/collection.md describes the table.
#include <sqlite3.h>

#include <algorithm>
#include <unordered_map>

#include "collection/film_store.h"
#include "collection/folding.h"
#include "collection/sql_statement.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

constexpr const char* CreateViewingTable =
    "CREATE TABLE viewing(id INTEGER PRIMARY KEY,"
    " film INTEGER NOT NULL REFERENCES film(id) ON DELETE CASCADE,"
    " started TEXT NOT NULL, ended TEXT, position REAL, duration REAL,"
    " complete INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX viewing_film ON viewing(film, id);";

std::string ObjectType(sqlite3* db, std::string_view name) {
  SqlStatement type(db, "SELECT type FROM sqlite_schema WHERE name = ?1");
  type.Bind(1, name);
  return type.Step() == SQLITE_ROW ? type.Text(0) : std::string();
}

std::string Fault(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

}  // namespace

bool CountsAsSeen(double position, double duration) {
  return duration > 0 && position >= kSeenFrom * duration;
}

std::string LastSeen(const Film& film) {
  std::string last;
  for (const Viewing& viewing : film.viewings) {
    if (!viewing.complete) continue;
    const std::string& moment = viewing.ended.empty() ? viewing.started : viewing.ended;
    last = std::max(last, moment);
  }
  return last;
}

double ResumePoint(double position, double duration) {
  if (duration <= 0 || position < kResumeFrom * duration || CountsAsSeen(position, duration)) {
    return 0;
  }
  return position;
}

bool PassesFilter(const PlayRow& row, PlayFilter filter) {
  switch (filter) {
    case PlayFilter::Unseen:
      return row.lastSeen.empty();
    case PlayFilter::Started:
      return row.resume > 0;
    case PlayFilter::All:
      break;
  }
  return true;
}

bool AddViewingLog(sqlite3* db) {
  const std::string type = ObjectType(db, "viewing");
  if (type == "table") return true;
  // A view or trigger of that name in a file someone else made: not ours.
  if (!type.empty()) return false;
  return sqlite3_exec(db, CreateViewingTable, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::vector<PlayRow> FilmStore::ListPlayable(std::string_view query, PlayFilter filter) {
  readProblem_.clear();
  std::vector<PlayRow> rows;
  // The viewing log may still be on its way into an older file.
  if (std::string problem = FinishOpening(); !problem.empty()) {
    readProblem_ = problem;
    return rows;
  }
  if (!db_) return rows;
  const std::string expression = MatchExpressionOf(query);
  std::string sql =
      "SELECT f.id, f.title, f.year, f.runtime, f.video, f.cover, s.last_seen, s.viewings,"
      " l.position, l.duration FROM film AS f INDEXED BY film_order"
      " LEFT JOIN (SELECT film, count(*) AS viewings,"
      " max(CASE WHEN complete THEN coalesce(ended, started) END) AS last_seen"
      " FROM viewing GROUP BY film) AS s ON s.film = f.id"
      " LEFT JOIN viewing AS l ON l.id = (SELECT max(id) FROM viewing WHERE film = f.id"
      " AND (ended IS NOT NULL OR complete))"
      " WHERE f.video IS NOT NULL AND f.video != ''";
  if (!expression.empty()) {
    sql += " AND f.id IN (SELECT rowid FROM film_search WHERE film_search MATCH ?1)";
  }
  sql += " ORDER BY f.sort_key, f.id";
  SqlStatement list(db_, sql);
  if (!expression.empty()) list.Bind(1, expression);
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) {
    PlayRow row{list.Integer(0),
                list.Text(1),
                list.OptionalNumber(2),
                list.OptionalNumber(3),
                list.Text(4),
                list.OptionalText(5),
                list.Text(6),
                list.Integer(7),
                0,
                list.Real(9)};
    // The last viewing that came to an end here: complete ones and those
    // marked unseen start anew. One handed to the system's player says
    // nothing of how far it came, so the point before it stays.
    row.resume = ResumePoint(list.Real(8), row.duration);
    if (PassesFilter(row, filter)) rows.push_back(std::move(row));
  }
  if (stepped != SQLITE_DONE) {
    readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
    rows.clear();
  }
  return rows;
}

void FilmStore::AttachViewings(std::vector<Film>& films) {
  readProblem_.clear();
  if (!db_) return;
  std::unordered_map<int64_t, Film*> byId;
  byId.reserve(films.size());
  for (Film& film : films) {
    film.viewings.clear();
    byId.emplace(film.id, &film);
  }
  SqlStatement list(db_,
                    "SELECT id, film, started, ended, position, duration, complete FROM viewing"
                    " ORDER BY film, id");
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) {
    const auto owner = byId.find(list.Integer(1));
    if (owner == byId.end()) continue;
    owner->second->viewings.push_back({list.Integer(0), list.Integer(1), list.Text(2), list.Text(3),
                                       list.Real(4), list.Real(5), list.Integer(6) != 0});
  }
  if (stepped != SQLITE_DONE) readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
}

std::vector<Viewing> FilmStore::ViewingsOf(int64_t film) {
  readProblem_.clear();
  std::vector<Viewing> viewings;
  // The viewing log may still be on its way into an older file.
  if (std::string problem = FinishOpening(); !problem.empty()) {
    readProblem_ = problem;
    return viewings;
  }
  if (!db_) return viewings;
  SqlStatement list(db_,
                    "SELECT id, film, started, ended, position, duration, complete FROM viewing"
                    " WHERE film = ?1 ORDER BY id");
  list.Bind(1, film);
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) {
    viewings.push_back({list.Integer(0), list.Integer(1), list.Text(2), list.Text(3), list.Real(4),
                        list.Real(5), list.Integer(6) != 0});
  }
  if (stepped != SQLITE_DONE) readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
  return viewings;
}

ChangeResult FilmStore::StartViewing(int64_t film) {
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  return ChangeFilm(film, [&](int64_t& id) -> std::string {
    SqlStatement insert(db_, "INSERT INTO viewing(film, started) VALUES(?1, ?2)");
    if (!insert.Bind(1, film).Bind(2, Now()).Done()) return Fault(db_);
    id = sqlite3_last_insert_rowid(db_);
    return {};
  });
}

ChangeResult FilmStore::EndViewing(int64_t viewing, double position, double duration) {
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  position = std::max(position, 0.0);
  duration = std::max(duration, 0.0);
  ChangeResult result = Change([&]() -> std::string {
    SqlStatement end(db_,
                     "UPDATE viewing SET ended = ?2, position = ?3, duration = ?4,"
                     " complete = ?5 WHERE id = ?1");
    end.Bind(1, viewing).Bind(2, Now()).BindReal(3, position).BindReal(4, duration);
    end.Bind(5, int64_t{CountsAsSeen(position, duration) ? 1 : 0});
    return end.Done() ? std::string() : Fault(db_);
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  return {viewing, {}};
}

ChangeResult FilmStore::MarkSeen(int64_t film, bool seen) {
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  if (!backupChecked_) BackUpIfDue();
  ChangeResult result = Change([&]() -> std::string {
    if (!seen) {
      // The log keeps its viewings; none counts any more, and the last one
      // leaves no resume point.
      SqlStatement unseen(db_,
                          "UPDATE viewing SET complete = 0,"
                          " position = CASE WHEN id = (SELECT max(id) FROM viewing WHERE film = ?1"
                          " AND (ended IS NOT NULL OR complete))"
                          " THEN 0 ELSE position END WHERE film = ?1");
      return unseen.Bind(1, film).Done() ? std::string() : Fault(db_);
    }
    const std::string now = Now();
    SqlStatement mark(db_,
                      "INSERT INTO viewing(film, started, ended, position, duration, complete)"
                      " SELECT ?1, ?2, ?2, d, d, 1 FROM (SELECT coalesce((SELECT duration FROM"
                      " viewing WHERE film = ?1 ORDER BY id DESC LIMIT 1), 0) AS d)"
                      " WHERE EXISTS(SELECT 1 FROM film WHERE id = ?1)");
    return mark.Bind(1, film).Bind(2, now).Done() ? std::string() : Fault(db_);
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  return {film, {}};
}

}  // namespace zelluo::collection
