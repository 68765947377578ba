#pragma once
// The film folders walked a slice at a time, and what the walk found set
// against the collection: a review list of findings of which nothing is
// stored until the user takes it over (FilmStore::ApplyFindings).

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "collection/film.h"
#include "platform/platform.h"

namespace zelluo::collection {

// A file beside a film (its .nfo or poster) as the walk saw it.
struct SideFile {
  std::string path;  // empty when there is none
  int64_t size = 0;
  int64_t modified = 0;
  bool operator==(const SideFile&) const = default;
};

// A film file the walk found.
struct FoundFilm {
  std::string path;  // the file (the first part of a split film; a disc folder)
  std::string title;
  std::optional<int> year;
  int64_t size = 0;
  int64_t modified = 0;
  int parts = 1;
  SideFile nfo;     // the .nfo beside it
  SideFile poster;  // the poster picture beside it
};

class FolderScan {
 public:
  FolderScan(platform::SystemPart& system, std::vector<std::string> roots);

  // Walks on until every folder is read or the deadline has passed; true
  // when the walk is done.
  bool Step(std::chrono::steady_clock::time_point deadline);
  bool Finished() const { return pending_.empty(); }

  int64_t FilesSeen() const { return files_; }
  int64_t FoldersSeen() const { return folders_; }
  const std::vector<FoundFilm>& Films() const { return films_; }
  // The roots that could not be opened (an unmounted drive, a share offline).
  const std::vector<std::string>& UnreachableRoots() const { return unreachable_; }
  const std::vector<std::string>& Roots() const { return roots_; }

 private:
  void ReadFolder(const std::string& path, bool root);

  platform::SystemPart& system_;
  std::vector<std::string> roots_;
  std::vector<std::pair<std::string, bool>> pending_;  // folder, whether a root
  std::set<std::pair<uint64_t, uint64_t>> visited_;    // cuts loops of links
  std::vector<FoundFilm> films_;
  std::vector<std::string> unreachable_;
  int64_t files_ = 0;
  int64_t folders_ = 0;
};

// A film of the collection with a file, as the review sets it against the walk.
struct KnownFilm {
  int64_t id = 0;
  std::string title;
  std::optional<int> year;
  std::string video;  // empty when the film has no file
  int64_t size = -1;  // as last stored by a scan; -1 unknown
  std::string fingerprint;
  bool missingTaken = false;  // its file taken over as "Fehlt"
  // The .nfo and poster as last read, and what was taken of them: the .nfo's
  // values (NfoValuesText) and the cover made of the poster.
  SideFile nfo;
  std::string nfoTaken;
  SideFile poster;
  std::string posterTaken;
};

enum class FindingKind { New, Matched, Moved, Changed, Missing, Unreachable };

// The fields a .nfo beside a film fills, by column of table film.
inline constexpr std::string_view kNfoColumns[] = {
    "title", "original_title", "year", "runtime", "country", "director", "actors", "genre", "plot"};

struct Finding {
  FindingKind kind = FindingKind::New;
  bool checked = false;
  int64_t film = 0;  // the collection's film; 0 for a new one
  std::string title;
  std::optional<int> year;
  std::string path;     // the file found; of Fehlt and nicht erreichbar the stored one
  std::string oldPath;  // Verschoben: where the file was
  int64_t size = 0;
  int64_t modified = 0;
  std::string fingerprint;  // of the file found, where it was read
  // The .nfo and poster beside the file, stored with it when it is taken over.
  SideFile nfo;
  SideFile poster;
  // Neu: the .nfo's values (title and year as above), written with the film.
  // Geändert: the values that would be written, changes naming their columns
  // ("cover": the poster made the film's cover).
  Film values;
  std::vector<std::string> changes;
  std::string nfoTaken;  // the .nfo's values as NfoValuesText, stored with it
};

// The values of kNfoColumns as one text ("column=value" lines, backslash and
// line breaks escaped), by which a later scan tells a field the user edited
// (its value no longer the one the .nfo gave) from one it may update.
std::string NfoValuesText(const Film& film);
// The value of one of kNfoColumns in such a text; nothing when absent.
std::optional<std::string> NfoValueIn(std::string_view taken, std::string_view column);
// The value of a film's field as text (a year as digits, none as "").
std::string FieldValueText(const Film& film, std::string_view column);

// "size:hash" of a file's first and last 64 KiB; empty when it cannot be read.
std::string FingerprintOf(platform::SystemPart& system, const std::string& path, int64_t size);

// The review list of a finished walk against the collection: new films,
// files matched to a film without one, moved files (same size and
// fingerprint), missing files (their folder reachable) and films in
// unreachable folders. Neu, Zugeordnet and Verschoben come checked. Titles
// and years of new films come from the .nfo beside them where it has them.
// Geändert: a known film in its place whose .nfo or poster changed since it
// was read, with what would change (loadFilm gives the film as stored); a
// field the user edited is left out. A file taken over as "Fehlt" is not
// listed again while it stays gone; the films whose file is back in its place
// are added to returned, so that their mark goes with the next "Übernehmen".
std::vector<Finding> ReviewScan(platform::SystemPart& system, const FolderScan& scan,
                                const std::vector<KnownFilm>& known,
                                const std::function<std::optional<Film>(int64_t)>& loadFilm = {},
                                std::vector<int64_t>* returned = nullptr);

// Text with every byte that is no UTF-8 replaced by U+FFFD, for showing a
// file name the system keeps as bytes.
std::string ShownName(std::string_view name);

}  // namespace zelluo::collection
