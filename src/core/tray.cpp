#include "core/tray.h"

#include "assets/image_numbers.h"
#include "core/application.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::core {
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
  platform::KeyModifier modifier;
  platform::ShortcutInFields inFields;
  int32_t menuEvent;
};
constexpr KeyShortcut kListPageKeys[] = {
    {'N', platform::KeyModifier::Control, platform::ShortcutInFields::Always, ui::menu::kNewFilm},
    {'S', platform::KeyModifier::Control, platform::ShortcutInFields::Always, ui::menu::kSaveFilm},
    {'Z', platform::KeyModifier::Control, platform::ShortcutInFields::Always,
     ui::menu::kUndoDelete},
    {'F', platform::KeyModifier::Control, platform::ShortcutInFields::Always, ui::menu::kFindFilm},
    {'I', platform::KeyModifier::Control, platform::ShortcutInFields::Always,
     ui::menu::kImportFilms},
    {'E', platform::KeyModifier::Control, platform::ShortcutInFields::Always,
     ui::menu::kExportFilms},
    {'O', platform::KeyModifier::Control, platform::ShortcutInFields::Always,
     ui::menu::kChooseVideo},
    {'L', platform::KeyModifier::Control, platform::ShortcutInFields::Always, ui::menu::kLendFilm},
    {'R', platform::KeyModifier::Control, platform::ShortcutInFields::Always,
     ui::menu::kReturnFilm},
    {'K', platform::KeyModifier::Control, platform::ShortcutInFields::Always,
     ui::menu::kShowLentFilms},
    {'U', platform::KeyModifier::Control, platform::ShortcutInFields::Always,
     ui::menu::kNarrowToLent},
    {'T', platform::KeyModifier::Control, platform::ShortcutInFields::Always,
     ui::menu::kExportDueDates},
    {platform::kKeyDelete, platform::KeyModifier::None, platform::ShortcutInFields::Never,
     ui::menu::kDeleteFilm},
    {platform::kKeyUp, platform::KeyModifier::None, platform::ShortcutInFields::SingleLine,
     ui::menu::kPreviousFilm},
    {platform::kKeyDown, platform::KeyModifier::None, platform::ShortcutInFields::SingleLine,
     ui::menu::kNextFilm},
    {platform::kKeyPageUp, platform::KeyModifier::None, platform::ShortcutInFields::SingleLine,
     ui::menu::kPageUp},
    {platform::kKeyPageDown, platform::KeyModifier::None, platform::ShortcutInFields::SingleLine,
     ui::menu::kPageDown},
};

void AddShortcuts(platform::Platform& platform) {
  platform.AddShortcut(kEscapeKey, ui::menu::kQuit);
  platform.AddShortcut(kBackspaceKey, ui::menu::kBackToMain);
  for (const KeyShortcut& key : kListPageKeys) {
    platform.AddKeyShortcut(key.keyCode, key.modifier, key.inFields, key.menuEvent);
  }
}

void CreateTrayIcon(Application& app) {
  app.trayIconInstalled = app.platform.AddTrayIcon(assets::image::kProgramIcon);
  if (!app.trayIconInstalled) return;
  std::string tooltip = app.settings.Name + " " + app.settings.Version;
  app.platform.SetTrayTooltip(FirstCharacters(tooltip, kTooltipCharacters));
}

void CreateTrayMenu(platform::Platform& platform) {
  platform.CreatePopupMenu();
  platform.AppendMenuEntry(ui::menu::kShow, text::kMenuShow);
  platform.AppendMenuEntry(ui::menu::kHide, text::kMenuHide);
  platform.AppendMenuSeparator();
  platform.AppendMenuEntry(ui::menu::kQuit, text::kMenuQuit);
}

void ShowTrayMenu(platform::Platform& platform) { platform.ShowPopupMenu(); }

void EnableTrayEntry(platform::Platform& platform, int32_t entry, int32_t flag) {
  platform.EnableMenuEntry(entry, flag == 0);
}

}  // namespace zelluo::core
