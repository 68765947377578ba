#pragma once
// Import and export as the List page uses them: the format of a chosen file
// told by its content, the films that are new to the collection, their covers
// taken over one at a time, and the collection written in the format the
// chosen file name asks for.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "collection/cover.h"
#include "collection/exchange.h"
#include "collection/film.h"

namespace zelluo::platform::os {
class FileReader;
}  // namespace zelluo::platform::os

namespace zelluo::collection {

// Reads any supported file: CSV, GCstar, Tellico (.tc or XML), Kodi/Jellyfin
// .nfo, Griffith (SQLite) or a Zelluo backup. The file is only read.
ImportResult ReadImportFile(const std::string& path);

// How much of an import file is read at a time between the window's events,
// and how long the films are read from its bytes between them.
struct ImportSlice {
  size_t bytes = size_t{4} << 20;
  std::chrono::milliseconds time{40};
};

// Two films are the same when their titles fold to the same words and their
// years are equal (both may be missing).
std::string DuplicateKey(const Film& film);

// What an import will do: the films new to the collection (in the source's
// order; a film that appears twice in the source counts once) and how many
// were skipped as already there.
struct ImportPlan {
  ImportResult source;
  std::vector<ImportedFilm> fresh;
  int64_t duplicates = 0;
};
ImportPlan PlanImport(ImportResult source, const std::vector<Film>& collection);

// PlanImport a step at a time: the collection's films, then the source's,
// a few hundred between two looks at the clock; then the comparison's
// memory let go a part at a time.
class ImportPlanning {
 public:
  ImportPlanning(ImportResult source, std::vector<Film> collection);
  // Compares on until deadline, at least a few films; true once done.
  bool Step(FilmReading::Deadline deadline);
  int Percent() const;
  // The plan; once done, only once.
  ImportPlan Plan();

 private:
  std::vector<Film> collection_;
  size_t nextKnown_ = 0;
  ImportPlan plan_;  // fresh holds all the source's films until Plan
  size_t next_ = 0;  // the source's film compared next
  size_t kept_ = 0;  // the films new to the collection, moved to the front
  std::unordered_set<std::string> known_;
};

// ReadImportFile a slice at a time, so that a file of hundreds of megabytes
// leaves the window answering: the file's bytes are read a slice per step,
// then its films are read from them a step at a time.
class ImportFileReading {
 public:
  // Refused at once (Finished, with the message in Result) when the file is
  // missing, a folder, empty or too large.
  explicit ImportFileReading(std::string path, ImportSlice slice = {});
  ~ImportFileReading();
  ImportFileReading(const ImportFileReading&) = delete;
  ImportFileReading& operator=(const ImportFileReading&) = delete;

  // The next slice of the file's bytes; once all are read (and in the step
  // that reads the last slice, while its time lasts), the films read from
  // them for the slice's time, at least a little. Nothing once finished.
  void Step();
  // The films are read (or the file refused).
  bool Finished() const { return finished_; }
  // Every byte is read (or the file refused, or told a Griffith database by
  // its first bytes: that one is read in place); the films are read next.
  bool AllRead() const { return films_ != nullptr || planning_ != nullptr || finished_; }
  // How much of the file is read, or of its films once AllRead: 0 to 100.
  int Percent() const;
  const std::string& Path() const { return path_; }
  // The films of the file, or why there are none; once finished, only once.
  // Not for a reading that made a plan.
  ImportResult Result();

  // Before the first step: the films, once read, are compared with these of
  // the collection a step at a time (ImportPlanning), as part of the reading.
  void PlanAgainst(std::vector<Film> collection);
  // Finished, and the films found compared with the collection: TakePlan.
  // A refused file, or one without films, is finished without a plan: Result.
  bool Planned() const { return finished_ && planning_ != nullptr; }
  ImportPlan TakePlan();

 private:
  void ReadSlice();
  void Refuse(std::string_view message);

  std::string path_;
  ImportSlice slice_;
  int64_t size_ = 0;
  std::unique_ptr<platform::os::FileReader> file_;
  std::string bytes_;
  std::unique_ptr<FilmReading> films_;
  bool filmsRead_ = false;
  std::optional<std::vector<Film>> collection_;  // to plan against
  std::unique_ptr<ImportPlanning> planning_;
  ImportResult source_;  // the films read, when they are not planned
  std::string error_;
  bool finished_ = false;
};

// Takes over the film's cover into coverFolder and names it in the film;
// empty on success (or without cover), else the German reason. The cover
// reaches the disk with SyncImportedCovers, once for all before the films are
// stored. With covers, a picture that several films name is decoded once.
std::string TakeOverImportedCover(ImportedFilm& film, const std::string& coverFolder,
                                  CoverCache* covers = nullptr);
void SyncImportedCovers(const std::string& coverFolder);

enum class ExportFormat { Csv, Html, Backup };
// By the file name's ending (.csv, .html/.htm, .zip); none for another ending.
std::optional<ExportFormat> ExportFormatOf(std::string_view path);

struct ExportOutcome {
  std::string error;          // German; empty when written
  int64_t missingCovers = 0;  // covers a backup could not hold
};
// What an export carries beside the films: date ("7. Dezember 2026") heads the
// HTML page, a backup also carries the loans, and the CSV file's column
// Gesehen holds seen[i] for films[i].
struct ExportExtras {
  std::string_view date;
  std::vector<Loan> loans;
  std::vector<std::string> seen;
};
// Writes films to path in format; the file is replaced atomically.
ExportOutcome ExportFilms(const std::vector<Film>& films, ExportFormat format,
                          const std::string& path, const std::string& coverFolder,
                          const ExportExtras& extras = {});

}  // namespace zelluo::collection
