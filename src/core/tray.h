#pragma once
// The tray icon with its menu, and the two keyboard shortcuts of the window.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelluo::core {

struct Application;

inline constexpr size_t kTooltipCharacters = 63;

// Escape quits, Backspace returns to the Main page.
void AddShortcuts(platform::Platform& platform);
// Adds the icon (image 5) and then its tooltip Name + " " + Version.
void CreateTrayIcon(Application& app);
// "Einblenden", "Ausblenden", a separator and "Beenden", all enabled.
void CreateTrayMenu(platform::Platform& platform);
void ShowTrayMenu(platform::Platform& platform);
// flag 0 enables the entry, 1 disables it (shown greyed).
void EnableTrayEntry(platform::Platform& platform, int32_t entry, int32_t flag);

// The first count characters of UTF-8 text; never cuts inside a character.
std::string FirstCharacters(std::string_view text, size_t count);

}  // namespace zelluo::core
