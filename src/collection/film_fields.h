#pragma once
// The fields of a film, each once: its column in the collection file, its
// heading in CSV files, its element in the backup, how the HTML page shows it
// and what kind of value it holds. The store's statements, the CSV reader and
// writer, the backup and the HTML export all follow this table; the order of
// the table is the order of the columns of table film (docs/collection.md).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "collection/film.h"
#include "texts/texts.h"

namespace zelluo::collection {

enum class FieldKind {
  Line,       // one line of text
  List,       // entries one per line (actors, genres)
  LongText,   // text of any number of lines, kept as it is
  Year,       // a year (film_values.h)
  Minutes,    // a running time in minutes (film_values.h)
  Stars,      // a rating of 1 to 5 stars
  CoverFile,  // a cover's file name under "Zelluo Files/Cover/"
  Path,       // the path of a file
  Moment,     // ISO 8601 date and time, UTC, set by the store
};

struct FilmField {
  FieldKind kind = FieldKind::Line;
  // Where Film holds the value; exactly one of the three is set.
  std::string Film::*text = nullptr;
  std::optional<std::string> Film::*optionalText = nullptr;
  std::optional<int32_t> Film::*number = nullptr;

  // The column of table film. Empty values are stored as NULL except in a
  // required column (NOT NULL) and in the moments.
  std::string_view column = {};
  bool required = false;
  // Written when the film is first stored, never by an update.
  bool keptOnUpdate = false;

  // The place among the columns of a CSV file (-1: not exchanged), the
  // heading written and the names read (ColumnKey's form, space separated).
  int csvPosition = -1;
  std::string_view csvHeading = {};
  std::string_view csvNames = {};

  // The place and element name in the backup's XML file.
  int backupPosition = -1;
  std::string_view backupElement = {};

  // On the HTML page: one of the facts under the title, or a labelled line.
  bool htmlFact = false;
  std::string_view htmlLabel = {};

  // The most characters (not bytes) a text may hold: an import refuses a
  // longer one and so does the form; a longer one stored by another program
  // is kept but shown cut (ShownText). 0 for numbers.
  size_t maxChars = 0;
};

// The limits of the texts (docs/collection.md, "Limits").
inline constexpr size_t kMaxLineChars = 1'000;
inline constexpr size_t kMaxListChars = 20'000;
inline constexpr size_t kMaxLongTextChars = 100'000;
inline constexpr size_t kMaxPathChars = 32'767;  // the longest path Windows knows
inline constexpr size_t kMaxMomentChars = 64;

// clang-format off
inline constexpr std::array<FilmField, 15> kFilmFields = {{
    {.kind = FieldKind::Line, .text = &Film::title, .column = "title", .required = true,
     .csvPosition = 0, .csvHeading = "Titel", .csvNames = "titel title",
     .backupPosition = 0, .backupElement = "titel", .maxChars = kMaxLineChars},
    {.kind = FieldKind::Line, .text = &Film::originalTitle, .column = "original_title",
     .csvPosition = 1, .csvHeading = "Originaltitel", .csvNames = "originaltitel originaltitle",
     .backupPosition = 1, .backupElement = "originaltitel", .maxChars = kMaxLineChars},
    {.kind = FieldKind::Year, .number = &Film::year, .column = "year",
     .csvPosition = 2, .csvHeading = "Jahr", .csvNames = "jahr year",
     .backupPosition = 2, .backupElement = "jahr", .htmlFact = true},
    {.kind = FieldKind::Minutes, .number = &Film::runtime, .column = "runtime",
     .csvPosition = 3, .csvHeading = "Laufzeit", .csvNames = "laufzeit runtime l\xC3\xA4nge",
     .backupPosition = 3, .backupElement = "laufzeit", .htmlFact = true},
    {.kind = FieldKind::Line, .text = &Film::country, .column = "country",
     .csvPosition = 4, .csvHeading = "Land", .csvNames = "land country",
     .backupPosition = 4, .backupElement = "land", .htmlFact = true,
     .maxChars = kMaxLineChars},
    {.kind = FieldKind::Line, .text = &Film::director, .column = "director",
     .csvPosition = 5, .csvHeading = "Regie", .csvNames = "regie director regisseur",
     .backupPosition = 5, .backupElement = "regie", .htmlLabel = text::kHtmlDirector,
     .maxChars = kMaxLineChars},
    {.kind = FieldKind::List, .text = &Film::actors, .column = "actors",
     .csvPosition = 6, .csvHeading = "Darsteller", .csvNames = "darsteller actors cast schauspieler",
     .backupPosition = 6, .backupElement = "darsteller", .htmlLabel = text::kHtmlActors,
     .maxChars = kMaxListChars},
    {.kind = FieldKind::List, .text = &Film::genre, .column = "genre",
     .csvPosition = 7, .csvHeading = "Genre", .csvNames = "genre genres",
     .backupPosition = 7, .backupElement = "genre", .htmlLabel = text::kHtmlGenre,
     .maxChars = kMaxListChars},
    {.kind = FieldKind::LongText, .text = &Film::plot, .column = "plot",
     .csvPosition = 8, .csvHeading = "Handlung",
     .csvNames = "handlung plot inhalt beschreibung description",
     .backupPosition = 8, .backupElement = "handlung", .maxChars = kMaxLongTextChars},
    {.kind = FieldKind::CoverFile, .optionalText = &Film::cover, .column = "cover",
     .csvPosition = 11, .csvHeading = "Cover", .csvNames = "cover bild poster",
     .backupPosition = 12, .backupElement = "cover", .maxChars = kMaxLineChars},
    {.kind = FieldKind::Path, .optionalText = &Film::video, .column = "video",
     .csvPosition = 12, .csvHeading = "Video", .csvNames = "video datei file",
     .backupPosition = 11, .backupElement = "video", .maxChars = kMaxPathChars},
    {.kind = FieldKind::LongText, .text = &Film::notes, .column = "notes",
     .csvPosition = 9, .csvHeading = "Notizen", .csvNames = "notizen notes bemerkungen",
     .backupPosition = 9, .backupElement = "notizen", .maxChars = kMaxLongTextChars},
    {.kind = FieldKind::Stars, .number = &Film::rating, .column = "rating",
     .csvPosition = 10, .csvHeading = "Bewertung", .csvNames = "bewertung rating",
     .backupPosition = 10, .backupElement = "bewertung"},
    {.kind = FieldKind::Moment, .text = &Film::added, .column = "added", .keptOnUpdate = true,
     .backupPosition = 13, .backupElement = "hinzugefuegt", .maxChars = kMaxMomentChars},
    {.kind = FieldKind::Moment, .text = &Film::changed, .column = "changed",
     .backupPosition = 14, .backupElement = "geaendert", .maxChars = kMaxMomentChars},
}};
// clang-format on

inline constexpr size_t kFilmFieldCount = kFilmFields.size();

// The fields with a place in CSV files (or in the backup), in that order.
template <int FilmField::*kPosition>
struct FieldOrder {
  std::array<const FilmField*, kFilmFieldCount> fields{};
  size_t count = 0;
  const FilmField* const* begin() const { return fields.data(); }
  const FilmField* const* end() const { return fields.data() + count; }
};

template <int FilmField::*kPosition>
constexpr FieldOrder<kPosition> FieldsInOrder() {
  FieldOrder<kPosition> order;
  for (int place = 0; place < static_cast<int>(kFilmFieldCount); ++place) {
    for (const FilmField& field : kFilmFields) {
      if (field.*kPosition == place) order.fields[order.count++] = &field;
    }
  }
  return order;
}

inline constexpr auto kCsvFields = FieldsInOrder<&FilmField::csvPosition>();
inline constexpr auto kBackupFields = FieldsInOrder<&FilmField::backupPosition>();

// "INTEGER" for a number, else "TEXT".
constexpr std::string_view ColumnType(const FilmField& field) {
  return field.number != nullptr ? "INTEGER" : "TEXT";
}

// The bytes of text's first count characters (of UTF-8, counted by their lead
// bytes); none when text has no more than count characters. Reads no further
// than those characters, however long text is.
std::optional<size_t> BytesOfFirstChars(std::string_view text, size_t count);

// True when the field has a limit and value holds more characters.
inline bool IsBeyondLimit(const FilmField& field, std::string_view value) {
  return field.maxChars > 0 && BytesOfFirstChars(value, field.maxChars).has_value();
}

// The first text of film that holds more than its field's limit; null when none.
const FilmField* FieldBeyondLimit(const Film& film);

// The value as a page shows it: within the limit as it is, else its first
// maxChars characters and "…", so that no list or field lays out a huge text.
std::string ShownText(const FilmField& field, std::string_view value);

// The field whose value Film holds in member.
const FilmField& FieldOf(std::string Film::*member);

// "Das Feld "Titel" ist zu lang (höchstens 1.000 Zeichen)." with name, or the
// field's CSV heading (its backup element for the store's moments).
std::string FieldTooLong(const FilmField& field, std::string_view name = {});

// The value as the user reads it: text as it is, "1994", "102 min", "4"
// stars; empty for none.
std::string FieldText(const Film& film, const FilmField& field);

}  // namespace zelluo::collection
