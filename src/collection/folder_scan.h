#pragma once
// The film folders walked a slice at a time, and what the walk found set
// against the collection: a review list of findings of which nothing is
// stored until the user takes it over (FilmStore::ApplyFindings).

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace zelluo::collection {

// A film file the walk found.
struct FoundFilm {
  std::string path;  // the file (the first part of a split film; a disc folder)
  std::string title;
  std::optional<int> year;
  int64_t size = 0;
  int64_t modified = 0;
  int parts = 1;
  std::string nfo;     // the .nfo beside it; empty when none
  std::string poster;  // the poster picture beside it; empty when none
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
};

enum class FindingKind { New, Matched, Moved, Missing, Unreachable };

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
};

// "size:hash" of a file's first and last 64 KiB; empty when it cannot be read.
std::string FingerprintOf(platform::SystemPart& system, const std::string& path, int64_t size);

// The review list of a finished walk against the collection: new films,
// files matched to a film without one, moved files (same size and
// fingerprint), missing files (their folder reachable) and films in
// unreachable folders. Neu, Zugeordnet and Verschoben come checked.
std::vector<Finding> ReviewScan(platform::SystemPart& system, const FolderScan& scan,
                                const std::vector<KnownFilm>& known);

// Text with every byte that is no UTF-8 replaced by U+FFFD, for showing a
// file name the system keeps as bytes.
std::string ShownName(std::string_view name);

}  // namespace zelluo::collection
