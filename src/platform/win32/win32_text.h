#pragma once
// Text at the Win32 boundary: the program's UTF-8 becomes UTF-16 for the
// wide API calls and back, and its '/'-separated paths become '\' paths.

#include <windows.h>

#include <string>
#include <string_view>

namespace zelluo::platform::win32 {

inline std::wstring Widen(std::string_view text) {
  if (text.empty()) return {};
  int length =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
  return wide;
}

inline std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string narrow(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
  return narrow;
}

// "Zelluo Files/Zelluo.xml" -> L"Zelluo Files\\Zelluo.xml".
inline std::wstring WindowsPath(std::string_view path) {
  std::wstring wide = Widen(path);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

}  // namespace zelluo::platform::win32
