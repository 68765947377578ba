#pragma once
// An import between the answer Ja and the stored films: the covers of the new
// films taken over a few at a time, so that the window stays responsive.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "collection/import_export.h"

namespace zelluo::core {

class ImportJob {
 public:
  explicit ImportJob(collection::ImportPlan plan);
  ImportJob(const ImportJob&) = delete;
  ImportJob& operator=(const ImportJob&) = delete;

  // Takes over covers into coverFolder, one film after the other, until all
  // are done or the deadline has passed.
  void TakeOverCovers(const std::string& coverFolder,
                      std::chrono::steady_clock::time_point deadline);

  // Films whose cover is done, of all the films to import.
  int64_t FilmsDone() const { return static_cast<int64_t>(next_); }
  int64_t FilmCount() const { return static_cast<int64_t>(plan_.fresh.size()); }
  bool Finished() const { return next_ == plan_.fresh.size(); }

  int64_t CoverProblems() const { return coverProblems_; }
  // "Titel: reason" of the first cover that could not be taken over.
  const std::string& FirstCoverProblem() const { return firstCoverProblem_; }

  // The films to store, once every cover is done; only once.
  std::vector<collection::Film> TakeFilms();
  // The loans a backup carries, stored after the films; only once.
  std::vector<collection::Loan> TakeLoans() { return std::move(plan_.source.loans); }

 private:
  collection::ImportPlan plan_;
  size_t next_ = 0;  // the film whose cover comes next
  int64_t coverProblems_ = 0;
  std::string firstCoverProblem_;
  bool filmsTaken_ = false;
  collection::CoverCache covers_;  // a picture named by many films is decoded once
};

}  // namespace zelluo::core
