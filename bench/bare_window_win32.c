/* The Windows baseline of bench/startup.sh (run under Wine): a bare popup
 * window of 1280 x 1024 with the given title and a dark background, shown at
 * once, and a plain message loop.
 *
 *   bare_window_win32.exe <title> */
#include <windows.h>

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
  (void)previous;
  (void)show;
  const wchar_t* title = commandLine != NULL && commandLine[0] != L'\0' ? commandLine : L"Bare";
  WNDCLASSW windowClass = {0};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  windowClass.hbrBackground = CreateSolidBrush(RGB(40, 40, 40));
  windowClass.lpszClassName = L"BareWindow";
  if (!RegisterClassW(&windowClass)) return 1;
  HWND window = CreateWindowExW(0, L"BareWindow", title, WS_POPUP | WS_VISIBLE, 0, 0, 1280, 1024,
                                NULL, NULL, instance, NULL);
  if (window == NULL) return 1;
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return (int)message.wParam;
}
