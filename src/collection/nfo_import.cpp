#include <optional>
#include <string>

#include "collection/catalogue_import.h"
#include "collection/catalogue_values.h"
#include "collection/xml_tree.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

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
    return collector.Fail(text::FormatText(
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

}  // namespace zelluo::collection
