#pragma once
// Files, processes and time on a POSIX system, shared by the headless and the
// GTK backends. Paths are relative to the working directory, '/' separated.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelluo::posix {

std::optional<std::string> ReadWholeFile(std::string_view path);
int64_t FileSize(std::string_view path);
bool CreateFolder(std::string_view path);

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

std::string ExecutablePath();
LocalDate Today();
void Pause(int32_t milliseconds);
// Starts executable without arguments in the current working directory and
// does not wait for it.
bool StartProcess(const std::string& executable);

}  // namespace zelluo::posix
