#include "collection/film_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "collection/film_fields.h"
#include "collection/folding.h"
#include "collection/sql_statement.h"
#include "platform/invariant.h"
#include "platform/os_services.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// The column of table film that orders it, besides id and the film's fields
// (film_fields.h); docs/collection.md describes them.
constexpr std::string_view SortKeyColumn = "sort_key";

// The film's columns as a statement lists them: "title, original_title, ...".
const std::string& FilmColumnList() {
  static const std::string list = [] {
    std::string columns;
    for (const FilmField& field : kFilmFields) {
      if (!columns.empty()) columns += ", ";
      columns += field.column;
    }
    return columns;
  }();
  return list;
}

std::string CreateFilmTable() {
  std::string sql = "CREATE TABLE film(id INTEGER PRIMARY KEY";
  for (const FilmField& field : kFilmFields) {
    sql += ", " + std::string(field.column) + " " + std::string(ColumnType(field));
    if (field.required) sql += " NOT NULL";
  }
  return sql + ", " + std::string(SortKeyColumn) + " TEXT)";
}

// The derived data: the order index, the search index (contentless: the
// words are computed again from the film when it is taken out), the list of
// rows changed by others and the state of the folding. The triggers use plain
// SQL only, so that any program's connection can write the table.
constexpr const char* CreateDerivedTables =
    "CREATE INDEX IF NOT EXISTS film_order ON film(sort_key);"
    "CREATE VIRTUAL TABLE IF NOT EXISTS film_search USING fts5(words, content = '', prefix = '1 2',"
    " tokenize = 'unicode61 remove_diacritics 2');"
    "CREATE TABLE IF NOT EXISTS film_stale(id INTEGER PRIMARY KEY,"
    " inserted INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS zelluo_state(name TEXT PRIMARY KEY, value);";
// A film only inserted (inserted = 1) was never in the search index and is
// simply added; any other change makes the whole index again.
constexpr const char* CreateTriggers =
    "CREATE TRIGGER IF NOT EXISTS film_stale_insert AFTER INSERT ON film BEGIN"
    " INSERT OR IGNORE INTO film_stale VALUES(new.id, 1); END;"
    "CREATE TRIGGER IF NOT EXISTS film_stale_update AFTER UPDATE OF id, title, original_title,"
    " director, actors, genre, plot, sort_key ON film BEGIN"
    " INSERT OR REPLACE INTO film_stale VALUES(old.id, 0);"
    " INSERT OR REPLACE INTO film_stale VALUES(new.id, 0); END;"
    "CREATE TRIGGER IF NOT EXISTS film_stale_delete AFTER DELETE ON film BEGIN"
    " INSERT OR REPLACE INTO film_stale VALUES(old.id, 0); END;";
constexpr std::string_view TriggerNames[] = {"film_stale_insert", "film_stale_update",
                                             "film_stale_delete"};

// SQLite's description of the last fault of db.
std::string Fault(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

bool Execute(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The safety settings of every connection, read-only or not.
void Harden(sqlite3* db, int busyTimeoutMilliseconds) {
  sqlite3_extended_result_codes(db, 1);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
  sqlite3_busy_timeout(db, busyTimeoutMilliseconds);
}

std::vector<std::string> ColumnsOf(sqlite3* db, std::string_view table) {
  std::vector<std::string> names;
  SqlStatement columns(db, "SELECT name FROM pragma_table_info(?1)");
  columns.Bind(1, table);
  while (columns.Step() == SQLITE_ROW) names.push_back(columns.Text(0));
  return names;
}

bool HasColumn(const std::vector<std::string>& columns, std::string_view name) {
  return std::find(columns.begin(), columns.end(), name) != columns.end();
}

std::string SchemaType(sqlite3* db, std::string_view name) {
  SqlStatement type(db, "SELECT type FROM sqlite_schema WHERE name = ?1");
  type.Bind(1, name);
  return type.Step() == SQLITE_ROW ? type.Text(0) : std::string();
}

// Reads the file without writing anything and says whether it may be opened
// for writing: empty when it may, the German message when it may not.
std::string InspectReadOnly(const std::string& path, int busyTimeoutMilliseconds) {
  sqlite3* db = nullptr;
  int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  struct Closer {
    sqlite3* db;
    ~Closer() { sqlite3_close(db); }
  } closer{db};
  if (opened != SQLITE_OK) return text::FormatText(text::kCannotOpen, path, Fault(db));
  Harden(db, busyTimeoutMilliseconds);

  const auto failure = [&](int code) {
    int primary = code & 0xFF;
    if (primary == SQLITE_NOTADB) return text::FormatText(text::kNotADatabase, path);
    if (primary == SQLITE_CORRUPT) return text::FormatText(text::kDamaged, path, Fault(db));
    return text::FormatText(text::kCannotOpen, path, Fault(db));
  };
  SqlStatement version(db, "PRAGMA user_version");
  if (!version.Valid()) return failure(sqlite3_extended_errcode(db));
  int stepped = version.Step();
  if (stepped != SQLITE_ROW) return failure(stepped);
  const int64_t schemaVersion = version.Integer(0);
  if (schemaVersion > SchemaVersion || schemaVersion < 0) {
    return text::FormatText(text::kNewerVersion, path);
  }

  SqlStatement check(db, "PRAGMA quick_check");
  stepped = check.Step();
  if (stepped != SQLITE_ROW) return failure(stepped);
  if (std::string verdict = check.Text(0); verdict != "ok") {
    return text::FormatText(text::kDamaged, path, verdict);
  }

  // An empty file becomes a new collection; otherwise table film must be there
  // with at least id and title, and with every column once migrated.
  SqlStatement tables(db, "SELECT count(*) FROM sqlite_schema");
  if (tables.Step() != SQLITE_ROW) return failure(sqlite3_extended_errcode(db));
  if (tables.Integer(0) == 0 && schemaVersion == 0) return {};
  if (SchemaType(db, "film") != "table") return text::FormatText(text::kUnknownLayout, path);
  std::vector<std::string> columns = ColumnsOf(db, "film");
  if (!HasColumn(columns, "id") || !HasColumn(columns, "title")) {
    return text::FormatText(text::kUnknownLayout, path);
  }
  if (schemaVersion >= 1) {
    for (const FilmField& field : kFilmFields) {
      if (!HasColumn(columns, field.column)) return text::FormatText(text::kUnknownLayout, path);
    }
    if (!HasColumn(columns, SortKeyColumn)) return text::FormatText(text::kUnknownLayout, path);
  }
  return {};
}

// Brings a file of version 0 (a new one, or table film as the sqlite3 shell
// makes it) to the current layout. Runs inside a write transaction.
bool Migrate(sqlite3* db) {
  if (SchemaType(db, "film").empty()) {
    if (!Execute(db, CreateFilmTable().c_str())) return false;
  } else {
    std::vector<std::string> columns = ColumnsOf(db, "film");
    const auto add = [&](std::string_view column, std::string_view type) {
      if (HasColumn(columns, column)) return true;
      const std::string sql =
          "ALTER TABLE film ADD COLUMN " + std::string(column) + " " + std::string(type);
      return Execute(db, sql.c_str());
    };
    for (const FilmField& field : kFilmFields) {
      if (!add(field.column, ColumnType(field))) return false;
    }
    if (!add(SortKeyColumn, "TEXT")) return false;
  }
  return Execute(db, CreateDerivedTables) && Execute(db, CreateTriggers) &&
         Execute(db, ("PRAGMA user_version = " + std::to_string(SchemaVersion)).c_str());
}

// The searched words of the stored film id; empty when it is not stored.
std::optional<std::string> StoredWords(sqlite3* db, int64_t id, std::string* title = nullptr) {
  SqlStatement read(db,
                    "SELECT title, original_title, actors, director, genre, plot FROM film"
                    " WHERE id = ?1");
  read.Bind(1, id);
  if (read.Step() != SQLITE_ROW) return std::nullopt;
  if (title) *title = read.Text(0);
  return SearchWordsOf(
      {read.Text(0), read.Text(1), read.Text(2), read.Text(3), read.Text(4), read.Text(5)});
}

// Takes film id out of the search index before it changes or goes. The index
// holds no text, so the words are computed from the stored film; they match
// what was indexed as long as film_stale is empty (see IndexIsStale).
bool UnindexFilm(sqlite3* db, int64_t id) {
  std::optional<std::string> words = StoredWords(db, id);
  if (!words) return true;
  SqlStatement remove(
      db, "INSERT INTO film_search(film_search, rowid, words) VALUES('delete', ?1, ?2)");
  return remove.Bind(1, id).Bind(2, *words).Done();
}

// Writes the sort key and search words of the stored film id.
bool IndexFilm(sqlite3* db, int64_t id) {
  std::string title;
  std::optional<std::string> words = StoredWords(db, id, &title);
  if (!words) return true;
  SqlStatement key(db, "UPDATE film SET sort_key = ?2 WHERE id = ?1 AND sort_key IS NOT ?2");
  if (!key.Bind(1, id).Bind(2, SortKeyOf(title)).Done()) return false;
  SqlStatement insert(db, "INSERT INTO film_search(rowid, words) VALUES(?1, ?2)");
  return insert.Bind(1, id).Bind(2, *words).Done();
}

// Whether rows were written by others since the derived data was last made.
bool IndexIsStale(sqlite3* db) {
  SqlStatement stale(db,
                     "SELECT EXISTS(SELECT 1 FROM film_stale)"
                     " OR EXISTS(SELECT 1 FROM film WHERE sort_key IS NULL)");
  return stale.Step() != SQLITE_ROW || stale.Integer(0) != 0;
}

// Indexes the films whose ids query gives; films is their number.
bool IndexFilmsOf(sqlite3* db, std::string_view query, int64_t& films) {
  std::vector<int64_t> ids;
  SqlStatement list(db, query);
  while (list.Step() == SQLITE_ROW) ids.push_back(list.Integer(0));
  for (int64_t id : ids) {
    if (!IndexFilm(db, id)) return false;
  }
  films = static_cast<int64_t>(ids.size());
  return true;
}

// Makes all derived data again from the films; inside a write transaction.
bool RebuildIndex(sqlite3* db, int64_t& films) {
  if (!Execute(db, CreateDerivedTables) || !Execute(db, CreateTriggers) ||
      !Execute(db, "INSERT INTO film_search(film_search) VALUES('delete-all')")) {
    return false;
  }
  if (!IndexFilmsOf(db, "SELECT id FROM film", films)) return false;
  SqlStatement state(db, "INSERT OR REPLACE INTO zelluo_state VALUES('folding', ?1)");
  return state.Bind(1, int64_t{FoldingVersion}).Done() && Execute(db, "DELETE FROM film_stale");
}

// Brings the derived data up to date after others wrote films: films they only
// inserted are added, anything else makes it all again. Inside a write
// transaction; films is the number of films indexed.
bool CatchUp(sqlite3* db, int64_t& films) {
  SqlStatement changed(db,
                       "SELECT EXISTS(SELECT 1 FROM film_stale WHERE inserted IS NOT 1)"
                       " OR EXISTS(SELECT 1 FROM film WHERE sort_key IS NULL"
                       " AND id NOT IN (SELECT id FROM film_stale))");
  if (changed.Step() != SQLITE_ROW) return false;
  if (changed.Integer(0) != 0) return RebuildIndex(db, films);
  return IndexFilmsOf(db, "SELECT id FROM film_stale", films) &&
         Execute(db, "DELETE FROM film_stale");
}

std::string TwoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string IsoDate(platform::LocalDate date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

// "Filme-2026-12-07.db"
bool IsBackupName(std::string_view name) {
  return name.size() == 19 && name.starts_with("Filme-") && name.ends_with(".db");
}

}  // namespace

FilmStore::FilmStore(std::string folder, StoreOptions options)
    : folder_(std::move(folder)), options_(std::move(options)) {
  path_ = folder_ + "/" + std::string(FilmFileName);
}

FilmStore::~FilmStore() { sqlite3_close(db_); }

OpenResult FilmStore::Open(std::string folder, StoreOptions options) {
  std::unique_ptr<FilmStore> store(new FilmStore(std::move(folder), std::move(options)));
  const int64_t size = platform::os::FileSize(store->path_);
  if (size == -2) return {nullptr, text::FormatText(text::kIsAFolder, store->path_)};
  if (size == -1) return {std::move(store), {}};  // made when the first film is stored
  std::string message = InspectReadOnly(store->path_, store->options_.busyTimeoutMilliseconds);
  if (message.empty()) message = store->OpenConnection();
  if (!message.empty()) return {nullptr, message};
  return {std::move(store), {}};
}

std::string FilmStore::OpenConnection() {
  const int flags =
      SQLITE_OPEN_READWRITE | (platform::os::FileSize(path_) < 0 ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string message = text::FormatText(text::kCannotOpen, path_, Fault(db_));
    sqlite3_close(db_);
    db_ = nullptr;
    return message;
  }
  Harden(db_, options_.busyTimeoutMilliseconds);
  // The write-ahead log needs memory shared on one machine: on a share the
  // rollback journal, also for a file written on a local disk before (its
  // write-ahead log is folded in and removed). InspectReadOnly has allowed
  // writing by now.
  const bool onNetwork = options_.onNetworkFileSystem
                             ? options_.onNetworkFileSystem(folder_)
                             : platform::os::IsOnNetworkFileSystem(folder_);
  Execute(db_, onNetwork ? "PRAGMA journal_mode = DELETE; PRAGMA foreign_keys = ON"
                         : "PRAGMA journal_mode = WAL; PRAGMA foreign_keys = ON");

  SqlStatement version(db_, "PRAGMA user_version");
  if (version.Step() != SQLITE_ROW) return text::FormatText(text::kCannotOpen, path_, Fault(db_));
  if (version.Integer(0) == 0) {
    // A file made by someone else is copied away before it is changed.
    if (!SchemaType(db_, "film").empty()) BackUpIfDue();
    ChangeResult migrated = Change(
        [&]() -> std::string {
          SqlStatement again(db_, "PRAGMA user_version");
          if (again.Step() != SQLITE_ROW) return Fault(db_);
          if (again.Integer(0) == 0 && !Migrate(db_)) return Fault(db_);
          return {};
        },
        false);
    if (!migrated.Ok()) {
      sqlite3_close(db_);
      db_ = nullptr;
      return text::FormatText(text::kCannotOpen, path_, migrated.message);
    }
  }
  // Version 1 to 2: the viewing log (viewing_log.cpp); 2 to 3: loans (loans.cpp).
  for (std::string (FilmStore::*step)() : {&FilmStore::AddViewingLog, &FilmStore::AddLoans}) {
    if (std::string message = (this->*step)(); !message.empty()) {
      sqlite3_close(db_);
      db_ = nullptr;
      return message;
    }
  }
  RefreshDerivedData();
  return {};
}

std::string FilmStore::EnsureCreated() {
  if (db_) return {};
  if (!platform::os::CreateFolder(folder_))
    return text::FormatText(text::kCannotCreateFolder, folder_);
  if (platform::os::FileSize(path_) >= 0) {
    // Another program made the file since the store was opened.
    std::string message = InspectReadOnly(path_, options_.busyTimeoutMilliseconds);
    if (!message.empty()) return message;
  } else {
    backupChecked_ = true;  // nothing to copy yet
  }
  return OpenConnection();
}

ChangeResult FilmStore::Change(const std::function<std::string()>& step, bool freshIndex) {
  if (!db_) return {0, text::FormatText(text::kCannotWrite, path_, "keine Verbindung")};
  if (!Execute(db_, "BEGIN IMMEDIATE")) {
    return {0, text::FormatText(text::kCannotWrite, path_, Fault(db_))};
  }
  // Another program wrote films since the index was made: bring it up to date
  // first, so that the words taken out of it are the ones that are in it.
  int64_t films = 0;
  std::string fault;
  if (freshIndex && IndexIsStale(db_) && !CatchUp(db_, films)) fault = Fault(db_);
  if (fault.empty()) fault = step();
  if (fault.empty() && Execute(db_, "COMMIT")) return {};
  if (fault.empty()) fault = Fault(db_);
  Execute(db_, "ROLLBACK");
  return {0, fault};
}

std::string FilmStore::Now() const {
  if (options_.now) return options_.now();
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  return IsoDate({static_cast<int32_t>(static_cast<unsigned>(date.day())),
                  static_cast<int32_t>(static_cast<unsigned>(date.month())),
                  static_cast<int32_t>(date.year())}) +
         "T" + TwoDigits(static_cast<int>(time.hours().count())) + ":" +
         TwoDigits(static_cast<int>(time.minutes().count())) + ":" +
         TwoDigits(static_cast<int>(time.seconds().count())) + "Z";
}

bool FilmStore::ChangedByOthers() {
  if (!db_) return false;
  SqlStatement version(db_, "PRAGMA data_version");
  if (version.Step() != SQLITE_ROW) return false;
  const int64_t now = version.Integer(0);
  return std::exchange(dataVersion_, now).value_or(now) != now;
}

int64_t FilmStore::RefreshDerivedData() {
  if (!db_) return 0;
  bool rebuild =
      SchemaType(db_, "film_search") != "table" || SchemaType(db_, "film_order") != "index";
  for (std::string_view trigger : TriggerNames) {
    if (SchemaType(db_, trigger) != "trigger") rebuild = true;
  }
  {
    SqlStatement folding(db_, "SELECT value FROM zelluo_state WHERE name = 'folding'");
    if (folding.Step() != SQLITE_ROW || folding.Integer(0) != FoldingVersion) rebuild = true;
  }
  if (!rebuild && !IndexIsStale(db_)) return 0;
  int64_t films = 0;
  ChangeResult rebuilt = Change(
      [&] {
        return (rebuild ? RebuildIndex(db_, films) : CatchUp(db_, films)) ? std::string()
                                                                          : Fault(db_);
      },
      false);
  return rebuilt.Ok() ? films : 0;
}

namespace {

// The part of a query that keeps the films a search finds; ?9 is the match
// expression.
constexpr std::string_view FoundFilter =
    " id IN (SELECT rowid FROM film_search WHERE film_search MATCH ?9)";
// Walking the order index and testing each film against the films found beats
// looking up every film found and sorting them (a short query finds most films).
constexpr std::string_view ByOrder = " INDEXED BY film_order";

}  // namespace

int64_t FilmStore::CountFilms(std::string_view query) {
  readProblem_.clear();
  if (!db_) return 0;
  const std::string expression = MatchExpressionOf(query);
  const std::string narrowed = NarrowingFilter();
  std::string sql = "SELECT count(*) FROM film";
  if (!expression.empty()) sql += std::string(ByOrder) + " WHERE" + std::string(FoundFilter);
  if (!narrowed.empty()) sql += (expression.empty() ? " WHERE 1" : "") + narrowed;
  SqlStatement count(db_, sql);
  if (!expression.empty()) count.Bind(9, expression);
  BindNarrowing(count);
  if (count.Step() != SQLITE_ROW) {
    readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
    return 0;
  }
  return count.Integer(0);
}

std::vector<FilmRow> FilmStore::ListFilms(std::string_view query, int64_t offset, int64_t limit) {
  readProblem_.clear();
  std::vector<FilmRow> rows;
  if (!db_ || limit <= 0) return rows;
  const std::string expression = MatchExpressionOf(query);
  const std::string narrowed = NarrowingFilter();
  std::string sql = "SELECT id FROM film" + std::string(ByOrder);
  if (!expression.empty()) sql += " WHERE" + std::string(FoundFilter);
  if (!narrowed.empty()) sql += (expression.empty() ? " WHERE 1" : "") + narrowed;
  sql = "SELECT film.id, title, year, runtime, country FROM (" + sql +
        " ORDER BY sort_key, id LIMIT ?1 OFFSET ?2) AS page JOIN film ON film.id = page.id"
        " ORDER BY sort_key, film.id";
  SqlStatement list(db_, sql);
  list.Bind(1, limit).Bind(2, std::max<int64_t>(offset, 0));
  if (!expression.empty()) list.Bind(9, expression);
  BindNarrowing(list);
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) {
    rows.push_back({list.Integer(0), list.Text(1), list.OptionalNumber(2), list.OptionalNumber(3),
                    list.Text(4)});
  }
  if (stepped != SQLITE_DONE) readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
  return rows;
}

std::optional<int64_t> FilmStore::PositionOf(std::string_view query, int64_t id) {
  readProblem_.clear();
  if (!db_) return std::nullopt;
  const std::string expression = MatchExpressionOf(query);
  const std::string narrowed = NarrowingFilter();
  const std::string filter =
      (expression.empty() ? "" : " AND" + std::string(FoundFilter)) + narrowed;
  SqlStatement position(
      db_, "SELECT (SELECT count(*) FROM film WHERE (sort_key, id) < (t.sort_key, t.id)" + filter +
               ") FROM film AS t WHERE t.id = ?1" +
               (expression.empty() ? "" : " AND t." + std::string(FoundFilter.substr(1))) +
               narrowed);
  position.Bind(1, id);
  if (!expression.empty()) position.Bind(9, expression);
  BindNarrowing(position);
  int stepped = position.Step();
  if (stepped == SQLITE_ROW) return position.Integer(0);
  if (stepped != SQLITE_DONE) readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
  return std::nullopt;
}

namespace {

// A film from a statement that selects id and then FilmColumnList().
Film FilmOfRow(const SqlStatement& row) {
  Film film;
  film.id = row.Integer(0);
  for (size_t i = 0; i < kFilmFieldCount; ++i) {
    const FilmField& field = kFilmFields[i];
    const int column = static_cast<int>(i) + 1;
    ZELLUO_ASSERT(row.Name(column) == field.column);
    if (field.text != nullptr) {
      film.*field.text = row.Text(column);
    } else if (field.optionalText != nullptr) {
      film.*field.optionalText = row.OptionalText(column);
    } else {
      film.*field.number = row.OptionalNumber(column);
    }
  }
  return film;
}

}  // namespace

std::optional<Film> FilmStore::LoadFilm(int64_t id) {
  readProblem_.clear();
  if (!db_) return std::nullopt;
  SqlStatement load(db_, "SELECT id, " + FilmColumnList() + " FROM film WHERE id = ?1");
  load.Bind(1, id);
  int stepped = load.Step();
  if (stepped != SQLITE_ROW) {
    if (stepped != SQLITE_DONE)
      readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
    return std::nullopt;
  }
  return FilmOfRow(load);
}

std::vector<Film> FilmStore::AllFilms() {
  readProblem_.clear();
  std::vector<Film> films;
  if (!db_) return films;
  SqlStatement all(db_, "SELECT id, " + FilmColumnList() + " FROM film" + std::string(ByOrder) +
                            " ORDER BY sort_key, id");
  int stepped;
  while ((stepped = all.Step()) == SQLITE_ROW) films.push_back(FilmOfRow(all));
  if (stepped != SQLITE_DONE) {
    readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db_));
    films.clear();
  }
  return films;
}

namespace {

// The parameters of a statement that writes a film: its fields are ?1 to
// ?15 in the order of kFilmFields, then come the id and the sort key.
constexpr int IdParameter = static_cast<int>(kFilmFieldCount) + 1;
constexpr int SortKeyParameter = IdParameter + 1;

// "?1, ?2, ..." up to ?last.
std::string Parameters(int last) {
  std::string list;
  for (int i = 1; i <= last; ++i) list += (i > 1 ? ", ?" : "?") + std::to_string(i);
  return list;
}

// Binds the film's fields to ?1 .. ?15 of a statement that writes a film.
void BindFilm(SqlStatement& write, const Film& film) {
  for (size_t i = 0; i < kFilmFieldCount; ++i) {
    const FilmField& field = kFilmFields[i];
    const int parameter = static_cast<int>(i) + 1;
    if (field.number != nullptr) {
      write.BindOrNull(parameter, film.*field.number);
    } else if (field.optionalText != nullptr) {
      write.BindOrNull(parameter, film.*field.optionalText);
    } else if (field.required || field.kind == FieldKind::Moment) {
      write.Bind(parameter, std::string_view(film.*field.text));
    } else {
      write.BindOrNull(parameter, film.*field.text);
    }
  }
}

// Updates every field of film ?16 but those kept since it was first stored.
const std::string& UpdateFilmSql() {
  static const std::string sql = [] {
    std::string columns;
    for (size_t i = 0; i < kFilmFieldCount; ++i) {
      if (kFilmFields[i].keptOnUpdate) continue;
      if (!columns.empty()) columns += ", ";
      columns += std::string(kFilmFields[i].column) + " = ?" + std::to_string(i + 1);
    }
    return "UPDATE film SET " + columns + " WHERE id = ?" + std::to_string(IdParameter);
  }();
  return sql;
}

// Inserts new films with their sort keys and search words, the statements
// prepared once for any number of films. The words are made from the film
// as given, which is what StoredWords reads back (empty fields stored as NULL
// read back empty). In a batch the words wait in a temporary table until
// Finish moves them into the index with one statement: the index writes its
// pending terms out at every statement that touches it, so one statement a
// film would cost a segment a film.
class FilmInserter {
 public:
  FilmInserter(sqlite3* db, bool batch)
      : db_(db),
        batch_(batch && Execute(db,
                                "CREATE TEMP TABLE IF NOT EXISTS pending_words"
                                "(id INTEGER PRIMARY KEY, words TEXT NOT NULL)")),
        insert_(db, "INSERT INTO film(" + FilmColumnList() + ", id, " + std::string(SortKeyColumn) +
                        ") VALUES(" + Parameters(SortKeyParameter) + ")"),
        words_(db, batch_ ? "INSERT INTO temp.pending_words(id, words) VALUES(?1, ?2)"
                          : "INSERT INTO film_search(rowid, words) VALUES(?1, ?2)"),
        fresh_(db, "DELETE FROM film_stale WHERE id = ?1") {}

  // The new film's id (id when not 0); 0 on failure.
  int64_t Insert(const Film& film, int64_t id = 0) {
    BindFilm(insert_, film);
    if (id != 0) insert_.Bind(IdParameter, id);
    insert_.Bind(SortKeyParameter, SortKeyOf(film.title));
    const bool inserted = insert_.Done();
    insert_.Reset();
    if (!inserted) return 0;
    const int64_t written = sqlite3_last_insert_rowid(db_);
    const std::string words = SearchWordsOf(
        {film.title, film.originalTitle, film.actors, film.director, film.genre, film.plot});
    const bool indexed =
        words_.Bind(1, written).Bind(2, words).Done() && fresh_.Bind(1, written).Done();
    words_.Reset();
    fresh_.Reset();
    return indexed ? written : 0;
  }

  // Moves the batch's words into the index; true without a batch.
  bool Finish() {
    return !batch_ || Execute(db_,
                              "INSERT INTO film_search(rowid, words) SELECT id, words FROM"
                              " temp.pending_words; DELETE FROM temp.pending_words");
  }

 private:
  sqlite3* db_;
  bool batch_;
  SqlStatement insert_;
  SqlStatement words_;
  SqlStatement fresh_;
};

// Updates film id (update) or inserts the film under id (0: a new id).
int64_t WriteFilm(sqlite3* db, const Film& film, int64_t id, bool update) {
  if (!update) return FilmInserter(db, false).Insert(film, id);
  if (!UnindexFilm(db, id)) return 0;
  SqlStatement write(db, UpdateFilmSql());
  BindFilm(write, film);
  write.Bind(IdParameter, id);
  if (!write.Done() || sqlite3_changes(db) == 0) return 0;
  if (!IndexFilm(db, id)) return 0;
  SqlStatement fresh(db, "DELETE FROM film_stale WHERE id = ?1");
  return fresh.Bind(1, id).Done() ? id : 0;
}

}  // namespace

ChangeResult FilmStore::SaveFilm(const Film& film) {
  if (text::IsBlank(film.title)) {
    return {0, std::string(text::kNoTitle)};
  }
  if (std::string message = EnsureCreated(); !message.empty()) return {0, message};
  if (!backupChecked_) BackUpIfDue();
  Film written = film;
  written.changed = Now();
  if (written.id == 0 && written.added.empty()) written.added = written.changed;
  int64_t id = 0;
  bool missing = false;
  ChangeResult result = Change([&]() -> std::string {
    if (written.id != 0) {
      {
        SqlStatement exists(db_, "SELECT 1 FROM film WHERE id = ?1");
        missing = exists.Bind(1, written.id).Step() != SQLITE_ROW;
      }
      if (missing) return "missing";
    }
    id = WriteFilm(db_, written, written.id, written.id != 0);
    return id != 0 ? std::string() : Fault(db_);
  });
  if (missing) return {0, text::FormatText(text::kFilmMissing, path_)};
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  return {id, {}};
}

ChangeResult FilmStore::ImportFilms(const std::vector<Film>& films) {
  for (const Film& film : films) {
    if (text::IsBlank(film.title)) {
      return {0, std::string(text::kNoTitle)};
    }
  }
  if (std::string message = EnsureCreated(); !message.empty()) return {0, message};
  if (!backupChecked_) BackUpIfDue();
  const std::string now = Now();
  ChangeResult result = Change([&]() -> std::string {
    FilmInserter inserter(db_, true);
    for (Film film : films) {
      if (film.added.empty()) film.added = now;
      if (film.changed.empty()) film.changed = now;
      if (inserter.Insert(film) == 0) return Fault(db_);
    }
    return inserter.Finish() ? std::string() : Fault(db_);
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  ChangeResult added;
  added.filmsAdded = static_cast<int64_t>(films.size());
  return added;
}

ChangeResult FilmStore::DeleteFilm(int64_t id) {
  std::optional<Film> film = LoadFilm(id);
  if (!film) return {0, text::FormatText(text::kFilmMissing, path_)};
  if (!backupChecked_) BackUpIfDue();
  ChangeResult result = Change([&]() -> std::string {
    if (!UnindexFilm(db_, id)) return Fault(db_);
    SqlStatement remove(db_, "DELETE FROM film WHERE id = ?1");
    if (!remove.Bind(1, id).Done()) return Fault(db_);
    SqlStatement fresh(db_, "DELETE FROM film_stale WHERE id = ?1");
    return fresh.Bind(1, id).Done() ? std::string() : Fault(db_);
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  deleted_.push_back(std::move(*film));
  return {id, {}};
}

ChangeResult FilmStore::UndoDelete() {
  if (deleted_.empty()) return {0, std::string(text::kNothingToUndo)};
  Film film = deleted_.back();
  int64_t id = 0;
  ChangeResult result = Change([&]() -> std::string {
    bool taken = false;
    {
      SqlStatement owner(db_, "SELECT 1 FROM film WHERE id = ?1");
      taken = owner.Bind(1, film.id).Step() == SQLITE_ROW;
    }
    id = WriteFilm(db_, film, taken ? 0 : film.id, false);
    return id != 0 ? std::string() : Fault(db_);
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  deleted_.pop_back();
  return {id, {}};
}

std::string FilmStore::BackUpIfDue() {
  backupChecked_ = true;
  if (!db_) return {};
  const std::string folder = folder_ + "/" + std::string(BackupFolderName);
  const platform::LocalDate today = options_.today ? options_.today() : platform::os::Today();
  const std::string target = folder + "/Filme-" + IsoDate(today) + ".db";
  if (platform::os::FileSize(target) >= 0) return {};
  if (!platform::os::CreateFolder(folder))
    return text::FormatText(text::kBackupFailed, target, folder);

  sqlite3* copy = nullptr;
  std::string fault;
  if (sqlite3_open_v2(target.c_str(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
      SQLITE_OK) {
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", db_, "main");
    if (backup) {
      sqlite3_backup_step(backup, -1);
      sqlite3_backup_finish(backup);
    }
    if (sqlite3_errcode(copy) != SQLITE_OK) fault = Fault(copy);
  } else {
    fault = Fault(copy);
  }
  sqlite3_close(copy);
  if (!fault.empty()) {
    platform::os::RemoveFile(target);
    return text::FormatText(text::kBackupFailed, target, fault);
  }

  std::vector<std::string> backups = platform::os::ListFiles(folder);
  std::erase_if(backups, [](const std::string& name) { return !IsBackupName(name); });
  std::sort(backups.begin(), backups.end());
  const auto kept = static_cast<size_t>(std::max(options_.keptBackups, 1));
  for (size_t i = 0; i + kept < backups.size(); ++i)
    platform::os::RemoveFile(folder + "/" + backups[i]);
  return {};
}

}  // namespace zelluo::collection
