// The main window: class, creation, region, show states, geometry, opacity,
// drag and destruction, and its window procedure.

#include "platform/win32/win32_internal.h"

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {
namespace {

// The one place that needs the backend from a bare window handle: the
// pointer stored in the window's GWLP_USERDATA at creation.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* platform = reinterpret_cast<Win32Platform*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  intptr_t result = 0;
  if (platform && platform->HandleWindowMessage(message, wParam, lParam, &result)) {
    return result;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool Win32Platform::OpenWindow(const WindowRequest& request) {
  if (window_) return false;
  windowBrush_ = ::CreateSolidBrush(static_cast<COLORREF>(request.background));

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(win32::kIconGroup));
  smallClassIcon_ = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(win32::kIconGroup),
                                                    IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                    ::GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hIconSm = smallClassIcon_;
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = windowBrush_;
  windowClass.lpszClassName = win32::kMainWindowClass;
  windowClassRegistered_ = ::RegisterClassExW(&windowClass) != 0;
  if (!windowClassRegistered_) {
    ReleaseWindowResources();
    return false;
  }

  // A pop-up window has neither caption nor border: its client area is the
  // whole window.
  const Rect& rect = request.clientRect;
  window_ =
      ::CreateWindowExW(WS_EX_APPWINDOW, win32::kMainWindowClass,
                        win32::Widen(request.title).c_str(), WS_POPUP | WS_CLIPCHILDREN, rect.x,
                        rect.y, rect.width, rect.height, nullptr, nullptr, instance_, this);
  if (!window_) {
    ReleaseWindowResources();
    return false;
  }
  KeepPlaceWhileShown();
  ::ShowWindow(window_, request.minimised ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  ::UpdateWindow(window_);
  return true;
}

void Win32Platform::SetWindowRegion(int32_t width, int32_t height, int32_t cornerWidth,
                                    int32_t cornerHeight) {
  if (!window_) return;
  // Square corners are the whole rectangle: CreateRoundRectRgn, like
  // CreateEllipticRgn, may leave out the last column and row.
  HRGN region = cornerWidth == 0 && cornerHeight == 0
                    ? ::CreateRectRgn(0, 0, width, height)
                    : ::CreateRoundRectRgn(0, 0, width, height, cornerWidth, cornerHeight);
  if (!region) return;
  // The window owns the region from here on.
  if (!::SetWindowRgn(window_, region, TRUE)) ::DeleteObject(region);
}

void Win32Platform::ShowWindow(WindowShow how) {
  if (!window_) return;
  switch (how) {
    case WindowShow::Show:
      KeepPlaceWhileShown();
      ::ShowWindow(window_, SW_SHOW);
      break;
    case WindowShow::Hide:
      placeAt_.reset();
      ::ShowWindow(window_, SW_HIDE);
      break;
    case WindowShow::Restore:
      KeepPlaceWhileShown();
      ::ShowWindow(window_, SW_RESTORE);
      break;
  }
}

void Win32Platform::KeepPlaceWhileShown() {
  // Windows itself shows a window where it stood; an X window manager under
  // Wine may map it elsewhere, which Wine then reports as a move. Such moves
  // within the first second are undone.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!::GetWindowPlacement(window_, &placement)) return;
  placeAt_ = Point{placement.rcNormalPosition.left, placement.rcNormalPosition.top};
  placeUntil_ = ::GetTickCount64() + 1000;
}

std::optional<Rect> Win32Platform::WindowRect() {
  if (!window_) return std::nullopt;
  RECT client{};
  ::GetClientRect(window_, &client);
  if (::IsIconic(window_)) {
    // A minimised window stands off the screen; its normal place is the answer.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window_, &placement);
    const RECT& normal = placement.rcNormalPosition;
    return Rect{normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top};
  }
  RECT outer{};
  ::GetWindowRect(window_, &outer);
  return Rect{outer.left, outer.top, client.right - client.left, client.bottom - client.top};
}

void Win32Platform::MoveResizeWindow(const Rect& rect) {
  if (!window_) return;
  placeAt_.reset();  // the program's own move
  ::SetWindowPos(window_, nullptr, rect.x, rect.y, rect.width, rect.height,
                 SWP_NOACTIVATE | SWP_NOZORDER);
}

void Win32Platform::SetWindowOpacity(int32_t alpha) {
  if (!window_) return;
  LONG_PTR style = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
  if (!(style & WS_EX_LAYERED)) ::SetWindowLongPtrW(window_, GWL_EXSTYLE, style | WS_EX_LAYERED);
  if (alpha < 0) alpha = 0;
  if (alpha > 255) alpha = 255;
  ::SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void Win32Platform::DragWindow() {
  if (!window_) return;
  // The move loop waits for a button release: without a pressed button it
  // would wait for the next click.
  if (!(::GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return;
  placeAt_.reset();  // the user's move
  ::ReleaseCapture();
  ::SendMessageW(window_, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void Win32Platform::DestroyWindow() {
  if (!window_) return;
  for (auto& [number, gadget] : core_.gadgets) DestroyGadget(gadget);
  core_.gadgets.Clear();
  HWND window = window_;
  window_ = nullptr;
  ::DestroyWindow(window);
  ReleaseWindowResources();
  core_.events.Clear();
}

void Win32Platform::ReleaseWindowResources() {
  core_.shortcuts.Clear();
  if (windowClassRegistered_) {
    ::UnregisterClassW(win32::kMainWindowClass, instance_);
    windowClassRegistered_ = false;
  }
  if (windowBrush_) {
    ::DeleteObject(windowBrush_);
    windowBrush_ = nullptr;
  }
  if (smallClassIcon_) {
    ::DestroyIcon(smallClassIcon_);
    smallClassIcon_ = nullptr;
  }
}

bool Win32Platform::HandleWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                                        intptr_t* result) {
  switch (message) {
    case WM_WINDOWPOSCHANGED: {
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (placeAt_ && ::GetTickCount64() > placeUntil_) placeAt_.reset();
      if (placeAt_ && !(position->flags & SWP_NOMOVE) && !::IsIconic(window_) &&
          (position->x != placeAt_->x || position->y != placeAt_->y)) {
        // Moved back once Wine has finished taking in the placement; the
        // place is kept until the second is over, as Wine may report an
        // older placement after that move.
        ::PostMessageW(window_, win32::kKeepPlaceMessage, 0, 0);
      }
      return false;  // the default handling follows
    }
    case win32::kVideoMessage:
      DrainVideoEvents();
      return true;
    case win32::kKeepPlaceMessage:
      if (placeAt_) {
        ::SetWindowPos(window_, nullptr, placeAt_->x, placeAt_->y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return true;
    case WM_CLOSE:
      // The program decides; the window stays until it is destroyed.
      core_.events.Push(Event{EventKind::CloseRequest});
      *result = 0;
      return true;
    case WM_QUERYENDSESSION:
      *result = TRUE;  // nothing to ask: unsaved edits are kept as a draft
      return true;
    case WM_ENDSESSION:
      // Windows may end the process as soon as this returns, and the
      // program's loop waits further up this very stack (WaitEvent ->
      // DispatchMessage -> here): an event queued now might never be seen.
      // So the program's own end of session runs here, before returning; it
      // ends the loop, which then returns from the wait as usual.
      if (wParam != FALSE) {
        if (sessionEnd_) {
          sessionEnd_();
        } else {
          core_.events.Push(Event{EventKind::SessionEnd});
        }
      }
      *result = 0;
      return true;
    case WM_LBUTTONDOWN:
      // Presses on text gadgets arrive here too: they are transparent to hits.
      core_.events.Push(Event{EventKind::LeftButtonPressed});
      *result = 0;
      return true;
    case WM_COMMAND: {
      const int code = HIWORD(wParam);
      const int identifier = LOWORD(wParam);
      if (lParam == 0) {
        // The popup menu's entries (shortcuts are queued by the message loop).
        core_.events.Push(Event{EventKind::Menu, identifier});
      } else {
        GadgetId gadget = GadgetOfControl(reinterpret_cast<HWND>(lParam));
        if (Number(gadget) < 0) return false;
        const Gadget* found = FindGadget(gadget);
        if (found->Kind() == ControlKind::Image && code == STN_CLICKED) {
          core_.events.Push(Event::OfGadget(gadget, 0));
        } else if (found->Kind() == ControlKind::Image && code == STN_DBLCLK) {
          core_.events.Push(Event::OfGadget(gadget, 1));
        } else if (found->Kind() == ControlKind::Button && code == BN_CLICKED) {
          core_.events.Push(Event::OfGadget(gadget, 0));
        } else if ((found->Kind() == ControlKind::SingleLineField ||
                    found->Kind() == ControlKind::MultiLineField) &&
                   code == EN_CHANGE && !core_.quiet.Active()) {
          // One pending report of a field's change is enough.
          core_.events.PushUnlessLast(Event::OfGadget(gadget, kGadgetTextChanged));
        }
      }
      *result = 0;
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      const GadgetId gadget = header ? GadgetOfControl(header->hwndFrom) : kNoGadget;
      return Number(gadget) >= 0 && HandleListNotify(gadget, header, result);
    }
    case win32::kListSelectionMessage:
      CheckListSelection(GadgetId{static_cast<int32_t>(wParam)});
      *result = 0;
      return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      return HandleControlColour(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam),
                                 result);
    case win32::kTrayMessage: {
      int32_t action = -1;
      switch (LOWORD(lParam)) {
        case WM_LBUTTONDOWN:
          action = 0;
          break;
        case WM_RBUTTONDOWN:
          action = 1;
          break;
        case WM_LBUTTONDBLCLK:
          action = 2;
          break;
        case WM_RBUTTONDBLCLK:
          action = 3;
          break;
        default:
          break;
      }
      if (action >= 0) core_.events.Push(Event{EventKind::Tray, action});
      *result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zelluo::platform
