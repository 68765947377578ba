#pragma once
// The List page's form: one film in the fields under the headings, its cover
// on the left, and the texts of the film list's rows.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "collection/film.h"
#include "platform/platform.h"

namespace zelluo::ui {

// The image number under which the current film's cover is registered.
inline constexpr platform::ImageId kFilmCoverImage{1000};

// Puts the film's values into the fields.
void ShowFilmInForm(platform::Platform& platform, const collection::Film& film);
// Shows the cover picture, or the placeholder card without one.
void ShowCover(platform::Platform& platform, const platform::PixelImage* cover);

// The film as the fields describe it, on top of base (its id, cover and the
// values the form does not show); problem names a field that holds no valid
// value, and is empty when the film may be saved.
struct FormReading {
  collection::Film film;
  std::string problem;
};
FormReading ReadFilmForm(platform::Platform& platform, const collection::Film& base);

// The texts of the form's fields under names that stay when the gadgets are
// renumbered (title, actors, year, runtime, country, plot), in the form's order.
using NamedTexts = std::vector<std::pair<std::string, std::string>>;
NamedTexts ReadFormTexts(platform::Platform& platform);
// Puts the texts into the fields they name; other names are passed over.
void PutFormTexts(platform::Platform& platform, const NamedTexts& texts);

// True when a field holds something else than the film shows.
bool FormDiffersFrom(platform::Platform& platform, const collection::Film& film);

// The texts of a row of the film list: title, year, running time, country.
std::vector<std::string> FilmRowTexts(const collection::FilmRow& row);

}  // namespace zelluo::ui
