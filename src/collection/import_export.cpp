#include "collection/import_export.h"

#include <unordered_set>

#include "collection/backup.h"
#include "collection/catalogue_import.h"
#include "collection/cover.h"
#include "collection/csv_exchange.h"
#include "collection/folding.h"
#include "collection/html_export.h"
#include "collection/xml_tree.h"
#include "collection/zip_archive.h"
#include "platform/os_services.h"
#include "texts/texts.h"

namespace zelluo::collection {
namespace {

// Larger files are no film catalogue; reading them would only fill memory.
constexpr int64_t kMaxImportBytes = 2'000'000'000;

ImportResult Refused(std::string message) {
  ImportResult result;
  result.error = std::move(message);
  return result;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

ImportResult ReadArchive(std::string bytes, const std::string& path) {
  bool tellico = false, backup = false;
  {
    ZipReader archive(bytes, path);
    if (!archive.Error().empty()) return Refused(archive.Error());
    tellico = archive.Has("tellico.xml");
    backup = archive.Has("zelluo-sicherung.xml");
  }
  if (tellico) return ReadTellico(bytes, path);
  if (backup) return ReadBackup(std::move(bytes), path);
  return Refused(FormatText(text::kImportUnknownArchive, FileNameOf(path)));
}

}  // namespace

ImportResult ReadImportFile(const std::string& path) {
  const std::string name = FileNameOf(path);
  const int64_t size = os::FileSize(path);
  if (size == -1) return Refused(FormatText(text::kImportMissing, name));
  if (size == -2) return Refused(FormatText(text::kImportIsFolder, name));
  if (size == 0) return Refused(FormatText(text::kImportEmpty, name));
  if (size > kMaxImportBytes) return Refused(FormatText(text::kImportTooLarge, name));
  std::optional<std::string> bytes = os::ReadWholeFile(path);
  if (!bytes) return Refused(FormatText(text::kImportMissing, name));

  if (StartsWith(*bytes, std::string_view("SQLite format 3\0", 16))) {
    bytes.reset();  // the database is read in place
    return ReadGriffith(path);
  }
  if (StartsWith(*bytes, "PK\x03\x04") || StartsWith(*bytes, "PK\x05\x06")) {
    return ReadArchive(std::move(*bytes), path);
  }
  const std::string root = RootElementName(*bytes);
  if (root == "collection") return ReadGcstar(*bytes, path);
  if (root == "tellico") return ReadTellico(*bytes, path);
  if (root == "movie") return ReadNfo(*bytes, path);
  if (root == "zelluo-sicherung") return ReadBackup(std::move(*bytes), path);
  if (!root.empty()) return Refused(FormatText(text::kImportUnknownXml, name, root));
  return ReadCsvFilms(*bytes, path);
}

std::string DuplicateKey(const Film& film) {
  std::string key = SearchWordsOf(film.title);
  key += '\x01';
  if (film.year) key += std::to_string(*film.year);
  return key;
}

ImportPlan PlanImport(ImportResult source, const std::vector<Film>& collection) {
  ImportPlan plan;
  std::unordered_set<std::string> known;
  known.reserve(collection.size() + source.films.size());
  for (const Film& film : collection) known.insert(DuplicateKey(film));
  plan.fresh.reserve(source.films.size());
  for (ImportedFilm& film : source.films) {
    if (known.insert(DuplicateKey(film.film)).second) {
      plan.fresh.push_back(std::move(film));
    } else {
      ++plan.duplicates;
    }
  }
  source.films.clear();
  plan.source = std::move(source);
  return plan;
}

std::string TakeOverImportedCover(ImportedFilm& film, const std::string& coverFolder,
                                  CoverCache* covers) {
  const std::string storedName = film.film.cover.value_or("");
  film.film.cover.reset();
  const CoverSource& source = film.cover;
  if (source.Empty()) return {};
  CoverResult cover;
  if (!source.path.empty()) {
    cover = covers != nullptr ? covers->TakeOverCover(coverFolder, source.path, false)
                              : TakeOverCover(coverFolder, source.path, false);
  } else {
    // One buffer for all covers of an import: no fresh memory for each.
    static std::string bytes;
    if (!ReadCoverBytes(source, bytes, cover.error)) return cover.error;
    cover = source.storedCover ? KeepFinishedCover(coverFolder, storedName, bytes, false)
                               : TakeOverCoverBytes(coverFolder, bytes, false);
  }
  if (!cover.error.empty()) return cover.error;
  film.film.cover = cover.fileName;
  return {};
}

void SyncImportedCovers(const std::string& coverFolder) { os::SyncFilesIn(coverFolder); }

std::optional<ExportFormat> ExportFormatOf(std::string_view path) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string ending(path.substr(dot + 1));
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (ending == "csv") return ExportFormat::Csv;
  if (ending == "html" || ending == "htm") return ExportFormat::Html;
  if (ending == "zip") return ExportFormat::Backup;
  return std::nullopt;
}

ExportOutcome ExportFilms(const std::vector<Film>& films, ExportFormat format,
                          const std::string& path, const std::string& coverFolder,
                          std::string_view date) {
  ExportOutcome outcome;
  const auto written = [&](std::string_view bytes) {
    if (!os::WriteFileAtomic(path, bytes)) {
      outcome.error = FormatText(text::kExportWriteFailed, FileNameOf(path));
    }
  };
  switch (format) {
    case ExportFormat::Csv: written(FilmsAsCsv(films, os::AbsolutePath(coverFolder))); break;
    case ExportFormat::Html: outcome.error = ExportHtml(films, path, coverFolder, {}, date); break;
    case ExportFormat::Backup: {
      BackupResult backup = BackupArchive(films, coverFolder);
      outcome.missingCovers = backup.missingCovers;
      if (!backup.error.empty()) {
        outcome.error = backup.error;
      } else {
        written(backup.bytes);
      }
      break;
    }
  }
  return outcome;
}

}  // namespace zelluo::collection
