#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <string>

#include "collection/catalogue_import.h"
#include "collection/catalogue_values.h"
#include "collection/sql_statement.h"
#include "platform/os_services.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// A file: address for SQLite that opens path read-only and, since nothing may
// change it, immutable: no locks, no journal, no write-ahead log. Bytes that
// could be read as part of the address are percent-encoded.
std::string ImmutableUri(std::string_view path) {
  std::string slashed(path);
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  // C:\ -> file:/C:/
  return std::string(path.size() >= 2 && path[1] == ':' ? "file:/" : "file:") +
         PercentEncoded(slashed, "/-._~:") + "?mode=ro&immutable=1";
}

bool HasTable(sqlite3* db, std::string_view name) {
  SqlStatement query(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?1");
  query.Bind(1, name);
  return query.Step() == SQLITE_ROW && query.Bytes(0) != "0";
}

std::string GriffithFault(sqlite3* db, std::string_view filePath, int code) {
  const int primary = code & 0xFF;
  const std::string name = FileNameOf(filePath);
  if (primary == SQLITE_NOTADB) return text::FormatText(text::kGriffithNotDatabase, name);
  if (primary == SQLITE_CORRUPT) {
    return text::FormatText(text::kGriffithDamaged, name, sqlite3_errmsg(db));
  }
  return text::FormatText(text::kGriffithCannotOpen, name, sqlite3_errmsg(db));
}

// Opened immutable, SQLite would pass over changes still waiting in a journal
// or write-ahead log after Griffith ended abruptly; Griffith itself takes them
// in at its next start. The message when there are such changes, else empty.
std::string PendingChanges(std::string_view filePath) {
  for (const char* suffix : {"-wal", "-journal"}) {
    const std::string pending = std::string(filePath) + suffix;
    if (platform::os::FileSize(pending) > 0) {
      return text::FormatText(text::kGriffithNotClosed, FileNameOf(filePath), FileNameOf(pending));
    }
  }
  return {};
}

// The catalogue's connection, opened strictly read-only and closed with it.
class GriffithDatabase {
 public:
  GriffithDatabase() = default;
  GriffithDatabase(const GriffithDatabase&) = delete;
  GriffithDatabase& operator=(const GriffithDatabase&) = delete;
  ~GriffithDatabase() { sqlite3_close(db_); }

  sqlite3* Db() const { return db_; }

  // Opens the file and checks that it is an undamaged database with films;
  // empty on success, else the German message.
  std::string Open(std::string_view filePath) {
    const std::string name = FileNameOf(filePath);
    const int opened = sqlite3_open_v2(ImmutableUri(filePath).c_str(), &db_,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (opened != SQLITE_OK) {
      return text::FormatText(text::kGriffithCannotOpen, name,
                              db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(opened));
    }
    sqlite3_extended_result_codes(db_, 1);
    SqlStatement check(db_, "PRAGMA quick_check");
    if (!check.Valid()) return GriffithFault(db_, filePath, sqlite3_errcode(db_));
    const int stepped = check.Step();
    if (stepped != SQLITE_ROW) return GriffithFault(db_, filePath, stepped);
    if (const std::string verdict = check.Bytes(0); verdict != "ok") {
      return text::FormatText(text::kGriffithDamaged, name, OneLine(verdict));
    }
    if (!HasTable(db_, "movies")) return text::FormatText(text::kGriffithNoMovies, name);
    return {};
  }

 private:
  sqlite3* db_ = nullptr;
};

// One row of table movies: the film, and what names it and its poster.
struct GriffithMovie {
  ImportedFilm imported;
  std::string number;     // Griffith's own number of the film, for messages
  std::string posterSum;  // the poster's MD5 sum
  std::string image;      // the poster's name in older versions
};

// Takes one column of a movies row into movie; what has no place in a film
// is reported by name.
void TakeMovieColumn(const std::string& field, const std::string& value, GriffithMovie& movie,
                     ImportCollector& collector) {
  Film& film = movie.imported.film;
  if (field == "title") {
    film.title = OneLine(value);
  } else if (field == "o_title") {
    film.originalTitle = OneLine(value);
  } else if (field == "year") {
    film.year = YearIn(value);
  } else if (field == "runtime") {
    film.runtime = MinutesIn(value);
  } else if (field == "country") {
    film.country = OneLine(value);
  } else if (field == "director") {
    film.director = OneLine(value);
  } else if (field == "cast") {
    // One actor a line, "Name as Role".
    for (const std::string_view line : Split(value, "\n")) {
      const size_t as = line.find(" as ");
      AddLine(film.actors,
              ActorLine(line.substr(0, as),
                        as == std::string_view::npos ? std::string_view() : line.substr(as + 4)));
    }
  } else if (field == "genre") {
    for (const std::string_view genre : Split(value, ",/")) AddLine(film.genre, genre);
  } else if (field == "plot") {
    film.plot = text::Trimmed(value);
  } else if (field == "notes") {
    film.notes = text::Trimmed(value);
  } else if (field == "rating") {
    film.rating = Stars(value, 10);
  } else if (field == "poster_md5") {
    movie.posterSum = text::Trimmed(value);
  } else if (field == "image") {
    movie.image = text::Trimmed(value);
  } else if (field == "number") {
    if (!HoldsNoValue(value)) movie.number = text::Trimmed(value);
    collector.Unmapped(field, value);
  } else if (field != "movie_id") {
    collector.Unmapped(field, value);
  }
}

// Every column there is: older and newer versions differ.
GriffithMovie ReadMovie(const SqlStatement& movies, int64_t row, ImportCollector& collector) {
  GriffithMovie movie;
  movie.number = std::to_string(row);
  for (int column = 0; column < movies.Columns(); ++column) {
    TakeMovieColumn(movies.Name(column), movies.Bytes(column), movie, collector);
  }
  return movie;
}

// The posters: in table posters by MD5 sum, or as files in the posters/
// folder beside the database, named by the sum or the image name.
class GriffithPosters {
 public:
  GriffithPosters(sqlite3* db, std::string_view filePath)
      : folder_(FolderOf(filePath) + "posters/") {
    if (HasTable(db, "posters")) {
      table_.emplace(db, "SELECT data FROM posters WHERE md5sum = ?1");
      if (!table_->Valid()) table_.reset();  // no such columns: only the folder then
    }
  }

  CoverSource Find(const GriffithMovie& movie) {
    CoverSource cover;
    if (!movie.posterSum.empty() && table_) {
      table_->Reset().Bind(1, movie.posterSum);
      if (table_->Step() == SQLITE_ROW) cover.bytes = table_->Bytes(0);
    }
    if (!cover.bytes.empty()) return cover;
    for (const std::string& stem : {movie.posterSum, movie.image}) {
      if (stem.empty() || stem.find_first_of("/\\") != std::string::npos) continue;
      for (const char* extension : {".jpg", ".png", ""}) {
        if (cover.path.empty() && IsFile(folder_ + stem + extension)) {
          cover.path = folder_ + stem + extension;
        }
      }
    }
    return cover;
  }

 private:
  std::optional<SqlStatement> table_;
  std::string folder_;
};

}  // namespace

ImportResult ReadGriffith(std::string_view filePath) {
  ImportCollector collector("Griffith", filePath);
  if (std::string pending = PendingChanges(filePath); !pending.empty()) {
    return collector.Fail(std::move(pending));
  }
  GriffithDatabase database;
  if (std::string problem = database.Open(filePath); !problem.empty()) {
    return collector.Fail(std::move(problem));
  }
  GriffithPosters posters(database.Db(), filePath);
  SqlStatement movies(database.Db(), "SELECT * FROM movies");
  if (!movies.Valid()) {
    return collector.Fail(GriffithFault(database.Db(), filePath, sqlite3_errcode(database.Db())));
  }
  int64_t row = 0;
  for (int stepped = movies.Step(); stepped != SQLITE_DONE; stepped = movies.Step()) {
    if (stepped != SQLITE_ROW)
      return collector.Fail(GriffithFault(database.Db(), filePath, stepped));
    GriffithMovie movie = ReadMovie(movies, ++row, collector);
    movie.imported.cover = posters.Find(movie);
    if (!collector.Take(std::move(movie.imported),
                        text::FormatText(text::kCatalogueNumber, movie.number))) {
      return collector.Result();
    }
  }
  return collector.Result();
}

}  // namespace zelluo::collection
