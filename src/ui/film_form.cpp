#include "ui/film_form.h"

#include <array>

#include "assets/image_numbers.h"
#include "collection/film_values.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo {
namespace {

using collection::Film;

// Each field with the film's value as the form shows it.
std::array<std::pair<GadgetId, std::string>, 6> FieldTexts(const Film& film) {
  return {{
      {gadget::kTitleField, film.title},
      {gadget::kActorsField, film.actors},
      {gadget::kYearField, collection::YearText(film.year)},
      {gadget::kRunningTimeField, collection::RunningTimeText(film.runtime)},
      {gadget::kCountryField, film.country},
      {gadget::kPlotField, film.plot},
  }};
}

}  // namespace

void ShowFilmInForm(Platform& platform, const Film& film) {
  for (const auto& [field, text] : FieldTexts(film)) platform.SetGadgetText(field, text);
}

void ShowCover(Platform& platform, const PixelImage* cover) {
  if (cover != nullptr && platform.LoadImage(kFilmCoverImage, *cover)) {
    platform.SetGadgetImage(gadget::kCover, kFilmCoverImage);
  } else {
    platform.SetGadgetImage(gadget::kCover, image::kCoverPlaceholder);
  }
}

FormReading ReadFilmForm(Platform& platform, const Film& base) {
  FormReading reading{base, {}};
  Film& film = reading.film;
  film.title = platform.GadgetText(gadget::kTitleField);
  film.actors = platform.GadgetText(gadget::kActorsField);
  film.country = platform.GadgetText(gadget::kCountryField);
  film.plot = platform.GadgetText(gadget::kPlotField);
  const collection::ParsedNumber year =
      collection::ParseYear(platform.GadgetText(gadget::kYearField));
  const collection::ParsedNumber runtime =
      collection::ParseRunningTime(platform.GadgetText(gadget::kRunningTimeField));
  film.year = year.value;
  film.runtime = runtime.value;
  if (!year.valid) reading.problem = text::kInvalidYear;
  if (year.valid && !runtime.valid) reading.problem = text::kInvalidRunningTime;
  return reading;
}

bool FormDiffersFrom(Platform& platform, const Film& film) {
  for (const auto& [field, text] : FieldTexts(film)) {
    if (platform.GadgetText(field) != text) return true;
  }
  return false;
}

std::vector<std::string> FilmRowTexts(const collection::FilmRow& row) {
  return {row.title, collection::YearText(row.year), collection::RunningTimeText(row.runtime),
          row.country};
}

}  // namespace zelluo
