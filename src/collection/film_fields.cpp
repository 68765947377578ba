#include "collection/film_fields.h"

#include "collection/film_values.h"

namespace zelluo::collection {
namespace {

// Each field names exactly one member of Film.
constexpr bool EachFieldHoldsOneMember() {
  for (const FilmField& field : kFilmFields) {
    const int members =
        (field.text != nullptr) + (field.optionalText != nullptr) + (field.number != nullptr);
    if (members != 1) return false;
  }
  return true;
}
static_assert(EachFieldHoldsOneMember());

// The places of an order are 0, 1, 2 ... without a gap or a place taken twice,
// and every field with a place is in it.
template <int FilmField::*kPosition>
constexpr bool IsWholeOrder(const FieldOrder<kPosition>& order) {
  size_t placed = 0;
  for (const FilmField& field : kFilmFields) placed += field.*kPosition >= 0 ? 1 : 0;
  if (order.count != placed) return false;
  for (size_t i = 0; i < order.count; ++i) {
    if (order.fields[i]->*kPosition != static_cast<int>(i)) return false;
  }
  return true;
}
static_assert(IsWholeOrder(kCsvFields));
static_assert(IsWholeOrder(kBackupFields));
static_assert(kBackupFields.count == kFilmFieldCount, "the backup keeps every field");

// A field has CSV names exactly when it has a place in CSV files, and the
// store's moments have none.
constexpr bool CsvFieldsHaveNames() {
  for (const FilmField& field : kFilmFields) {
    const bool placed = field.csvPosition >= 0;
    if (placed != !field.csvNames.empty() || placed != !field.csvHeading.empty()) return false;
    if (placed && field.kind == FieldKind::Moment) return false;
  }
  return true;
}
static_assert(CsvFieldsHaveNames());

}  // namespace

std::string FieldText(const Film& film, const FilmField& field) {
  if (field.text != nullptr) return film.*field.text;
  if (field.optionalText != nullptr) return (film.*field.optionalText).value_or(std::string());
  const std::optional<int32_t> number = film.*field.number;
  switch (field.kind) {
    case FieldKind::Year:
      return YearText(number);
    case FieldKind::Minutes:
      return RunningTimeText(number);
    default:
      return number ? std::to_string(*number) : std::string();
  }
}

}  // namespace zelluo::collection
