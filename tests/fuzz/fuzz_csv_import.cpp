// libFuzzer target: any bytes read as a CSV file of films.
//
// What must hold: a refused file comes with a message and no films; the films
// of an accepted file have titles, and written out again with FilmsAsCsv they
// read back as the same films (the cover becomes a path, the video is not
// written). And nothing crashes, leaks or reads out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "collection/csv_exchange.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelluo::collection;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ImportResult result = ReadCsvFilms(bytes, "Ordner/fuzz.csv");
  if (!result.Ok()) {
    if (!result.films.empty()) Fail("films along with a message");
    return 0;
  }
  std::vector<Film> films;
  films.reserve(result.films.size());
  for (const ImportedFilm& imported : result.films) {
    if (imported.film.title.empty()) Fail("a film without a title");
    films.push_back(imported.film);
    films.back().video.reset();
  }
  const ImportResult again = ReadCsvFilms(FilmsAsCsv(films, "Cover"), "Ordner/fuzz.csv");
  if (!again.Ok()) Fail("the written films do not read back");
  if (again.films.size() != films.size()) Fail("the written films read back as another count");
  for (size_t i = 0; i < films.size(); ++i) {
    if (again.films[i].film != films[i]) Fail("a written film reads back changed");
  }
  return 0;
}
