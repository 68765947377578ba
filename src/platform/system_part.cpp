// Files, processes and time for every backend, through os_services.h.

#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/os_services.h"
#include "platform/platform.h"

namespace zelluo {

bool SystemPart::AllowWriteStep(os::WriteStep) { return true; }

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

std::string SystemPart::ExecutablePath() { return os::ExecutablePath(); }

LocalDate SystemPart::Today() { return os::Today(); }

LocalTime SystemPart::Now() {
  const std::time_t now = std::time(nullptr);
  // The program asks from its one thread only.
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return LocalTime{Today(), 0, 0};
  return LocalTime{LocalDate{local->tm_mday, local->tm_mon + 1, local->tm_year + 1900},
                   local->tm_hour, local->tm_min};
}

bool SystemPart::RemoveFile(std::string_view path) {
  if (path.empty() || !AllowWriteStep(os::WriteStep::Open)) return false;
  const std::string local = LocalPath(path);
  // The path is UTF-8, also where the narrow strings of the system are not.
  const std::filesystem::path file(std::u8string(local.begin(), local.end()));
  std::error_code error;
  std::filesystem::remove(file, error);
  return !error && !std::filesystem::exists(file, error);
}

void SystemPart::Pause(int32_t milliseconds) { os::Pause(milliseconds); }

bool SystemPart::StartOwnExecutable() {
  const std::string self = ExecutablePath();
  return !self.empty() && os::StartProcess(self);
}

}  // namespace zelluo
