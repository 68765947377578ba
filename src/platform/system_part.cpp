// Files, processes and time for every backend, through os_services.h.

#include <string>

#include "platform/os_services.h"
#include "platform/platform.h"

namespace zelluo::platform {

bool SystemPart::AllowWriteStep(os::WriteStep) { return true; }

// Only a desktop knows which program opens a file: GIO's default application
// on GTK, ShellExecuteW on Windows (the backends' overrides).
bool SystemPart::OpenWithDefaultProgram(std::string_view) { return false; }

std::optional<std::string> SystemPart::ReadFile(std::string_view path) {
  if (path.empty()) return std::nullopt;
  return os::ReadWholeFile(LocalPath(path));
}

bool SystemPart::WriteFileAtomic(std::string_view path, std::string_view bytes) {
  if (path.empty()) return false;
  return os::WriteFileAtomic(LocalPath(path), bytes,
                             [this](os::WriteStep step) { return AllowWriteStep(step); });
}

bool SystemPart::CreateFolder(std::string_view path) {
  if (path.empty() || !AllowWriteStep(os::WriteStep::Open)) return false;
  return os::CreateFolder(LocalPath(path));
}

int64_t SystemPart::FileSize(std::string_view path) {
  if (path.empty()) return -1;
  return os::FileSize(LocalPath(path));
}

std::optional<FolderListing> SystemPart::ListFolder(std::string_view path) {
  if (path.empty()) return std::nullopt;
  return os::ListFolder(LocalPath(path));
}

std::optional<std::string> SystemPart::ReadFileEnds(std::string_view path, size_t count) {
  if (path.empty()) return std::nullopt;
  return os::ReadFileEnds(LocalPath(path), count);
}

std::string SystemPart::ExecutablePath() { return os::ExecutablePath(); }

LocalDate SystemPart::Today() { return os::Today(); }

LocalTime SystemPart::Now() { return os::Now(); }

LocalTime SystemPart::LocalTimeAt(int64_t unixSeconds) { return os::LocalTimeAt(unixSeconds); }

bool SystemPart::RemoveFile(std::string_view path) {
  if (path.empty() || !AllowWriteStep(os::WriteStep::Open)) return false;
  return os::RemoveFile(LocalPath(path));
}

void SystemPart::Pause(int32_t milliseconds) { os::Pause(milliseconds); }

bool SystemPart::StartOwnExecutable() {
  const std::string self = ExecutablePath();
  return !self.empty() && os::StartProcess(self);
}

}  // namespace zelluo::platform
