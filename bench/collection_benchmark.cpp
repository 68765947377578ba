// The film collection on invented collections of 10,000, 30,000 and 100,000 films
// (tools/collection_generator): opening it (wholly checked, or as the List page
// does, with the check still running) and reading the first page of
// titles, one keystroke's search, loading one film, lending one, and the
// memory an open collection holds. The collections are written once per run into a
// temporary folder and removed at the end.
//
// Targets at 10,000 films: open + first 50 titles <= 50 ms, a keystroke
// <= 10 ms, one film <= 10 ms, <= 20 MB; at 30,000 films at most twice that,
// and a loan stored <= 20 ms.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "collection/film_store.h"
#include "film_generator.h"

#ifndef _WIN32
#include <unistd.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace zelluo::collection {
namespace {

// One folder per size, written at first use and removed when the run ends.
class Collections {
 public:
  ~Collections() {
    std::error_code ignored;
    if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
  }
  const std::string& Folder(int32_t films) {
    auto found = folders_.find(films);
    if (found != folders_.end()) return found->second;
    if (root_.empty()) {
#ifdef _WIN32
      root_ = (std::filesystem::temp_directory_path() / "zelluo-bench").string();
      std::filesystem::create_directories(root_);
#else
      std::string pattern =
          (std::filesystem::temp_directory_path() / "zelluo-bench-XXXXXX").string();
      root_ = ::mkdtemp(pattern.data());
#endif
    }
    std::string folder = root_ + "/" + std::to_string(films);
    std::string problem = WriteGeneratedCollection(folder, films, 2026);
    if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
    return folders_.emplace(films, folder).first->second;
  }

 private:
  std::string root_;
  std::map<int32_t, std::string> folders_;
};

Collections& Shared() {
  static Collections collections;
  return collections;
}

std::unique_ptr<FilmStore> OpenStore(int32_t films) {
  return FilmStore::Open(Shared().Folder(films)).store;
}

// Resident memory of this process in kB (Linux), 0 elsewhere.
int64_t ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atoll(line.c_str() + 6);
  }
  return 0;
}

void BM_OpenAndFirstPage(benchmark::State& state) {
  const auto films = static_cast<int32_t>(state.range(0));
  Shared().Folder(films);
  for (auto _ : state) {
    auto store = OpenStore(films);
    std::vector<FilmRow> rows = store->ListFilms("", 0, 50);
    if (rows.size() != 50) state.SkipWithError("fewer than 50 rows");
    benchmark::DoNotOptimize(store->CountFilms(""));
  }
}
BENCHMARK(BM_OpenAndFirstPage)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same as the List page opens now: the first page read while the check
// of the whole file still runs on its thread (which the closing store ends,
// not timed).
void BM_FirstPageBeforeTheCheck(benchmark::State& state) {
  const auto films = static_cast<int32_t>(state.range(0));
  Shared().Folder(films);
  for (auto _ : state) {
    auto store = FilmStore::BeginOpen(Shared().Folder(films)).store;
    std::vector<FilmRow> rows = store->ListFilms("", 0, 50);
    if (rows.size() != 50) state.SkipWithError("fewer than 50 rows");
    benchmark::DoNotOptimize(store->CountFilms(""));
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstPageBeforeTheCheck)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// Typing "mädchen" letter by letter, then "strasse": each step counts the films
// found and reads the first page of them, as the list does after a keystroke.
void BM_SearchKeystroke(benchmark::State& state) {
  const std::vector<std::string> keystrokes = {"m",      "mä",      "mäd",    "mädc",   "mädch",
                                               "mädche", "mädchen", "s",      "st",     "str",
                                               "stra",   "stras",   "strass", "strasse"};
  auto store = OpenStore(static_cast<int32_t>(state.range(0)));
  size_t next = 0;
  int64_t found = 0;
  for (auto _ : state) {
    const std::string& query = keystrokes[next++ % keystrokes.size()];
    found += store->CountFilms(query);
    benchmark::DoNotOptimize(store->ListFilms(query, 0, 50));
  }
  state.counters["found per keystroke"] =
      static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SearchKeystroke)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Keeping the selection after a search: the position of a film in the order.
void BM_PositionOf(benchmark::State& state) {
  const auto films = static_cast<int32_t>(state.range(0));
  auto store = OpenStore(films);
  int64_t id = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store->PositionOf("", id));
    id = id * 7919 % films + 1;
  }
}
BENCHMARK(BM_PositionOf)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_LoadFilm(benchmark::State& state) {
  const auto films = static_cast<int32_t>(state.range(0));
  auto store = OpenStore(films);
  int64_t id = 1;
  for (auto _ : state) {
    if (!store->LoadFilm(id)) state.SkipWithError("film missing");
    id = id * 7919 % films + 1;
  }
}
BENCHMARK(BM_LoadFilm)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

// Lending a film: one transaction that finds (or makes) the borrower and
// stores the loan, as Verleihen does. Its return is not timed, nor the first
// change of the day, which makes the daily backup.
void BM_LendFilm(benchmark::State& state) {
  const auto films = static_cast<int32_t>(state.range(0));
  auto store = OpenStore(films);
  if (!store->LendFilm(1, "Anna Groß", "2026-12-07", "").Ok() ||
      !store->ReturnFilm(1, "2026-12-07").Ok()) {
    state.SkipWithError("first loan refused");
    return;
  }
  int64_t id = 1;
  for (auto _ : state) {
    id = id * 7919 % films + 1;
    if (!store->LendFilm(id, {"Bernd", "bernd@example.org", "", ""}, "2026-12-07", "2026-12-21")
             .Ok()) {
      state.SkipWithError("loan refused");
      break;
    }
    state.PauseTiming();
    store->ReturnFilm(id, "2026-12-08");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LendFilm)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

// Memory of an open collection (once its opening is over) after the first page, a search and a
// hundred films loaded: SQLite's own peak and the growth of the resident set.
void BM_OpenCollectionMemory(benchmark::State& state) {
  const auto films = static_cast<int32_t>(state.range(0));
  Shared().Folder(films);
  double sqlitePeak = 0;
  double residentGrowth = 0;
  for (auto _ : state) {
#ifdef __GLIBC__
    malloc_trim(0);  // hand back what generating the collection left behind
#endif
    const int64_t before = ResidentKilobytes();
    sqlite3_memory_highwater(1);
    auto store = OpenStore(films);
    benchmark::DoNotOptimize(store->ListFilms("", 0, 50));
    benchmark::DoNotOptimize(store->ListFilms("mädchen", 0, 50));
    for (int64_t id = 1; id <= 100; ++id) benchmark::DoNotOptimize(store->LoadFilm(id * 97));
    sqlitePeak = static_cast<double>(sqlite3_memory_highwater(0)) / (1024.0 * 1024.0);
    residentGrowth = static_cast<double>(ResidentKilobytes() - before) / 1024.0;
  }
  state.counters["sqlite peak MB"] = sqlitePeak;
  state.counters["RSS growth MB"] = residentGrowth;
}
BENCHMARK(BM_OpenCollectionMemory)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelluo::collection

BENCHMARK_MAIN();
