#pragma once
// The Play page at work: the films that have a video file, filtered by their
// viewings and by the search, the selected film's cover, and the film playing
// inside the window (where the platform has a player) or in the system's
// default program. Every viewing goes into the collection's viewing log.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "collection/film_store.h"
#include "platform/platform.h"

namespace zelluo::core {

class ListPageController;

class PlayPageController {
 public:
  PlayPageController(platform::Platform& platform, ListPageController& listPage);

  // The list's rows: title, year, running time, seen, progress.
  platform::ListRowSource RowSource();
  // The page comes into view: the list read anew, the film selected before kept.
  void Enter();
  // The page's gadget events (and the player's) while it is shown; false for
  // events that are not its own.
  bool HandleGadget(const platform::Event& event);
  // Up and Down move through the list.
  bool HandleMenu(int32_t entry);
  // A film plays inside the window.
  bool Playing() const { return viewing_ != 0; }
  // Stops the film playing inside, storing where it stood; back to the page.
  void StopFilm();

 private:
  // The films of the search read anew from the collection, then filtered.
  void Refill();
  // The films of the search that the filter lets through, into the list.
  void ApplyFilter();
  void Select(int32_t row);
  void ShowSelected();
  const collection::PlayRow* Selected() const;
  void SetFilter(collection::PlayFilter filter);
  void Play(bool fromStart);
  void PlayInside(const collection::PlayRow& film, double start);
  void PlayOutside(const collection::PlayRow& film);
  void PickRandomFilm();
  void ToggleSeen();
  void HandlePlayerKey(int32_t keyCode);
  void ShowStatus(std::string_view text);
  std::vector<std::string> RowTexts(const collection::PlayRow& row);

  platform::Platform& platform_;
  ListPageController& listPage_;
  collection::PlayFilter filter_ = collection::PlayFilter::All;
  std::string query_;
  std::vector<collection::PlayRow> searched_;  // every film of the search
  std::vector<collection::PlayRow> rows_;      // those of them the filter lists
  int64_t selectedId_ = 0;
  bool markShowsUnseen_ = false;  // the mark button says "Als ungesehen markieren"
  int64_t viewing_ = 0;           // of the film playing inside; 0 when none plays
  std::mt19937 random_;
};

// "1:02 von 1:45": where a viewing stands, in hours and minutes; empty when
// the film starts from the beginning.
std::string ProgressText(double resume, double duration);

// The user's own date of a moment the store wrote, as "07.12.2026"; a value
// that is not such a moment (written by another program) shows its date part.
std::string LocalGermanDate(platform::Platform& platform, const std::string& iso);

}  // namespace zelluo::core
