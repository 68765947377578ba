#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_platform.h"

#include <commctrl.h>
#include <objbase.h>

#include "platform/win32/win32_text.h"

namespace zelluo::platform {

Win32Platform::Win32Platform() : instance_(::GetModuleHandleW(nullptr)) {
  comInitialised_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  // Registers the standard control classes of the common controls library
  // (version 6 through the manifest).
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&controls);
}

Win32Platform::~Win32Platform() {
  // Shutdown has normally released all of this already; each step is a no-op then.
  RemoveTrayIcon();
  CloseAudio();
  DestroyWindow();
  FreeAllImages();
  FreeAllFonts();
  if (menu_) ::DestroyMenu(menu_);
  if (comInitialised_) ::CoUninitialize();
}

// --- display ----------------------------------------------------------------

Size Win32Platform::PrimaryDisplaySize() {
  DISPLAY_DEVICEW device{};
  device.cb = sizeof device;
  for (DWORD index = 0; ::EnumDisplayDevicesW(nullptr, index, &device, 0); ++index) {
    if ((device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) &&
        (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP)) {
      DEVMODEW mode{};
      mode.dmSize = sizeof mode;
      if (::EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) {
        return Size{static_cast<int32_t>(mode.dmPelsWidth),
                    static_cast<int32_t>(mode.dmPelsHeight)};
      }
      break;
    }
    device = DISPLAY_DEVICEW{};
    device.cb = sizeof device;
  }
  // No device list: the primary screen as the system metrics see it.
  return Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

int32_t Win32Platform::VerticalDpi() {
  HDC screen = ::GetDC(nullptr);
  if (!screen) return 96;
  int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// --- message boxes ------------------------------------------------------------

MessageAnswer Win32Platform::ShowMessage(std::string_view title, std::string_view text,
                                         MessageButtons buttons) {
  HWND owner = window_ && ::IsWindow(window_) ? window_ : nullptr;
  UINT style = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  if (!owner) style |= MB_TASKMODAL | MB_SETFOREGROUND;
  int answer = ::MessageBoxW(owner, win32::Widen(text).c_str(), win32::Widen(title).c_str(), style);
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace zelluo::platform
