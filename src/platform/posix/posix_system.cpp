#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <vector>

#include "platform/os_services.h"

#ifdef __linux__
#include <sys/statfs.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

extern char** environ;

namespace zelluo::platform::os {
namespace {

std::string ToString(std::string_view text) { return std::string(text); }

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool Allowed(const WriteFaultHook& hook, WriteStep step) { return !hook || hook(step); }

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::optional<std::string> ReadWholeFile(std::string_view path) {
  if (path.empty()) return std::nullopt;
  FileDescriptor fd(::open(ToString(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  // Read straight into the string, sized by the file; a file that grows
  // meanwhile (or reports no size, as /proc does) is read on in steps.
  std::string bytes;
  size_t filled = 0;
  bytes.resize(S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) + 1 : 16384);
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
    ssize_t got = ::read(fd.Get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

int64_t FileSize(std::string_view path) {
  struct stat info {};
  if (path.empty() || ::stat(ToString(path).c_str(), &info) != 0) return -1;
  if (S_ISDIR(info.st_mode)) return -2;
  return static_cast<int64_t>(info.st_size);
}

bool CreateFolder(std::string_view path) {
  if (path.empty()) return false;
  std::string folder = ToString(path);
  if (::mkdir(folder.c_str(), 0777) == 0) return true;
  struct stat info {};
  return errno == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> ListFiles(std::string_view folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  const std::string path = ToString(folder);
  DIR* directory = ::opendir(path.c_str());
  if (!directory) return names;
  while (const dirent* entry = ::readdir(directory)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (::stat((path + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      names.push_back(std::move(name));
    }
  }
  ::closedir(directory);
  return names;
}

std::optional<FolderListing> ListFolder(std::string_view folder) {
  if (folder.empty()) return std::nullopt;
  const int fd = ::open(ToString(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  FolderListing listing;
  struct stat self {};
  if (::fstat(fd, &self) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  listing.device = static_cast<uint64_t>(self.st_dev);
  listing.inode = static_cast<uint64_t>(self.st_ino);
  DIR* directory = ::fdopendir(fd);  // owns fd from here on
  if (!directory) {
    ::close(fd);
    return std::nullopt;
  }
  while (const dirent* entry = ::readdir(directory)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // Follows symbolic links; a dangling one, or a file that vanished since
    // the folder was read, is left out.
    struct stat info {};
    if (::fstatat(fd, name.c_str(), &info, 0) != 0) continue;
    FolderEntry item;
    item.name = std::move(name);
    item.kind = S_ISREG(info.st_mode)   ? FolderEntry::Kind::File
                : S_ISDIR(info.st_mode) ? FolderEntry::Kind::Folder
                                        : FolderEntry::Kind::Other;
    item.size = static_cast<int64_t>(info.st_size);
    item.modified = static_cast<int64_t>(info.st_mtime);
    item.device = static_cast<uint64_t>(info.st_dev);
    item.inode = static_cast<uint64_t>(info.st_ino);
    listing.entries.push_back(std::move(item));
  }
  ::closedir(directory);
  return listing;
}

std::optional<std::string> ReadFileEnds(std::string_view path, size_t count) {
  if (path.empty()) return std::nullopt;
  FileDescriptor fd(::open(ToString(path).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  const auto size = static_cast<size_t>(info.st_size);
  const auto readAt = [&](std::string& into, size_t offset, size_t length) {
    const size_t start = into.size();
    into.resize(start + length);
    size_t filled = 0;
    while (filled < length) {
      ssize_t got = ::pread(fd.Get(), into.data() + start + filled, length - filled,
                            static_cast<off_t>(offset + filled));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return got == 0 && (into.resize(start + filled), true);
      filled += static_cast<size_t>(got);
    }
    return true;
  };
  std::string bytes;
  if (size <= 2 * count) {
    if (!readAt(bytes, 0, size)) return std::nullopt;
  } else if (!readAt(bytes, 0, count) || !readAt(bytes, size - count, count)) {
    return std::nullopt;
  }
  return bytes;
}

bool RemoveFile(std::string_view path) {
  if (path.empty()) return false;
  const std::string file = ToString(path);
  return ::unlink(file.c_str()) == 0 || errno == ENOENT;
}

namespace {

// The atomic write; without sync the bytes and the new name reach the disk
// when the system gets round to it.
bool WriteReplacing(std::string_view path, std::string_view bytes, const WriteFaultHook& hook,
                    bool sync) {
  if (path.empty()) return false;
  const std::string target = ToString(path);
  std::string temporary = target + ".XXXXXX";
  std::vector<char> pattern(temporary.begin(), temporary.end());
  pattern.push_back('\0');

  if (!Allowed(hook, WriteStep::Open)) return false;
  FileDescriptor fd(::mkstemp(pattern.data()));
  if (fd.Get() < 0) return false;
  temporary.assign(pattern.data());
  // mkstemp creates the file private to its owner; give it the usual mode.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd.Get(), 0666 & ~mask);

  auto fail = [&] {
    ::unlink(temporary.c_str());
    return false;
  };

  size_t written = 0;
  while (written < bytes.size()) {
    if (!Allowed(hook, WriteStep::Write)) return fail();
    ssize_t put = ::write(fd.Get(), bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return fail();
    written += static_cast<size_t>(put);
  }
  if (!Allowed(hook, WriteStep::Sync) || (sync && ::fsync(fd.Get()) != 0)) return fail();
  if (!Allowed(hook, WriteStep::Close) || ::close(fd.Release()) != 0) return fail();
  if (!Allowed(hook, WriteStep::Rename) || ::rename(temporary.c_str(), target.c_str()) != 0) {
    return fail();
  }
  // The new name is in place; syncing the folder makes the rename durable. A
  // failure here no longer endangers either version of the file.
  if (sync && Allowed(hook, WriteStep::SyncFolder)) {
    FileDescriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) ::fsync(folder.Get());
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

bool SyncFilesIn(std::string_view folder) {
  FileDescriptor fd(::open(ToString(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0) return false;
#ifdef __linux__
  return ::syncfs(fd.Get()) == 0;
#else
  ::sync();
  return true;
#endif
}

FileReader::FileReader(std::string_view path) {
  if (path.empty()) return;
  FileDescriptor fd(::open(ToString(path).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || S_ISDIR(info.st_mode)) return;
  handle_ = fd.Release();
}

FileReader::~FileReader() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
}

int64_t FileReader::ReadNext(char* bytes, size_t count) {
  if (handle_ == -1) return -1;
  size_t filled = 0;
  while (filled < count) {
    // One read returns at most about 2 GB on Linux.
    const size_t chunk = std::min<size_t>(count - filled, size_t{1} << 30);
    const ssize_t got = ::read(static_cast<int>(handle_), bytes + filled, chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(filled);
}

bool IsOnNetworkFileSystem(std::string_view folder) {
#ifdef __linux__
  struct statfs info {};
  if (folder.empty() || ::statfs(ToString(folder).c_str(), &info) != 0) return false;
  // The kinds of file system whose files live on another machine. FUSE counts:
  // its best-known use is sshfs, and a local FUSE file system (ntfs-3g) only
  // loses some speed to the rollback journal, while a remote one could lose data
  // to the write-ahead log.
  constexpr uint32_t kNetworkKinds[] = {
      0x6969,      // NFS
      0x517B,      // SMB
      0xFF534D42,  // CIFS
      0xFE534D42,  // SMB2
      0x73757245,  // Coda
      0x5346414F,  // OpenAFS
      0x6B414653,  // kAFS
      0x01021997,  // 9P (also WSL's Windows drives)
      0x65735546,  // FUSE
      0x00C36400,  // Ceph
      0x0BD00BD0,  // Lustre
      0x564C,      // NCP
      0x786F4256,  // VirtualBox shared folders
  };
  const auto kind = static_cast<uint32_t>(info.f_type);
  return std::find(std::begin(kNetworkKinds), std::end(kNetworkKinds), kind) !=
         std::end(kNetworkKinds);
#else
  (void)folder;
  return false;
#endif
}

std::string AbsolutePath(std::string_view path) {
  if (!path.empty() && path.front() == '/') return ToString(path);
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return ToString(path);
  return std::string(buffer) + "/" + ToString(path);
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

LocalDate Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return LocalDate{local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

LocalTime Now() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return LocalTime{LocalDate{local.tm_mday, local.tm_mon + 1, local.tm_year + 1900}, local.tm_hour,
                   local.tm_min};
}

LocalTime LocalTimeAt(int64_t unixSeconds) {
  const auto moment = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  if (::localtime_r(&moment, &local) == nullptr) return LocalTime{};
  return LocalTime{LocalDate{local.tm_mday, local.tm_mon + 1, local.tm_year + 1900}, local.tm_hour,
                   local.tm_min};
}

void Pause(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  timespec rest{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (::nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

bool StartProcess(const std::string& executable) {
  if (executable.empty()) return false;
  std::vector<char> program(executable.begin(), executable.end());
  program.push_back('\0');
  char* argv[] = {program.data(), nullptr};
  // Never waited for: a restart ends this process right after, and the new
  // instance is then adopted by init.
  pid_t child = 0;
  return ::posix_spawn(&child, program.data(), nullptr, nullptr, argv, environ) == 0;
}

void KeepHeapPausesShort() {
#ifdef __GLIBC__
  mallopt(M_MXFAST, 0);
#endif
}

}  // namespace zelluo::platform::os
