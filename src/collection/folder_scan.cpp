#include "collection/folder_scan.h"

#include <algorithm>
#include <cstdio>
#include <map>

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
  std::vector<std::string> nfos;
  std::vector<std::string> pictures;
  const FolderEntry* disc = nullptr;
  for (const FolderEntry& entry : listing->entries) {
    if (entry.kind == FolderEntry::Kind::File) {
      ++files_;
      if (IsExcludingMarker(entry.name)) return;
      const std::string lower = Lower(entry.name);
      if (lower.ends_with(".nfo")) nfos.push_back(entry.name);
      if (lower.ends_with(".jpg") || lower.ends_with(".jpeg") || lower.ends_with(".png")) {
        pictures.push_back(entry.name);
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
    for (const std::string& nfo : nfos) {
      if (Lower(StemOf(nfo)) == stemLower || (stacks.size() == 1 && nfos.size() == 1)) {
        film.nfo = Join(path, nfo);
      }
    }
    for (const std::string& picture : pictures) {
      const std::string pictureStem = Lower(StemOf(picture));
      if (pictureStem == stemLower + "-poster" ||
          (stacks.size() == 1 &&
           (pictureStem == "poster" || pictureStem == "folder" || pictureStem == "cover"))) {
        film.poster = Join(path, picture);
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

std::vector<Finding> ReviewScan(platform::SystemPart& system, const FolderScan& scan,
                                const std::vector<KnownFilm>& known) {
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
      findings.push_back(Finding{FindingKind::Unreachable,
                                 false,
                                 film.id,
                                 film.title,
                                 film.year,
                                 film.video,
                                 {},
                                 0,
                                 0,
                                 {}});
    } else if (inRoots(film.video, scan.Roots())) {
      gone[film.video] = &film;
    }
  }
  for (const FoundFilm& film : scan.Films()) {
    if (byPath.count(film.path) != 0) continue;  // known and in its place
    Finding finding{FindingKind::New, true, 0,         film.title,    film.year,
                    film.path,        {},   film.size, film.modified, {}};
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
      auto [from, to] = withoutFile.equal_range(TitleMatchKey(film.title));
      for (auto it = from; it != to; ++it) {
        const KnownFilm& candidate = *it->second;
        if (candidate.year && film.year && *candidate.year != *film.year) continue;
        finding.kind = FindingKind::Matched;
        finding.film = candidate.id;
        finding.title = candidate.title;
        finding.year = candidate.year ? candidate.year : film.year;
        withoutFile.erase(it);
        break;
      }
    }
    findings.push_back(std::move(finding));
  }
  for (const auto& [path, film] : gone) {
    findings.push_back(Finding{
        FindingKind::Missing, false, film->id, film->title, film->year, path, {}, 0, 0, {}});
  }
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return static_cast<int>(a.kind) < static_cast<int>(b.kind);
  });
  return findings;
}

}  // namespace zelluo::collection
