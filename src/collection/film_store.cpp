#include "collection/film_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <iterator>
#include <limits>
#include <memory>
#include <thread>
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
constexpr std::string_view kSortKeyColumn = "sort_key";

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
  return sql + ", " + std::string(kSortKeyColumn) + " TEXT)";
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

// What a failed read of the file means for the user.
std::string OpenFault(sqlite3* db, const std::string& path, int code) {
  const int primary = code & 0xFF;
  if (primary == SQLITE_NOTADB) return text::FormatText(text::kNotADatabase, path);
  if (primary == SQLITE_CORRUPT) return text::FormatText(text::kDamaged, path, Fault(db));
  return text::FormatText(text::kCannotOpen, path, Fault(db));
}

// PRAGMA quick_check over the whole file: empty when it passes, otherwise the
// German message.
std::string CheckWholeFile(sqlite3* db, const std::string& path) {
  SqlStatement check(db, "PRAGMA quick_check");
  const int stepped = check.Step();
  if (stepped != SQLITE_ROW) return OpenFault(db, path, stepped);
  if (std::string verdict = check.Text(0); verdict != "ok") {
    return text::FormatText(text::kDamaged, path, verdict);
  }
  return {};
}

// What a look through a read-only connection finds without reading the whole
// file: the version, and whether the layout is one this program can use.
struct FileLook {
  std::string message;  // why the file may not be used; empty when it may
  int64_t version = 0;
  bool readable = false;  // films can be read in order as the file stands
};

FileLook LookAtFile(sqlite3* db, const std::string& path) {
  // A layout that seems unusable may be a damaged one: the whole file tells.
  const auto unusable = [&] {
    std::string damage = CheckWholeFile(db, path);
    return FileLook{damage.empty() ? text::FormatText(text::kUnknownLayout, path) : damage};
  };
  FileLook look;
  {
    SqlStatement version(db, "PRAGMA user_version");
    if (!version.Valid()) return {OpenFault(db, path, sqlite3_extended_errcode(db))};
    if (const int stepped = version.Step(); stepped != SQLITE_ROW) {
      return {OpenFault(db, path, stepped)};
    }
    look.version = version.Integer(0);
  }
  if (look.version > kSchemaVersion || look.version < 0) {
    return {text::FormatText(text::kNewerVersion, path)};
  }
  // An empty file becomes a new collection; otherwise table film must be there
  // with at least id and title, and with every column once migrated.
  {
    SqlStatement tables(db, "SELECT count(*) FROM sqlite_schema");
    if (tables.Step() != SQLITE_ROW) return {OpenFault(db, path, sqlite3_extended_errcode(db))};
    if (tables.Integer(0) == 0 && look.version == 0) return look;
  }
  if (SchemaType(db, "film") != "table") return unusable();
  std::vector<std::string> columns = ColumnsOf(db, "film");
  if (!HasColumn(columns, "id") || !HasColumn(columns, "title")) return unusable();
  if (look.version >= 1) {
    for (const FilmField& field : kFilmFields) {
      if (!HasColumn(columns, field.column)) return unusable();
    }
    if (!HasColumn(columns, kSortKeyColumn)) return unusable();
    look.readable =
        SchemaType(db, "film_order") == "index" && SchemaType(db, "film_search") == "table";
  }
  return look;
}

// Brings a file of version 0 (a new one, or table film as the sqlite3 shell
// makes it) to version 1.
bool MigrateToVersion1(sqlite3* db) {
  if (SchemaType(db, "film").empty()) return Execute(db, CreateFilmTable().c_str());
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
  return add(kSortKeyColumn, "TEXT");
}

// The steps from one layout to the next, in order: a step brings a file of
// version `from` to from + 1. They all run in the one transaction of the
// migration, after which the derived data is made for every film. A new
// layout adds its step here and raises kSchemaVersion.
struct MigrationStep {
  int64_t from;
  bool (*apply)(sqlite3* db);
};
constexpr MigrationStep kMigrationSteps[] = {{0, MigrateToVersion1},
                                             {1, AddViewingLog},
                                             {2, AddFilmFolders},
                                             {3, AddLoans},
                                             {4, AddSideFiles}};
static_assert(std::size(kMigrationSteps) == kSchemaVersion, "one step for each version");

// Brings a file of an older version to the current layout. Runs inside a
// write transaction.
bool Migrate(sqlite3* db, int64_t version) {
  for (const MigrationStep& step : kMigrationSteps) {
    if (step.from >= version && !step.apply(db)) return false;
  }
  return Execute(db, CreateDerivedTables) &&
         Execute(db, ("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
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

// The statement that writes the sort key of film ?1, only where it differs.
constexpr std::string_view WriteSortKey =
    "UPDATE film SET sort_key = ?2 WHERE id = ?1 AND sort_key IS NOT ?2";

// Writes the sort key and search words of the stored film id.
bool IndexFilm(sqlite3* db, int64_t id) {
  std::string title;
  std::optional<std::string> words = StoredWords(db, id, &title);
  if (!words) return true;
  SqlStatement key(db, WriteSortKey);
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

// Which films a build of the derived data covers: all of them (the derived
// data made again) or the films others only inserted.
enum class DerivedFilms { All, Inserted };

// What of the derived data is out of date after others wrote films: films
// they only inserted are added, anything else makes it all again.
DerivedFilms StaleFilms(sqlite3* db) {
  SqlStatement changed(db,
                       "SELECT EXISTS(SELECT 1 FROM film_stale WHERE inserted IS NOT 1)"
                       " OR EXISTS(SELECT 1 FROM film WHERE sort_key IS NULL"
                       " AND id NOT IN (SELECT id FROM film_stale))");
  return changed.Step() == SQLITE_ROW && changed.Integer(0) == 0 ? DerivedFilms::Inserted
                                                                 : DerivedFilms::All;
}

// What of the derived data must be made: none when it is up to date.
std::optional<DerivedFilms> DerivedDataDue(sqlite3* db) {
  bool rebuild =
      SchemaType(db, "film_search") != "table" || SchemaType(db, "film_order") != "index";
  for (std::string_view trigger : TriggerNames) {
    if (SchemaType(db, trigger) != "trigger") rebuild = true;
  }
  {
    SqlStatement folding(db, "SELECT value FROM zelluo_state WHERE name = 'folding'");
    if (folding.Step() != SQLITE_ROW || folding.Integer(0) != kFoldingVersion) rebuild = true;
  }
  if (rebuild) return DerivedFilms::All;
  if (!IndexIsStale(db)) return std::nullopt;
  return StaleFilms(db);
}

}  // namespace

// The sort keys and search words of films made a slice at a time, inside a
// write transaction the caller holds from Begin to End. The words of a slice
// wait in a temporary table and go into the index with one statement: the
// index writes its pending terms out at every statement that touches it.
class DerivedDataBuild {
 public:
  DerivedDataBuild(sqlite3* db, DerivedFilms films) : db_(db), films_(films) {}

  // The derived objects made (the search index emptied for all films) and
  // the films counted, unless their number is known; false on failure.
  bool Begin(int64_t knownTotal = 0) {
    if (!Execute(db_, CreateDerivedTables) ||
        !Execute(db_,
                 "CREATE TEMP TABLE IF NOT EXISTS prepared_words"
                 "(id INTEGER PRIMARY KEY, words TEXT NOT NULL)")) {
      return false;
    }
    const bool all = films_ == DerivedFilms::All;
    if (all && !Execute(db_, "INSERT INTO film_search(film_search) VALUES('delete-all')")) {
      return false;
    }
    if (knownTotal > 0) {
      total_ = knownTotal;
    } else {
      SqlStatement count(db_,
                         all ? "SELECT count(*) FROM film" : "SELECT count(*) FROM film_stale");
      if (count.Step() != SQLITE_ROW) return false;
      total_ = count.Integer(0);
    }
    read_ = std::make_unique<SqlStatement>(
        db_, all ? "SELECT id, title, original_title, actors, director, genre, plot FROM film"
                   " WHERE id > ?1 ORDER BY id LIMIT 64"
                 : "SELECT f.id, f.title, f.original_title, f.actors, f.director, f.genre,"
                   " f.plot FROM film_stale AS s JOIN film AS f ON f.id = s.id"
                   " WHERE s.id > ?1 ORDER BY s.id LIMIT 64");
    key_ = std::make_unique<SqlStatement>(db_, WriteSortKey);
    words_ = std::make_unique<SqlStatement>(
        db_, "INSERT INTO temp.prepared_words(id, words) VALUES(?1, ?2)");
    return read_->Valid() && key_->Valid() && words_->Valid();
  }

  // Makes the data of films until the deadline has passed, or moves the words
  // of films made before into the index, as many as the last move says fit
  // the time (a move costs about as much as making the words); false on
  // failure. Finished once every film is made and moved.
  bool Step(std::chrono::steady_clock::time_point deadline) {
    using Clock = std::chrono::steady_clock;
    const bool wholly = deadline == Clock::time_point::max();
    do {
      if (waiting_ > 0 && (moving_ || allMade_ || wholly)) {
        if (!MoveWords(deadline)) return false;
      } else if (!MakeWords(deadline)) {
        return false;
      }
      finished_ = allMade_ && waiting_ == 0;
    } while (wholly && !finished_);
    return true;
  }

  // The triggers, the state of the folding and an empty list of stale films,
  // once every film is done.
  bool End() {
    read_.reset();
    key_.reset();
    words_.reset();
    SqlStatement state(db_, "INSERT OR REPLACE INTO zelluo_state VALUES('folding', ?1)");
    return Execute(db_, CreateTriggers) && state.Bind(1, int64_t{kFoldingVersion}).Done() &&
           Execute(db_, "DELETE FROM film_stale");
  }

  bool Finished() const { return finished_; }
  int64_t Done() const { return done_; }
  int64_t Total() const { return std::max(total_, done_); }

 private:
  // Makes the sort keys and words of films until the deadline has passed.
  bool MakeWords(std::chrono::steady_clock::time_point deadline) {
    struct Row {
      int64_t id;
      std::string texts[6];  // title, original title, actors, director, genre, plot
    };
    std::vector<Row> batch;
    while (!allMade_) {
      batch.clear();
      read_->Bind(1, last_);
      int stepped;
      while ((stepped = read_->Step()) == SQLITE_ROW) {
        batch.push_back({read_->Integer(0),
                         {read_->Text(1), read_->Text(2), read_->Text(3), read_->Text(4),
                          read_->Text(5), read_->Text(6)}});
      }
      read_->Reset();
      if (stepped != SQLITE_DONE) return false;
      allMade_ = batch.empty();
      for (const Row& row : batch) {
        const std::string words = SearchWordsOf(
            {row.texts[0], row.texts[1], row.texts[2], row.texts[3], row.texts[4], row.texts[5]});
        const bool written = key_->Bind(1, row.id).Bind(2, SortKeyOf(row.texts[0])).Done() &&
                             words_->Bind(1, row.id).Bind(2, words).Done();
        key_->Reset();
        words_->Reset();
        if (!written) return false;
        last_ = row.id;
        ++waiting_;
      }
      if (std::chrono::steady_clock::now() >= deadline) break;
    }
    moving_ = waiting_ > 0;
    return true;
  }

  // Moves waiting words into the index, as many films as the last move says
  // fit the time left (all of them without a deadline).
  bool MoveWords(std::chrono::steady_clock::time_point deadline) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    int64_t films = waiting_;
    if (deadline != Clock::time_point::max()) {
      const double budget = std::chrono::duration<double, std::milli>(deadline - start).count();
      // With room for the index's merging, which comes in bursts.
      films = std::clamp<int64_t>(static_cast<int64_t>(0.7 * budget * filmsPerMs_), 64, waiting_);
    }
    SqlStatement move(db_,
                      "INSERT INTO film_search(rowid, words) SELECT id, words FROM"
                      " temp.prepared_words ORDER BY id LIMIT ?1");
    SqlStatement moved(db_,
                       "DELETE FROM temp.prepared_words WHERE id IN (SELECT id FROM"
                       " temp.prepared_words ORDER BY id LIMIT ?1)");
    if (!move.Bind(1, films).Done() || !moved.Bind(1, films).Done()) return false;
    waiting_ -= films;
    done_ += films;
    const double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    filmsPerMs_ = std::max(static_cast<double>(films) / std::max(took, 0.5), 2.0);
    moving_ = waiting_ > 0;
    return true;
  }

  sqlite3* db_;
  DerivedFilms films_;
  int64_t total_ = 0;
  int64_t done_ = 0;
  int64_t last_ = std::numeric_limits<int64_t>::min();
  int64_t waiting_ = 0;     // films made whose words wait to go into the index
  bool moving_ = false;     // the words made in the last slice are being moved
  bool allMade_ = false;    // every film is made
  double filmsPerMs_ = 50;  // films the last move put into the index a millisecond
  bool finished_ = false;
  std::unique_ptr<SqlStatement> read_;
  std::unique_ptr<SqlStatement> key_;
  std::unique_ptr<SqlStatement> words_;
};

// PRAGMA quick_check over the whole file on a thread of its own, through a
// read-only connection of its own, so that the window answers meanwhile.
class FileCheck {
 public:
  FileCheck(const std::string& path, int busyTimeoutMilliseconds) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      verdict_ = text::FormatText(text::kCannotOpen, path, Fault(db_));
      done_ = true;
      return;
    }
    Harden(db_, busyTimeoutMilliseconds);
    thread_ = std::thread([this, path] {
      verdict_ = CheckWholeFile(db_, path);
      done_.store(true, std::memory_order_release);
    });
  }
  ~FileCheck() {
    if (thread_.joinable()) {
      sqlite3_interrupt(db_);  // the program ends before the check did
      thread_.join();
    }
    sqlite3_close(db_);
  }
  FileCheck(const FileCheck&) = delete;
  FileCheck& operator=(const FileCheck&) = delete;

  bool Done() const { return done_.load(std::memory_order_acquire); }
  // Waits for the end: empty when the file passed, otherwise the German message.
  std::string Verdict() {
    if (thread_.joinable()) thread_.join();
    return verdict_;
  }

 private:
  sqlite3* db_ = nullptr;
  std::string verdict_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// A copy of the collection into the backup folder through SQLite's backup
// API, a few pages at a time. A copy left unfinished is removed.
class BackupCopy {
 public:
  BackupCopy(sqlite3* source, std::string target) : target_(std::move(target)) {
    if (sqlite3_open_v2(target_.c_str(), &copy_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) == SQLITE_OK) {
      backup_ = sqlite3_backup_init(copy_, "main", source, "main");
    }
    if (!backup_) Finish();
  }
  ~BackupCopy() {
    if (backup_) {
      fault_ = "abgebrochen";
      Finish();
    }
  }
  BackupCopy(const BackupCopy&) = delete;
  BackupCopy& operator=(const BackupCopy&) = delete;

  // Copies until the deadline has passed; true when the copy is over.
  bool Step(std::chrono::steady_clock::time_point deadline) {
    while (backup_) {
      const int stepped = sqlite3_backup_step(backup_, 64);
      if (stepped != SQLITE_OK) {
        Finish();
      } else if (std::chrono::steady_clock::now() >= deadline) {
        return false;
      }
    }
    return true;
  }
  const std::string& Target() const { return target_; }
  // Empty when the copy is whole, otherwise SQLite's description of the fault.
  const std::string& Fault() const { return fault_; }

 private:
  void Finish() {
    if (backup_) sqlite3_backup_finish(backup_);
    backup_ = nullptr;
    if (fault_.empty() && sqlite3_errcode(copy_) != SQLITE_OK) fault_ = collection::Fault(copy_);
    sqlite3_close(copy_);
    copy_ = nullptr;
    if (!fault_.empty()) platform::os::RemoveFile(target_);
  }

  std::string target_;
  sqlite3* copy_ = nullptr;
  sqlite3_backup* backup_ = nullptr;
  std::string fault_;
};

// The parts of an opening that run between events.
struct OpeningWork {
  std::unique_ptr<FileCheck> check;
  std::unique_ptr<BackupCopy> backup;
  std::unique_ptr<DerivedDataBuild> build;
  // The commit of the opening's transaction, under way on a thread of its
  // own; its fault, empty when it succeeded.
  std::future<std::string> commit;
  int64_t films = 0;  // to prepare, as counted before a migration
  bool inTransaction = false;

  // Waits for a commit under way: the writing connection is the program's
  // again once it returns.
  void AwaitCommit() {
    if (commit.valid()) commit.wait();
  }
};

namespace {

// Makes the derived data of films in one go, inside a write transaction;
// films is the number of films made.
bool BuildDerivedData(sqlite3* db, DerivedFilms which, int64_t& films) {
  DerivedDataBuild build(db, which);
  if (!build.Begin() || !build.Step(std::chrono::steady_clock::time_point::max()) || !build.End()) {
    return false;
  }
  films = build.Done();
  return true;
}

// Brings the derived data up to date after others wrote films, inside a write
// transaction; films is the number of films indexed.
bool CatchUp(sqlite3* db, int64_t& films) { return BuildDerivedData(db, StaleFilms(db), films); }

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
  path_ = folder_ + "/" + std::string(kFilmFileName);
}

FilmStore::~FilmStore() {
  // An opening left unfinished leaves the file as it was: the migration and
  // the derived data are one transaction, taken back here.
  if (work_) {
    work_->AwaitCommit();  // a commit under way ends as it began
    work_->check.reset();
    work_->backup.reset();
    work_->build.reset();
    if (work_->inTransaction) Execute(db_, "ROLLBACK");
  }
  sqlite3_close(reader_);
  sqlite3_close(db_);
}

OpenResult FilmStore::BeginOpen(std::string folder, StoreOptions options) {
  std::unique_ptr<FilmStore> store(new FilmStore(std::move(folder), std::move(options)));
  const int64_t size = platform::os::FileSize(store->path_);
  if (size == -2) return {nullptr, text::FormatText(text::kIsAFolder, store->path_)};
  if (size == -1) return {std::move(store), {}};  // made when the first film is stored
  if (std::string message = store->StartOpening(); !message.empty()) return {nullptr, message};
  return {std::move(store), {}};
}

OpenResult FilmStore::Open(std::string folder, StoreOptions options) {
  OpenResult opened = BeginOpen(std::move(folder), std::move(options));
  if (opened.store) {
    if (std::string message = opened.store->FinishOpening(); !message.empty()) {
      return {nullptr, message};
    }
  }
  return opened;
}

std::string FilmStore::StartOpening() {
  allFilms_ = {};  // a new connection may take the address of a closed one
  if (sqlite3_open_v2(path_.c_str(), &reader_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    std::string message = text::FormatText(text::kCannotOpen, path_, Fault(reader_));
    sqlite3_close(reader_);
    reader_ = nullptr;
    return message;
  }
  Harden(reader_, options_.busyTimeoutMilliseconds);
  FileLook look = LookAtFile(reader_, path_);
  if (!look.message.empty()) {
    sqlite3_close(reader_);
    reader_ = nullptr;
    return look.message;
  }
  work_ = std::make_unique<OpeningWork>();
  foundVersion_ = look.version;
  readable_ = look.readable;
  if (look.version < kSchemaVersion) {
    // The films a migration will prepare, for its progress.
    SqlStatement count(reader_, "SELECT count(*) FROM film");
    if (count.Step() == SQLITE_ROW) work_->films = count.Integer(0);
  }
  if (!readable_) {
    sqlite3_close(reader_);
    reader_ = nullptr;
  }
  work_->check = std::make_unique<FileCheck>(path_, options_.busyTimeoutMilliseconds);
  stage_ = Stage::Checking;
  return {};
}

void FilmStore::UseJournal() {
  // The write-ahead log needs memory shared on one machine: on a share the
  // rollback journal, also for a file written on a local disk before (its
  // write-ahead log is folded in and removed, which needs the file alone).
  const bool onNetwork = options_.onNetworkFileSystem
                             ? options_.onNetworkFileSystem(folder_)
                             : platform::os::IsOnNetworkFileSystem(folder_);
  if (onNetwork) {
    sqlite3_close(reader_);
    reader_ = nullptr;
  }
  Execute(db_, onNetwork ? "PRAGMA journal_mode = DELETE" : "PRAGMA journal_mode = WAL");
}

std::string FilmStore::OpenWriter() {
  const int flags =
      SQLITE_OPEN_READWRITE | (platform::os::FileSize(path_) < 0 ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string fault = Fault(db_);
    sqlite3_close(db_);
    db_ = nullptr;
    return fault;
  }
  Harden(db_, options_.busyTimeoutMilliseconds);
  Execute(db_, "PRAGMA foreign_keys = ON");
  int64_t version = 0;
  {
    SqlStatement read(db_, "PRAGMA user_version");
    if (read.Step() != SQLITE_ROW) return Fault(db_);
    version = read.Integer(0);
  }
  foundVersion_ = version;
  if (version > kSchemaVersion) {
    // A newer Zelluo took the file over since it was looked at.
    FailOpening(text::FormatText(text::kNewerVersion, path_));
    return {};
  }
  if (version == kSchemaVersion) {
    // The checks have allowed writing by now; the file keeps its journal
    // until a migration is committed, so that one left unfinished leaves it
    // byte-identical.
    UseJournal();
    if (!DerivedDataDue(db_)) {
      EndOpening();
      return {};
    }
  } else if (!backupChecked_ && !SchemaType(db_, "film").empty()) {
    // A file made by someone else is copied away before it is changed.
    std::string problem;
    work_->backup = BeginBackup(problem);
    if (work_->backup) {
      stage_ = Stage::BackingUp;
      return {};
    }
  }
  stage_ = Stage::Migrating;
  return {};
}

std::string FilmStore::BeginPreparing() {
  if (!Execute(db_, "BEGIN IMMEDIATE")) return Fault(db_);
  work_->inTransaction = true;
  int64_t version = 0;
  {
    // Another Zelluo may have done it meanwhile.
    SqlStatement read(db_, "PRAGMA user_version");
    if (read.Step() != SQLITE_ROW) return Fault(db_);
    version = read.Integer(0);
  }
  std::optional<DerivedFilms> due = DerivedFilms::All;
  int64_t films = 0;  // counted before the check, when known
  if (version < kSchemaVersion) {
    if (!Migrate(db_, version)) return Fault(db_);
    // A file of the first layout has its derived data; a hand-made one has none.
    if (version >= 1) {
      due = DerivedDataDue(db_);
    } else {
      films = work_->films;
    }
  } else {
    due = DerivedDataDue(db_);
  }
  if (!due) return EndPreparing();
  work_->build = std::make_unique<DerivedDataBuild>(db_, *due);
  if (!work_->build->Begin(films)) return Fault(db_);
  stage_ = Stage::Preparing;
  return {};
}

std::string FilmStore::EndPreparing() {
  if (work_->build && !work_->build->End()) return Fault(db_);
  if (!Execute(db_, "COMMIT")) return Fault(db_);
  return EndCommitted();
}

// The derived data is finished and the transaction committed on a thread of
// its own: the commit waits for the disk's syncs (40 to 70 ms at 30,000
// films), which the window need not wait for. Nothing else uses the writing
// connection meanwhile: reads go to the read-only one, and every change
// waits for the opening's end.
std::string FilmStore::BeginCommit() {
  if (!work_->build->End()) return Fault(db_);
  work_->commit = std::async(
      std::launch::async, [db = db_] { return Execute(db, "COMMIT") ? std::string() : Fault(db); });
  return {};
}

std::string FilmStore::EndCommitted() {
  work_->build.reset();
  work_->inTransaction = false;
  if (foundVersion_ < kSchemaVersion) UseJournal();
  EndOpening();
  return {};
}

void FilmStore::EndOpening() {
  // From now on the writing connection reads too.
  sqlite3_close(reader_);
  reader_ = nullptr;
  allFilms_ = {};
  readable_ = true;
  dataVersion_.reset();
  work_.reset();
  stage_ = Stage::Ready;
}

void FilmStore::FailOpening(std::string message) {
  if (work_) {
    work_->AwaitCommit();
    work_->check.reset();
    work_->backup.reset();
    work_->build.reset();
    if (work_->inTransaction) Execute(db_, "ROLLBACK");
    work_.reset();
  }
  sqlite3_close(db_);
  db_ = nullptr;
  openingProblem_ = std::move(message);
  stage_ = Stage::Failed;
}

bool FilmStore::Opening() const { return stage_ != Stage::Ready && stage_ != Stage::Failed; }

bool FilmStore::Preparing() const {
  return stage_ == Stage::BackingUp || stage_ == Stage::Migrating || stage_ == Stage::Preparing;
}

bool FilmStore::Readable() const { return Reader() != nullptr; }

sqlite3* FilmStore::Reader() const {
  if (stage_ == Stage::Ready) return db_;
  return readable_ ? reader_ : nullptr;
}

OpeningProgress FilmStore::StepOpening(std::chrono::steady_clock::time_point deadline) {
  const bool waiting = deadline == std::chrono::steady_clock::time_point::max();
  while (Opening()) {
    std::string fault;
    if (stage_ == Stage::Checking) {
      if (!waiting && !work_->check->Done()) break;
      std::string verdict = work_->check->Verdict();
      work_->check.reset();
      if (!verdict.empty()) {
        FailOpening(std::move(verdict));
        break;
      }
      fault = OpenWriter();
    } else if (stage_ == Stage::BackingUp) {
      if (!work_->backup->Step(deadline)) break;
      EndBackup(*work_->backup);
      work_->backup.reset();
      stage_ = Stage::Migrating;  // in a slice of its own
    } else if (stage_ == Stage::Migrating) {
      fault = BeginPreparing();
    } else if (stage_ == Stage::Preparing) {
      if (work_->commit.valid()) {
        if (!waiting &&
            work_->commit.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
          break;
        fault = work_->commit.get();
        if (fault.empty()) fault = EndCommitted();
      } else if (work_->build->Finished()) {
        fault = BeginCommit();
      } else if (!work_->build->Step(deadline)) {
        fault = Fault(db_);
      }
    }
    if (!fault.empty()) {
      if (foundVersion_ < kSchemaVersion || !db_) {
        FailOpening(text::FormatText(text::kCannotOpen, path_, fault));
      } else {
        // Derived data that could not be made is made at the next change.
        work_->build.reset();
        if (work_->inTransaction) Execute(db_, "ROLLBACK");
        EndOpening();
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
  }
  OpeningProgress progress;
  progress.finished = !Opening();
  if (work_ && work_->build) {
    progress.filmsPrepared = work_->build->Done();
    progress.filmsToPrepare = work_->build->Total();
  } else if (work_) {
    progress.filmsToPrepare = work_->films;
  }
  return progress;
}

std::string FilmStore::FinishOpening() {
  StepOpening(std::chrono::steady_clock::time_point::max());
  return openingProblem_;
}

std::string FilmStore::ReadyToWrite() {
  FinishOpening();
  if (stage_ == Stage::Failed) return openingProblem_;
  return EnsureCreated();
}

std::string FilmStore::EnsureCreated() {
  if (db_) return {};
  if (!platform::os::CreateFolder(folder_))
    return text::FormatText(text::kCannotCreateFolder, folder_);
  if (platform::os::FileSize(path_) >= 0) {
    // Another program made the file since the store was opened.
    if (std::string message = StartOpening(); !message.empty()) return message;
  } else {
    backupChecked_ = true;  // nothing to copy yet
    work_ = std::make_unique<OpeningWork>();
    stage_ = Stage::Checking;
    if (std::string fault = OpenWriter(); !fault.empty()) {
      FailOpening(text::FormatText(text::kCannotOpen, path_, fault));
    }
  }
  return FinishOpening();
}

ChangeResult FilmStore::Change(const std::function<std::string()>& step, bool freshIndex) {
  // Until the opening ends the writing connection is its own (its one
  // transaction, then its commit on a thread): every change waits for it.
  if (Opening()) FinishOpening();
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
  if (!Reader()) return false;
  SqlStatement version(Reader(), "PRAGMA data_version");
  if (version.Step() != SQLITE_ROW) return false;
  const int64_t now = version.Integer(0);
  return std::exchange(dataVersion_, now).value_or(now) != now;
}

int64_t FilmStore::RefreshDerivedData() {
  if (!db_ || Opening() || !DerivedDataDue(db_)) return 0;
  int64_t films = 0;
  ChangeResult rebuilt = Change(
      [&] {
        const std::optional<DerivedFilms> due = DerivedDataDue(db_);
        return !due || BuildDerivedData(db_, *due, films) ? std::string() : Fault(db_);
      },
      false);
  return rebuilt.Ok() ? films : 0;
}

namespace {

// The part of a query that keeps the films a search finds; ?9 is the match
// expression.
constexpr std::string_view kFoundFilter =
    " id IN (SELECT rowid FROM film_search WHERE film_search MATCH ?9)";
// Walking the order index and testing each film against the films found beats
// looking up every film found and sorting them (a short query finds most films).
constexpr std::string_view kByOrder = " INDEXED BY film_order";

}  // namespace

int64_t FilmStore::CountFilms(std::string_view query) {
  readProblem_.clear();
  sqlite3* db = Reader();
  if (!db) return 0;
  const std::string expression = MatchExpressionOf(query);
  const std::string narrowed = NarrowingFilter();
  KeptCount now{db, -1, sqlite3_total_changes64(db), 0};
  const bool all = expression.empty() && narrowed.empty();
  if (all) {
    // count(*) walks the whole table (3 ms at 100,000 films); the data version
    // tells other programs' changes, the total of changes this connection's.
    SqlStatement version(db, "PRAGMA data_version");
    if (version.Step() == SQLITE_ROW) now.dataVersion = version.Integer(0);
    if (now.dataVersion >= 0 && now.db == allFilms_.db &&
        now.dataVersion == allFilms_.dataVersion && now.changes == allFilms_.changes) {
      return allFilms_.films;
    }
  }
  std::string sql = "SELECT count(*) FROM film";
  if (!expression.empty()) sql += std::string(kByOrder) + " WHERE" + std::string(kFoundFilter);
  if (!narrowed.empty()) sql += (expression.empty() ? " WHERE 1" : "") + narrowed;
  SqlStatement count(db, sql);
  if (!expression.empty()) count.Bind(9, expression);
  BindNarrowing(count);
  if (count.Step() != SQLITE_ROW) {
    readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db));
    return 0;
  }
  now.films = count.Integer(0);
  if (all) allFilms_ = now;
  return now.films;
}

std::vector<FilmRow> FilmStore::ListFilms(std::string_view query, int64_t offset, int64_t limit) {
  readProblem_.clear();
  std::vector<FilmRow> rows;
  sqlite3* db = Reader();
  if (!db || limit <= 0) return rows;
  const std::string expression = MatchExpressionOf(query);
  const std::string narrowed = NarrowingFilter();
  std::string sql = "SELECT id FROM film" + std::string(kByOrder);
  if (!expression.empty()) sql += " WHERE" + std::string(kFoundFilter);
  if (!narrowed.empty()) sql += (expression.empty() ? " WHERE 1" : "") + narrowed;
  sql = "SELECT film.id, title, year, runtime, country FROM (" + sql +
        " ORDER BY sort_key, id LIMIT ?1 OFFSET ?2) AS page JOIN film ON film.id = page.id"
        " ORDER BY sort_key, film.id";
  SqlStatement list(db, sql);
  list.Bind(1, limit).Bind(2, std::max<int64_t>(offset, 0));
  if (!expression.empty()) list.Bind(9, expression);
  BindNarrowing(list);
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) {
    rows.push_back({list.Integer(0), list.Text(1), list.OptionalNumber(2), list.OptionalNumber(3),
                    list.Text(4)});
  }
  if (stepped != SQLITE_DONE) readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db));
  return rows;
}

std::optional<int64_t> FilmStore::PositionOf(std::string_view query, int64_t id) {
  readProblem_.clear();
  sqlite3* db = Reader();
  if (!db) return std::nullopt;
  const std::string expression = MatchExpressionOf(query);
  const std::string narrowed = NarrowingFilter();
  const std::string filter =
      (expression.empty() ? "" : " AND" + std::string(kFoundFilter)) + narrowed;
  SqlStatement position(
      db, "SELECT (SELECT count(*) FROM film WHERE (sort_key, id) < (t.sort_key, t.id)" + filter +
              ") FROM film AS t WHERE t.id = ?1" +
              (expression.empty() ? "" : " AND t." + std::string(kFoundFilter.substr(1))) +
              narrowed);
  position.Bind(1, id);
  if (!expression.empty()) position.Bind(9, expression);
  BindNarrowing(position);
  int stepped = position.Step();
  if (stepped == SQLITE_ROW) return position.Integer(0);
  if (stepped != SQLITE_DONE) readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db));
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
  sqlite3* db = Reader();
  if (!db) return std::nullopt;
  SqlStatement load(db, "SELECT id, " + FilmColumnList() + " FROM film WHERE id = ?1");
  load.Bind(1, id);
  int stepped = load.Step();
  if (stepped != SQLITE_ROW) {
    if (stepped != SQLITE_DONE)
      readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db));
    return std::nullopt;
  }
  return FilmOfRow(load);
}

std::vector<Film> FilmStore::AllFilms() {
  readProblem_.clear();
  std::vector<Film> films;
  sqlite3* db = Reader();
  if (!db) return films;
  SqlStatement all(db, "SELECT id, " + FilmColumnList() + " FROM film" + std::string(kByOrder) +
                           " ORDER BY sort_key, id");
  int stepped;
  while ((stepped = all.Step()) == SQLITE_ROW) films.push_back(FilmOfRow(all));
  if (stepped != SQLITE_DONE) {
    readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db));
    films.clear();
  }
  return films;
}

namespace {

// The parameters of a statement that writes a film: its fields are ?1 to
// ?15 in the order of kFilmFields, then come the id and the sort key.
constexpr int kIdParameter = static_cast<int>(kFilmFieldCount) + 1;
constexpr int kSortKeyParameter = kIdParameter + 1;

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
    return "UPDATE film SET " + columns + " WHERE id = ?" + std::to_string(kIdParameter);
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
        insert_(db, "INSERT INTO film(" + FilmColumnList() + ", id, " +
                        std::string(kSortKeyColumn) + ") VALUES(" + Parameters(kSortKeyParameter) +
                        ")"),
        words_(db, batch_ ? "INSERT INTO temp.pending_words(id, words) VALUES(?1, ?2)"
                          : "INSERT INTO film_search(rowid, words) VALUES(?1, ?2)"),
        fresh_(db, "DELETE FROM film_stale WHERE id = ?1") {}

  // The new film's id (id when not 0); 0 on failure.
  int64_t Insert(const Film& film, int64_t id = 0) {
    BindFilm(insert_, film);
    if (id != 0) insert_.Bind(kIdParameter, id);
    insert_.Bind(kSortKeyParameter, SortKeyOf(film.title));
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
  write.Bind(kIdParameter, id);
  if (!write.Done() || sqlite3_changes(db) == 0) return 0;
  if (!IndexFilm(db, id)) return 0;
  SqlStatement fresh(db, "DELETE FROM film_stale WHERE id = ?1");
  return fresh.Bind(1, id).Done() ? id : 0;
}

}  // namespace

int64_t WriteFilmRecord(sqlite3* db, const Film& film, int64_t id, bool update) {
  return WriteFilm(db, film, id, update);
}

std::vector<int64_t> InsertFilmRecords(sqlite3* db, const std::vector<Film>& films) {
  std::vector<int64_t> ids;
  ids.reserve(films.size());
  FilmInserter inserter(db, true);
  for (const Film& film : films) {
    const int64_t id = inserter.Insert(film);
    if (id == 0) return {};
    ids.push_back(id);
  }
  if (!inserter.Finish()) return {};
  return ids;
}

ChangeResult FilmStore::SaveFilm(const Film& film) {
  if (text::IsBlank(film.title)) {
    return {0, std::string(text::kNoTitle)};
  }
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  Film written = film;
  written.changed = Now();
  if (written.id == 0 && written.added.empty()) written.added = written.changed;
  return ChangeFilm(written.id, [&](int64_t& id) -> std::string {
    id = WriteFilm(db_, written, written.id, written.id != 0);
    return id != 0 ? std::string() : Fault(db_);
  });
}

ChangeResult FilmStore::ChangeFilm(int64_t film,
                                   const std::function<std::string(int64_t& id)>& step) {
  if (!backupChecked_) BackUpIfDue();
  int64_t id = 0;
  bool missing = false;
  ChangeResult result = Change([&]() -> std::string {
    if (film != 0) {
      SqlStatement exists(db_, "SELECT 1 FROM film WHERE id = ?1");
      missing = exists.Bind(1, film).Step() != SQLITE_ROW;
      if (missing) return "missing";
    }
    return step(id);
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
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  if (!backupChecked_) BackUpIfDue();
  const std::string now = Now();
  ChangeResult result = Change([&]() -> std::string {
    FilmInserter inserter(db_, true);
    // A backup's films bring their viewing log, under the films' new ids.
    SqlStatement log(db_,
                     "INSERT INTO viewing(film, started, ended, position, duration, complete)"
                     " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    for (Film film : films) {
      if (film.added.empty()) film.added = now;
      if (film.changed.empty()) film.changed = now;
      const int64_t id = inserter.Insert(film);
      if (id == 0) return Fault(db_);
      for (const Viewing& viewing : film.viewings) {
        log.Bind(1, id).Bind(2, viewing.started).BindOrNull(3, viewing.ended);
        log.BindReal(4, viewing.position).BindReal(5, viewing.duration);
        if (!log.Bind(6, int64_t{viewing.complete ? 1 : 0}).Done()) return Fault(db_);
        log.Reset();
      }
    }
    return inserter.Finish() ? std::string() : Fault(db_);
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  ChangeResult added;
  added.filmsAdded = static_cast<int64_t>(films.size());
  return added;
}

ChangeResult FilmStore::DeleteFilm(int64_t id) {
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
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
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
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

std::unique_ptr<BackupCopy> FilmStore::BeginBackup(std::string& problem) {
  backupChecked_ = true;
  if (!db_) return nullptr;
  const std::string folder = folder_ + "/" + std::string(kBackupFolderName);
  const platform::LocalDate today = options_.today ? options_.today() : platform::os::Today();
  const std::string target = folder + "/Filme-" + IsoDate(today) + ".db";
  if (platform::os::FileSize(target) >= 0) return nullptr;
  if (!platform::os::CreateFolder(folder)) {
    problem = text::FormatText(text::kBackupFailed, target, folder);
    return nullptr;
  }
  return std::make_unique<BackupCopy>(db_, target);
}

std::string FilmStore::EndBackup(const BackupCopy& copy) {
  if (!copy.Fault().empty())
    return text::FormatText(text::kBackupFailed, copy.Target(), copy.Fault());
  const std::string folder = folder_ + "/" + std::string(kBackupFolderName);
  std::vector<std::string> backups = platform::os::ListFiles(folder);
  std::erase_if(backups, [](const std::string& name) { return !IsBackupName(name); });
  std::sort(backups.begin(), backups.end());
  const auto kept = static_cast<size_t>(std::max(options_.keptBackups, 1));
  for (size_t i = 0; i + kept < backups.size(); ++i)
    platform::os::RemoveFile(folder + "/" + backups[i]);
  return {};
}

std::string FilmStore::BackUpIfDue() {
  std::string problem;
  std::unique_ptr<BackupCopy> copy = BeginBackup(problem);
  if (!copy) return problem;
  copy->Step(std::chrono::steady_clock::time_point::max());
  return EndBackup(*copy);
}

}  // namespace zelluo::collection
