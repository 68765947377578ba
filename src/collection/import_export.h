#pragma once
// Import and export as the List page uses them: the format of a chosen file
// told by its content, the films that are new to the collection, their covers
// taken over one at a time, and the collection written in the format the
// chosen file name asks for.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

// How much of an import file is read at a time between the window's events.
inline constexpr size_t kImportReadSlice = 4 << 20;

// ReadImportFile a slice at a time: the file's bytes are read in slices (so
// that a file of hundreds of megabytes leaves the window answering between
// them), then its films are read from them at once.
class ImportFileReading {
 public:
  // Refused at once (Finished, with the message in Result) when the file is
  // missing, a folder, empty or too large.
  ImportFileReading(std::string path, size_t sliceBytes = kImportReadSlice);
  ~ImportFileReading();
  ImportFileReading(const ImportFileReading&) = delete;
  ImportFileReading& operator=(const ImportFileReading&) = delete;

  // Reads the next slice; nothing once finished.
  void ReadSlice();
  // Every byte read (or the file refused, or told a Griffith database by its
  // first bytes: that one is read in place).
  bool Finished() const { return finished_; }
  // How much of the file is read, 0 to 100.
  int Percent() const;
  const std::string& Path() const { return path_; }
  // The films of the file, or why there are none; once finished, only once.
  ImportResult Result();

 private:
  void Refuse(std::string_view message);

  std::string path_;
  size_t sliceBytes_;
  int64_t size_ = 0;
  std::unique_ptr<platform::os::FileReader> file_;
  std::string bytes_;
  std::string error_;
  bool finished_ = false;
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
// Writes films to path in format; the file is replaced atomically. date
// ("7. Dezember 2026") heads the HTML page; a backup also carries the loans.
ExportOutcome ExportFilms(const std::vector<Film>& films, ExportFormat format,
                          const std::string& path, const std::string& coverFolder,
                          std::string_view date = {}, const std::vector<Loan>& loans = {});

}  // namespace zelluo::collection
