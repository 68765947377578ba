// The longest pause of the window during a big import's reading: the file
// read, its films read from it and compared with the collection (an empty
// one) the way the List page does it between events, each step timed, up to
// the step that shows the preview. Files of invented films, written once per run into
// a temporary folder and removed at the end: a CSV of 500,000 rows, a GCstar
// collection and a Zelluo backup (zip) of 200,000 films.
//
// Usage: import_slices [films-of-the-csv] [films-of-the-catalogues]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "collection/backup.h"
#include "collection/catalogue_values.h"
#include "collection/csv_exchange.h"
#include "collection/import_export.h"
#include "film_generator.h"
#include "platform/os_services.h"
#include "texts/text_tools.h"

namespace zelluo::collection {
namespace {

using Clock = std::chrono::steady_clock;

std::string Escaped(std::string_view value) {
  std::string out;
  text::AppendXmlEscaped(out, value, text::XmlQuotes::XmlEntities);
  return out;
}

std::string GcstarOf(const std::vector<Film>& films) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection type=\"GCfilms\">\n";
  int id = 0;
  for (const Film& film : films) {
    xml += " <item id=\"" + std::to_string(++id) + "\" title=\"" + Escaped(film.title) +
           "\" original=\"" + Escaped(film.originalTitle) + "\" date=\"" +
           std::to_string(film.year.value_or(2000)) + "\" time=\"" +
           std::to_string(film.runtime.value_or(90)) + " min\" director=\"" +
           Escaped(film.director) + "\" country=\"" + Escaped(film.country) + "\">\n";
    xml += "  <synopsis>" + Escaped(film.plot) + "</synopsis>\n  <actors>\n";
    for (const std::string_view actor : Split(film.actors, "\n")) {
      xml += "   <line><col>" + Escaped(actor) + "</col></line>\n";
    }
    xml += "  </actors>\n </item>\n";
  }
  return xml + "</collection>\n";
}

struct Slices {
  int count = 0;
  Clock::duration longest{};
  Clock::duration total{};
  size_t films = 0;
  Clock::duration preview{};
};

// Reads the file as the List page does; every step timed.
Slices ReadInSlices(const std::string& path) {
  Slices slices;
  auto reading = std::make_unique<ImportFileReading>(path);
  reading->PlanAgainst({});  // an empty collection
  const auto timed = [&slices](const auto& step) {
    const Clock::time_point start = Clock::now();
    step();
    const Clock::duration took = Clock::now() - start;
    slices.longest = std::max(slices.longest, took);
    slices.total += took;
    ++slices.count;
    return took;
  };
  do {
    const int before = reading->Percent();
    const bool allRead = reading->AllRead();
    const Clock::duration longest = slices.longest;
    timed([&] { reading->Step(); });
    if (slices.longest > longest && std::getenv("ZELLUO_SLOW_STEPS") != nullptr) {
      std::printf("  step %d (%s %d %%) %.1f ms\n", slices.count, allRead ? "films" : "bytes",
                  before, std::chrono::duration<double, std::milli>(slices.longest).count());
    }
  } while (!reading->Finished());
  // The step that shows the preview: the plan taken, the reading let go.
  ImportPlan plan;
  slices.preview = timed([&] {
    if (reading->Planned()) {
      plan = reading->TakePlan();
    } else {
      std::fprintf(stderr, "%s\n", reading->Result().error.c_str());
    }
    reading.reset();
  });
  slices.films = plan.fresh.size() + static_cast<size_t>(plan.duplicates);
  return slices;
}

void Report(const char* what, const std::string& path) {
  const auto megabytes = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  const Slices slices = ReadInSlices(path);
  const auto ms = [](Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  };
  std::printf(
      "%-22s %7.1f MB %8zu films %5d steps  longest %7.1f ms  total %7.1f ms  preview %6.1f ms\n",
      what, megabytes, slices.films, slices.count, ms(slices.longest), ms(slices.total),
      ms(slices.preview));
}

}  // namespace
}  // namespace zelluo::collection

int main(int argc, char** argv) {
  using namespace zelluo::collection;
  // As the program does; ZELLUO_GLIBC_FAST_BINS=1 leaves the heap as it is.
  if (std::getenv("ZELLUO_GLIBC_FAST_BINS") == nullptr) zelluo::platform::os::KeepHeapPausesShort();
  const int32_t csvFilms = argc > 1 ? std::atoi(argv[1]) : 500000;
  const int32_t catalogueFilms = argc > 2 ? std::atoi(argv[2]) : 200000;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("zelluo-import-slices-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(folder);
  {
    std::vector<Film> films = GenerateFilms(std::max(csvFilms, catalogueFilms), 2026);
    for (Film& film : films) film.cover.reset();
    std::vector<Film> few(films.begin(), films.begin() + catalogueFilms);
    films.resize(static_cast<size_t>(csvFilms));
    std::ofstream(folder / "filme.csv", std::ios::binary) << FilmsAsCsv(films, "");
    std::ofstream(folder / "filme.gcs", std::ios::binary) << GcstarOf(few);
    std::ofstream(folder / "sicherung.zip", std::ios::binary) << BackupArchive(few, "").bytes;
  }
  Report("CSV", (folder / "filme.csv").string());
  Report("GCstar", (folder / "filme.gcs").string());
  Report("Zelluo-Sicherung (zip)", (folder / "sicherung.zip").string());
  std::filesystem::remove_all(folder);
  return 0;
}
