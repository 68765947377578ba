// The bounded event wait, the mouse position and the keyboard shortcuts.

#include "platform/win32/win32_internal.h"

#include "platform/win32/win32_platform.h"

namespace zelluo::platform {

bool Win32Platform::IsShortcutTarget(HWND target) const {
  // Shortcuts belong to the main window: they act only while it is the active
  // window, on keys meant for it or one of its controls.
  if (!window_ || ::GetActiveWindow() != window_) return false;
  return target == window_ || ::IsChild(window_, target);
}

// Runs before the focused control sees the key, as TranslateAccelerator
// would; unlike an accelerator table the desktop core knows what has the
// focus. A key it leaves to the focused control goes on to the control.
bool Win32Platform::HandleKeyDown(HWND target, uintptr_t virtualKey) {
  if (!IsShortcutTarget(target)) return false;
  const auto down = [](int key) { return (::GetKeyState(key) & 0x8000) != 0; };
  const bool control = down(VK_CONTROL);
  if (down(VK_SHIFT) || down(VK_MENU) || down(VK_LWIN) || down(VK_RWIN)) return false;
  const KeyModifier modifier = control ? KeyModifier::Control : KeyModifier::None;
  const GadgetId focused = GadgetOfControl(::GetFocus());
  return core_.InterceptKey(static_cast<int32_t>(virtualKey), modifier, focused,
                            [this] { LeaveTextField(); });
}

Event Win32Platform::WaitEvent(int32_t timeoutMs) {
  const ULONGLONG deadline =
      ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
  int handled = 0;
  for (;;) {
    if (std::optional<Event> event = core_.events.Pop()) return *event;
    MSG message{};
    if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // A shortcut's key goes nowhere else: neither the control nor
      // TranslateMessage (which would make a character of it) sees it.
      bool translated =
          message.message == WM_KEYDOWN && HandleKeyDown(message.hwnd, message.wParam);
      if (!translated && message.message != WM_QUIT) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
      if (!core_.events.Empty()) continue;
      // A caller with work between events (an import) has everything pending
      // handled at once, paints included.
      if (timeoutMs <= 0 && ++handled < 1000) continue;
      // Every other message (mouse moves, painting, keys) is an event too.
      return Event{EventKind::Other};
    }
    // Sent messages were handled inside PeekMessage and may have queued events.
    if (!core_.events.Empty()) continue;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return Event{handled > 0 ? EventKind::Other : EventKind::None};
    // A wait that ran out found nothing: asking the queue once more (under
    // Wine a request to the server) would only cost time on every idle pass.
    if (::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT) {
      return Event{handled > 0 ? EventKind::Other : EventKind::None};
    }
  }
}

Point Win32Platform::MousePosition() {
  const Point outside{-1, -1};
  if (!window_ || !::IsWindowVisible(window_) || ::IsIconic(window_)) return outside;
  POINT cursor{};
  if (!::GetCursorPos(&cursor) || !::ScreenToClient(window_, &cursor)) return outside;
  RECT client{};
  ::GetClientRect(window_, &client);
  Point position{cursor.x, cursor.y};
  if (cursor.x < client.left || cursor.x >= client.right) position.x = -1;
  if (cursor.y < client.top || cursor.y >= client.bottom) position.y = -1;
  return position;
}

void Win32Platform::AddShortcut(int32_t keyCode, int32_t menuEvent) {
  core_.shortcuts.Add(keyCode, menuEvent);
}

void Win32Platform::AddKeyShortcut(int32_t keyCode, KeyModifier modifier, ShortcutInFields inFields,
                                   int32_t menuEvent) {
  core_.shortcuts.Add(keyCode, modifier, inFields, menuEvent);
}

}  // namespace zelluo::platform
