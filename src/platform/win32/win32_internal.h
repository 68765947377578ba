#pragma once
// Values the files of the Win32 backend share among themselves.

#include <windows.h>
// <windows.h> turns these into their ...W names, which would rename the
// Platform operations of the same names in some files and not in others.
#undef LoadImage
#undef PlaySound

namespace zelluo::platform::win32 {

// The notification area reports mouse actions on the tray icon with this
// message to the main window.
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kTrayIconId = 1;
// Posted to the main window after a list's selection changed (wParam: the
// gadget), so that the pair of changes of one click is looked at once.
constexpr UINT kListSelectionMessage = WM_APP + 2;
// Posted to the main window to move it back where it belongs, once the
// placement that moved it away has been handled.
constexpr UINT kKeepPlaceMessage = WM_APP + 3;
// Posted to the main window from libmpv's thread: its events are waiting.
constexpr UINT kVideoMessage = WM_APP + 4;

constexpr wchar_t kMainWindowClass[] = L"ZelluoMainWindow";
// The hidden window that the sound device's cooperation level is tied to.
constexpr wchar_t kDeviceWindowClass[] = L"MultimediaBase Class";

// Resource number of the program's icon group.
constexpr WORD kIconGroup = 1;

}  // namespace zelluo::platform::win32
