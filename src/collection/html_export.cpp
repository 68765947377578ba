#include "collection/html_export.h"

#include <cctype>
#include <cstdint>
#include <unordered_map>

#include "collection/backup.h"
#include "collection/film_fields.h"
#include "collection/xml_tree.h"
#include "platform/os_services.h"
#include "texts/text_tools.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

constexpr std::string_view kPageStart =
    "<!DOCTYPE html>\n"
    "<html lang=\"de\">\n"
    "<head>\n"
    "<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";

// Grid of two columns, the cover beside the text; a film without a cover
// keeps its text in the second column so the titles stay aligned.
constexpr std::string_view kStyle =
    "<style>\n"
    "*{box-sizing:border-box}\n"
    "body{font:15px/1.4 Arial,Helvetica,sans-serif;color:#222;background:#f2f2f2;"
    "margin:0;padding:1.5em}\n"
    "header{margin-bottom:1em}\n"
    "h1{font-size:1.6em;margin:0}\n"
    ".count{margin:.2em 0 0;color:#555}\n"
    ".film{display:grid;grid-template-columns:72px 1fr;gap:0 14px;background:#fff;"
    "border:1px solid #ddd;border-radius:4px;padding:10px;margin:0 0 8px;"
    "break-inside:avoid;page-break-inside:avoid}\n"
    ".film img{grid-column:1;width:72px;height:90px;object-fit:cover;background:#000}\n"
    ".film .text{grid-column:2}\n"
    ".film h2{font-size:1.1em;margin:0}\n"
    ".film p{margin:2px 0}\n"
    ".original{font-style:italic;color:#555}\n"
    ".facts{color:#555}\n"
    "@page{margin:12mm}\n"
    "@media print{\n"
    "body{background:#fff;color:#000;padding:0;font-size:10pt}\n"
    ".film{border:0;border-bottom:1px solid #888;border-radius:0;padding:4px 0;margin:0}\n"
    ".count,.original,.facts{color:#000}\n"
    "}\n"
    "</style>\n";

void AppendEscaped(std::string& out, std::string_view text) {
  text::AppendXmlEscaped(out, text, text::XmlQuotes::HtmlEntities);
}

// The lines of a one-per-line field, trimmed, without the empty ones,
// joined by ", ".
void AppendLines(std::string& out, std::string_view text) {
  bool first = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string line = text::Trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    if (!first) out += ", ";
    AppendEscaped(out, line);
    first = false;
  }
}

void AppendLabelled(std::string& out, std::string_view label, std::string_view value) {
  if (text::Trimmed(value).empty()) return;
  out += "<p><b>";
  AppendEscaped(out, label);
  out += ":</b> ";
  AppendLines(out, value);
  out += "</p>\n";
}

void AppendFilm(std::string& out, const Film& film, std::string_view coverUrl) {
  out += "<article class=\"film\">\n";
  if (!coverUrl.empty()) {
    out += "<img src=\"";
    AppendEscaped(out, coverUrl);
    out += "\" alt=\"\" width=\"72\" height=\"90\">\n";
  }
  out += "<div class=\"text\">\n<h2>";
  AppendEscaped(out, film.title);
  out += "</h2>\n";
  if (!film.originalTitle.empty() && film.originalTitle != film.title) {
    out += "<p class=\"original\">";
    AppendEscaped(out, film.originalTitle);
    out += "</p>\n";
  }
  std::string facts;
  for (const FilmField& field : kFilmFields) {
    if (!field.htmlFact) continue;
    const std::string fact = text::Trimmed(FieldText(film, field));
    if (fact.empty()) continue;
    if (!facts.empty()) facts += " \xC2\xB7 ";  // middle dot
    facts += fact;
  }
  if (!facts.empty()) {
    out += "<p class=\"facts\">";
    AppendEscaped(out, facts);
    out += "</p>\n";
  }
  for (const FilmField& field : kFilmFields) {
    if (!field.htmlLabel.empty()) AppendLabelled(out, field.htmlLabel, FieldText(film, field));
  }
  out += "</div>\n</article>\n";
}

}  // namespace

std::string HtmlCoverFolderName(std::string_view htmlPath) {
  std::string stem = FileNameOf(htmlPath);
  for (const std::string_view ending : {std::string_view(".html"), std::string_view(".htm")}) {
    if (stem.size() <= ending.size()) continue;
    bool same = true;
    for (size_t i = 0; i < ending.size(); ++i) {
      const char c = stem[stem.size() - ending.size() + i];
      same = same && std::tolower(static_cast<unsigned char>(c)) == ending[i];
    }
    if (same) {
      stem.resize(stem.size() - ending.size());
      break;
    }
  }
  return stem + "-Cover";
}

std::string ExportHtml(const std::vector<Film>& films, const std::string& htmlPath,
                       const std::string& coverFolder, const Progress& progress,
                       std::string_view date) {
  const std::string pageName = FileNameOf(htmlPath);
  const std::string folderName = HtmlCoverFolderName(htmlPath);
  const std::string targetFolder = FolderOf(htmlPath) + folderName;
  const std::string urlPrefix = PercentEncoded(folderName, "-._~") + "/";  // unreserved marks
  const auto total = static_cast<int64_t>(films.size());

  std::string page;
  page.reserve(4096 + films.size() * 700);
  page += kPageStart;
  page += "<title>";
  AppendEscaped(page, text::kHtmlHeading);
  page += "</title>\n";
  page += kStyle;
  page += "</head>\n<body>\n<header>\n<h1>";
  AppendEscaped(page, text::kHtmlHeading);
  page += "</h1>\n<p class=\"count\">";
  AppendEscaped(page, films.size() == 1
                          ? std::string(text::kHtmlOneFilm)
                          : text::FormatText(text::kHtmlFilmCount, std::to_string(films.size())));
  if (!date.empty()) {
    page += " \xC2\xB7 ";
    AppendEscaped(page, text::FormatText(text::kHtmlDate, date));
  }
  page += "</p>\n</header>\n<main>\n";

  // Each distinct cover is copied once; a copy already there (same name, so
  // same content, and same size) is kept.
  std::unordered_map<std::string_view, bool> copied;
  bool folderMade = false;
  for (size_t i = 0; i < films.size(); ++i) {
    const Film& film = films[i];
    bool withCover = false;
    if (film.cover && IsCoverFileName(*film.cover)) {
      const auto [known, first] = copied.try_emplace(*film.cover, false);
      if (first) {
        const std::string source = coverFolder + "/" + *film.cover;
        const std::string target = targetFolder + "/" + *film.cover;
        const int64_t size = platform::os::FileSize(source);
        if (size > 0 && platform::os::FileSize(target) == size) {
          known->second = true;
        } else if (const std::optional<std::string> bytes = platform::os::ReadWholeFile(source);
                   bytes && !bytes->empty()) {
          if (!folderMade && !platform::os::CreateFolder(targetFolder)) {
            return text::FormatText(text::kHtmlCoverFolderFailed, folderName);
          }
          folderMade = true;
          // The copies reach the disk together, before the page is written.
          if (!platform::os::WriteFileDeferred(target, *bytes)) {
            return text::FormatText(text::kHtmlCoverWriteFailed, *film.cover, folderName);
          }
          known->second = true;
        }
      }
      withCover = known->second;
    }
    AppendFilm(page, film, withCover ? urlPrefix + *film.cover : std::string());
    if (progress && i % 256 == 255) progress(static_cast<int64_t>(i) + 1, total);
  }
  page += "</main>\n</body>\n</html>\n";
  if (folderMade) platform::os::SyncFilesIn(targetFolder);
  if (!platform::os::WriteFileAtomic(htmlPath, page))
    return text::FormatText(text::kHtmlWriteFailed, pageName);
  if (progress) progress(total, total);
  return {};
}

}  // namespace zelluo::collection
