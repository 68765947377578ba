#include "collection/import_export.h"

#include <algorithm>
#include <unordered_set>

#include "collection/backup.h"
#include "collection/catalogue_import.h"
#include "collection/cover.h"
#include "collection/csv_exchange.h"
#include "collection/folding.h"
#include "collection/html_export.h"
#include "collection/xml_tree.h"
#include "collection/zip_archive.h"
#include "platform/invariant.h"
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

constexpr std::string_view kSqliteHeader("SQLite format 3\0", 16);

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
  return Refused(text::FormatText(text::kImportUnknownArchive, FileNameOf(path)));
}

// The films of a file read whole into bytes.
ImportResult ReadImportBytes(std::string bytes, const std::string& path) {
  const std::string name = FileNameOf(path);
  if (StartsWith(bytes, kSqliteHeader)) {
    bytes = std::string();  // the database is read in place
    return ReadGriffith(path);
  }
  if (StartsWith(bytes, "PK\x03\x04") || StartsWith(bytes, "PK\x05\x06")) {
    return ReadArchive(std::move(bytes), path);
  }
  const std::string root = RootElementName(bytes);
  if (root == "collection") return ReadGcstar(bytes, path);
  if (root == "tellico") return ReadTellico(bytes, path);
  if (root == "movie") return ReadNfo(bytes, path);
  if (root == "zelluo-sicherung") return ReadBackup(std::move(bytes), path);
  if (!root.empty()) return Refused(text::FormatText(text::kImportUnknownXml, name, root));
  return ReadCsvFilms(bytes, path);
}

}  // namespace

ImportFileReading::ImportFileReading(std::string path, size_t sliceBytes)
    : path_(std::move(path)), sliceBytes_(std::max<size_t>(sliceBytes, 1)) {
  const std::string name = FileNameOf(path_);
  size_ = platform::os::FileSize(path_);
  std::string_view refusal;
  if (size_ == -1) refusal = text::kImportMissing;
  if (size_ == -2) refusal = text::kImportIsFolder;
  if (size_ == 0) refusal = text::kImportEmpty;
  if (size_ > kMaxImportBytes) refusal = text::kImportTooLarge;
  if (refusal.empty()) {
    file_ = std::make_unique<platform::os::FileReader>(path_);
    if (!file_->IsOpen()) refusal = text::kImportMissing;
  }
  if (!refusal.empty()) {
    Refuse(text::FormatText(refusal, name));
  } else {
    bytes_.reserve(static_cast<size_t>(size_));
  }
}

ImportFileReading::~ImportFileReading() = default;

void ImportFileReading::Refuse(std::string_view message) {
  error_ = message;
  bytes_ = std::string();
  file_.reset();
  finished_ = true;
}

void ImportFileReading::ReadSlice() {
  if (finished_) return;
  const size_t before = bytes_.size();
  // One byte beyond the size told at the start finds the end without another
  // slice; a file that grows meanwhile is read on to its end.
  const auto left = static_cast<size_t>(std::max<int64_t>(size_ - static_cast<int64_t>(before), 0));
  const size_t wanted = std::min(sliceBytes_, left + 1);
  bytes_.resize(before + wanted);
  const int64_t got = file_->ReadNext(bytes_.data() + before, wanted);
  if (got < 0) return Refuse(text::FormatText(text::kImportMissing, FileNameOf(path_)));
  bytes_.resize(before + static_cast<size_t>(got));
  const bool atEnd = static_cast<size_t>(got) < wanted;
  if (atEnd || (bytes_.size() >= kSqliteHeader.size() && StartsWith(bytes_, kSqliteHeader))) {
    file_.reset();
    finished_ = true;
  }
}

int ImportFileReading::Percent() const {
  if (finished_ || size_ <= 0) return 100;
  return static_cast<int>(
      std::min<int64_t>(static_cast<int64_t>(bytes_.size()) * 100 / size_, 100));
}

ImportResult ImportFileReading::Result() {
  ZELLUO_ASSERT(finished_);
  if (!error_.empty()) return Refused(std::move(error_));
  return ReadImportBytes(std::move(bytes_), path_);
}

ImportResult ReadImportFile(const std::string& path) {
  ImportFileReading reading(path, static_cast<size_t>(kMaxImportBytes) + 1);
  reading.ReadSlice();
  return reading.Result();
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

void SyncImportedCovers(const std::string& coverFolder) { platform::os::SyncFilesIn(coverFolder); }

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
                          std::string_view date, const std::vector<Loan>& loans) {
  ExportOutcome outcome;
  const auto written = [&](std::string_view bytes) {
    if (!platform::os::WriteFileAtomic(path, bytes)) {
      outcome.error = text::FormatText(text::kExportWriteFailed, FileNameOf(path));
    }
  };
  switch (format) {
    case ExportFormat::Csv:
      written(FilmsAsCsv(films, platform::os::AbsolutePath(coverFolder)));
      break;
    case ExportFormat::Html:
      outcome.error = ExportHtml(films, path, coverFolder, {}, date);
      break;
    case ExportFormat::Backup: {
      BackupResult backup = BackupArchive(films, coverFolder, {}, loans);
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
