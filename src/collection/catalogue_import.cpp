#include "collection/catalogue_import.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "collection/film_values.h"
#include "collection/sql_statement.h"
#include "collection/xml_tree.h"
#include "collection/zip_archive.h"
#include "platform/os_services.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// ---------------------------------------------------------------------------
// Values as the catalogues write them.

// A catalogue's default for numbers and flags ("0") counts as no value, so
// that a field nobody ever filled in is not reported as left behind.
bool HoldsNoValue(std::string_view value) {
  const std::string trimmed = text::Trimmed(value);
  return trimmed.empty() || trimmed == "0";
}

// Trimmed, with every run of line breaks and tabs inside made one space.
std::string OneLine(std::string_view value) {
  std::string line;
  bool gap = false;
  for (const char c : text::Trimmed(value)) {
    if (c == '\r' || c == '\n' || c == '\t') {
      gap = true;
      continue;
    }
    if (gap && !line.empty() && line.back() != ' ' && c != ' ') line += ' ';
    gap = false;
    line += c;
  }
  return line;
}

// Appends item as one line of a list (actors, genres); blank items are left out.
void AddLine(std::string& list, std::string_view item) {
  const std::string line = OneLine(item);
  if (line.empty()) return;
  if (!list.empty()) list += '\n';
  list += line;
}

// Appends item to a one-line list of several values (countries, directors).
void AddToLine(std::string& line, std::string_view item, std::string_view separator = ", ") {
  const std::string value = OneLine(item);
  if (value.empty()) return;
  if (!line.empty()) line += separator;
  line += value;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find_first_of(separators, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

std::string ActorLine(std::string_view name, std::string_view role) {
  std::string line = OneLine(name);
  const std::string character = OneLine(role);
  if (line.empty()) return {};
  if (!character.empty()) line += " (" + character + ")";
  return line;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The year of "1994", "12/03/1994", "1994-03-12"; none when there is no
// plausible year in the text.
std::optional<int32_t> YearIn(std::string_view text) {
  if (const ParsedNumber year = ParseYear(text); year.valid) return year.value;
  for (size_t i = 0; i + 4 <= text.size(); ++i) {
    if ((i > 0 && IsDigit(text[i - 1])) || !IsDigit(text[i])) continue;
    size_t digits = 0;
    while (i + digits < text.size() && IsDigit(text[i + digits])) ++digits;
    if (digits == 4) {
      if (const ParsedNumber year = ParseYear(text.substr(i, 4)); year.valid) return year.value;
    }
    i += digits - 1;
  }
  return std::nullopt;
}

// Minutes of "102", "102 min", "1:42" (film_values.h) and of what catalogues
// write besides: "1h42", "1 h 42 min", "102 mn", "102 minutes".
std::optional<int32_t> MinutesIn(std::string_view text) {
  if (const ParsedNumber minutes = ParseRunningTime(text); minutes.valid) return minutes.value;
  const std::string trimmed = text::Trimmed(text);
  std::string_view rest = trimmed;
  const auto number = [&rest]() -> std::optional<int32_t> {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    int32_t value = 0;
    size_t digits = 0;
    while (digits < rest.size() && digits < 5 && IsDigit(rest[digits])) {
      value = value * 10 + (rest[digits] - '0');
      ++digits;
    }
    if (digits == 0 || (digits < rest.size() && IsDigit(rest[digits]))) return std::nullopt;
    rest.remove_prefix(digits);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return value;
  };
  const std::optional<int32_t> first = number();
  if (!first) return std::nullopt;
  int32_t minutes = *first;
  if (!rest.empty() && (rest.front() == 'h' || rest.front() == 'H')) {
    rest.remove_prefix(1);
    minutes = *first * 60;
    if (const std::optional<int32_t> more = number()) minutes += *more;
  }
  const ParsedNumber checked = ParseRunningTime(std::to_string(minutes));
  return checked.valid ? checked.value : std::nullopt;
}

// A number as catalogues write ratings: "7", "7.5", "7,5".
std::optional<double> DecimalIn(std::string_view text) {
  const std::string trimmed = text::Trimmed(text);
  double value = 0;
  double scale = 0;
  size_t digits = 0;
  for (const char c : trimmed) {
    if (IsDigit(c)) {
      if (++digits > 6) return std::nullopt;
      if (scale == 0) {
        value = value * 10 + (c - '0');
      } else {
        value += (c - '0') * scale;
        scale /= 10;
      }
    } else if ((c == '.' || c == ',') && scale == 0) {
      scale = 0.1;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// Stars of a rating on a scale up to maximum; 0 (or less) is no rating.
std::optional<int32_t> Stars(std::string_view text, double maximum) {
  const std::optional<double> value = DecimalIn(text);
  if (!value || *value <= 0 || maximum <= 0 || *value > maximum) return std::nullopt;
  const auto stars = static_cast<int32_t>(std::lround(*value * 5 / maximum));
  return std::clamp(stars, 1, 5);
}

// Tellico keeps line breaks of long texts as HTML.
std::string WithoutHtmlBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    size_t tagSize = 0;
    for (const std::string_view tag : {"<br/>", "<br />", "<br>"}) {
      if (text.substr(at, tag.size()) == tag) tagSize = tag.size();
    }
    if (tagSize > 0) {
      out += '\n';
      at += tagSize;
    } else {
      out += text[at++];
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Files beside the catalogue.

std::string WithoutExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
}

bool IsFile(const std::string& path) { return !path.empty() && os::FileSize(path) > 0; }

// A file:// address as a path, percent escapes decoded; empty for other addresses.
std::string PathOfFileUrl(std::string_view url) {
  if (url.substr(0, 7) != "file://") return {};
  url.remove_prefix(7);
  if (url.size() >= 3 && url[0] == '/' && url[2] == ':') url.remove_prefix(1);  // file:///C:/
  std::string path;
  for (size_t i = 0; i < url.size(); ++i) {
    const auto hex = [](char c) {
      if (IsDigit(c)) return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (url[i] == '%' && i + 2 < url.size() && hex(url[i + 1]) >= 0 && hex(url[i + 2]) >= 0) {
      path += static_cast<char>(hex(url[i + 1]) * 16 + hex(url[i + 2]));
      i += 2;
    } else {
      path += url[i];
    }
  }
  return path;
}

// Base64 as the catalogues embed pictures (line breaks allowed); none when it
// is not base64.
std::optional<std::string> FromBase64(std::string_view text) {
  std::string bytes;
  uint32_t buffer = 0;
  int bits = 0;
  for (const char c : text) {
    int value = -1;
    if (c >= 'A' && c <= 'Z') value = c - 'A';
    if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
    if (IsDigit(c)) value = c - '0' + 52;
    if (c == '+') value = 62;
    if (c == '/') value = 63;
    if (c == '=') break;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (value < 0) return std::nullopt;
    buffer = (buffer << 6) | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return bytes;
}

// ---------------------------------------------------------------------------
// Taking films over.

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
    std::set<std::string> fields;
    fields.swap(entryFields_);
    if (film.film.title.empty()) film.film.title = film.film.originalTitle;
    if (film.film.title.empty()) {
      if (film.film == Film{} && film.cover.Empty()) return true;
      SetError(FormatText(text::kCatalogueNoTitle, FileNameOf(filePath_), where));
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

std::string LineOf(const XmlElement& element) {
  return FormatText(text::kCatalogueAtLine, std::to_string(element.line));
}

// The element's name without a namespace prefix ("tc:entry" -> "entry").
std::string_view LocalName(const XmlElement& element) {
  std::string_view name = element.name;
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// All text inside element and below it, for telling whether a field is used.
std::string AllText(const XmlElement& element) {
  std::string text = text::Trimmed(element.text);
  for (const XmlElement& child : element.children) {
    if (text.size() > 64) break;
    text += AllText(child);
  }
  return text;
}

// ---------------------------------------------------------------------------
// GCstar

// A GCstar list field: the first columns of its <line>s, or, as older files
// write it, one value with commas.
std::vector<std::vector<std::string>> GcstarLines(const XmlElement* element,
                                                  const std::string* attribute) {
  std::vector<std::vector<std::string>> lines;
  if (element != nullptr && element->Child("line") != nullptr) {
    for (const XmlElement& line : element->children) {
      if (line.name != "line") continue;
      std::vector<std::string> columns;
      for (const XmlElement& column : line.children) {
        if (column.name == "col") columns.push_back(text::Trimmed(column.text));
      }
      if (!columns.empty()) lines.push_back(std::move(columns));
    }
    return lines;
  }
  const std::string text = element != nullptr ? element->text : attribute ? *attribute : "";
  for (const std::string_view part : Split(text, ",")) {
    if (!text::Trimmed(part).empty()) lines.push_back({text::Trimmed(part)});
  }
  return lines;
}

std::string GcstarCover(std::string_view filePath, std::string image) {
  image = text::Trimmed(image);
  if (image.empty() || image.find("://") != std::string::npos) {
    image = PathOfFileUrl(image);
    if (image.empty()) return {};
  }
  const std::string folder = FolderOf(filePath);
  const std::string name = FileNameOf(image);
  const std::string candidates[] = {
      IsAbsolutePath(image) ? image : folder + image,
      folder + WithoutExtension(FileNameOf(filePath)) + "_pictures/" + name,
      folder + name,
  };
  for (const std::string& candidate : candidates) {
    if (IsFile(candidate)) return candidate;
  }
  return {};
}

}  // namespace

ImportResult ReadGcstar(std::string_view bytes, std::string_view filePath) {
  ImportCollector collector("GCstar", filePath);
  const XmlParse parsed = ParseXml(bytes, filePath);
  if (!parsed.root) return collector.Fail(parsed.error);
  const XmlElement& root = *parsed.root;
  const std::string* type = root.Attribute("type");
  if (root.name != "collection" || type == nullptr) {
    return collector.Fail(FormatText(text::kCatalogueNotGcstar, FileNameOf(filePath)));
  }
  if (*type != "GCfilms") {
    return collector.Fail(FormatText(text::kCatalogueNotGcstarFilms, FileNameOf(filePath), *type));
  }

  for (const XmlElement& item : root.children) {
    if (item.name != "item") continue;
    // Simple fields are attributes since GCstar 1.2 and elements before;
    // long texts and lists are elements.
    std::map<std::string, std::string> values;
    for (const auto& [name, value] : item.attributes) values[name] = value;
    for (const XmlElement& child : item.children) {
      if (child.Child("line") == nullptr) values[child.name] = child.text;
    }
    const auto value = [&values](const char* name) {
      const auto found = values.find(name);
      return found == values.end() ? std::string() : found->second;
    };
    const auto lines = [&item](const char* name) {
      return GcstarLines(item.Child(name), item.Attribute(name));
    };

    ImportedFilm imported;
    Film& film = imported.film;
    film.title = OneLine(value("title"));
    film.originalTitle = OneLine(value("original"));
    film.year = YearIn(value("date"));
    film.runtime = MinutesIn(value("time"));
    film.director = OneLine(value("director"));
    film.country = OneLine(value("country").empty() ? value("nationality") : value("country"));
    for (const auto& columns : lines("genre")) AddLine(film.genre, columns[0]);
    for (const auto& columns : lines("actors")) {
      AddLine(film.actors, ActorLine(columns[0], columns.size() > 1 ? columns[1] : ""));
    }
    film.plot = text::Trimmed(value("synopsis"));
    film.notes = text::Trimmed(value("comment"));
    film.rating = Stars(value("rating"), 10);
    imported.cover.path = GcstarCover(filePath, value("image"));

    static const std::set<std::string, std::less<>> mapped = {
        "id",          "title", "original", "date",     "time",    "director", "country",
        "nationality", "genre", "actors",   "synopsis", "comment", "rating",   "image"};
    for (const auto& [name, text] : values) {
      // "none" is GCstar's value of an empty borrower.
      if (!mapped.contains(name) && text != "none") collector.Unmapped(name, text);
    }
    for (const XmlElement& child : item.children) {
      if (!mapped.contains(child.name)) collector.Unmapped(child.name, AllText(child));
    }
    if (!collector.Take(std::move(imported), LineOf(item))) return collector.Result();
  }
  return collector.Result();
}

namespace {

// ---------------------------------------------------------------------------
// Tellico

// One field of a Tellico entry: its name and its values. Fields that allow
// several values wrap them: <genres><genre>A</genre><genre>B</genre></genres>.
struct TellicoField {
  std::string name;
  std::vector<const XmlElement*> values;
};

std::vector<TellicoField> TellicoFields(const XmlElement& entry) {
  std::vector<TellicoField> fields;
  for (const XmlElement& child : entry.children) {
    const std::string_view name = LocalName(child);
    TellicoField field{std::string(name), {&child}};
    if (!child.children.empty() && name.size() > 1 && name.back() == 's') {
      const std::string_view single = name.substr(0, name.size() - 1);
      bool wrapped = true;
      for (const XmlElement& value : child.children) {
        wrapped = wrapped && LocalName(value) == single;
      }
      if (wrapped) {
        field.name = single;
        field.values.clear();
        for (const XmlElement& value : child.children) field.values.push_back(&value);
      }
    }
    fields.push_back(std::move(field));
  }
  return fields;
}

// A row of a table field (cast): its <column>s, or "Name::Role" as older
// files write it.
std::vector<std::string> TellicoColumns(const XmlElement& row) {
  std::vector<std::string> columns;
  for (const XmlElement& column : row.children) {
    if (LocalName(column) == "column") columns.push_back(text::Trimmed(column.text));
  }
  if (columns.empty()) {
    std::string_view text = row.text;
    const size_t separator = text.find("::");
    columns.push_back(text::Trimmed(text.substr(0, separator)));
    if (separator != std::string_view::npos)
      columns.push_back(text::Trimmed(text.substr(separator + 2)));
  }
  return columns;
}

const XmlElement* LocalChild(const XmlElement& parent, std::string_view name) {
  for (const XmlElement& child : parent.children) {
    if (LocalName(child) == name) return &child;
  }
  return nullptr;
}

// The highest rating of the collection: 5 unless its field says otherwise.
double TellicoRatingMaximum(const XmlElement& collection) {
  const XmlElement* fields = LocalChild(collection, "fields");
  if (fields == nullptr) return 5;
  for (const XmlElement& field : fields->children) {
    const std::string* name = field.Attribute("name");
    if (LocalName(field) != "field" || name == nullptr || *name != "rating") continue;
    for (const XmlElement& property : field.children) {
      const std::string* propertyName = property.Attribute("name");
      if (propertyName == nullptr || *propertyName != "maximum") continue;
      const std::optional<double> maximum = DecimalIn(property.text);
      if (maximum && *maximum >= 1) return *maximum;
    }
  }
  return 5;
}

struct TellicoPictures {
  ZipReader* zip = nullptr;
  std::map<std::string, const XmlElement*, std::less<>> inside;  // <images> of the XML
  std::string folder;  // "<name>_files/" beside the file, where Tellico may keep them

  CoverSource Find(const std::string& id) const {
    CoverSource cover;
    if (id.empty()) return cover;
    const std::string member = "images/" + id;
    if (zip != nullptr && zip->Has(member) && zip->Read(member, cover.bytes)) return cover;
    cover.bytes.clear();
    if (const auto found = inside.find(id); found != inside.end()) {
      const std::string* link = found->second->Attribute("link");
      if (link != nullptr && *link == "true") {
        const std::string path = PathOfFileUrl(id);
        if (IsFile(path)) cover.path = path;
        return cover;
      }
      if (std::optional<std::string> bytes = FromBase64(found->second->text)) {
        cover.bytes = std::move(*bytes);
        return cover;
      }
    }
    if (const std::string path = PathOfFileUrl(id); IsFile(path)) {
      cover.path = path;
    } else if (id.find_first_of("/\\") == std::string::npos && IsFile(folder + id)) {
      cover.path = folder + id;
    }
    return cover;
  }
};

}  // namespace

ImportResult ReadTellico(std::string_view bytes, std::string_view filePath) {
  ImportCollector collector("Tellico", filePath);
  std::optional<ZipReader> zip;
  std::string unpacked;
  std::string_view xml = bytes;
  if (bytes.substr(0, 2) == "PK") {
    zip.emplace(bytes, filePath);
    if (!zip->Error().empty()) return collector.Fail(zip->Error());
    if (!zip->Has("tellico.xml")) {
      return collector.Fail(
          FormatText(text::kZipMemberMissing, FileNameOf(filePath), "tellico.xml"));
    }
    if (!zip->Read("tellico.xml", unpacked)) return collector.Fail(zip->Error());
    xml = unpacked;
  }
  const XmlParse parsed = ParseXml(xml, filePath);
  if (!parsed.root) return collector.Fail(parsed.error);
  const XmlElement& root = *parsed.root;
  const XmlElement* collection = LocalChild(root, "collection");
  if (LocalName(root) != "tellico" || collection == nullptr) {
    return collector.Fail(FormatText(text::kCatalogueNotTellico, FileNameOf(filePath)));
  }
  const std::string* type = collection->Attribute("type");
  if (type == nullptr || text::Trimmed(*type) != "3") {
    return collector.Fail(FormatText(text::kCatalogueNotTellicoVideos, FileNameOf(filePath),
                                     type ? *type : std::string("?")));
  }
  const double ratingMaximum = TellicoRatingMaximum(*collection);

  TellicoPictures pictures;
  pictures.zip = zip ? &*zip : nullptr;
  pictures.folder = FolderOf(filePath) + WithoutExtension(FileNameOf(filePath)) + "_files/";
  for (const XmlElement* holder : {&root, collection}) {
    if (const XmlElement* images = LocalChild(*holder, "images")) {
      for (const XmlElement& image : images->children) {
        const std::string* id = image.Attribute("id");
        if (LocalName(image) == "image" && id != nullptr) pictures.inside.emplace(*id, &image);
      }
    }
  }

  for (const XmlElement& entry : collection->children) {
    if (LocalName(entry) != "entry") continue;
    ImportedFilm imported;
    Film& film = imported.film;
    for (const TellicoField& field : TellicoFields(entry)) {
      const std::string& name = field.name;
      const std::string first = text::Trimmed(field.values.front()->text);
      if (name == "title") {
        film.title = OneLine(first);
      } else if (name == "origtitle" || name == "orig-title" || name == "original-title") {
        film.originalTitle = OneLine(first);
      } else if (name == "year") {
        film.year = YearIn(first);
      } else if (name == "running-time") {
        film.runtime = MinutesIn(first);
      } else if (name == "nationality") {
        for (const XmlElement* value : field.values) AddToLine(film.country, value->text);
      } else if (name == "director") {
        for (const XmlElement* value : field.values) AddToLine(film.director, value->text);
      } else if (name == "genre") {
        for (const XmlElement* value : field.values) AddLine(film.genre, value->text);
      } else if (name == "cast") {
        for (const XmlElement* value : field.values) {
          const std::vector<std::string> columns = TellicoColumns(*value);
          AddLine(film.actors, ActorLine(columns[0], columns.size() > 1 ? columns[1] : ""));
        }
      } else if (name == "plot") {
        film.plot = text::Trimmed(WithoutHtmlBreaks(field.values.front()->text));
      } else if (name == "comments") {
        film.notes = text::Trimmed(WithoutHtmlBreaks(field.values.front()->text));
      } else if (name == "rating") {
        film.rating = Stars(first, ratingMaximum);
      } else if (name == "cover") {
        imported.cover = pictures.Find(first);
      } else if (name != "cdate" && name != "mdate") {
        // cdate and mdate are Tellico's own bookkeeping, as added and changed
        // are the store's.
        for (const XmlElement* value : field.values) collector.Unmapped(name, AllText(*value));
      }
    }
    if (!collector.Take(std::move(imported), LineOf(entry))) return collector.Result();
  }
  return collector.Result();
}

namespace {

// ---------------------------------------------------------------------------
// Kodi and Jellyfin

constexpr std::string_view kVideoExtensions[] = {
    ".mkv",  ".mp4", ".m4v", ".avi", ".mov", ".wmv",  ".mpg", ".mpeg", ".ts", ".m2ts",
    ".webm", ".ogv", ".flv", ".vob", ".iso", ".divx", ".MKV", ".MP4",  ".AVI"};

std::string NfoCover(std::string_view filePath) {
  const std::string folder = FolderOf(filePath);
  const std::string base = folder + WithoutExtension(FileNameOf(filePath));
  const std::string candidates[] = {
      base + "-poster.jpg",  base + "-poster.png",  folder + "poster.jpg",
      folder + "poster.png", folder + "folder.jpg", folder + "folder.png",
      base + ".jpg",         base + ".png",         base + ".tbn"};
  for (const std::string& candidate : candidates) {
    if (IsFile(candidate)) return candidate;
  }
  return {};
}

std::optional<std::string> NfoVideo(std::string_view filePath) {
  const std::string base = FolderOf(filePath) + WithoutExtension(FileNameOf(filePath));
  for (const std::string_view extension : kVideoExtensions) {
    std::string candidate = base + std::string(extension);
    if (IsFile(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace

ImportResult ReadNfo(std::string_view bytes, std::string_view filePath) {
  ImportCollector collector("Kodi/Jellyfin (.nfo)", filePath);
  // Kodi allows an address for its scrapers after the XML; it is not ours.
  if (const size_t end = bytes.rfind("</movie>"); end != std::string_view::npos) {
    bytes = bytes.substr(0, end + 8);
  }
  const std::string rootName = RootElementName(bytes);
  if (rootName != "movie") {
    return collector.Fail(FormatText(
        text::kCatalogueNotNfoMovie, FileNameOf(filePath),
        rootName.empty() ? std::string(text::kCatalogueNfoNoXml) : "<" + rootName + ">"));
  }
  const XmlParse parsed = ParseXml(bytes, filePath);
  if (!parsed.root) return collector.Fail(parsed.error);
  const XmlElement& movie = *parsed.root;

  ImportedFilm imported;
  Film& film = imported.film;
  std::string outline;
  std::string premiered;
  for (const XmlElement& child : movie.children) {
    const std::string& name = child.name;
    if (name == "title") {
      film.title = OneLine(child.text);
    } else if (name == "originaltitle") {
      film.originalTitle = OneLine(child.text);
    } else if (name == "year") {
      film.year = YearIn(child.text);
    } else if (name == "premiered" || name == "releasedate") {
      if (premiered.empty()) premiered = child.text;
    } else if (name == "runtime") {
      film.runtime = MinutesIn(child.text);
    } else if (name == "plot") {
      film.plot = text::Trimmed(child.text);
    } else if (name == "outline") {
      outline = text::Trimmed(child.text);
    } else if (name == "genre") {
      // Older Kodi versions wrote all genres into one element.
      for (const std::string_view genre : Split(child.text, "/")) AddLine(film.genre, genre);
    } else if (name == "country") {
      for (const std::string_view country : Split(child.text, "/")) {
        AddToLine(film.country, country);
      }
    } else if (name == "director") {
      for (const std::string_view person : Split(child.text, "/")) AddToLine(film.director, person);
    } else if (name == "actor") {
      AddLine(film.actors, ActorLine(child.ChildText("name"), child.ChildText("role")));
    } else if (name == "userrating") {
      film.rating = Stars(child.text, 10);
    } else {
      // rating and ratings are the scrapers' (the web sites') ratings, not
      // the owner's: they are left behind like the rest.
      collector.Unmapped(name, AllText(child));
    }
  }
  if (!film.year) film.year = YearIn(premiered);
  if (film.plot.empty()) film.plot = outline;
  imported.cover.path = NfoCover(filePath);
  film.video = NfoVideo(filePath);
  collector.Take(std::move(imported), LineOf(movie));
  return collector.Result();
}

namespace {

// ---------------------------------------------------------------------------
// Griffith

// A file: address for SQLite that opens path read-only and, since nothing may
// change it, immutable: no locks, no journal, no write-ahead log. Bytes that
// could be read as part of the address are percent-encoded.
std::string ImmutableUri(std::string_view path) {
  std::string uri = "file:";
  if (path.size() >= 2 && path[1] == ':') uri += '/';  // C:\ -> file:/C:/
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      uri += '/';
    } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) ||
               std::string_view("/-._~:").find(c) != std::string_view::npos) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0xF];
    }
  }
  return uri + "?mode=ro&immutable=1";
}

bool HasTable(sqlite3* db, std::string_view name) {
  SqlStatement query(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?1");
  query.Bind(1, name);
  return query.Step() == SQLITE_ROW && query.Bytes(0) != "0";
}

std::string GriffithFault(sqlite3* db, std::string_view filePath, int code) {
  const int primary = code & 0xFF;
  const std::string name = FileNameOf(filePath);
  if (primary == SQLITE_NOTADB) return FormatText(text::kGriffithNotDatabase, name);
  if (primary == SQLITE_CORRUPT) {
    return FormatText(text::kGriffithDamaged, name, sqlite3_errmsg(db));
  }
  return FormatText(text::kGriffithCannotOpen, name, sqlite3_errmsg(db));
}

}  // namespace

ImportResult ReadGriffith(std::string_view filePath) {
  ImportCollector collector("Griffith", filePath);
  const std::string name = FileNameOf(filePath);
  // Opened immutable, SQLite would pass over changes still waiting in a
  // journal or write-ahead log after Griffith ended abruptly; Griffith itself
  // takes them in at its next start.
  for (const char* suffix : {"-wal", "-journal"}) {
    const std::string pending = std::string(filePath) + suffix;
    if (os::FileSize(pending) > 0) {
      return collector.Fail(FormatText(text::kGriffithNotClosed, name, FileNameOf(pending)));
    }
  }
  sqlite3* db = nullptr;
  const int opened = sqlite3_open_v2(ImmutableUri(filePath).c_str(), &db,
                                     SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
  struct Closer {
    sqlite3*& db;
    ~Closer() { sqlite3_close(db); }
  } closer{db};
  if (opened != SQLITE_OK) {
    return collector.Fail(FormatText(text::kGriffithCannotOpen, name,
                                     db ? sqlite3_errmsg(db) : sqlite3_errstr(opened)));
  }
  sqlite3_extended_result_codes(db, 1);

  {
    SqlStatement check(db, "PRAGMA quick_check");
    if (!check.Valid()) return collector.Fail(GriffithFault(db, filePath, sqlite3_errcode(db)));
    const int stepped = check.Step();
    if (stepped != SQLITE_ROW) return collector.Fail(GriffithFault(db, filePath, stepped));
    if (const std::string verdict = check.Bytes(0); verdict != "ok") {
      return collector.Fail(FormatText(text::kGriffithDamaged, name, OneLine(verdict)));
    }
  }
  if (!HasTable(db, "movies")) return collector.Fail(FormatText(text::kGriffithNoMovies, name));

  std::optional<SqlStatement> posters;
  if (HasTable(db, "posters")) {
    posters.emplace(db, "SELECT data FROM posters WHERE md5sum = ?1");
    if (!posters->Valid()) posters.reset();  // no such columns: only the folder then
  }
  const std::string posterFolder = FolderOf(filePath) + "posters/";

  // Every column there is: older and newer versions differ, and what has no
  // place in a film is reported by name.
  SqlStatement movies(db, "SELECT * FROM movies");
  if (!movies.Valid()) return collector.Fail(GriffithFault(db, filePath, sqlite3_errcode(db)));
  int64_t row = 0;
  for (int stepped = movies.Step(); stepped != SQLITE_DONE; stepped = movies.Step()) {
    if (stepped != SQLITE_ROW) return collector.Fail(GriffithFault(db, filePath, stepped));
    ++row;
    ImportedFilm imported;
    Film& film = imported.film;
    std::string number = std::to_string(row);
    std::string posterSum;
    std::string image;
    for (int column = 0; column < movies.Columns(); ++column) {
      const std::string field = movies.Name(column);
      const std::string value = movies.Bytes(column);
      if (field == "title") {
        film.title = OneLine(value);
      } else if (field == "o_title") {
        film.originalTitle = OneLine(value);
      } else if (field == "year") {
        film.year = YearIn(value);
      } else if (field == "runtime") {
        film.runtime = MinutesIn(value);
      } else if (field == "country") {
        film.country = OneLine(value);
      } else if (field == "director") {
        film.director = OneLine(value);
      } else if (field == "cast") {
        // One actor a line, "Name as Role".
        for (const std::string_view line : Split(value, "\n")) {
          const size_t as = line.find(" as ");
          AddLine(film.actors, ActorLine(line.substr(0, as), as == std::string_view::npos
                                                                 ? std::string_view()
                                                                 : line.substr(as + 4)));
        }
      } else if (field == "genre") {
        for (const std::string_view genre : Split(value, ",/")) AddLine(film.genre, genre);
      } else if (field == "plot") {
        film.plot = text::Trimmed(value);
      } else if (field == "notes") {
        film.notes = text::Trimmed(value);
      } else if (field == "rating") {
        film.rating = Stars(value, 10);
      } else if (field == "poster_md5") {
        posterSum = text::Trimmed(value);
      } else if (field == "image") {
        image = text::Trimmed(value);
      } else if (field == "number") {
        if (!HoldsNoValue(value)) number = text::Trimmed(value);
        collector.Unmapped(field, value);
      } else if (field != "movie_id") {
        collector.Unmapped(field, value);
      }
    }
    if (!posterSum.empty() && posters) {
      posters->Reset().Bind(1, posterSum);
      if (posters->Step() == SQLITE_ROW) imported.cover.bytes = posters->Bytes(0);
    }
    if (imported.cover.bytes.empty()) {
      for (const std::string& stem : {posterSum, image}) {
        if (stem.empty() || stem.find_first_of("/\\") != std::string::npos) continue;
        for (const char* extension : {".jpg", ".png", ""}) {
          if (imported.cover.path.empty() && IsFile(posterFolder + stem + extension)) {
            imported.cover.path = posterFolder + stem + extension;
          }
        }
      }
    }
    if (!collector.Take(std::move(imported), FormatText(text::kCatalogueNumber, number))) {
      return collector.Result();
    }
  }
  return collector.Result();
}

}  // namespace zelluo::collection
