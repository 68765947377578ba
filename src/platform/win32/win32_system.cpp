// Files, processes and time on Windows: the implementation of os_services.h
// that the Windows build links in place of the POSIX one.

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/os_services.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform::os {
namespace {

using win32::Narrow;
using win32::WindowsPath;

// Closes a file handle when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Close(); }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  bool Close() {
    if (!Valid()) return true;
    BOOL ok = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return ok != FALSE;
  }

 private:
  HANDLE handle_;
};

bool Allowed(const WriteFaultHook& hook, WriteStep step) { return !hook || hook(step); }

// A name for the temporary file beside target that no other writer picks:
// the process number, a high-resolution clock reading and the attempt.
std::wstring TemporaryName(const std::wstring& target, unsigned attempt) {
  LARGE_INTEGER clock{};
  ::QueryPerformanceCounter(&clock);
  wchar_t suffix[64];
  ::wsprintfW(suffix, L".%lx%08lx%x.tmp", ::GetCurrentProcessId(),
              static_cast<unsigned long>(clock.LowPart), attempt);
  return target + suffix;
}

std::wstring FolderOf(const std::wstring& path) {
  auto separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return L".";
  if (separator == 0 || (separator == 2 && path[1] == L':')) return path.substr(0, separator + 1);
  return path.substr(0, separator);
}

}  // namespace

std::optional<std::string> ReadWholeFile(std::string_view path) {
  if (path.empty()) return std::nullopt;
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened.
  FileHandle file(::CreateFileW(WindowsPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return std::nullopt;
  // Read straight into the string, sized by the file; a file that grows
  // meanwhile is read on in steps.
  LARGE_INTEGER size{};
  std::string bytes;
  size_t filled = 0;
  bytes.resize(::GetFileSizeEx(file.Get(), &size) && size.QuadPart >= 0
                   ? static_cast<size_t>(size.QuadPart) + 1
                   : 16384);
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
    DWORD got = 0;
    const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - filled, 1u << 30));
    if (!::ReadFile(file.Get(), bytes.data() + filled, chunk, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    filled += got;
  }
  bytes.resize(filled);
  return bytes;
}

FileReader::FileReader(std::string_view path) {
  if (path.empty()) return;
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened.
  HANDLE file = ::CreateFileW(WindowsPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  // INVALID_HANDLE_VALUE is -1 as a number too.
  handle_ = reinterpret_cast<intptr_t>(file);
}

FileReader::~FileReader() {
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

int64_t FileReader::ReadNext(char* bytes, size_t count) {
  if (handle_ == -1) return -1;
  size_t filled = 0;
  while (filled < count) {
    DWORD got = 0;
    const auto chunk = static_cast<DWORD>(std::min<size_t>(count - filled, 1u << 30));
    if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), bytes + filled, chunk, &got, nullptr)) {
      return -1;
    }
    if (got == 0) break;
    filled += got;
  }
  return static_cast<int64_t>(filled);
}

int64_t FileSize(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (path.empty() ||
      !::GetFileAttributesExW(WindowsPath(path).c_str(), GetFileExInfoStandard, &info)) {
    return -1;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
  return (static_cast<int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool CreateFolder(std::string_view path) {
  if (path.empty()) return false;
  const std::wstring folder = WindowsPath(path);
  if (::CreateDirectoryW(folder.c_str(), nullptr)) return true;
  if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
  DWORD attributes = ::GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ListFiles(std::string_view folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((WindowsPath(folder) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      names.push_back(Narrow(found.cFileName));
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

namespace {

// D:\Filme as \\?\D:\Filme, so that paths beyond 260 characters work; a
// share \\server\x as \\?\UNC\server\x.
std::wstring LongPath(std::string_view path) {
  const std::wstring wide = WindowsPath(path);
  DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return wide;
  std::wstring full(length, L'\0');
  length = ::GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  full.resize(length);
  if (full.starts_with(L"\\\\?\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// FILETIME (100 ns steps since 1601) as seconds since 1970.
int64_t UnixSeconds(const FILETIME& time) {
  const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

}  // namespace

std::optional<FolderListing> ListFolder(std::string_view folder) {
  if (folder.empty()) return std::nullopt;
  std::wstring pattern = LongPath(folder);
  if (!pattern.ends_with(L"\\")) pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty drive root has no entries at all; anything else is unreachable.
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return FolderListing{};
    return std::nullopt;
  }
  FolderListing listing;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderEntry item;
    item.name = Narrow(name);
    const DWORD attributes = found.dwFileAttributes;
    // Reparse points (links, junctions) are not followed.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      item.kind = FolderEntry::Kind::Other;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      item.kind = FolderEntry::Kind::Folder;
    } else {
      item.kind = FolderEntry::Kind::File;
    }
    item.size = static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) |
                                     found.nFileSizeLow);
    item.modified = UnixSeconds(found.ftLastWriteTime);
    listing.entries.push_back(std::move(item));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return listing;
}

std::optional<std::string> ReadFileEnds(std::string_view path, size_t count) {
  if (path.empty()) return std::nullopt;
  FileHandle file(::CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file.Valid() || !::GetFileSizeEx(file.Get(), &size)) return std::nullopt;
  const auto total = static_cast<uint64_t>(size.QuadPart);
  const auto readAt = [&](std::string& into, uint64_t offset, size_t length) {
    const size_t start = into.size();
    into.resize(start + length);
    size_t filled = 0;
    while (filled < length) {
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>((offset + filled) & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>((offset + filled) >> 32);
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<size_t>(length - filled, 1u << 20));
      if (!::ReadFile(file.Get(), into.data() + start + filled, want, &got, &at)) return false;
      if (got == 0) {
        into.resize(start + filled);
        return true;
      }
      filled += got;
    }
    return true;
  };
  std::string bytes;
  if (total <= 2 * count) {
    if (!readAt(bytes, 0, static_cast<size_t>(total))) return std::nullopt;
  } else if (!readAt(bytes, 0, count) || !readAt(bytes, total - count, count)) {
    return std::nullopt;
  }
  return bytes;
}

bool RemoveFile(std::string_view path) {
  if (path.empty()) return false;
  return ::DeleteFileW(WindowsPath(path).c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

namespace {

// The atomic write; without sync the bytes and the new name reach the disk
// when the system gets round to it.
bool WriteReplacing(std::string_view path, std::string_view bytes, const WriteFaultHook& hook,
                    bool sync) {
  if (path.empty()) return false;
  const std::wstring target = WindowsPath(path);

  if (!Allowed(hook, WriteStep::Open)) return false;
  std::wstring temporary;
  FileHandle file(INVALID_HANDLE_VALUE);
  for (unsigned attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
    temporary = TemporaryName(target, attempt);
    HANDLE handle = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      file.Reset(handle);
    } else if (::GetLastError() != ERROR_FILE_EXISTS) {
      return false;
    }
  }
  if (!file.Valid()) return false;

  auto fail = [&] {
    file.Close();
    ::DeleteFileW(temporary.c_str());
    return false;
  };

  size_t written = 0;
  while (written < bytes.size()) {
    if (!Allowed(hook, WriteStep::Write)) return fail();
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
    DWORD put = 0;
    if (!::WriteFile(file.Get(), bytes.data() + written, chunk, &put, nullptr) || put == 0) {
      return fail();
    }
    written += put;
  }
  if (!Allowed(hook, WriteStep::Sync) || (sync && !::FlushFileBuffers(file.Get()))) return fail();
  if (!Allowed(hook, WriteStep::Close) || !file.Close()) return fail();
  // MOVEFILE_WRITE_THROUGH returns only when the move is on the disk.
  if (!Allowed(hook, WriteStep::Rename) ||
      !::MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | (sync ? MOVEFILE_WRITE_THROUGH : 0))) {
    return fail();
  }
  // Flushing the folder as well makes the new name durable where the file
  // system allows it. A failure here no longer endangers either version.
  if (sync && Allowed(hook, WriteStep::SyncFolder)) {
    FileHandle folder(::CreateFileW(FolderOf(target).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder.Valid()) ::FlushFileBuffers(folder.Get());
  }
  return true;
}

}  // namespace

bool WriteFileAtomic(std::string_view path, std::string_view bytes, const WriteFaultHook& hook) {
  return WriteReplacing(path, bytes, hook, true);
}

bool WriteFileDeferred(std::string_view path, std::string_view bytes) {
  return WriteReplacing(path, bytes, {}, false);
}

// Windows flushes a volume only for administrators; the files written with
// WriteFileDeferred reach the disk in the system's own time.
bool SyncFilesIn(std::string_view) { return true; }

bool IsOnNetworkFileSystem(std::string_view folder) {
  if (folder.empty()) return false;
  const std::wstring wide = WindowsPath(AbsolutePath(folder));
  // \\server\share and \\?\UNC\server\share name a share whatever the drive
  // letters say; \\?\C:\ and \\.\ names are local devices.
  if (wide.starts_with(LR"(\\?\UNC\)")) return true;
  if (wide.starts_with(LR"(\\)") && !wide.starts_with(LR"(\\?\)") &&
      !wide.starts_with(LR"(\\.\)")) {
    return true;
  }
  std::wstring volume(wide.size() + 2, L'\0');
  if (!::GetVolumePathNameW(wide.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) {
    return false;
  }
  volume.resize(std::wcslen(volume.c_str()));
  return ::GetDriveTypeW(volume.c_str()) == DRIVE_REMOTE;
}

std::string AbsolutePath(std::string_view path) {
  const std::wstring wide = WindowsPath(path);
  const DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return std::string(path);
  std::wstring full(length, L'\0');
  const DWORD written = ::GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return std::string(path);
  full.resize(written);
  return Narrow(full);
}

std::string ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return Narrow(std::wstring_view(buffer.data(), length));
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

LocalDate Today() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalDate{now.wDay, now.wMonth, now.wYear};
}

LocalTime Now() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalTime{LocalDate{now.wDay, now.wMonth, now.wYear}, now.wHour, now.wMinute};
}

LocalTime LocalTimeAt(int64_t unixSeconds) {
  // FILETIME counts 100 ns from 1601-01-01; the zone's rule for that moment
  // (summer time included) turns it local.
  const auto ticks = static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
  const FILETIME moment{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  if (unixSeconds < 0 || !::FileTimeToSystemTime(&moment, &utc) ||
      !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return LocalTime{};
  }
  return LocalTime{LocalDate{local.wDay, local.wMonth, local.wYear}, local.wHour, local.wMinute};
}

void Pause(int32_t milliseconds) {
  if (milliseconds > 0) ::Sleep(static_cast<DWORD>(milliseconds));
}

bool StartProcess(const std::string& executable) {
  if (executable.empty()) return false;
  const std::wstring program = win32::Widen(executable);
  // The command line is the quoted program path alone: no arguments.
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    return false;
  }
  // Never waited for: a restart ends this process right after.
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

// The Windows heap has no such pauses.
void KeepHeapPausesShort() {}

}  // namespace zelluo::platform::os
