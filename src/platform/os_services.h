#pragma once
// Files, processes and time of the operating system, shared by the backends.
// One implementation per system: src/platform/posix/posix_system.cpp and
// src/platform/win32/win32_system.cpp; the build links the one that fits.
//
// Paths are relative to the working directory (or absolute) and '/'
// separated; the Windows implementation also takes '\'. Texts are UTF-8.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_types.h"

namespace zelluo::platform::os {

std::optional<std::string> ReadWholeFile(std::string_view path);
int64_t FileSize(std::string_view path);
bool CreateFolder(std::string_view path);
// The names of the files in a folder (no subfolders, no "." or ".."), in no
// particular order; empty when the folder cannot be read.
std::vector<std::string> ListFiles(std::string_view folder);
// Every entry of a folder (files, folders, others) with size and time; none
// when the folder cannot be opened (missing, offline, not readable).
std::optional<FolderListing> ListFolder(std::string_view folder);
// The first count bytes of a file followed by its last count bytes (the whole
// file once when it is no longer than 2 * count); none when it cannot be read.
std::optional<std::string> ReadFileEnds(std::string_view path, size_t count);
// Removes a file; false when it could not be removed (a missing file counts as
// removed).
bool RemoveFile(std::string_view path);

// The steps of an atomic file write, so that a test can make any of them fail.
enum class WriteStep { Open, Write, Sync, Close, Rename, SyncFolder };
// Called before each step; returning false makes that step fail as a full disk
// or a refused call would.
using WriteFaultHook = std::function<bool(WriteStep step)>;

// Writes bytes to a temporary file next to path, syncs it and renames it over
// path. On any failure the temporary file is removed and path keeps its old
// content.
bool WriteFileAtomic(std::string_view path, std::string_view bytes,
                     const WriteFaultHook& hook = {});

// The same without waiting for the disk, for many files that could be made
// again (covers of an import); SyncFilesIn then makes them durable at once.
bool WriteFileDeferred(std::string_view path, std::string_view bytes);
// Waits until everything written to the file system holding folder is on the
// disk (Linux: syncfs); false when the folder cannot be opened.
bool SyncFilesIn(std::string_view folder);
// Whether folder lies on a file system reached over the network (NFS, SMB, a
// FUSE mount such as sshfs, a UNC path on Windows); false when it cannot be
// told, as for a folder that does not exist.
bool IsOnNetworkFileSystem(std::string_view folder);

// Keeps the heap from pausing the program for long: glibc gathers small freed
// blocks and sorts them all at once at the next large block freed or asked
// for, a pause of 0.1 to 0.2 s after the millions of small blocks of a big
// import (bench/README.md, "Big import files"); without its fast bins they
// are sorted as they are freed. Nothing elsewhere.
void KeepHeapPausesShort();

// A file opened for reading a part at a time, so that a big one need not be
// read in one piece (an import file between the window's events). Closed when
// destroyed.
class FileReader {
 public:
  explicit FileReader(std::string_view path);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // False when the file could not be opened: missing, a folder, not readable.
  bool IsOpen() const { return handle_ != -1; }
  // Reads up to count bytes into bytes, on from where the last read ended: the
  // number read, fewer than count only at the end of the file; -1 when
  // reading failed or the file is not open.
  int64_t ReadNext(char* bytes, size_t count);

 private:
  // The descriptor (POSIX) or handle (Windows); -1 when not open.
  intptr_t handle_ = -1;
};

// path made absolute against the working directory; path itself when that fails.
std::string AbsolutePath(std::string_view path);

std::string ExecutablePath();
LocalDate Today();
// The local date with the hour and minute.
LocalTime Now();
// A moment in seconds since 1970-01-01 UTC as the local date and time.
LocalTime LocalTimeAt(int64_t unixSeconds);
void Pause(int32_t milliseconds);
// Starts executable without arguments in the current working directory and
// does not wait for it.
bool StartProcess(const std::string& executable);

}  // namespace zelluo::platform::os
