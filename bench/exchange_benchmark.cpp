// The backup of an invented collection of 10,000 films
// (tools/collection_generator), each with a cover of its own of 30 KB:
// building the archive in memory and reading it back; and the web page of
// the same films with their covers. The covers are written
// once per run into a temporary folder and removed at the end.
//
// And the imports as the List page runs them, from the chosen file to the
// films stored in a new collection: a CSV file of the 10,000 films (target
// <= 3 s) and their backup with the covers (target <= 5 s).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "collection/backup.h"
#include "collection/cover.h"
#include "collection/csv_exchange.h"
#include "collection/film_store.h"
#include "collection/html_export.h"
#include "collection/import_export.h"
#include "film_generator.h"

namespace zelluo::collection {
namespace {

constexpr int32_t kFilms = 10000;
constexpr size_t kCoverBytes = 30 * 1024;

// The films with their covers on disk, made at first use.
class Collection {
 public:
  Collection() {
    folder_ = (std::filesystem::temp_directory_path() /
               ("zelluo-exchange-bench-" + std::to_string(std::random_device()())))
                  .string();
    std::filesystem::create_directories(folder_);
    films_ = GenerateFilms(kFilms, 2026);
    std::mt19937 random(7);
    std::string bytes(kCoverBytes, '\0');
    for (Film& film : films_) {
      // Random bytes like a JPEG's: they do not compress. They begin as a JPEG
      // does, so that a restore keeps them as finished covers.
      for (char& byte : bytes) byte = static_cast<char>(random());
      bytes.replace(0, 4, "\xFF\xD8\xFF\xE0");
      film.cover = ContentHash(bytes) + ".jpg";
      std::ofstream(folder_ + "/" + *film.cover, std::ios::binary) << bytes;
    }
  }
  ~Collection() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::vector<Film>& Films() const { return films_; }
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
  std::vector<Film> films_;
};

Collection& Shared() {
  static Collection collection;
  return collection;
}

void BM_BackupArchive(benchmark::State& state) {
  const Collection& collection = Shared();
  size_t bytes = 0;
  for (auto _ : state) {
    const BackupResult backup = BackupArchive(collection.Films(), collection.Folder());
    if (!backup.error.empty() || backup.missingCovers != 0) state.SkipWithError("backup failed");
    bytes = backup.bytes.size();
  }
  state.counters["archive MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_BackupArchive)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadBackup(benchmark::State& state) {
  const Collection& collection = Shared();
  const BackupResult backup = BackupArchive(collection.Films(), collection.Folder());
  for (auto _ : state) {
    const ImportResult read = ReadBackup(backup.bytes, "sicherung.zip");
    if (read.films.size() != collection.Films().size()) state.SkipWithError(read.error.c_str());
  }
}
BENCHMARK(BM_ReadBackup)->Unit(benchmark::kMillisecond)->Iterations(3);

// The web page with the first copy of every cover beside it (each file is
// written atomically, synced included), then again with the copies in place.
void BM_ExportHtml(benchmark::State& state) {
  const Collection& collection = Shared();
  const std::string page = collection.Folder() + "-seite/filme.html";
  std::filesystem::create_directories(collection.Folder() + "-seite");
  const bool copiesThere = state.range(0) == 1;
  if (copiesThere) ExportHtml(collection.Films(), page, collection.Folder());
  for (auto _ : state) {
    if (!copiesThere) {
      state.PauseTiming();
      std::filesystem::remove_all(collection.Folder() + "-seite/filme-Cover");
      state.ResumeTiming();
    }
    const std::string problem = ExportHtml(collection.Films(), page, collection.Folder());
    if (!problem.empty()) state.SkipWithError(problem.c_str());
  }
  std::filesystem::remove_all(collection.Folder() + "-seite");
}
BENCHMARK(BM_ExportHtml)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// One import as the List page does it, into a new collection each time. The
// folders are removed only at the end: files created right after thousands
// were deleted cost ext4 a search for inodes not recently freed, which a
// user's import does not meet.
void Import(benchmark::State& state, const std::string& file) {
  const Collection& collection = Shared();
  int run = 0;
  for (auto _ : state) {
    const std::string target = collection.Folder() + "-ziel-" + std::to_string(++run);
    std::filesystem::create_directories(target);
    ImportPlan plan = PlanImport(ReadImportFile(file), {});
    int64_t coverProblems = 0;
    CoverCache covers;
    for (ImportedFilm& film : plan.fresh) {
      coverProblems += TakeOverImportedCover(film, target + "/Cover", &covers).empty() ? 0 : 1;
    }
    SyncImportedCovers(target + "/Cover");
    std::vector<Film> films;
    films.reserve(plan.fresh.size());
    for (ImportedFilm& film : plan.fresh) films.push_back(std::move(film.film));
    OpenResult opened = FilmStore::Open(target);
    const ChangeResult stored = opened.store->ImportFilms(films);
    state.counters["stored"] = static_cast<double>(stored.filmsAdded);
    state.counters["duplicates"] = static_cast<double>(plan.duplicates);
    if (stored.filmsAdded + plan.duplicates != kFilms || coverProblems != 0) {
      state.SkipWithError(("not all films or covers came in: " + stored.message).c_str());
      break;
    }
  }
  while (run > 0) {
    std::filesystem::remove_all(collection.Folder() + "-ziel-" + std::to_string(run--));
  }
}

void BM_ImportCsv(benchmark::State& state) {
  std::vector<Film> films = Shared().Films();
  for (Film& film : films) film.cover.reset();  // a spreadsheet's list: no pictures
  const std::string file = Shared().Folder() + "-filme.csv";
  std::ofstream(file, std::ios::binary) << FilmsAsCsv(films, "");
  Import(state, file);
  std::filesystem::remove(file);
}
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RestoreBackup(benchmark::State& state) {
  const std::string file = Shared().Folder() + "-sicherung.zip";
  std::ofstream(file, std::ios::binary) << BackupArchive(Shared().Films(), Shared().Folder()).bytes;
  Import(state, file);
  std::filesystem::remove(file);
}
BENCHMARK(BM_RestoreBackup)->Unit(benchmark::kMillisecond)->Iterations(3);

// A spreadsheet's list of 100,000 films without pictures, imported as the
// List page imports it into a new collection: read, planned, stored. The
// counter is the peak resident set of the process so far.
void BM_ImportLargeCsv(benchmark::State& state) {
  const auto count = static_cast<int32_t>(state.range(0));
  const std::string folder = Shared().Folder() + "-gross";
  std::filesystem::create_directories(folder);
  const std::string file = folder + "/filme.csv";
  std::ofstream(file, std::ios::binary) << FilmsAsCsv(GenerateFilms(count, 2026), "");
  int run = 0;
  for (auto _ : state) {
    const std::string target = folder + "/ziel-" + std::to_string(++run);
    ImportPlan plan = PlanImport(ReadImportFile(file), {});
    std::vector<Film> films;
    films.reserve(plan.fresh.size());
    for (ImportedFilm& film : plan.fresh) films.push_back(std::move(film.film));
    const ChangeResult stored = FilmStore::Open(target).store->ImportFilms(films);
    state.counters["stored"] = static_cast<double>(stored.filmsAdded);
    if (stored.filmsAdded + plan.duplicates != count) {
      state.SkipWithError(("not all films came in: " + stored.message).c_str());
    }
  }
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0)
      state.counters["peak RSS MB"] = std::atof(line.c_str() + 6) / 1024;
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ImportLargeCsv)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace zelluo::collection

BENCHMARK_MAIN();
