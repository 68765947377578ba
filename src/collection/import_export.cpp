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

std::unique_ptr<FilmReading> Refusing(std::string message) {
  return ReadingInOneStep([message = std::move(message)] { return Refused(message); });
}

std::unique_ptr<FilmReading> StartArchive(std::string bytes, const std::string& path) {
  bool tellico = false, backup = false;
  {
    ZipReader archive(bytes, path);
    if (!archive.Error().empty()) return Refusing(archive.Error());
    tellico = archive.Has("tellico.xml");
    backup = archive.Has("zelluo-sicherung.xml");
  }
  if (tellico) return StartTellico(std::move(bytes), path);
  if (backup) return StartBackup(std::move(bytes), path);
  return Refusing(text::FormatText(text::kImportUnknownArchive, FileNameOf(path)));
}

// A CSV file (neither a database, nor an archive, nor XML), told by its first
// bytes.
bool IsCsv(std::string_view bytes) {
  return !StartsWith(bytes, kSqliteHeader) && !StartsWith(bytes, "PK\x03\x04") &&
         !StartsWith(bytes, "PK\x05\x06") && RootElementName(bytes).empty();
}

// The films of a file read whole into bytes, read a step at a time.
std::unique_ptr<FilmReading> StartReadingFilms(std::string bytes, const std::string& path) {
  const std::string name = FileNameOf(path);
  if (StartsWith(bytes, kSqliteHeader)) {
    // The database is read in place, at once.
    return ReadingInOneStep([path] { return ReadGriffith(path); });
  }
  if (StartsWith(bytes, "PK\x03\x04") || StartsWith(bytes, "PK\x05\x06")) {
    return StartArchive(std::move(bytes), path);
  }
  const std::string root = RootElementName(bytes);
  if (root == "collection") return StartGcstar(std::move(bytes), path);
  if (root == "tellico") return StartTellico(std::move(bytes), path);
  if (root == "movie") {
    // A description of one film, read at once.
    return ReadingInOneStep([nfo = std::move(bytes), path] { return ReadNfo(nfo, path); });
  }
  if (root == "zelluo-sicherung") return StartBackup(std::move(bytes), path);
  if (!root.empty()) return Refusing(text::FormatText(text::kImportUnknownXml, name, root));
  return StartCsvFilms(std::move(bytes), path);
}

}  // namespace

ImportFileReading::ImportFileReading(std::string path, ImportSlice slice)
    : path_(std::move(path)), slice_(slice) {
  slice_.bytes = std::max<size_t>(slice_.bytes, 1);
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
    // The byte beyond the size that finds the end has room too: the bytes are
    // never copied while they are read.
    bytes_.reserve(static_cast<size_t>(size_) + 1);
  }
}

ImportFileReading::~ImportFileReading() = default;

void ImportFileReading::Refuse(std::string_view message) {
  error_ = message;
  bytes_ = std::string();
  file_.reset();
  films_.reset();
  finished_ = true;
}

void ImportFileReading::Step() {
  if (finished_) return;
  const auto deadline = std::chrono::steady_clock::now() + slice_.time;
  if (!AllRead()) {
    ReadSlice();
    if (films_ == nullptr || std::chrono::steady_clock::now() >= deadline) return;
  }
  if (planning_ == nullptr) {
    if (!filmsRead_) {
      filmsRead_ = films_->Step(deadline);
      // Letting go of the reading takes a step of its own, unless there is
      // time left (a small file).
      if (!filmsRead_ || std::chrono::steady_clock::now() >= deadline) return;
    }
    source_ = films_->Result();
    // Without films there is nothing to compare.
    if (!collection_ || !source_.Ok() || source_.films.empty()) {
      finished_ = true;
      return;
    }
    planning_ = std::make_unique<ImportPlanning>(std::move(source_), std::move(*collection_));
    collection_.reset();
    // What the reading held (the file's bytes, the XML tree) is let go in a
    // step of its own.
    films_.reset();
    return;
  }
  finished_ = planning_->Step(deadline);
}

void ImportFileReading::PlanAgainst(std::vector<Film> collection) {
  ZELLUO_ASSERT(films_ == nullptr && planning_ == nullptr);  // before the first step
  collection_ = std::move(collection);
}

ImportPlan ImportFileReading::TakePlan() {
  ZELLUO_ASSERT(Planned());
  return planning_->Plan();
}

void ImportFileReading::ReadSlice() {
  const size_t before = bytes_.size();
  // One byte beyond the size told at the start finds the end without another
  // slice; a file that grows meanwhile is read on to its end.
  const auto left = static_cast<size_t>(std::max<int64_t>(size_ - static_cast<int64_t>(before), 0));
  const size_t wanted = std::min(slice_.bytes, left + 1);
  bytes_.resize(before + wanted);
  const int64_t got = file_->ReadNext(bytes_.data() + before, wanted);
  if (got < 0) return Refuse(text::FormatText(text::kImportMissing, FileNameOf(path_)));
  bytes_.resize(before + static_cast<size_t>(got));
  // A CSV file too large to be read is refused by its first slice, before
  // hundreds of megabytes are read in vain.
  if (before == 0 && size_ > static_cast<int64_t>(kMaxCsvBytes) && IsCsv(bytes_)) {
    return Refuse(text::FormatText(text::kCsvTooLarge, FileNameOf(path_)));
  }
  const bool atEnd = static_cast<size_t>(got) < wanted;
  if (atEnd || (bytes_.size() >= kSqliteHeader.size() && StartsWith(bytes_, kSqliteHeader))) {
    file_.reset();
    films_ = StartReadingFilms(std::move(bytes_), path_);
    bytes_ = std::string();
  }
}

int ImportFileReading::Percent() const {
  if (finished_) return 100;
  // The films read, then compared: four fifths and one fifth.
  if (planning_ != nullptr) return 80 + planning_->Percent() / 5;
  if (films_ != nullptr) return collection_ ? films_->Percent() * 4 / 5 : films_->Percent();
  if (size_ <= 0) return 100;
  return static_cast<int>(
      std::min<int64_t>(static_cast<int64_t>(bytes_.size()) * 100 / size_, 100));
}

ImportResult ImportFileReading::Result() {
  ZELLUO_ASSERT(finished_);
  ZELLUO_ASSERT(planning_ == nullptr);
  if (!error_.empty()) return Refused(std::move(error_));
  return std::move(source_);
}

ImportResult ReadImportFile(const std::string& path) {
  // All at once; the time only decides how often the clock is looked at.
  ImportFileReading reading(path,
                            {static_cast<size_t>(kMaxImportBytes) + 1, std::chrono::hours(1)});
  while (!reading.Finished()) reading.Step();
  return reading.Result();
}

std::string DuplicateKey(const Film& film) {
  std::string key = SearchWordsOf(film.title);
  key += '\x01';
  if (film.year) key += std::to_string(*film.year);
  return key;
}

// The collection's and the source's films compared between two looks at the
// clock, and the comparison's keys let go.
constexpr size_t kPlannedAtOnce = 256;
constexpr size_t kKeysLetGoAtOnce = 4096;

ImportPlanning::ImportPlanning(ImportResult source, std::vector<Film> collection)
    : collection_(std::move(collection)) {
  // The films new to the collection are kept in place, the source's order
  // kept: no second vector of them all.
  plan_.fresh = std::move(source.films);
  source.films.clear();
  plan_.source = std::move(source);
  known_.reserve(collection_.size() + plan_.fresh.size());
}

bool ImportPlanning::Step(FilmReading::Deadline deadline) {
  std::vector<ImportedFilm>& films = plan_.fresh;
  do {
    size_t count = 0;
    for (; nextKnown_ < collection_.size() && count < kPlannedAtOnce; ++count) {
      known_.insert(DuplicateKey(collection_[nextKnown_++]));
    }
    for (; next_ < films.size() && count < kPlannedAtOnce; ++count) {
      ImportedFilm& film = films[next_++];
      if (!known_.insert(DuplicateKey(film.film)).second) {
        ++plan_.duplicates;
      } else if (kept_++ != next_ - 1) {
        films[kept_ - 1] = std::move(film);
      }
    }
    if (next_ < films.size()) continue;
    // The keys are let go a few thousand at a time: millions of small
    // blocks freed at once would hold the window for a long moment.
    collection_ = {};
    for (count = 0; !known_.empty() && count < kKeysLetGoAtOnce; ++count) {
      known_.erase(known_.begin());
    }
    if (known_.empty()) return true;
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

int ImportPlanning::Percent() const {
  const size_t all = std::max<size_t>(collection_.size() + plan_.fresh.size(), 1);
  return static_cast<int>(std::min<size_t>((nextKnown_ + next_) * 100 / all, 100));
}

ImportPlan ImportPlanning::Plan() {
  ZELLUO_ASSERT(next_ == plan_.fresh.size() && known_.empty());
  plan_.fresh.resize(kept_);  // the duplicates' places
  return std::move(plan_);
}

ImportPlan PlanImport(ImportResult source, const std::vector<Film>& collection) {
  ImportPlanning planning(std::move(source), collection);
  planning.Step(FilmReading::Deadline::max());
  return planning.Plan();
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
                          const ExportExtras& extras) {
  ExportOutcome outcome;
  const auto written = [&](std::string_view bytes) {
    if (!platform::os::WriteFileAtomic(path, bytes)) {
      outcome.error = text::FormatText(text::kExportWriteFailed, FileNameOf(path));
    }
  };
  switch (format) {
    case ExportFormat::Csv:
      written(FilmsAsCsv(films, platform::os::AbsolutePath(coverFolder), extras.seen));
      break;
    case ExportFormat::Html:
      outcome.error = ExportHtml(films, path, coverFolder, {}, extras.date);
      break;
    case ExportFormat::Backup: {
      BackupResult backup = BackupArchive(films, coverFolder, {}, extras.loans);
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
