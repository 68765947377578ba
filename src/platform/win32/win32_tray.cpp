// The icon in the notification area.

#include "platform/win32/win32_internal.h"
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {
namespace {

NOTIFYICONDATAW TrayData(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = win32::kTrayIconId;
  return data;
}

}  // namespace

bool Win32Platform::AddTrayIcon(ImageId image) {
  if (!window_ || trayIcon_) return false;
  const Image* picture = FindImage(image);
  if (!picture) return false;
  // The picture is an icon, or becomes one for the tray.
  HICON icon = picture->icon ? ::CopyIcon(picture->icon) : nullptr;
  if (!icon) {
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = picture->bitmap;
    info.hbmMask = ::CreateBitmap(picture->width, picture->height, 1, 1, nullptr);
    icon = info.hbmMask ? ::CreateIconIndirect(&info) : nullptr;
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
  }
  if (!icon) return false;

  NOTIFYICONDATAW data = TrayData(window_);
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = win32::kTrayMessage;
  data.hIcon = icon;
  if (!::Shell_NotifyIconW(NIM_ADD, &data)) {
    ::DestroyIcon(icon);
    return false;
  }
  trayIcon_ = true;
  trayIconHandle_ = icon;
  trayWindow_ = window_;
  return true;
}

void Win32Platform::SetTrayTooltip(std::string_view text) {
  if (!trayIcon_) return;
  NOTIFYICONDATAW data = TrayData(trayWindow_);
  data.uFlags = NIF_TIP;
  std::wstring tip = win32::Widen(text);
  const size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
  std::copy_n(tip.begin(), length, data.szTip);
  data.szTip[length] = L'\0';
  ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32Platform::RemoveTrayIcon() {
  if (!trayIcon_) return;
  // The icon is known by its window's handle and number, even when the window
  // was destroyed by the fade-out already.
  NOTIFYICONDATAW data = TrayData(trayWindow_);
  ::Shell_NotifyIconW(NIM_DELETE, &data);
  trayIcon_ = false;
  trayWindow_ = nullptr;
  if (trayIconHandle_) ::DestroyIcon(trayIconHandle_);
  trayIconHandle_ = nullptr;
}

}  // namespace zelluo::platform
