#pragma once
// Import and export as the List page uses them: the format of a chosen file
// told by its content, the films that are new to the collection, their covers
// taken over one at a time, and the collection written in the format the
// chosen file name asks for.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collection/cover.h"
#include "collection/exchange.h"
#include "collection/film.h"

namespace zelluo::collection {

// Reads any supported file: CSV, GCstar, Tellico (.tc or XML), Kodi/Jellyfin
// .nfo, Griffith (SQLite) or a Zelluo backup. The file is only read.
ImportResult ReadImportFile(const std::string& path);

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
// ("7. Dezember 2026") heads the HTML page.
ExportOutcome ExportFilms(const std::vector<Film>& films, ExportFormat format,
                          const std::string& path, const std::string& coverFolder,
                          std::string_view date = {});

}  // namespace zelluo::collection
