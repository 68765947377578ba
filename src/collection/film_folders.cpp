// The film folders of the collection and what their scans stored (schema
// version 3): the folders the Update page walks, and for each film file found
// there its size, time and fingerprint, by which a moved file is recognised.
// docs/collection.md describes the tables.
#include <sqlite3.h>

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

std::string ObjectType(sqlite3* db, std::string_view name) {
  SqlStatement type(db, "SELECT type FROM sqlite_schema WHERE name = ?1");
  type.Bind(1, name);
  return type.Step() == SQLITE_ROW ? type.Text(0) : std::string();
}

std::string Fault(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

// Keeps what a scan knows of a film's file.
bool RememberFile(sqlite3* db, int64_t film, const Finding& finding) {
  SqlStatement write(db,
                     "INSERT OR REPLACE INTO film_file(film, size, modified, fingerprint, missing)"
                     " VALUES(?1, ?2, ?3, ?4, 0)");
  return write.Bind(1, film)
      .Bind(2, finding.size)
      .Bind(3, finding.modified)
      .BindOrNull(4, finding.fingerprint)
      .Done();
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
  SqlStatement list(db_,
                    "SELECT f.id, f.title, f.year, f.video, coalesce(k.size, -1), k.fingerprint"
                    " FROM film AS f LEFT JOIN film_file AS k ON k.film = f.id");
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) {
    films.push_back(KnownFilm{list.Integer(0), list.Text(1), list.OptionalNumber(2), list.Text(3),
                              list.Integer(4), list.Text(5)});
  }
  if (stepped != SQLITE_DONE) {
    readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
    films.clear();
  }
  return films;
}

ChangeResult FilmStore::ApplyFindings(const std::vector<Finding>& findings) {
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  if (!backupChecked_) BackUpIfDue();
  const std::string now = Now();
  int64_t added = 0;
  ChangeResult result = Change([&]() -> std::string {
    for (const Finding& finding : findings) {
      if (!finding.checked) continue;
      switch (finding.kind) {
        case FindingKind::New: {
          // The search words and sort key follow with the next refresh, as
          // for a film another program inserted.
          SqlStatement insert(db_,
                              "INSERT INTO film(title, year, video, added, changed)"
                              " VALUES(?1, ?2, ?3, ?4, ?4)");
          if (!insert.Bind(1, finding.title)
                   .BindOrNull(2, finding.year)
                   .Bind(3, finding.path)
                   .Bind(4, now)
                   .Done() ||
              !RememberFile(db_, sqlite3_last_insert_rowid(db_), finding)) {
            return Fault(db_);
          }
          ++added;
          break;
        }
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
          if (sqlite3_changes(db_) > 0 && !RememberFile(db_, finding.film, finding)) {
            return Fault(db_);
          }
          break;
        }
        case FindingKind::Missing: {
          SqlStatement mark(db_,
                            "INSERT INTO film_file(film, missing) SELECT id, 1 FROM film"
                            " WHERE id = ?1 ON CONFLICT(film) DO UPDATE SET missing = 1");
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
