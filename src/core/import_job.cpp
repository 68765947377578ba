#include "core/import_job.h"

#include <utility>

#include "platform/invariant.h"

namespace zelluo::core {

ImportJob::ImportJob(collection::ImportPlan plan) : plan_(std::move(plan)) {
  // The plan keeps the films to import in fresh; the source's list is empty.
  ZELLUO_ASSERT(plan_.source.films.empty());
  // Nothing new to import is told before a job is made.
  ZELLUO_ASSERT(!plan_.fresh.empty());
}

void ImportJob::TakeOverCovers(const std::string& coverFolder,
                               std::chrono::steady_clock::time_point deadline) {
  ZELLUO_ASSERT(!filmsTaken_);
  std::vector<collection::ImportedFilm>& films = plan_.fresh;
  while (next_ < films.size() && std::chrono::steady_clock::now() < deadline) {
    collection::ImportedFilm& film = films[next_++];
    std::string problem = collection::TakeOverImportedCover(film, coverFolder, &covers_);
    film.cover = {};  // the picture's bytes (or its archive) are no longer needed
    if (!problem.empty() && coverProblems_++ == 0) {
      firstCoverProblem_ = film.film.title + ": " + problem;
    }
  }
  ZELLUO_ASSERT(next_ <= films.size());
  ZELLUO_ASSERT(coverProblems_ <= FilmsDone());
}

std::vector<collection::Film> ImportJob::TakeFilms() {
  ZELLUO_ASSERT(Finished() && !filmsTaken_);
  filmsTaken_ = true;
  std::vector<collection::Film> films;
  films.reserve(plan_.fresh.size());
  for (collection::ImportedFilm& film : plan_.fresh) {
    // A finished job holds no open archive and no picture any more.
    ZELLUO_ASSERT(film.cover.Empty());
    films.push_back(std::move(film.film));
  }
  return films;
}

}  // namespace zelluo::core
