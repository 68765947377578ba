// The popup menu of the tray icon.

#include "platform/win32/win32_internal.h"

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {

void Win32Platform::CreatePopupMenu() {
  if (menu_) ::DestroyMenu(menu_);
  menu_ = ::CreatePopupMenu();
}

void Win32Platform::AppendMenuEntry(int32_t entry, std::string_view text) {
  if (!menu_) return;
  ::AppendMenuW(menu_, MF_STRING, static_cast<UINT_PTR>(entry), win32::Widen(text).c_str());
}

void Win32Platform::AppendMenuSeparator() {
  if (menu_) ::AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
}

void Win32Platform::EnableMenuEntry(int32_t entry, bool enabled) {
  if (!menu_) return;
  ::EnableMenuItem(menu_, static_cast<UINT>(entry),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void Win32Platform::ShowPopupMenu() {
  if (!menu_ || !window_) return;
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // Without the foreground the menu would not close when clicked elsewhere;
  // this holds for a hidden window too.
  ::SetForegroundWindow(window_);
  UINT chosen = static_cast<UINT>(
      ::TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                       cursor.x - 1, cursor.y - 1, 0, window_, nullptr));
  // Lets the menu's owner see one more message, so that the next click on the
  // tray opens the menu again at once.
  ::PostMessageW(window_, WM_NULL, 0, 0);
  if (chosen != 0) core_.events.Push(Event{EventKind::Menu, static_cast<int32_t>(chosen)});
}

}  // namespace zelluo::platform
