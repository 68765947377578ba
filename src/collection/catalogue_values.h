#pragma once
// What the catalogue readers (GCstar, Tellico, Kodi/Jellyfin .nfo, Griffith)
// share: values as catalogues write them, the files beside a catalogue, the
// XML elements of the XML catalogues, and the collector that takes their
// films over under the rules of catalogue_import.h.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "collection/exchange.h"
#include "collection/film_fields.h"
#include "collection/xml_tree.h"
#include "platform/invariant.h"
#include "texts/texts.h"

namespace zelluo::collection {

// Values as the catalogues write them.

// Blank or "0": a catalogue's default for numbers and flags counts as no
// value, so that a field nobody ever filled in is not reported as left behind.
bool HoldsNoValue(std::string_view value);
// Trimmed, with every run of line breaks and tabs inside made one space.
std::string OneLine(std::string_view value);
// Appends item as one line of a list (actors, genres); blank items are left out.
void AddLine(std::string& list, std::string_view item);
// Appends item to a one-line list of several values (countries, directors).
void AddToLine(std::string& line, std::string_view item, std::string_view separator = ", ");
std::vector<std::string_view> Split(std::string_view text, std::string_view separators);
// "Name (Role)", or "Name" without a role; empty without a name.
std::string ActorLine(std::string_view name, std::string_view role);
bool IsDigit(char c);
// The year of "1994", "12/03/1994", "1994-03-12"; none without a plausible one.
std::optional<int32_t> YearIn(std::string_view text);
// Minutes of "102", "102 min", "1:42" (film_values.h) and of what catalogues
// write besides: "1h42", "1 h 42 min", "102 mn", "102 minutes".
std::optional<int32_t> MinutesIn(std::string_view text);
// A number as catalogues write ratings: "7", "7.5", "7,5".
std::optional<double> DecimalIn(std::string_view text);
// Stars of a rating on a scale up to maximum; 0 (or less) is no rating.
std::optional<int32_t> Stars(std::string_view text, double maximum);

// Files beside the catalogue.

std::string WithoutExtension(std::string_view name);
// A file that is there and not empty.
bool IsFile(const std::string& path);
// A file:// address as a path, percent escapes decoded; empty for other addresses.
std::string PathOfFileUrl(std::string_view url);

// XML catalogues.

// "Zeile 12", for messages.
std::string LineOf(const XmlElement& element);
// The element's name without a namespace prefix ("tc:entry" -> "entry").
std::string_view LocalName(const XmlElement& element);
// All text inside element and below it, for telling whether a field is used.
std::string AllText(const XmlElement& element);

// Collects the films taken over from one catalogue and the names of the
// fields left behind, and gives them as the import's result.
class ImportCollector {
 public:
  ImportCollector(std::string_view format, std::string_view filePath) : filePath_(filePath) {
    result_.format = format;
  }

  // Notes a source field with no place in a film, when it holds a value.
  void Unmapped(std::string_view field, std::string_view value) {
    if (!HoldsNoValue(value)) entryFields_.emplace(field);
  }

  // Takes one film over under the title rule of catalogue_import.h; where
  // names it for the message ("Zeile 12", "Nr. 7"). False when the import
  // has failed.
  bool Take(ImportedFilm film, std::string_view where) {
    ZELLUO_ASSERT(result_.error.empty());  // the readers stop at the first failure
    std::set<std::string> fields;
    fields.swap(entryFields_);
    if (film.film.title.empty()) film.film.title = film.film.originalTitle;
    if (film.film.title.empty()) {
      if (film.film == Film{} && film.cover.Empty()) return true;
      SetError(text::FormatText(text::kCatalogueNoTitle, FileNameOf(filePath_), where));
      return false;
    }
    if (const FilmField* field = FieldBeyondLimit(film.film)) {
      SetError(text::FormatText(text::kFilmInFile, FileNameOf(filePath_), where) +
               FieldTooLong(*field));
      return false;
    }
    fields_.merge(fields);
    result_.films.push_back(std::move(film));
    return true;
  }

  ImportResult Fail(std::string message) {
    SetError(std::move(message));
    return Result();
  }

  ImportResult Result() {
    result_.unmappedFields.assign(fields_.begin(), fields_.end());
    return std::move(result_);
  }

 private:
  void SetError(std::string message) {
    result_.films.clear();
    fields_.clear();
    result_.error = std::move(message);
  }

  std::string filePath_;
  ImportResult result_;
  std::set<std::string> fields_;
  std::set<std::string> entryFields_;
};

}  // namespace zelluo::collection
