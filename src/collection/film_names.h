#pragma once
// What a film file's name says: whether it is a film at all, its title and
// year, and whether it is one part of a film split over several files. Pure
// text rules, the same on every system; docs/collection.md lists them.

#include <optional>
#include <string>
#include <string_view>

namespace zelluo::collection {

// A name ending in one of the film extensions (case ignored): mkv, mp4, avi, ...
bool IsFilmFileName(std::string_view name);
// A folder whose content belongs to no film of its own: samples, trailers,
// extras and the like (case ignored).
bool IsSkippedFolderName(std::string_view name);
// A file that only accompanies a film: "film-sample.mkv", "trailer.mp4".
bool IsSkippedFileName(std::string_view name);
// A file whose presence excludes its folder and everything below it.
bool IsExcludingMarker(std::string_view name);
// A DVD or Blu-ray folder ("VIDEO_TS", "BDMV"): the folder above it is one film.
bool IsDiscFolderName(std::string_view name);

// The part a name stands for: "Film CD2.avi" is part 2 of "Film".
struct FilmPart {
  std::string stem;  // the name without extension and part marker
  int part = 0;      // 0 when the name has no part marker
};
FilmPart PartOf(std::string_view fileName);

struct FilmName {
  std::string title;  // as the name writes it, separators made spaces
  std::optional<int> year;
};
// Title and year of a file name (extension and part marker left out) or a
// folder name: the year is the last 1900-2099 after the title, the title
// ends before it or before the first release tag; brackets go.
FilmName ReadFilmName(std::string_view name);
// Whether a film file's own name says too little, so that its folder's name
// is the film's ("movie.mkv" in "Heat (1995)/").
bool IsGenericFileName(std::string_view stem);

// The key under which titles of films compare: lower case, umlauts as ae,
// oe, ue, ß as ss, accents and punctuation dropped, a leading article left out.
std::string TitleMatchKey(std::string_view title);

}  // namespace zelluo::collection
