#include "collection/folder_scan.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "collection/catalogue_import.h"
#include "collection/film_fields.h"
#include "collection/film_names.h"
#include "texts/text_tools.h"

namespace zelluo::collection {
namespace {

using platform::FolderEntry;

constexpr size_t kFingerprintBytes = 64 * 1024;

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string StemOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool UnderFolder(const std::string& path, const std::string& folder) {
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  return path.starts_with(prefix);
}

}  // namespace

std::string ShownName(std::string_view name) {
  std::string shown;
  for (size_t at = 0; at < name.size();) {
    const size_t length = text::DecodeUtf8(name, at).length;
    if (length == 0) {
      shown += "\xEF\xBF\xBD";
      ++at;
    } else {
      shown += name.substr(at, length);
      at += length;
    }
  }
  return shown;
}

FolderScan::FolderScan(platform::SystemPart& system, std::vector<std::string> roots)
    : system_(system), roots_(std::move(roots)) {
  for (auto it = roots_.rbegin(); it != roots_.rend(); ++it) pending_.emplace_back(*it, true);
}

bool FolderScan::Step(std::chrono::steady_clock::time_point deadline) {
  while (!pending_.empty()) {
    auto [folder, root] = std::move(pending_.back());
    pending_.pop_back();
    ReadFolder(folder, root);
    if (std::chrono::steady_clock::now() >= deadline) break;
  }
  return Finished();
}

void FolderScan::ReadFolder(const std::string& path, bool root) {
  std::optional<platform::FolderListing> listing = system_.ListFolder(path);
  if (!listing) {
    // A root that cannot be opened is offline, never empty; a folder below
    // one that cannot be read is passed over.
    if (root) unreachable_.push_back(path);
    return;
  }
  if (listing->device != 0 || listing->inode != 0) {
    if (!visited_.emplace(listing->device, listing->inode).second) return;  // a loop
  }
  ++folders_;
  std::vector<const FolderEntry*> videos;
  std::vector<const FolderEntry*> subfolders;
  std::vector<const FolderEntry*> nfos;
  std::vector<const FolderEntry*> pictures;
  const FolderEntry* disc = nullptr;
  for (const FolderEntry& entry : listing->entries) {
    if (entry.kind == FolderEntry::Kind::File) {
      ++files_;
      if (IsExcludingMarker(entry.name)) return;
      const std::string lower = Lower(entry.name);
      if (lower.ends_with(".nfo")) nfos.push_back(&entry);
      if (lower.ends_with(".jpg") || lower.ends_with(".jpeg") || lower.ends_with(".png")) {
        pictures.push_back(&entry);
      }
      if (IsFilmFileName(entry.name) && !IsSkippedFileName(entry.name)) videos.push_back(&entry);
    } else if (entry.kind == FolderEntry::Kind::Folder) {
      if (IsDiscFolderName(entry.name)) disc = &entry;
      if (!IsSkippedFolderName(entry.name)) subfolders.push_back(&entry);
    }
  }
  const std::string folderName = NameOf(path);
  const FilmName fromFolder = ReadFilmName(folderName);
  // A DVD or Blu-ray folder: the folder holding it is one film, and nothing
  // below it is walked.
  if (disc != nullptr) {
    films_.push_back(FoundFilm{Join(path, disc->name),
                               ShownName(fromFolder.title),
                               fromFolder.year,
                               0,
                               disc->modified,
                               1,
                               {},
                               {}});
    return;
  }
  // Parts of one film ("cd1", "part 2") stacked under their common stem.
  std::map<std::string, std::vector<const FolderEntry*>> stacks;
  for (const FolderEntry* video : videos) {
    const FilmPart part = PartOf(video->name);
    stacks[part.part > 0 ? Lower(part.stem) : "\x01" + video->name].push_back(video);
  }
  for (auto& [stem, files] : stacks) {
    std::sort(files.begin(), files.end(), [](const FolderEntry* a, const FolderEntry* b) {
      return PartOf(a->name).part < PartOf(b->name).part;
    });
    const FolderEntry& first = *files.front();
    const FilmPart part = PartOf(first.name);
    FilmName name = ReadFilmName(part.stem);
    // Folder per film: a generic file name, or one film in a folder whose
    // name carries the year the file's lacks.
    if (!root && (IsGenericFileName(part.stem) || (stacks.size() == 1 && !name.year &&
                                                   fromFolder.year && !fromFolder.title.empty()))) {
      name = fromFolder;
    }
    FoundFilm film{Join(path, first.name), ShownName(name.title),          name.year, first.size,
                   first.modified,         static_cast<int>(files.size()), {},        {}};
    const std::string stemLower = Lower(StemOf(first.name));
    const auto side = [&](const FolderEntry& entry) {
      return SideFile{Join(path, entry.name), entry.size, entry.modified};
    };
    for (const FolderEntry* nfo : nfos) {
      if (Lower(StemOf(nfo->name)) == stemLower || (stacks.size() == 1 && nfos.size() == 1)) {
        film.nfo = side(*nfo);
      }
    }
    // The poster by rank: "<name>-poster" before "poster", "folder" and "cover"
    // (these three only by the single film of its folder).
    int best = 0;
    for (const FolderEntry* picture : pictures) {
      const std::string pictureStem = Lower(StemOf(picture->name));
      int rank = 0;
      if (pictureStem == stemLower + "-poster") {
        rank = 5;
      } else if (stacks.size() == 1) {
        rank = pictureStem == "poster"   ? 4
               : pictureStem == "folder" ? 3
               : pictureStem == "cover"  ? 2
                                         : 0;
      }
      if (rank > best || (rank == best && rank > 0 && picture->name < NameOf(film.poster.path))) {
        best = rank;
        film.poster = side(*picture);
      }
    }
    films_.push_back(std::move(film));
  }
  for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
    pending_.emplace_back(Join(path, (*it)->name), false);
  }
}

std::string FingerprintOf(platform::SystemPart& system, const std::string& path, int64_t size) {
  std::optional<std::string> ends = system.ReadFileEnds(path, kFingerprintBytes);
  if (!ends) return {};
  uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (char c : *ends) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%016llx", static_cast<long long>(size),
                static_cast<unsigned long long>(hash));
  return text;
}

std::string FieldValueText(const Film& film, std::string_view column) {
  for (const FilmField& field : kFilmFields) {
    if (field.column != column) continue;
    if (field.number != nullptr) {
      const std::optional<int32_t>& number = film.*field.number;
      return number ? std::to_string(*number) : std::string();
    }
    if (field.optionalText != nullptr) return (film.*field.optionalText).value_or("");
    return film.*field.text;
  }
  return {};
}

std::string NfoValuesText(const Film& film) {
  std::string taken;
  for (const std::string_view column : kNfoColumns) {
    taken += column;
    taken += '=';
    for (const char c : FieldValueText(film, column)) {
      if (c == '\\') {
        taken += "\\\\";
      } else if (c == '\n') {
        taken += "\\n";
      } else {
        taken += c;
      }
    }
    taken += '\n';
  }
  return taken;
}

std::optional<std::string> NfoValueIn(std::string_view taken, std::string_view column) {
  for (size_t at = 0; at < taken.size();) {
    size_t end = taken.find('\n', at);
    if (end == std::string_view::npos) end = taken.size();
    const std::string_view line = taken.substr(at, end - at);
    at = end + 1;
    if (!line.starts_with(column) || line.size() <= column.size() || line[column.size()] != '=') {
      continue;
    }
    std::string value;
    for (size_t i = column.size() + 1; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        value += line[++i] == 'n' ? '\n' : line[i];
      } else {
        value += line[i];
      }
    }
    return value;
  }
  return std::nullopt;
}

namespace {

// The film a .nfo describes; nothing when it cannot be read or is no film's.
std::optional<Film> ReadNfoBeside(platform::SystemPart& system, const SideFile& nfo) {
  if (nfo.path.empty()) return std::nullopt;
  std::optional<std::string> bytes = system.ReadFile(nfo.path);
  if (!bytes) return std::nullopt;
  ImportResult read = ReadNfo(*bytes, nfo.path);
  if (!read.Ok() || read.films.empty()) return std::nullopt;
  Film film = std::move(read.films.front().film);
  film.video.reset();
  film.cover.reset();
  return film;
}

// What a changed .nfo or poster would change of a film as stored: the fields
// the .nfo gives a new value that the user has not edited (its value still
// the one the .nfo gave last time, or empty), and the cover when the film
// has none or still the one made of the poster before.
void DescribeChange(Finding& finding, const KnownFilm& known, const Film& stored,
                    const std::optional<Film>& nfo, bool posterChanged) {
  finding.values = stored;
  if (nfo) {
    finding.nfoTaken = NfoValuesText(*nfo);
    for (const FilmField& field : kFilmFields) {
      if (std::find(std::begin(kNfoColumns), std::end(kNfoColumns), field.column) ==
          std::end(kNfoColumns)) {
        continue;
      }
      const std::string now = FieldValueText(stored, field.column);
      const std::string offered = FieldValueText(*nfo, field.column);
      if (offered.empty() || offered == now) continue;
      const std::optional<std::string> taken = NfoValueIn(known.nfoTaken, field.column);
      if (!now.empty() && taken != now) continue;  // the user's own value
      if (field.number != nullptr) finding.values.*field.number = (*nfo).*field.number;
      if (field.text != nullptr) finding.values.*field.text = (*nfo).*field.text;
      finding.changes.emplace_back(field.column);
    }
  }
  if (posterChanged &&
      (!stored.cover || stored.cover->empty() || *stored.cover == known.posterTaken)) {
    finding.changes.emplace_back("cover");
  }
  finding.title = finding.values.title;
  finding.year = finding.values.year;
}

}  // namespace

std::vector<Finding> ReviewScan(platform::SystemPart& system, const FolderScan& scan,
                                const std::vector<KnownFilm>& known,
                                const std::function<std::optional<Film>(int64_t)>& loadFilm,
                                std::vector<int64_t>* returned) {
  std::vector<Finding> findings;
  std::map<std::string, const KnownFilm*> byPath;
  std::multimap<std::string, const KnownFilm*> withoutFile;  // by title key
  for (const KnownFilm& film : known) {
    if (!film.video.empty()) {
      byPath[film.video] = &film;
    } else {
      withoutFile.emplace(TitleMatchKey(film.title), &film);
    }
  }
  const auto inRoots = [&](const std::string& path, const std::vector<std::string>& roots) {
    return std::any_of(roots.begin(), roots.end(),
                       [&](const std::string& root) { return UnderFolder(path, root); });
  };
  // Files of the collection in the walked folders that were not found again.
  std::map<std::string, const KnownFilm*> gone;
  std::set<std::string> found;
  for (const FoundFilm& film : scan.Films()) found.insert(film.path);
  for (const KnownFilm& film : known) {
    if (film.video.empty() || found.count(film.video) != 0) continue;
    if (inRoots(film.video, scan.UnreachableRoots())) {
      Finding finding;
      finding.kind = FindingKind::Unreachable;
      finding.film = film.id;
      finding.title = film.title;
      finding.year = film.year;
      finding.path = film.video;
      findings.push_back(std::move(finding));
    } else if (inRoots(film.video, scan.Roots())) {
      gone[film.video] = &film;
    }
  }
  for (const FoundFilm& film : scan.Films()) {
    if (auto place = byPath.find(film.path); place != byPath.end()) {
      // Known and in its place: its mark as missing goes; a changed .nfo or
      // poster beside it is offered.
      const KnownFilm& old = *place->second;
      if (old.missingTaken && returned != nullptr) returned->push_back(old.id);
      const bool nfoChanged = !film.nfo.path.empty() && film.nfo != old.nfo;
      const bool posterChanged = !film.poster.path.empty() && film.poster != old.poster;
      if ((!nfoChanged && !posterChanged) || !loadFilm) continue;
      std::optional<Film> stored = loadFilm(old.id);
      if (!stored) continue;
      Finding finding;
      finding.kind = FindingKind::Changed;
      finding.checked = true;
      finding.film = old.id;
      finding.path = film.path;
      finding.nfo = film.nfo;
      finding.poster = film.poster;
      DescribeChange(finding, old, *stored,
                     nfoChanged ? ReadNfoBeside(system, film.nfo) : std::nullopt, posterChanged);
      if (!finding.changes.empty()) findings.push_back(std::move(finding));
      continue;
    }
    Finding finding;
    finding.kind = FindingKind::New;
    finding.checked = true;
    finding.title = film.title;
    finding.year = film.year;
    finding.path = film.path;
    finding.size = film.size;
    finding.modified = film.modified;
    finding.nfo = film.nfo;
    finding.poster = film.poster;
    // The .nfo beside it names the film better than its file does.
    if (std::optional<Film> nfo = ReadNfoBeside(system, film.nfo)) {
      finding.nfoTaken = NfoValuesText(*nfo);
      finding.values = std::move(*nfo);
      if (!text::IsBlank(finding.values.title)) finding.title = finding.values.title;
      if (finding.values.year) finding.year = finding.values.year;
    }
    // Moved: a file gone of the same size and fingerprint.
    for (auto it = gone.begin(); it != gone.end(); ++it) {
      const KnownFilm& old = *it->second;
      if (old.size != film.size || old.fingerprint.empty()) continue;
      if (finding.fingerprint.empty())
        finding.fingerprint = FingerprintOf(system, film.path, film.size);
      if (finding.fingerprint != old.fingerprint) continue;
      finding.kind = FindingKind::Moved;
      finding.film = old.id;
      finding.title = old.title;
      finding.year = old.year;
      finding.oldPath = old.video;
      gone.erase(it);
      break;
    }
    if (finding.kind == FindingKind::New) {
      // Matched: a film of the same title (and year, where both have one)
      // that has no file yet.
      auto [from, to] = withoutFile.equal_range(TitleMatchKey(finding.title));
      for (auto it = from; it != to; ++it) {
        const KnownFilm& candidate = *it->second;
        if (candidate.year && finding.year && *candidate.year != *finding.year) continue;
        finding.kind = FindingKind::Matched;
        finding.film = candidate.id;
        finding.title = candidate.title;
        finding.year = candidate.year ? candidate.year : finding.year;
        withoutFile.erase(it);
        break;
      }
    }
    findings.push_back(std::move(finding));
  }
  for (const auto& [path, film] : gone) {
    // A file taken over as missing is not listed again while it stays gone.
    if (film->missingTaken) continue;
    Finding finding;
    finding.kind = FindingKind::Missing;
    finding.film = film->id;
    finding.title = film->title;
    finding.year = film->year;
    finding.path = path;
    findings.push_back(std::move(finding));
  }
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return static_cast<int>(a.kind) < static_cast<int>(b.kind);
  });
  return findings;
}

}  // namespace zelluo::collection
