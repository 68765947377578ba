// The bounded event wait, the mouse position and the keyboard shortcuts.

#include "platform/win32/win32_internal.h"

#include <vector>

#include "platform/win32/win32_platform.h"

namespace zelluo {

void Win32Platform::PushEvent(const Event& event) { queue_.push_back(event); }

bool Win32Platform::IsShortcutTarget(HWND target) const {
  // Shortcuts belong to the main window: they act only while it is the active
  // window, on keys meant for it or one of its controls.
  if (!window_ || !accelerators_ || ::GetActiveWindow() != window_) return false;
  return target == window_ || ::IsChild(window_, target);
}

Event Win32Platform::WaitEvent(int32_t timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
  for (;;) {
    if (!queue_.empty()) {
      Event event = queue_.front();
      queue_.pop_front();
      return event;
    }
    MSG message{};
    if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // A shortcut's key goes nowhere else: the accelerator turns it into a
      // WM_COMMAND, which the window procedure queues as the menu event.
      bool translated = message.message != WM_QUIT && IsShortcutTarget(message.hwnd) &&
                        ::TranslateAcceleratorW(window_, accelerators_, &message);
      if (!translated && message.message != WM_QUIT) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
      if (!queue_.empty()) continue;
      // Every other message (mouse moves, painting, keys) is an event too.
      return Event{EventKind::Other};
    }
    // Sent messages were handled inside PeekMessage and may have queued events.
    if (!queue_.empty()) continue;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return Event{EventKind::None};
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
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
  shortcuts_[keyCode] = menuEvent;
  // An accelerator table cannot be changed: build it anew from all shortcuts.
  std::vector<ACCEL> table;
  for (const auto& [key, event] : shortcuts_) {
    // FVIRTKEY alone: the key matches only with no Shift, Ctrl or Alt down.
    table.push_back(ACCEL{FVIRTKEY, static_cast<WORD>(key), static_cast<WORD>(event)});
  }
  if (accelerators_) ::DestroyAcceleratorTable(accelerators_);
  accelerators_ = ::CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

}  // namespace zelluo
