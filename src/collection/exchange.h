#pragma once
// Films coming in from other catalogues and going out to other programs.
//
// Every reader takes the bytes of one file (or, for a SQLite catalogue, its
// path) and gives the films it found, the names of the source's fields that
// have no place in a Zelluo film, and, when the file cannot be read as a
// whole, a German message naming the file (and the line, where there is one)
// and no films at all. Readers never write: the source files stay as they are.
// Covers are only located here; the caller takes them over into the store.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collection/film.h"
#include "collection/zip_archive.h"

namespace zelluo::collection {

// Where the cover of an imported film comes from: a picture file on disk, the
// picture's bytes, or a member of an archive that stays open until the covers
// are taken over (so that thousands of covers are never all in memory at
// once). storedCover marks a cover as the store writes them (from a Zelluo
// backup), named by the film's cover field; it is kept as it is instead of
// decoded.
struct CoverSource {
  std::string path;
  std::string bytes;
  std::shared_ptr<OwnedZip> archive;
  std::string member;
  bool storedCover = false;
  bool Empty() const { return path.empty() && bytes.empty() && !archive; }
};

// The bytes of a cover that comes from memory or an archive (not from a
// path); false with a German message when the archive cannot give them.
bool ReadCoverBytes(const CoverSource& source, std::string& out, std::string& error);

struct ImportedFilm {
  // id 0; added and changed empty (the store sets them) except from a backup;
  // cover empty except from a backup, where it names the stored cover.
  Film film;
  CoverSource cover;
};

struct ImportResult {
  std::string
      format;  // "CSV", "GCstar", "Tellico", "Kodi/Jellyfin (.nfo)", "Griffith", "Zelluo-Sicherung"
  std::vector<ImportedFilm> films;
  // Field names as the source writes them, sorted and without repeats.
  std::vector<std::string> unmappedFields;
  std::string error;  // German, for the user; when set, films is empty
  // The loans a Zelluo backup carries, each naming its film by title and year.
  std::vector<Loan> loans;
  bool Ok() const { return error.empty(); }
};

// A file's films read a little at a time, so that a file of hundreds of
// megabytes is read between the window's events.
class FilmReading {
 public:
  using Deadline = std::chrono::steady_clock::time_point;
  virtual ~FilmReading() = default;
  // Reads on until deadline has passed, at least one small unit of work (a
  // piece of the XML, some rows, some films); true once done.
  virtual bool Step(Deadline deadline) = 0;
  // How much is done, 0 to 100.
  virtual int Percent() const = 0;
  // The films, or why there are none; once done, only once.
  virtual ImportResult Result() = 0;
};

// A reading that does all its work in its first step: for a file that is
// refused at once, or a format read whole (a Griffith database, a .nfo).
std::unique_ptr<FilmReading> ReadingInOneStep(std::function<ImportResult()> read);
// Runs a reading to its end.
ImportResult ReadToEnd(FilmReading& reading);

// Called now and then during long work with the part done so far.
using Progress = std::function<void(int64_t done, int64_t total)>;

// The last path component of path ('/' or '\' separated), for messages.
std::string FileNameOf(std::string_view path);
// The folder part of path with its trailing separator; empty for a bare name.
std::string FolderOf(std::string_view path);
// "/x", "\\server\x", "C:\x" or "C:/x"; not "C:x", which is relative to the
// current folder of drive C.
bool IsAbsolutePath(std::string_view path);
// text for an address: ASCII letters and digits and the marks in kept as they
// are, every other byte as %XX.
std::string PercentEncoded(std::string_view text, std::string_view kept);

}  // namespace zelluo::collection
