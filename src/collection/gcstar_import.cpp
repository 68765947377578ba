#include <map>
#include <set>
#include <string>
#include <vector>

#include "collection/catalogue_import.h"
#include "collection/catalogue_values.h"
#include "collection/xml_tree.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

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
    return collector.Fail(text::FormatText(text::kCatalogueNotGcstar, FileNameOf(filePath)));
  }
  if (*type != "GCfilms") {
    return collector.Fail(
        text::FormatText(text::kCatalogueNotGcstarFilms, FileNameOf(filePath), *type));
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

}  // namespace zelluo::collection
