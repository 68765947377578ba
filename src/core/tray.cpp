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

// The List page's keys: Control shortcuts work in its fields too; the arrow and
// page keys also move through the list from the search field.
struct KeyShortcut {
  int32_t keyCode;
  KeyModifier modifier;
  ShortcutInFields inFields;
  int32_t menuEvent;
};
constexpr KeyShortcut kListPageKeys[] = {
    {'N', KeyModifier::Control, ShortcutInFields::Always, menu::kNewFilm},
    {'S', KeyModifier::Control, ShortcutInFields::Always, menu::kSaveFilm},
    {'Z', KeyModifier::Control, ShortcutInFields::Always, menu::kUndoDelete},
    {'F', KeyModifier::Control, ShortcutInFields::Always, menu::kFindFilm},
    {'I', KeyModifier::Control, ShortcutInFields::Always, menu::kImportFilms},
    {'E', KeyModifier::Control, ShortcutInFields::Always, menu::kExportFilms},
    {'O', KeyModifier::Control, ShortcutInFields::Always, menu::kChooseVideo},
    {kKeyDelete, KeyModifier::None, ShortcutInFields::Never, menu::kDeleteFilm},
    {kKeyUp, KeyModifier::None, ShortcutInFields::SingleLine, menu::kPreviousFilm},
    {kKeyDown, KeyModifier::None, ShortcutInFields::SingleLine, menu::kNextFilm},
    {kKeyPageUp, KeyModifier::None, ShortcutInFields::SingleLine, menu::kPageUp},
    {kKeyPageDown, KeyModifier::None, ShortcutInFields::SingleLine, menu::kPageDown},
};

void AddShortcuts(Platform& platform) {
  platform.AddShortcut(kEscapeKey, menu::kQuit);
  platform.AddShortcut(kBackspaceKey, menu::kBackToMain);
  for (const KeyShortcut& key : kListPageKeys) {
    platform.AddKeyShortcut(key.keyCode, key.modifier, key.inFields, key.menuEvent);
  }
}

void CreateTrayIcon(Application& app) {
  app.trayIconInstalled = app.platform.AddTrayIcon(image::kProgramIcon);
  if (!app.trayIconInstalled) return;
  std::string tooltip = app.settings.Name + " " + app.settings.Version;
  app.platform.SetTrayTooltip(FirstCharacters(tooltip, kTooltipCharacters));
}

void CreateTrayMenu(Platform& platform) {
  platform.CreatePopupMenu();
  platform.AppendMenuEntry(menu::kShow, text::kMenuShow);
  platform.AppendMenuEntry(menu::kHide, text::kMenuHide);
  platform.AppendMenuSeparator();
  platform.AppendMenuEntry(menu::kQuit, text::kMenuQuit);
}

void ShowTrayMenu(Platform& platform) { platform.ShowPopupMenu(); }

void EnableTrayEntry(Platform& platform, int32_t entry, int32_t flag) {
  platform.EnableMenuEntry(entry, flag == 0);
}

}  // namespace zelluo
