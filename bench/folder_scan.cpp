// The Update page's scan of a big film folder: 10,000 tiny sparse film files
// (each says it holds 700 MB but takes no disk) in 2,000 folders, made by
// the generator below in a temporary folder and removed at the end.
//
// Measured, the way the page does it between events (slices of 30 ms):
// - the first scan with a warm cache (the tree walked once before): the walk
//   and the review against an empty collection, 10,000 findings "Neu";
// - "Übernehmen" of them all (fingerprints read in slices, then one
//   transaction);
// - a rescan with nothing changed: the walk and the review against the
//   10,000 films now stored, no findings;
// - the longest slice (the window's longest wait) and the growth of the
//   resident memory over the first scan and over the rescan (VmRSS, Linux).
//
// Usage: folder_scan [folders] [films-per-folder]

#include "collection/folder_scan.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "collection/film_store.h"
#include "core/update_page_controller.h"

namespace zelluo::collection {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// The resident memory in KiB, from /proc/self/status.
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) return std::atol(line.c_str() + 6);
  }
  return 0;
}

// Titles as people write them: some with a year in brackets, some as release
// names, a few split into two parts.
void MakeFolders(const std::filesystem::path& root, int folders, int perFolder) {
  const char* words[] = {"Nebel", "Fähre", "Stadt", "Wolken", "Sommer", "Kassel", "Floß", "Zug"};
  for (int f = 0; f < folders; ++f) {
    const std::filesystem::path folder =
        root / ("Sammlung " + std::to_string(f / 100)) / ("Regal " + std::to_string(f));
    std::filesystem::create_directories(folder);
    for (int i = 0; i < perFolder; ++i) {
      const int n = f * perFolder + i;
      const std::string title =
          std::string(words[n % 8]) + " " + words[(n / 8) % 8] + " " + std::to_string(n);
      const int year = 1950 + n % 70;
      std::string name;
      switch (n % 4) {
        case 0:
          name = title + " (" + std::to_string(year) + ").mkv";
          break;
        case 1:
          name = title + "." + std::to_string(year) + ".German.DL.1080p.BluRay.x264.mkv";
          break;
        case 2:
          name = title + " " + std::to_string(year) + ".mp4";
          break;
        default:
          name = title + " (" + std::to_string(year) + ") cd1.avi";
          break;
      }
      std::ofstream(folder / name).close();
      std::filesystem::resize_file(folder / name, 700ULL * 1024 * 1024);
    }
  }
}

struct Walk {
  std::unique_ptr<FolderScan> scan;
  Clock::duration longestSlice{};
  int slices = 0;
};

Walk WalkAll(platform::SystemPart& system, const std::string& root) {
  Walk walk;
  walk.scan = std::make_unique<FolderScan>(system, std::vector<std::string>{root});
  bool done = false;
  while (!done) {
    const Clock::time_point start = Clock::now();
    done = walk.scan->Step(start + core::kScanSlice);
    walk.longestSlice = std::max(walk.longestSlice, Clock::now() - start);
    ++walk.slices;
  }
  return walk;
}

int Run(int folders, int perFolder) {
  const std::filesystem::path base =
      std::filesystem::temp_directory_path() / ("zelluo-folder-scan-" + std::to_string(getpid()));
  const std::filesystem::path films = base / "Filme";
  std::printf("making %d folders of %d sparse film files ...\n", folders, perFolder);
  MakeFolders(films, folders, perFolder);
  platform::SystemPart system;
  std::unique_ptr<FilmStore> store = FilmStore::Open(base / "Zelluo Files").store;
  if (!store || !store->AddFilmFolder(films.string()).Ok()) {
    std::fprintf(stderr, "no collection\n");
    return 1;
  }
  WalkAll(system, films.string());  // the cache warmed

  const long before = ResidentKb();
  Clock::time_point start = Clock::now();
  Walk first = WalkAll(system, films.string());
  std::vector<Finding> findings = ReviewScan(system, *first.scan, store->KnownFilms(),
                                             [&](int64_t id) { return store->LoadFilm(id); });
  const double firstScan = Seconds(Clock::now() - start);
  const long afterFirst = ResidentKb();
  std::printf(
      "first scan: %lld files in %lld folders, %zu findings, %.3f s, %d slices, "
      "longest %.1f ms, memory +%.1f MB\n",
      static_cast<long long>(first.scan->FilesSeen()),
      static_cast<long long>(first.scan->FoldersSeen()), findings.size(), firstScan, first.slices,
      Seconds(first.longestSlice) * 1000, (afterFirst - before) / 1024.0);

  // "Übernehmen" as the page does it: the fingerprints a slice at a time,
  // then the films stored in one transaction.
  start = Clock::now();
  Clock::duration longestPreparation{};
  for (size_t at = 0; at < findings.size();) {
    const Clock::time_point slice = Clock::now();
    while (at < findings.size() && Clock::now() < slice + core::kScanSlice) {
      findings[at].fingerprint = FingerprintOf(system, findings[at].path, findings[at].size);
      ++at;
    }
    longestPreparation = std::max(longestPreparation, Clock::now() - slice);
  }
  const double fingerprints = Seconds(Clock::now() - start);
  const Clock::time_point storing = Clock::now();
  const ChangeResult applied = store->ApplyFindings(findings);
  std::printf(
      "Übernehmen: %lld new films, %.3f s: fingerprints %.3f s in slices of at most "
      "%.1f ms, then storing %.3f s%s\n",
      static_cast<long long>(applied.filmsAdded), Seconds(Clock::now() - start), fingerprints,
      Seconds(longestPreparation) * 1000, Seconds(Clock::now() - storing),
      applied.Ok() ? "" : applied.message.c_str());
  first.scan.reset();
  findings = {};

  const long beforeRescan = ResidentKb();
  start = Clock::now();
  Walk again = WalkAll(system, films.string());
  const std::vector<Finding> nothing = ReviewScan(system, *again.scan, store->KnownFilms(),
                                                  [&](int64_t id) { return store->LoadFilm(id); });
  std::printf(
      "rescan, nothing changed: %zu findings, %.3f s, longest slice %.1f ms, "
      "memory +%.1f MB\n",
      nothing.size(), Seconds(Clock::now() - start), Seconds(again.longestSlice) * 1000,
      (ResidentKb() - beforeRescan) / 1024.0);
  store.reset();
  std::filesystem::remove_all(base);
  return 0;
}

}  // namespace
}  // namespace zelluo::collection

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::atoi(argv[1]) : 2000;
  const int perFolder = argc > 2 ? std::atoi(argv[2]) : 5;
  return zelluo::collection::Run(folders, perFolder);
}
