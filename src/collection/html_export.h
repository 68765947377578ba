#pragma once
// The collection as one web page to read or print anywhere: a self-contained
// HTML5 file (UTF-8, inline style, no scripts, nothing fetched from the
// network) listing every film with its small cover. The covers are copied
// into a folder beside the page, "<page name without .html>-Cover", and
// referenced relatively, so page and folder can be moved together.

#include <string>
#include <string_view>
#include <vector>

#include "collection/exchange.h"
#include "collection/film.h"

namespace zelluo::collection {

// Writes the page for films, in their order, to htmlPath (atomically), with
// the covers they name from coverFolder. date, when given, is shown under the
// heading as written ("7. Dezember 2026"). A film whose cover file is missing
// is listed without a picture. Empty on success, else a German message.
std::string ExportHtml(const std::vector<Film>& films, const std::string& htmlPath,
                       const std::string& coverFolder, const Progress& progress = {},
                       std::string_view date = {});

// The page name without its ".html" or ".htm" ending, and "-Cover": the name
// of the folder that holds the page's covers.
std::string HtmlCoverFolderName(std::string_view htmlPath);

}  // namespace zelluo::collection
