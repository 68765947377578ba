#pragma once
// The film collection in one SQLite file, "Filme.db" in the folder the store is
// opened on (the program passes "Zelluo Files"). docs/collection.md describes
// the file.
//
// Opening never writes to a file it does not trust: a damaged file, a file that
// is no SQLite database or one from a newer version stays byte-identical and
// the caller gets a German message naming it. Opening comes in two kinds:
// Open checks everything before it returns; BeginOpen returns as soon as the
// version and layout are known, with the films readable at once where the
// layout allows, and leaves the rest (the check of the whole file on a thread
// of its own, the backup and migration of an older file, the derived data) to
// StepOpening, a slice at a time between events. Every change first waits for
// that rest and is refused with its message when the file failed the check. Where no file exists,
// nothing is created until the first film is stored. Every change is one transaction; before the
// first change of a day the file is copied into "Sicherungen/".
//
// Reads are meant for a list that fetches rows as they are shown: count, a
// window of rows in order, the position of one film. A read that fails gives
// an empty result and leaves its message in ReadProblem().

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collection/film.h"
#include "collection/folder_scan.h"
#include "platform/platform.h"

struct sqlite3;

namespace zelluo::collection {

class BackupCopy;

inline constexpr std::string_view kFilmFileName = "Filme.db";
inline constexpr std::string_view kBackupFolderName = "Sicherungen";
// The value of PRAGMA user_version this program writes and reads.
inline constexpr int kSchemaVersion = 5;
// The migration's steps from version 1 to 2, the viewing log (viewing_log.cpp),
// from 2 to 3, the film folders (film_folders.cpp), from 3 to 4, the
// borrowers and loans (loans.cpp), and from 4 to 5, the files beside the
// films (film_folders.cpp).
bool AddViewingLog(sqlite3* db);
bool AddFilmFolders(sqlite3* db);
bool AddLoans(sqlite3* db);
bool AddSideFiles(sqlite3* db);
// Updates film id (update) or inserts the film under id (0: a new id), with
// its sort key and search words; the id written, 0 on failure.
int64_t WriteFilmRecord(sqlite3* db, const Film& film, int64_t id, bool update);
// Inserts new films as an import does, their search words in one batch; their
// ids in order, none on failure.
std::vector<int64_t> InsertFilmRecords(sqlite3* db, const std::vector<Film>& films);

struct StoreOptions {
  // The moment written into added and changed (ISO 8601, UTC); the clock when empty.
  std::function<std::string()> now;
  // The local date that names the backups; the system's when empty.
  std::function<platform::LocalDate()> today;
  int keptBackups = 7;
  // How long a change waits for another program that is writing.
  int busyTimeoutMilliseconds = 5000;
  // Whether the folder lies on a network file system, where the collection
  // keeps a rollback journal instead of the write-ahead log;
  // os::IsOnNetworkFileSystem when empty.
  std::function<bool(std::string_view folder)> onNetworkFileSystem;
};

// The outcome of a change: the film's id (of an import: the number of films
// added), or a German message for the user.
struct ChangeResult {
  int64_t id = 0;
  std::string message;
  int64_t filmsAdded = 0;
  bool Ok() const { return message.empty(); }
};

// --- the viewing log (viewing_log.cpp) ---------------------------------------

// A viewing counts as seen from this share of the film on; a resume point is
// kept from kResumeFrom up to it.
inline constexpr double kSeenFrom = 0.90;
inline constexpr double kResumeFrom = 0.05;

// Whether position of duration counts as a complete viewing.
bool CountsAsSeen(double position, double duration);
// When the film was last seen, from its viewings (Film::viewings): ended (or
// started) of the latest complete viewing, as the store wrote it; empty when
// it was never seen. The Play page's column Gesehen is the same moment.
std::string LastSeen(const Film& film);
// The point to resume from after a viewing that stopped at position; 0 when
// the film begins anew.
double ResumePoint(double position, double duration);

// Which films of the Play page are listed.
enum class PlayFilter { All, Unseen, Started };

// One row of the Play page: a film with a video file and where its viewing stands.
struct PlayRow {
  int64_t id = 0;
  std::string title;
  std::optional<int32_t> year;
  std::optional<int32_t> runtime;
  std::string video;
  std::optional<std::string> cover;
  std::string lastSeen;  // ended (or started) of the last complete viewing; empty when unseen
  int64_t viewings = 0;
  double resume = 0;    // seconds; 0 when the film starts from the beginning
  double duration = 0;  // seconds, as the last viewing measured it; 0 when unknown
  friend bool operator==(const PlayRow&, const PlayRow&) = default;
};

// A folder the Update page walks (film_folders.cpp).
struct FilmFolder {
  int64_t id = 0;
  std::string path;
  friend bool operator==(const FilmFolder&, const FilmFolder&) = default;
};

// Whether the filter lists the row: Ungesehen the films without a complete
// viewing, Angefangen those with a resume point.
bool PassesFilter(const PlayRow& row, PlayFilter filter);

class FilmStore;
struct OpeningWork;

// How far the preparation of a file stands: its derived data made for
// filmsPrepared of filmsToPrepare films (both 0 while nothing is to prepare).
struct OpeningProgress {
  bool finished = true;
  int64_t filmsPrepared = 0;
  int64_t filmsToPrepare = 0;
};

// --- loans (loans.cpp) -------------------------------------------------------

// Borrower and Loan are in film.h.

// Which films the List page shows besides its search: those lent, those
// overdue, or those behind a bar of the statistics.
enum class Narrowing { None, Lent, Overdue, Bar };

// --- statistics (statistics.cpp) -------------------------------------------

// The fields the statistics count films by.
enum class StatField { Genre, Director, Country, Decade, Added };

// One bar of the statistics: its label and the number of films behind it.
// key names them for NarrowToBar: the field's value ("" for the films
// without one, the bucket "ohne Angabe"), the decade's first year ("1990"),
// or for the growth the first period after the bar ("2027-01", "2027"), the
// bar counting every film added before it.
struct StatBar {
  std::string label;
  std::string key;
  int64_t films = 0;
  friend bool operator==(const StatBar&, const StatBar&) = default;
};

// The whole collection at a glance, counted by SQL aggregates.
struct Statistics {
  int64_t films = 0;
  int64_t minutes = 0;  // the running times added up
  int64_t seen = 0;     // films with a complete viewing
  int64_t lent = 0;
  int64_t overdue = 0;
  // The most frequent values first (a genre per line of the field), then
  // the bucket "ohne Angabe"; decades in their order; the growth as the
  // number of films at the end of each month (each year, once the films
  // were added over more than twelve months).
  std::vector<StatBar> genres;
  std::vector<StatBar> directors;
  std::vector<StatBar> countries;
  std::vector<StatBar> decades;
  std::vector<StatBar> growth;
  friend bool operator==(const Statistics&, const Statistics&) = default;
};

class SqlStatement;

// The outcome of opening: a store, or no store and a German message.
struct OpenResult {
  std::unique_ptr<FilmStore> store;
  std::string message;
};

class FilmStore {
 public:
  // Opens the collection and runs every check and preparation first.
  static OpenResult Open(std::string folder, StoreOptions options = {});
  // Opens the collection with only its version and layout checked; the rest
  // follows through StepOpening. Only the faults found so far give no store.
  static OpenResult BeginOpen(std::string folder, StoreOptions options = {});
  ~FilmStore();
  FilmStore(const FilmStore&) = delete;
  FilmStore& operator=(const FilmStore&) = delete;

  // The path of the collection file.
  const std::string& FilePath() const { return path_; }

  // Whether checks or preparation of the file are still to do.
  bool Opening() const;
  // Whether the program's own work of opening (backup, migration, derived
  // data) is under way, rather than the check that runs beside it.
  bool Preparing() const;
  // Whether films can be read now: at once for a file of the current layout,
  // otherwise once it is prepared; a file that failed the check stays readable
  // as far as it can be read.
  bool Readable() const;
  // Does the next part of the opening, for about as long as the deadline
  // allows (the check of the whole file is only looked at, never waited for).
  OpeningProgress StepOpening(std::chrono::steady_clock::time_point deadline);
  // Does the whole rest of the opening, waiting for the check; empty when the
  // file may be written, otherwise the German message of the fault.
  std::string FinishOpening();
  // The fault the checks found (empty while none).
  const std::string& OpeningProblem() const { return openingProblem_; }

  // query is what the user typed; empty matches every film.
  int64_t CountFilms(std::string_view query);
  // Up to limit rows from offset on, ordered by title.
  std::vector<FilmRow> ListFilms(std::string_view query, int64_t offset, int64_t limit);
  // The row index of film id in that order; empty when the query does not find it.
  std::optional<int64_t> PositionOf(std::string_view query, int64_t id);
  std::optional<Film> LoadFilm(int64_t id);
  // Every film, in the list's order; empty with ReadProblem() set on failure.
  std::vector<Film> AllFilms();
  const std::string& ReadProblem() const { return readProblem_; }

  // Inserts a film with id 0, updates one with its id. Sets added and changed.
  ChangeResult SaveFilm(const Film& film);
  // Adds films as new ones in a single transaction (all or none); ids are
  // ignored, empty added and changed dates set (a restored backup keeps its).
  // The result's filmsAdded is the number added, its id 0.
  ChangeResult ImportFilms(const std::vector<Film>& films);
  // Keeps the film in memory so that UndoDelete can bring it back.
  ChangeResult DeleteFilm(int64_t id);
  // Brings back the film deleted last (under its old id while that is free).
  ChangeResult UndoDelete();
  bool CanUndoDelete() const { return !deleted_.empty(); }

  // Makes the search words and sort keys again when another program changed
  // films or the folding changed; done at open (by StepOpening). Returns the number of films
  // indexed (0 when all was up to date).
  int64_t RefreshDerivedData();

  // True when another connection (the sqlite3 shell, a second Zelluo)
  // committed a change since the last call; cheap enough to ask often
  // (PRAGMA data_version). The first call only takes note.
  bool ChangedByOthers();

  // Copies the file into the backup folder unless a copy of today exists, and
  // keeps only the newest StoreOptions::keptBackups copies. Empty on success.
  std::string BackUpIfDue();

  // --- the viewing log (viewing_log.cpp) -------------------------------------
  // The films with a video file that match query and filter, in the list's order.
  std::vector<PlayRow> ListPlayable(std::string_view query, PlayFilter filter);
  // Every viewing of the film, oldest first.
  std::vector<Viewing> ViewingsOf(int64_t film);
  // Fills each film's viewings (for a backup) with one read of the log.
  void AttachViewings(std::vector<Film>& films);
  // A viewing that begins now; its id, or a message.
  ChangeResult StartViewing(int64_t film);
  // Ends viewing id at position of duration (seconds); complete from kSeenFrom on.
  ChangeResult EndViewing(int64_t viewing, double position, double duration);
  // Seen: a complete viewing ending now. Unseen: no viewing of the film counts
  // as complete any more (the log keeps them) and no resume point is left.
  ChangeResult MarkSeen(int64_t film, bool seen);

  // --- the film folders (film_folders.cpp) ----------------------------------
  // The folders in the order of their paths.
  std::vector<FilmFolder> ListFilmFolders();
  // Adds a folder (the collection file is made when there is none); a folder
  // already listed is refused with a message.
  ChangeResult AddFilmFolder(std::string_view folder);
  // Takes a folder off the list; its films stay as they are.
  ChangeResult RemoveFilmFolder(int64_t id);
  // Every film with its file and what the last scan stored of it.
  std::vector<KnownFilm> KnownFilms();
  // Stores the checked findings in one transaction: new films, files given to
  // their films, moved files, missing files marked, changed .nfo values and
  // covers (the cover files already made, named in values.cover). The films
  // of returned, whose file is back, lose their mark as missing. Nothing is
  // deleted. The result's filmsAdded is the number of new films.
  ChangeResult ApplyFindings(const std::vector<Finding>& findings,
                             const std::vector<int64_t>& returned = {});

  // --- loans (loans.cpp) ------------------------------------------------------
  // Lends the film to the borrower of that name (made when new, and given the
  // e-mail, phone and note passed, which replace those kept) from day lent
  // until day due; refused while the film is away.
  ChangeResult LendFilm(int64_t film, const Borrower& borrower, std::string_view lent,
                        std::string_view due, std::string_view note = {});
  // The same for a borrower known by name alone.
  ChangeResult LendFilm(int64_t film, std::string_view borrower, std::string_view lent,
                        std::string_view due, std::string_view note = {}) {
    return LendFilm(film, Borrower{std::string(borrower), {}, {}, {}}, lent, due, note);
  }
  // The film came back on day returned; its loan stays in the history.
  ChangeResult ReturnFilm(int64_t film, std::string_view returned);
  // The loan of the film while it is away.
  std::optional<Loan> OpenLoanOf(int64_t film);
  // Every loan of the film, oldest first.
  std::vector<Loan> LoansOf(int64_t film);
  // The films away: overdue on day today first, then by due date.
  std::vector<Loan> LentFilms(std::string_view today);
  // Every loan, for the backup.
  std::vector<Loan> AllLoans();
  // The borrowers in alphabetical order of their names, for choosing one.
  std::vector<Borrower> Borrowers();
  // Loans from a backup, each matched to a stored film by title and year;
  // loans already there (same film, borrower and day lent) and loans of films
  // not stored are left out. id is the number added.
  ChangeResult ImportLoans(const std::vector<Loan>& loans);
  // The List page's count, rows and positions keep only the films lent (or
  // overdue on day today).
  void NarrowTo(Narrowing narrowing, std::string today = {});

  // --- statistics (statistics.cpp) ---------------------------------------------
  // The figures and the bars of each field (at most topValues values and
  // the bucket "ohne Angabe"; the growth's last topValues periods), overdue
  // counted on day today. Empty with ReadProblem() set on failure.
  Statistics ComputeStatistics(std::string_view today, int topValues);
  // The List page's count, rows and positions keep only the films behind a
  // bar (its field and key, as in StatBar).
  void NarrowToBar(StatField field, std::string key);

 private:
  // Checking: the whole file is checked on a thread; BackingUp: copied into
  // the backup folder; Migrating: the migration and derived data are to
  // begin; Preparing: derived data made a slice at a time.
  enum class Stage { Ready, Checking, BackingUp, Migrating, Preparing, Failed };

  // " AND id IN (...)" for the narrowing; empty without one.
  std::string NarrowingFilter() const;
  void BindNarrowing(SqlStatement& statement) const;
  // The narrowing's condition for a bar of the statistics.
  std::string BarFilter() const;

  FilmStore(std::string folder, StoreOptions options);
  // The quick look through a read-only connection, and the check begun.
  std::string StartOpening();
  // After the check: the writing connection, and what is left to do.
  std::string OpenWriter();
  // The journal the file keeps while this program writes it.
  void UseJournal();
  // The migration and the derived data begun, in one write transaction.
  std::string BeginPreparing();
  std::string EndPreparing();
  std::string BeginCommit();
  std::string EndCommitted();
  void EndOpening();
  void FailOpening(std::string message);
  // A copy into the backup folder, when one is due; a problem when it cannot be made.
  std::unique_ptr<BackupCopy> BeginBackup(std::string& problem);
  std::string EndBackup(const BackupCopy& copy);
  // The connection that reads: the writing one once the file is ready.
  sqlite3* Reader() const;
  // The opening waited for, then EnsureCreated: empty when changes may be written.
  std::string ReadyToWrite();
  std::string EnsureCreated();
  // Runs step in one write transaction; with freshIndex the search index is
  // first made again when others wrote films meanwhile.
  ChangeResult Change(const std::function<std::string()>& step, bool freshIndex = true);
  // Change for one film (0: a new one): the daily backup first when due, and
  // a film that another program deleted meanwhile told as missing. The step
  // gives the result's id.
  ChangeResult ChangeFilm(int64_t film, const std::function<std::string(int64_t& id)>& step);
  std::string Now() const;

  std::string folder_;
  std::string path_;
  StoreOptions options_;
  sqlite3* db_ = nullptr;      // the writing connection, once the checks passed
  sqlite3* reader_ = nullptr;  // read-only, until then
  bool readable_ = false;      // the reader gives films in order
  Stage stage_ = Stage::Ready;
  int64_t foundVersion_ = 0;  // the file's user_version when it was opened
  std::unique_ptr<OpeningWork> work_;
  std::string openingProblem_;
  bool backupChecked_ = false;
  std::string readProblem_;
  std::vector<Film> deleted_;
  std::optional<int64_t> dataVersion_;  // as ChangedByOthers saw it last
  // The number of all films, asked on every visit of the List page, with what
  // it was counted on: kept while neither this store nor another program
  // changed the file.
  struct KeptCount {
    sqlite3* db = nullptr;
    int64_t dataVersion = -1;
    int64_t changes = -1;
    int64_t films = 0;
  } allFilms_;
  Narrowing narrowing_ = Narrowing::None;
  std::string narrowingDay_;  // the overdue day, or the bar's key
  StatField barField_ = StatField::Genre;
};

}  // namespace zelluo::collection
