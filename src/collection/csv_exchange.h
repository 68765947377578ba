#pragma once
// Films in CSV files, as spreadsheets and other catalogues write them.
//
// Reading takes UTF-8 (with or without BOM) or, when the bytes are no valid
// UTF-8, Windows-1252; ';', ',' or tab as separator, told from the header row;
// fields quoted as RFC 4180 describes. The header row names the columns in
// German or English. Rows whose fields are all blank are skipped.
//
// Writing gives what a German spreadsheet opens directly: UTF-8 with BOM, ';'
// and CRLF. Values are written unchanged, also those a spreadsheet would take
// for a formula ("=...", "+...", "@..."): reading the file back must give the
// same films, and the texts are the owner's own.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collection/exchange.h"
#include "collection/film.h"

namespace zelluo::collection {

inline constexpr size_t kMaxCsvBytes = size_t{200} * 1024 * 1024;

// The films of a CSV file's bytes; filePath names the file in messages and is
// the folder relative cover paths start from. Covers are not looked at here.
ImportResult ReadCsvFilms(std::string_view bytes, std::string_view filePath);
// The same a step at a time.
std::unique_ptr<FilmReading> StartCsvFilms(std::string bytes, std::string_view filePath);

// The films as a CSV file: Titel;Originaltitel;Jahr;Laufzeit;Land;Regie;
// Darsteller;Genre;Handlung;Notizen;Bewertung;Cover;Video;Gesehen, the cover as
// its path in coverFolder (best absolute, so that the file can be moved),
// Gesehen the text seen[i] for films[i] (the date of its last complete
// viewing; empty where seen has no entry). ReadCsvFilms gives the same films
// again and names Gesehen among the columns it does not take over.
std::string FilmsAsCsv(const std::vector<Film>& films, std::string_view coverFolder,
                       const std::vector<std::string>& seen = {});

}  // namespace zelluo::collection
