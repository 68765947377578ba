#include "ui/film_form.h"

#include <array>

#include "assets/image_numbers.h"
#include "collection/film_fields.h"
#include "collection/film_values.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::ui {
namespace {

using collection::Film;

// The text fields of the form, their member of Film and their heading.
struct FormText {
  platform::GadgetId gadget;
  std::string Film::*member;
  std::string_view heading;
};
constexpr std::array<FormText, 4> kFormTexts = {{
    {gadget::kTitleField, &Film::title, text::kFilmTitle},
    {gadget::kActorsField, &Film::actors, text::kActors},
    {gadget::kCountryField, &Film::country, text::kCountryOfProduction},
    {gadget::kPlotField, &Film::plot, text::kPlot},
}};

// Each field with the film's value as the form shows it; a text beyond its
// limit cut (it stays as stored unless the user edits that field).
std::array<std::pair<platform::GadgetId, std::string>, 6> FieldTexts(const Film& film) {
  const auto shown = [&film](std::string Film::*member) {
    return collection::ShownText(collection::FieldOf(member), film.*member);
  };
  return {{
      {gadget::kTitleField, shown(&Film::title)},
      {gadget::kActorsField, shown(&Film::actors)},
      {gadget::kYearField, collection::YearText(film.year)},
      {gadget::kRunningTimeField, collection::RunningTimeText(film.runtime)},
      {gadget::kCountryField, shown(&Film::country)},
      {gadget::kPlotField, shown(&Film::plot)},
  }};
}

// The fields by the names ReadFormTexts gives them.
constexpr std::array<std::pair<std::string_view, platform::GadgetId>, 6> kFieldNames = {{
    {"title", gadget::kTitleField},
    {"actors", gadget::kActorsField},
    {"year", gadget::kYearField},
    {"runtime", gadget::kRunningTimeField},
    {"country", gadget::kCountryField},
    {"plot", gadget::kPlotField},
}};

}  // namespace

NamedTexts ReadFormTexts(platform::Platform& platform) {
  NamedTexts texts;
  for (const auto& [name, field] : kFieldNames) {
    texts.emplace_back(name, platform.GadgetText(field));
  }
  return texts;
}

void PutFormTexts(platform::Platform& platform, const NamedTexts& texts) {
  for (const auto& [name, text] : texts) {
    for (const auto& [known, field] : kFieldNames) {
      if (name == known) platform.SetGadgetText(field, text);
    }
  }
}

void ShowFilmInForm(platform::Platform& platform, const Film& film) {
  for (const auto& [field, text] : FieldTexts(film)) platform.SetGadgetText(field, text);
}

void ShowCover(platform::Platform& platform, const platform::PixelImage* cover) {
  if (cover != nullptr && platform.LoadImage(kFilmCoverImage, *cover)) {
    platform.SetGadgetImage(gadget::kCover, kFilmCoverImage);
  } else {
    platform.SetGadgetImage(gadget::kCover, assets::image::kCoverPlaceholder);
  }
}

FormReading ReadFilmForm(platform::Platform& platform, const Film& base) {
  FormReading reading{base, {}};
  Film& film = reading.film;
  std::string tooLong;
  for (const FormText& field : kFormTexts) {
    const collection::FilmField& limits = collection::FieldOf(field.member);
    std::string typed = platform.GadgetText(field.gadget);
    // An untouched field keeps the stored value, also one the form shows cut.
    if (typed == collection::ShownText(limits, base.*field.member)) continue;
    if (tooLong.empty() && collection::IsBeyondLimit(limits, typed)) {
      tooLong = collection::FieldTooLong(limits, field.heading) + std::string(text::kFormNotSaved);
    }
    film.*field.member = std::move(typed);
  }
  const collection::ParsedNumber year =
      collection::ParseYear(platform.GadgetText(gadget::kYearField));
  const collection::ParsedNumber runtime =
      collection::ParseRunningTime(platform.GadgetText(gadget::kRunningTimeField));
  film.year = year.value;
  film.runtime = runtime.value;
  if (!year.valid) reading.problem = text::kInvalidYear;
  if (year.valid && !runtime.valid) reading.problem = text::kInvalidRunningTime;
  if (reading.problem.empty()) reading.problem = std::move(tooLong);
  return reading;
}

bool FormDiffersFrom(platform::Platform& platform, const Film& film) {
  for (const auto& [field, text] : FieldTexts(film)) {
    if (platform.GadgetText(field) != text) return true;
  }
  return false;
}

std::vector<std::string> FilmRowTexts(const collection::FilmRow& row) {
  return {collection::ShownText(collection::FieldOf(&Film::title), row.title),
          collection::YearText(row.year), collection::RunningTimeText(row.runtime),
          collection::ShownText(collection::FieldOf(&Film::country), row.country)};
}

}  // namespace zelluo::ui
