// libFuzzer target: any bytes read as a film catalogue. The first byte picks
// the reader (GCstar, Tellico, Kodi/Jellyfin .nfo, Zelluo backup), the rest
// is the file. Tellico and backups come as zip archives as well, so the zip
// reader is reached too.
//
// What must hold: a refused file comes with a message and no films and no
// field names; a read one has none; every film of a catalogue has a title, a
// plausible year, running time and rating; a backup's covers read or say why
// not; the left-over field names are sorted, without repeats and not empty.
// And nothing crashes, leaks or reads out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "collection/backup.h"
#include "collection/catalogue_import.h"
#include "collection/film_values.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelluo::collection;
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool backup = data[0] % 4 == 3;
  ImportResult result;
  switch (data[0] % 4) {
    case 0:
      result = ReadGcstar(bytes, "fuzz/sammlung.gcs");
      break;
    case 1:
      result = ReadTellico(bytes, "fuzz/sammlung.tc");
      break;
    case 2:
      result = ReadNfo(bytes, "fuzz/film.nfo");
      break;
    default:
      result = ReadBackup(std::string(bytes), "fuzz/sicherung.zip");
      break;
  }
  if (!result.Ok()) {
    if (!result.films.empty() || !result.unmappedFields.empty()) Fail("films with a message");
    return 0;
  }
  for (const ImportedFilm& imported : result.films) {
    const Film& film = imported.film;
    if (backup) {
      // A backup gives its films back as they were saved, numbers as they
      // are; its covers are read from the archive.
      std::string cover;
      std::string problem;
      if (!imported.cover.Empty() && !ReadCoverBytes(imported.cover, cover, problem) &&
          problem.empty()) {
        Fail("an unreadable cover without a message");
      }
      continue;
    }
    if (film.title.empty()) Fail("a film without a title");
    if (film.year && (*film.year < kFirstFilmYear || *film.year > kLastFilmYear)) {
      Fail("year out of range");
    }
    if (film.runtime && (*film.runtime <= 0 || *film.runtime > 6000)) Fail("runtime out of range");
    if (film.rating && (*film.rating < 1 || *film.rating > 5)) Fail("rating out of range");
  }
  for (size_t i = 0; i < result.unmappedFields.size(); ++i) {
    if (result.unmappedFields[i].empty()) Fail("an empty field name");
    if (i > 0 && !(result.unmappedFields[i - 1] < result.unmappedFields[i])) {
      Fail("field names not sorted or repeated");
    }
  }
  return 0;
}
