#include "core/tray.h"

#include "assets/image_numbers.h"
#include "core/application.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo {
namespace {

constexpr int32_t kEscapeKey = 27;
constexpr int32_t kBackspaceKey = 8;

}  // namespace

std::string FirstCharacters(std::string_view text, size_t count) {
  size_t end = 0;
  for (size_t characters = 0; end < text.size() && characters < count; ++characters) {
    ++end;
    // Continuation bytes (10xxxxxx) belong to the character just started.
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return std::string(text.substr(0, end));
}

void AddShortcuts(Application& app) {
  app.platform.AddShortcut(kEscapeKey, menu::kQuit);
  app.platform.AddShortcut(kBackspaceKey, menu::kBackToMain);
}

void CreateTrayIcon(Application& app) {
  app.trayIconInstalled = app.platform.AddTrayIcon(image::kProgramIcon);
  if (!app.trayIconInstalled) return;
  std::string tooltip = app.settings.Name + " " + app.settings.Version;
  app.platform.SetTrayTooltip(FirstCharacters(tooltip, kTooltipCharacters));
}

void CreateTrayMenu(Application& app) {
  Platform& platform = app.platform;
  platform.CreatePopupMenu();
  platform.AppendMenuEntry(menu::kShow, text::kMenuShow);
  platform.AppendMenuEntry(menu::kHide, text::kMenuHide);
  platform.AppendMenuSeparator();
  platform.AppendMenuEntry(menu::kQuit, text::kMenuQuit);
}

void ShowTrayMenu(Application& app) { app.platform.ShowPopupMenu(); }

void EnableTrayEntry(Application& app, int32_t entry, int32_t flag) {
  app.platform.EnableMenuEntry(entry, flag == 0);
}

}  // namespace zelluo
