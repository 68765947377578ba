// The film folders of the collection and what their scans stored (schema
// versions 3 and 5): the folders the Update page walks, for each film file
// found there its size, time and fingerprint, by which a moved file is
// recognised, and the .nfo and poster beside it as they were read.
// docs/collection.md describes the tables.
#include <sqlite3.h>

#include <algorithm>

#include "collection/film_fields.h"
#include "collection/film_store.h"
#include "collection/sql_statement.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

constexpr const char* CreateFolderTables =
    "CREATE TABLE film_folder(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE,"
    " added TEXT NOT NULL);"
    "CREATE TABLE film_file(film INTEGER PRIMARY KEY REFERENCES film(id) ON DELETE CASCADE,"
    " size INTEGER, modified INTEGER, fingerprint TEXT, missing INTEGER NOT NULL DEFAULT 0);";

constexpr const char* CreateSideFileTable =
    "CREATE TABLE film_side_file(film INTEGER NOT NULL REFERENCES film(id) ON DELETE CASCADE,"
    " kind TEXT NOT NULL, path TEXT NOT NULL, size INTEGER NOT NULL, modified INTEGER NOT NULL,"
    " taken TEXT NOT NULL DEFAULT '', PRIMARY KEY(film, kind));";

std::string ObjectType(sqlite3* db, std::string_view name) {
  SqlStatement type(db, "SELECT type FROM sqlite_schema WHERE name = ?1");
  type.Bind(1, name);
  return type.Step() == SQLITE_ROW ? type.Text(0) : std::string();
}

std::string Fault(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

// Keeps what a scan knows of a film's file; missing cleared.
bool RememberFile(sqlite3* db, int64_t film, const Finding& finding) {
  SqlStatement write(db,
                     "INSERT OR REPLACE INTO film_file(film, size, modified, fingerprint, missing,"
                     " path) VALUES(?1, ?2, ?3, ?4, 0, ?5)");
  return write.Bind(1, film)
      .Bind(2, finding.size)
      .Bind(3, finding.modified)
      .BindOrNull(4, finding.fingerprint)
      .Bind(5, finding.path)
      .Done();
}

// Keeps the .nfo or poster beside a film as it was read, and what was taken
// of it; a file taken over without one forgets what was there.
bool RememberSideFile(sqlite3* db, int64_t film, std::string_view kind, const SideFile& side,
                      std::string_view taken) {
  if (side.path.empty()) {
    SqlStatement forget(db, "DELETE FROM film_side_file WHERE film = ?1 AND kind = ?2");
    return forget.Bind(1, film).Bind(2, kind).Done();
  }
  SqlStatement write(
      db,
      "INSERT OR REPLACE INTO film_side_file(film, kind, path, size, modified, taken)"
      " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
  return write.Bind(1, film)
      .Bind(2, kind)
      .Bind(3, side.path)
      .Bind(4, side.size)
      .Bind(5, side.modified)
      .Bind(6, taken)
      .Done();
}

// A moved film's .nfo and poster moved with it: their place and times
// follow, what was taken of them stays.
bool MoveSideFile(sqlite3* db, int64_t film, std::string_view kind, const SideFile& side) {
  if (side.path.empty()) return true;
  SqlStatement move(db,
                    "UPDATE film_side_file SET path = ?3, size = ?4, modified = ?5"
                    " WHERE film = ?1 AND kind = ?2");
  return move.Bind(1, film)
      .Bind(2, kind)
      .Bind(3, side.path)
      .Bind(4, side.size)
      .Bind(5, side.modified)
      .Done();
}

bool HasTakenChange(const Finding& finding, std::string_view column) {
  return std::find(finding.changes.begin(), finding.changes.end(), column) != finding.changes.end();
}

}  // namespace

bool AddFilmFolders(sqlite3* db) {
  const std::string folders = ObjectType(db, "film_folder");
  const std::string files = ObjectType(db, "film_file");
  if (folders == "table" && files == "table") return true;
  // Objects of those names in a file someone else made: not ours.
  if (!folders.empty() || !files.empty()) return false;
  return sqlite3_exec(db, CreateFolderTables, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool AddSideFiles(sqlite3* db) {
  if (ObjectType(db, "film_file") != "table") return false;
  {
    SqlStatement column(db, "SELECT 1 FROM pragma_table_info('film_file') WHERE name = 'path'");
    if (column.Step() != SQLITE_ROW &&
        sqlite3_exec(db, "ALTER TABLE film_file ADD COLUMN path TEXT", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
      return false;
    }
  }
  const std::string side = ObjectType(db, "film_side_file");
  if (side == "table") return true;
  if (!side.empty()) return false;  // an object of that name in a file someone else made
  return sqlite3_exec(db, CreateSideFileTable, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::vector<FilmFolder> FilmStore::ListFilmFolders() {
  readProblem_.clear();
  std::vector<FilmFolder> folders;
  if (std::string problem = FinishOpening(); !problem.empty()) {
    readProblem_ = problem;
    return folders;
  }
  if (!db_) return folders;
  SqlStatement list(db_, "SELECT id, path FROM film_folder ORDER BY path");
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) folders.push_back({list.Integer(0), list.Text(1)});
  if (stepped != SQLITE_DONE) {
    readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
    folders.clear();
  }
  return folders;
}

ChangeResult FilmStore::AddFilmFolder(std::string_view folder) {
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  if (!backupChecked_) BackUpIfDue();
  bool known = false;
  int64_t id = 0;
  ChangeResult result = Change([&]() -> std::string {
    {
      SqlStatement exists(db_, "SELECT 1 FROM film_folder WHERE path = ?1");
      known = exists.Bind(1, folder).Step() == SQLITE_ROW;
    }
    if (known) return "known";
    SqlStatement add(db_, "INSERT INTO film_folder(path, added) VALUES(?1, ?2)");
    if (!add.Bind(1, folder).Bind(2, Now()).Done()) return Fault(db_);
    id = sqlite3_last_insert_rowid(db_);
    return {};
  });
  if (known) return {0, text::FormatText(text::kFolderKnown, folder)};
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  return {id, {}};
}

ChangeResult FilmStore::RemoveFilmFolder(int64_t id) {
  if (!db_) return {0, text::FormatText(text::kCannotWrite, path_, "keine Verbindung")};
  ChangeResult result = Change([&]() -> std::string {
    SqlStatement remove(db_, "DELETE FROM film_folder WHERE id = ?1");
    return remove.Bind(1, id).Done() ? std::string() : Fault(db_);
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  return {id, {}};
}

std::vector<KnownFilm> FilmStore::KnownFilms() {
  readProblem_.clear();
  std::vector<KnownFilm> films;
  if (std::string problem = FinishOpening(); !problem.empty()) {
    readProblem_ = problem;
    return films;
  }
  if (!db_) return films;
  // What film_file knows counts only for the file the film names now (a file
  // stored by an older Zelluo names none).
  SqlStatement list(db_,
                    "SELECT f.id, f.title, f.year, f.video, coalesce(k.size, -1), k.fingerprint,"
                    " coalesce(k.missing, 0), n.path, n.size, n.modified, n.taken, p.path,"
                    " p.size, p.modified, p.taken"
                    " FROM film AS f"
                    " LEFT JOIN film_file AS k ON k.film = f.id AND"
                    " (k.path IS NULL OR k.path = f.video)"
                    " LEFT JOIN film_side_file AS n ON n.film = f.id AND n.kind = 'nfo'"
                    " LEFT JOIN film_side_file AS p ON p.film = f.id AND p.kind = 'poster'");
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) {
    KnownFilm film;
    film.id = list.Integer(0);
    film.title = list.Text(1);
    film.year = list.OptionalNumber(2);
    film.video = list.Text(3);
    film.size = list.Integer(4);
    film.fingerprint = list.Text(5);
    film.missingTaken = list.Integer(6) != 0;
    film.nfo = {list.Text(7), list.Integer(8), list.Integer(9)};
    film.nfoTaken = list.Text(10);
    film.poster = {list.Text(11), list.Integer(12), list.Integer(13)};
    film.posterTaken = list.Text(14);
    films.push_back(std::move(film));
  }
  if (stepped != SQLITE_DONE) {
    readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
    films.clear();
  }
  return films;
}

ChangeResult FilmStore::ApplyFindings(const std::vector<Finding>& findings,
                                      const std::vector<int64_t>& returned) {
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  if (!backupChecked_) BackUpIfDue();
  const std::string now = Now();
  int64_t added = 0;
  ChangeResult result = Change([&]() -> std::string {
    for (const int64_t film : returned) {
      SqlStatement clear(db_, "UPDATE film_file SET missing = 0 WHERE film = ?1");
      if (!clear.Bind(1, film).Done()) return Fault(db_);
    }
    // The new films in one batch, as an import stores them.
    std::vector<const Finding*> fresh;
    std::vector<Film> films;
    for (const Finding& finding : findings) {
      if (!finding.checked || finding.kind != FindingKind::New) continue;
      Film film = finding.values;
      film.title = finding.title;
      film.year = finding.year;
      film.video = finding.path;
      film.added = now;
      film.changed = now;
      fresh.push_back(&finding);
      films.push_back(std::move(film));
    }
    const std::vector<int64_t> ids = InsertFilmRecords(db_, films);
    if (ids.size() != films.size()) return Fault(db_);
    {
      SqlStatement file(db_,
                        "INSERT OR REPLACE INTO film_file(film, size, modified, fingerprint,"
                        " missing, path) VALUES(?1, ?2, ?3, ?4, 0, ?5)");
      for (size_t i = 0; i < ids.size(); ++i) {
        const Finding& finding = *fresh[i];
        if (!file.Bind(1, ids[i])
                 .Bind(2, finding.size)
                 .Bind(3, finding.modified)
                 .BindOrNull(4, finding.fingerprint)
                 .Bind(5, finding.path)
                 .Done()) {
          return Fault(db_);
        }
        file.Reset();
        if ((!finding.nfo.path.empty() &&
             !RememberSideFile(db_, ids[i], "nfo", finding.nfo, finding.nfoTaken)) ||
            (films[i].cover &&
             !RememberSideFile(db_, ids[i], "poster", finding.poster, *films[i].cover))) {
          return Fault(db_);
        }
      }
    }
    added = static_cast<int64_t>(ids.size());
    for (const Finding& finding : findings) {
      if (!finding.checked) continue;
      switch (finding.kind) {
        case FindingKind::New:
          break;  // all at once below
        case FindingKind::Matched:
        case FindingKind::Moved: {
          // A matched film takes the file only while it still has none.
          SqlStatement update(db_, finding.kind == FindingKind::Matched
                                       ? "UPDATE film SET video = ?2, changed = ?3 WHERE id = ?1"
                                         " AND (video IS NULL OR video = '')"
                                       : "UPDATE film SET video = ?2, changed = ?3 WHERE id = ?1");
          if (!update.Bind(1, finding.film).Bind(2, finding.path).Bind(3, now).Done()) {
            return Fault(db_);
          }
          if (sqlite3_changes(db_) > 0 &&
              (!RememberFile(db_, finding.film, finding) ||
               !MoveSideFile(db_, finding.film, "nfo", finding.nfo) ||
               !MoveSideFile(db_, finding.film, "poster", finding.poster))) {
            return Fault(db_);
          }
          break;
        }
        case FindingKind::Changed: {
          // The fields the review offered, and only those; the rest of the
          // film stays as it is stored now.
          std::optional<Film> stored = LoadFilm(finding.film);
          if (!stored) break;  // deleted meanwhile
          Film film = *stored;
          for (const FilmField& field : kFilmFields) {
            if (field.column == "cover" || !HasTakenChange(finding, field.column)) continue;
            if (field.number != nullptr) film.*field.number = finding.values.*field.number;
            if (field.text != nullptr) film.*field.text = finding.values.*field.text;
          }
          const bool newCover = HasTakenChange(finding, "cover") && finding.values.cover;
          if (newCover) film.cover = finding.values.cover;
          film.changed = now;
          if (WriteFilmRecord(db_, film, film.id, true) == 0) return Fault(db_);
          if (!finding.nfoTaken.empty() &&
              !RememberSideFile(db_, film.id, "nfo", finding.nfo, finding.nfoTaken)) {
            return Fault(db_);
          }
          if (newCover && !RememberSideFile(db_, film.id, "poster", finding.poster, *film.cover)) {
            return Fault(db_);
          }
          break;
        }
        case FindingKind::Missing: {
          SqlStatement mark(
              db_,
              "INSERT INTO film_file(film, missing, path) SELECT id, 1, video"
              " FROM film WHERE id = ?1 ON CONFLICT(film) DO UPDATE SET"
              " missing = 1, path = excluded.path, size ="
              " iif(coalesce(film_file.path, excluded.path) IS excluded.path, film_file.size, "
              "NULL),"
              " fingerprint = iif(coalesce(film_file.path, excluded.path) IS excluded.path,"
              " film_file.fingerprint, NULL)");
          if (!mark.Bind(1, finding.film).Done()) return Fault(db_);
          break;
        }
        case FindingKind::Unreachable:
          break;  // nothing is stored of a folder that could not be reached
      }
    }
    return {};
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  RefreshDerivedData();
  ChangeResult done;
  done.filmsAdded = added;
  return done;
}

}  // namespace zelluo::collection
