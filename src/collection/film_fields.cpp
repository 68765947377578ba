#include "collection/film_fields.h"

#include "collection/film_values.h"
#include "platform/invariant.h"

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

// Every text has a limit, every number none.
constexpr bool TextsHaveLimits() {
  for (const FilmField& field : kFilmFields) {
    if ((field.number == nullptr) != (field.maxChars > 0)) return false;
  }
  return true;
}
static_assert(TextsHaveLimits());

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // …

// 20000 as "20.000".
std::string WithThousandsDots(size_t value) {
  const std::string digits = std::to_string(value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
    out += digits[i];
  }
  return out;
}

}  // namespace

std::optional<size_t> BytesOfFirstChars(std::string_view text, size_t count) {
  if (text.size() <= count) return std::nullopt;  // never more characters than bytes
  size_t chars = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    // A byte 10xxxxxx continues a character; every other one starts one.
    if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
    if (chars++ == count) return at;
  }
  return std::nullopt;
}

const FilmField* FieldBeyondLimit(const Film& film) {
  for (const FilmField& field : kFilmFields) {
    if (field.text != nullptr && IsBeyondLimit(field, film.*field.text)) return &field;
    if (field.optionalText != nullptr && (film.*field.optionalText).has_value() &&
        IsBeyondLimit(field, *(film.*field.optionalText))) {
      return &field;
    }
  }
  return nullptr;
}

std::string ShownText(const FilmField& field, std::string_view value) {
  const std::optional<size_t> cut =
      field.maxChars > 0 ? BytesOfFirstChars(value, field.maxChars) : std::nullopt;
  if (!cut) return std::string(value);
  std::string shown(value.substr(0, *cut));
  shown += kEllipsis;
  return shown;
}

const FilmField& FieldOf(std::string Film::*member) {
  for (const FilmField& field : kFilmFields) {
    if (field.text == member) return field;
  }
  ZELLUO_ASSERT(false);  // every text member of Film has its field
  return kFilmFields.front();
}

std::string FieldTooLong(const FilmField& field, std::string_view name) {
  if (name.empty()) name = field.csvHeading.empty() ? field.backupElement : field.csvHeading;
  return text::FormatText(text::kFieldTooLong, name, WithThousandsDots(field.maxChars));
}

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
