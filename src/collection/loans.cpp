// Borrowers and loans (schema version 4): which film is with whom since when
// and until when, and every loan of a film kept after it came back.
// docs/collection.md describes the tables.
#include <sqlite3.h>

#include "collection/film_store.h"
#include "collection/sql_statement.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// At most one open loan per film: the partial unique index refuses a second.
constexpr const char* CreateLoanTables =
    "CREATE TABLE borrower(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE,"
    " email TEXT, phone TEXT, note TEXT);"
    "CREATE TABLE loan(id INTEGER PRIMARY KEY,"
    " film INTEGER NOT NULL REFERENCES film(id) ON DELETE CASCADE,"
    " borrower INTEGER NOT NULL REFERENCES borrower(id),"
    " lent TEXT NOT NULL, due TEXT, returned TEXT, note TEXT);"
    "CREATE INDEX loan_film ON loan(film, id);"
    "CREATE UNIQUE INDEX loan_away ON loan(film) WHERE returned IS NULL;"
    "CREATE INDEX loan_due ON loan(due) WHERE returned IS NULL;";

// The columns a Loan is read from, in LoanOfRow's order.
constexpr std::string_view LoanColumns =
    "SELECT l.id, l.film, f.title, f.year, b.name, b.email, b.phone, b.note, l.lent,"
    " l.due, l.returned, l.note FROM loan AS l JOIN film AS f ON f.id = l.film"
    " JOIN borrower AS b ON b.id = l.borrower";

Loan LoanOfRow(const SqlStatement& row) {
  return {row.Integer(0),
          row.Integer(1),
          row.Text(2),
          row.OptionalNumber(3),
          {row.Text(4), row.Text(5), row.Text(6), row.Text(7)},
          row.Text(8),
          row.Text(9),
          row.Text(10),
          row.Text(11)};
}

std::string ObjectType(sqlite3* db, std::string_view name) {
  SqlStatement type(db, "SELECT type FROM sqlite_schema WHERE name = ?1");
  type.Bind(1, name);
  return type.Step() == SQLITE_ROW ? type.Text(0) : std::string();
}

std::string Fault(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

// "2026-12-03": four digits, two, two, with a real month and day.
bool IsDay(std::string_view day) {
  if (day.size() != 10 || day[4] != '-' || day[7] != '-') return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (day[i] < '0' || day[i] > '9') return false;
  }
  const int month = (day[5] - '0') * 10 + (day[6] - '0');
  const int date = (day[8] - '0') * 10 + (day[9] - '0');
  return month >= 1 && month <= 12 && date >= 1 && date <= 31;
}

// The id of the borrower named name, made when new; one already there gets
// the e-mail, phone and note passed when update is set.
int64_t BorrowerId(sqlite3* db, const Borrower& borrower, bool update) {
  SqlStatement insert(db, std::string("INSERT INTO borrower(name, email, phone, note)"
                                      " VALUES(?1, ?2, ?3, ?4) ON CONFLICT(name) DO ") +
                              (update ? "UPDATE SET email = excluded.email,"
                                        " phone = excluded.phone, note = excluded.note"
                                      : "NOTHING"));
  insert.Bind(1, borrower.name)
      .BindOrNull(2, borrower.email)
      .BindOrNull(3, borrower.phone)
      .BindOrNull(4, borrower.note);
  if (!insert.Done()) return 0;
  SqlStatement find(db, "SELECT id FROM borrower WHERE name = ?1");
  return find.Bind(1, borrower.name).Step() == SQLITE_ROW ? find.Integer(0) : 0;
}

}  // namespace

bool AddLoans(sqlite3* db) {
  const std::string borrower = ObjectType(db, "borrower");
  const std::string loan = ObjectType(db, "loan");
  if (borrower == "table" && loan == "table") return true;
  // Objects of those names in a file someone else made: not ours.
  if (!borrower.empty() || !loan.empty()) return false;
  return sqlite3_exec(db, CreateLoanTables, nullptr, nullptr, nullptr) == SQLITE_OK;
}

ChangeResult FilmStore::LendFilm(int64_t film, const Borrower& borrower, std::string_view lent,
                                 std::string_view due, std::string_view note) {
  const std::string name = text::Trimmed(borrower.name);
  if (name.empty()) return {0, std::string(text::kNoBorrower)};
  if (!IsDay(lent)) return {0, text::FormatText(text::kBadLoanDate, lent)};
  if (!due.empty() && !IsDay(due)) return {0, text::FormatText(text::kBadLoanDate, due)};
  if (!due.empty() && due < lent) return {0, std::string(text::kDueBeforeLent)};
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  if (std::optional<Loan> away = OpenLoanOf(film)) {
    return {0, text::FormatText(text::kAlreadyLent, away->borrower.name)};
  }
  return ChangeFilm(film, [&](int64_t& id) -> std::string {
    const int64_t person = BorrowerId(db_,
                                      {name, text::Trimmed(borrower.email),
                                       text::Trimmed(borrower.phone), text::Trimmed(borrower.note)},
                                      true);
    if (person == 0) return Fault(db_);
    SqlStatement insert(db_,
                        "INSERT INTO loan(film, borrower, lent, due, note)"
                        " VALUES(?1, ?2, ?3, ?4, ?5)");
    insert.Bind(1, film).Bind(2, person).Bind(3, lent);
    insert.BindOrNull(4, std::string(due)).BindOrNull(5, std::string(note));
    if (!insert.Done()) return Fault(db_);
    id = sqlite3_last_insert_rowid(db_);
    return {};
  });
}

ChangeResult FilmStore::ReturnFilm(int64_t film, std::string_view returned) {
  if (!IsDay(returned)) return {0, text::FormatText(text::kBadLoanDate, returned)};
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  std::optional<Loan> away = OpenLoanOf(film);
  if (!away) return {0, std::string(text::kNotLent)};
  ChangeResult result = Change([&]() -> std::string {
    SqlStatement back(db_, "UPDATE loan SET returned = ?2 WHERE id = ?1 AND returned IS NULL");
    return back.Bind(1, away->id).Bind(2, returned).Done() ? std::string() : Fault(db_);
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  return {away->id, {}};
}

std::optional<Loan> FilmStore::OpenLoanOf(int64_t film) {
  readProblem_.clear();
  // The form shows it with the first films, before the opening is over: an
  // older file gets the loans' tables only with its migration, and has no loans yet.
  sqlite3* db = Reader();
  if (!db) return std::nullopt;
  if (stage_ != Stage::Ready && ObjectType(db, "loan") != "table") return std::nullopt;
  SqlStatement find(db, std::string(LoanColumns) + " WHERE l.film = ?1 AND l.returned IS NULL");
  find.Bind(1, film);
  const int stepped = find.Step();
  if (stepped == SQLITE_ROW) return LoanOfRow(find);
  if (stepped != SQLITE_DONE) readProblem_ = text::FormatText(text::kCannotRead, path_, Fault(db));
  return std::nullopt;
}

namespace {

std::vector<Loan> ReadLoans(sqlite3* db, SqlStatement& list, const std::string& path,
                            std::string& problem) {
  std::vector<Loan> loans;
  int stepped;
  while ((stepped = list.Step()) == SQLITE_ROW) loans.push_back(LoanOfRow(list));
  if (stepped != SQLITE_DONE) {
    problem = text::FormatText(text::kCannotRead, path, Fault(db));
    loans.clear();
  }
  return loans;
}

}  // namespace

std::vector<Loan> FilmStore::LoansOf(int64_t film) {
  readProblem_.clear();
  if (std::string problem = FinishOpening(); !problem.empty()) {
    readProblem_ = problem;
    return {};
  }
  if (!db_) return {};
  SqlStatement list(db_, std::string(LoanColumns) + " WHERE l.film = ?1 ORDER BY l.lent, l.id");
  list.Bind(1, film);
  return ReadLoans(db_, list, path_, readProblem_);
}

std::vector<Loan> FilmStore::LentFilms(std::string_view today) {
  readProblem_.clear();
  if (std::string problem = FinishOpening(); !problem.empty()) {
    readProblem_ = problem;
    return {};
  }
  if (!db_) return {};
  SqlStatement list(db_, std::string(LoanColumns) +
                             " WHERE l.returned IS NULL"
                             " ORDER BY coalesce(l.due < ?1, 0) DESC, l.due IS NULL, l.due,"
                             " f.sort_key, l.id");
  list.Bind(1, today);
  return ReadLoans(db_, list, path_, readProblem_);
}

std::vector<Loan> FilmStore::AllLoans() {
  readProblem_.clear();
  if (std::string problem = FinishOpening(); !problem.empty()) {
    readProblem_ = problem;
    return {};
  }
  if (!db_) return {};
  SqlStatement list(db_, std::string(LoanColumns) + " ORDER BY l.id");
  return ReadLoans(db_, list, path_, readProblem_);
}

std::vector<Borrower> FilmStore::Borrowers() {
  std::vector<Borrower> borrowers;
  if (!FinishOpening().empty() || !db_) return borrowers;
  SqlStatement list(db_,
                    "SELECT name, email, phone, note FROM borrower ORDER BY lower(name), name");
  while (list.Step() == SQLITE_ROW) {
    borrowers.push_back({list.Text(0), list.Text(1), list.Text(2), list.Text(3)});
  }
  return borrowers;
}

ChangeResult FilmStore::ImportLoans(const std::vector<Loan>& loans) {
  if (loans.empty()) return {};
  if (std::string message = ReadyToWrite(); !message.empty()) return {0, message};
  if (!backupChecked_) BackUpIfDue();
  int64_t added = 0;
  ChangeResult result = Change([&]() -> std::string {
    SqlStatement film(db_, "SELECT id FROM film WHERE title = ?1 AND year IS ?2 ORDER BY id");
    SqlStatement known(db_,
                       "SELECT 1 FROM loan AS l JOIN borrower AS b ON b.id = l.borrower"
                       " WHERE l.film = ?1 AND l.lent = ?2 AND b.name = ?3");
    SqlStatement away(db_, "SELECT 1 FROM loan WHERE film = ?1 AND returned IS NULL");
    SqlStatement insert(db_,
                        "INSERT INTO loan(film, borrower, lent, due, returned, note)"
                        " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    for (const Loan& loan : loans) {
      if (text::IsBlank(loan.borrower.name) || !IsDay(loan.lent)) continue;
      film.Reset().Bind(1, loan.title).BindOrNull(2, loan.year);
      if (film.Step() != SQLITE_ROW) continue;
      const int64_t id = film.Integer(0);
      if (known.Reset().Bind(1, id).Bind(2, loan.lent).Bind(3, loan.borrower.name).Step() ==
          SQLITE_ROW) {
        continue;
      }
      // A film away twice cannot be: the loan comes in as returned on its due day.
      std::string returned = loan.returned;
      if (returned.empty() && away.Reset().Bind(1, id).Step() == SQLITE_ROW) {
        returned = loan.due.empty() ? loan.lent : loan.due;
      }
      const int64_t person = BorrowerId(db_, loan.borrower, false);
      if (person == 0) return Fault(db_);
      insert.Reset().Bind(1, id).Bind(2, person).Bind(3, loan.lent);
      insert.BindOrNull(4, loan.due).BindOrNull(5, returned).BindOrNull(6, loan.note);
      if (!insert.Done()) return Fault(db_);
      ++added;
    }
    return {};
  });
  if (!result.Ok()) return {0, text::FormatText(text::kCannotWrite, path_, result.message)};
  return {added, {}};
}

void FilmStore::NarrowTo(Narrowing narrowing, std::string today) {
  // The narrowing reads the loans' tables, which an older file gets by its migration.
  if (narrowing != Narrowing::None) FinishOpening();
  narrowing_ = narrowing;
  narrowingDay_ = std::move(today);
}

std::string FilmStore::NarrowingFilter() const {
  switch (narrowing_) {
    case Narrowing::None:
      return {};
    case Narrowing::Lent:
      return " AND id IN (SELECT film FROM loan WHERE returned IS NULL)";
    case Narrowing::Overdue:
      return " AND id IN (SELECT film FROM loan WHERE returned IS NULL AND due < ?8)";
    case Narrowing::Bar:
      return BarFilter();
  }
  return {};
}

void FilmStore::BindNarrowing(SqlStatement& statement) const {
  if (narrowing_ == Narrowing::Overdue || narrowing_ == Narrowing::Bar) {
    statement.Bind(8, narrowingDay_);
  }
}

}  // namespace zelluo::collection
