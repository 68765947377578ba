#pragma once
// One film of the collection and the short row a list shows of it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelluo::collection {

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

struct Film {
  int64_t id = 0;  // 0 for a film not yet stored
  std::string title;
  std::string originalTitle;
  std::optional<int32_t> year;
  std::optional<int32_t> runtime;  // minutes
  std::string country;
  std::string director;
  std::string actors;  // one per line, optionally "Name (Rolle)"
  std::string genre;   // one per line
  std::string plot;
  std::optional<std::string> cover;  // file name under "Zelluo Files/Cover/"
  std::optional<std::string> video;  // path of the film file
  std::string notes;                 // the owner's own remarks (not searched)
  std::optional<int32_t> rating;     // 1 to 5 stars
  std::string added;                 // ISO 8601, UTC; set by the store
  std::string changed;               // ISO 8601, UTC; set by the store
  // The film's viewing log, oldest first; carried only by a backup (written
  // and restored), never by the other exchanges or the form.
  std::vector<Viewing> viewings;
  friend bool operator==(const Film&, const Film&) = default;
};

struct FilmRow {
  int64_t id = 0;
  std::string title;
  std::optional<int32_t> year;
  std::optional<int32_t> runtime;
  std::string country;
  friend bool operator==(const FilmRow&, const FilmRow&) = default;
};

// A person films are lent to; the name is unique.
struct Borrower {
  std::string name;
  std::string email;
  std::string phone;
  std::string note;
  friend bool operator==(const Borrower&, const Borrower&) = default;
};

// One loan of a film. Dates are local days, "2026-12-03"; returned is empty
// while the film is away. title and year name the film (a backup carries the
// loan by them).
struct Loan {
  int64_t id = 0;
  int64_t film = 0;
  std::string title;
  std::optional<int32_t> year;
  Borrower borrower;
  std::string lent;
  std::string due;
  std::string returned;
  std::string note;
  // Away past its due date on day today ("2026-12-18").
  bool OverdueOn(std::string_view today) const {
    return returned.empty() && !due.empty() && due < today;
  }
  friend bool operator==(const Loan&, const Loan&) = default;
};

}  // namespace zelluo::collection
