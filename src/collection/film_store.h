#pragma once
// The film collection in one SQLite file, "Filme.db" in the folder the store is
// opened on (the program passes "Zelluo Files"). docs/collection.md describes
// the file.
//
// Opening never writes to a file it does not trust: a damaged file, a file that
// is no SQLite database or one from a newer version stays byte-identical and
// the caller gets a German message naming it. Where no file exists, nothing is
// created until the first film is stored. Every change is one transaction;
// before the first change of a day the file is copied into "Sicherungen/".
//
// Reads are meant for a list that fetches rows as they are shown: count, a
// window of rows in order, the position of one film. A read that fails gives
// an empty result and leaves its message in ReadProblem().

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collection/film.h"
#include "platform/platform.h"

struct sqlite3;

namespace zelluo::collection {

inline constexpr std::string_view FilmFileName = "Filme.db";
inline constexpr std::string_view BackupFolderName = "Sicherungen";
// The value of PRAGMA user_version this program writes and reads.
inline constexpr int SchemaVersion = 3;

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

// One viewing of a film: when it began and ended (ISO 8601, UTC; ended empty
// while it runs or when an outside player had it), how far it came and how
// long the film is, in seconds (0 when unknown), and whether it counts as seen.
struct Viewing {
  int64_t id = 0;
  int64_t film = 0;
  std::string started;
  std::string ended;
  double position = 0;
  double duration = 0;
  bool complete = false;
  friend bool operator==(const Viewing&, const Viewing&) = default;
};

// A viewing counts as seen from this share of the film on; a resume point is
// kept from kResumeFrom up to it.
inline constexpr double kSeenFrom = 0.90;
inline constexpr double kResumeFrom = 0.05;

// Whether position of duration counts as a complete viewing.
bool CountsAsSeen(double position, double duration);
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

// --- loans (loans.cpp) -------------------------------------------------------

// Borrower and Loan are in film.h.

// Which films the List page shows besides its search.
enum class Narrowing { None, Lent, Overdue };

class FilmStore;
class SqlStatement;

// The outcome of opening: a store, or no store and a German message.
struct OpenResult {
  std::unique_ptr<FilmStore> store;
  std::string message;
};

class FilmStore {
 public:
  static OpenResult Open(std::string folder, StoreOptions options = {});
  ~FilmStore();
  FilmStore(const FilmStore&) = delete;
  FilmStore& operator=(const FilmStore&) = delete;

  // The path of the collection file.
  const std::string& FilePath() const { return path_; }

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
  // films or the folding changed; done at open. Returns the number of films
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
  // A viewing that begins now; its id, or a message.
  ChangeResult StartViewing(int64_t film);
  // Ends viewing id at position of duration (seconds); complete from kSeenFrom on.
  ChangeResult EndViewing(int64_t viewing, double position, double duration);
  // Seen: a complete viewing ending now. Unseen: no viewing of the film counts
  // as complete any more (the log keeps them) and no resume point is left.
  ChangeResult MarkSeen(int64_t film, bool seen);

  // --- loans (loans.cpp) ------------------------------------------------------
  // Lends the film to the borrower of that name (made when new) from day lent
  // until day due; refused while the film is away.
  ChangeResult LendFilm(int64_t film, std::string_view borrower, std::string_view lent,
                        std::string_view due, std::string_view note = {});
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
  // Borrower names in alphabetical order, for choosing one.
  std::vector<std::string> BorrowerNames();
  // Loans from a backup, each matched to a stored film by title and year;
  // loans already there (same film, borrower and day lent) and loans of films
  // not stored are left out. id is the number added.
  ChangeResult ImportLoans(const std::vector<Loan>& loans);
  // The List page's count, rows and positions keep only the films lent (or
  // overdue on day today).
  void NarrowTo(Narrowing narrowing, std::string today = {});

 private:
  // Brings a file of version 1 to version 2 (the viewing log), the daily
  // backup first; nothing for a file that has it.
  std::string AddViewingLog();
  // Brings a file of version 2 to version 3 (borrowers and loans), the daily
  // backup first; nothing for a file that has them.
  std::string AddLoans();
  // " AND id IN (...)" for the narrowing; empty without one.
  std::string NarrowingFilter() const;
  void BindNarrowing(SqlStatement& statement) const;

  FilmStore(std::string folder, StoreOptions options);
  std::string OpenConnection();
  std::string EnsureCreated();
  // Runs step in one write transaction; with freshIndex the search index is
  // first made again when others wrote films meanwhile.
  ChangeResult Change(const std::function<std::string()>& step, bool freshIndex = true);
  std::string Now() const;

  std::string folder_;
  std::string path_;
  StoreOptions options_;
  sqlite3* db_ = nullptr;
  bool backupChecked_ = false;
  std::string readProblem_;
  std::vector<Film> deleted_;
  std::optional<int64_t> dataVersion_;  // as ChangedByOthers saw it last
  Narrowing narrowing_ = Narrowing::None;
  std::string narrowingDay_;
};

}  // namespace zelluo::collection
