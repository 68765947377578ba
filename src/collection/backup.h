#pragma once
// Zelluo's own backup of the whole collection: one zip archive holding
// "zelluo-sicherung.xml" (every field of every film, deflated) and the cover
// files as "Cover/<name>.jpg" (stored as they are). docs/collection.md
// describes the format. Writing builds the archive in memory, so the caller
// can write it atomically; reading gives the films as an import does, with
// their covers' bytes and their added and changed times kept.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collection/exchange.h"
#include "collection/film.h"

namespace zelluo::collection {

inline constexpr std::string_view kBackupFormat = "Zelluo-Sicherung";
inline constexpr std::string_view kBackupXmlName = "zelluo-sicherung.xml";
// The XML file's root element and the element of each film in it.
inline constexpr std::string_view kBackupRootName = "zelluo-sicherung";
inline constexpr std::string_view kBackupFilmElement = "film";
// One viewing of the film's log, inside its film element.
inline constexpr std::string_view kBackupViewingElement = "ansicht";
inline constexpr std::string_view kBackupCoverPrefix = "Cover/";
// After the films: the loans, each naming its film by title and year.
inline constexpr std::string_view kBackupLoansElement = "ausleihen";
inline constexpr std::string_view kBackupLoanElement = "ausleihe";
inline constexpr int kBackupVersion = 1;

struct BackupResult {
  std::string bytes;  // the zip archive; empty when error is set
  std::string error;  // German, for the user
  // Films whose cover file was missing or unreadable; they are saved without
  // a cover.
  int64_t missingCovers = 0;
};

// The archive of films with the covers they name, read from coverFolder, and
// the loans.
BackupResult BackupArchive(const std::vector<Film>& films, const std::string& coverFolder,
                           const Progress& progress = {}, const std::vector<Loan>& loans = {});

// Reads a backup archive, or its XML file alone (then without covers).
// filePath only names the file in messages. The films' covers stay in the
// archive, which the result keeps, until they are read (ReadCoverBytes).
ImportResult ReadBackup(std::string bytes, std::string_view filePath);
// The same a step at a time (a zip's XML is unpacked at once).
std::unique_ptr<FilmReading> StartBackup(std::string bytes, std::string_view filePath);

// A cover name as the store makes it: 16 lower-case hex digits and ".jpg".
bool IsCoverFileName(std::string_view name);

}  // namespace zelluo::collection
