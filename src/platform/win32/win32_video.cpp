// Films inside the window: libmpv-2.dll, loaded at run time by name like the
// sound library (beside zelluo.exe first, then the search path), draws into a
// child window of the main window (option wid); the player itself is the
// shared MpvPlayer. Without it CanPlayVideo is false and the program hands the
// film to the system's player (ShellExecuteW "open").

#include "platform/win32/win32_internal.h"
#include <shellapi.h>

#include <string>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {
namespace {

constexpr wchar_t kVideoWindowClass[] = L"ZelluoVideo";

// libmpv beside the program, else wherever the system finds a DLL by name;
// a name given by the environment (MpvLibraryName) exactly as given.
HMODULE LoadMpvLibrary() {
  const std::wstring name = win32::Widen(MpvLibraryName("libmpv-2.dll"));
  std::wstring beside(MAX_PATH, L'\0');
  const DWORD length =
      ::GetModuleFileNameW(nullptr, beside.data(), static_cast<DWORD>(beside.size()));
  if (name.find_first_of(L"\\/") == std::wstring::npos && length > 0 && length < beside.size()) {
    beside.resize(length);
    beside.erase(beside.find_last_of(L'\\') + 1);
    if (HMODULE library = ::LoadLibraryW((beside + name).c_str())) return library;
  }
  return ::LoadLibraryW(name.c_str());
}

}  // namespace

bool Win32Platform::CanPlayVideo() {
  if (!mpvTried_) {
    mpvTried_ = true;
    // The library stays loaded: its threads may still be ending.
    if (HMODULE library = LoadMpvLibrary()) {
      auto player = std::make_unique<MpvPlayer>();
      if (player->Load([library](const char* symbol) {
            return reinterpret_cast<void*>(::GetProcAddress(library, symbol));
          })) {
        mpv_ = std::move(player);
      } else {
        ::FreeLibrary(library);
      }
    }
  }
  return mpv_ != nullptr && window_ != nullptr;
}

// Called on mpv's thread: only wakes the main loop, which drains the events.
static void WakeForVideo(void* window) {
  ::PostMessageW(static_cast<HWND>(window), win32::kVideoMessage, 0, 0);
}

void Win32Platform::DrainVideoEvents() {
  if (mpv_ && mpv_->ReadEvents()) {
    core_.events.Push(Event::OfGadget(mpv_->Gadget(), kGadgetVideoEnded));
  }
}

bool Win32Platform::PlayVideo(GadgetId number, const Rect& rect, std::string_view path,
                              double startSeconds) {
  if (!CanPlayVideo()) return false;
  FreeGadget(number);
  if (!videoClassRegistered_) {
    WNDCLASSEXW videoClass{};
    videoClass.cbSize = sizeof videoClass;
    videoClass.lpfnWndProc = ::DefWindowProcW;
    videoClass.hInstance = instance_;
    videoClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    videoClass.lpszClassName = kVideoWindowClass;
    videoClassRegistered_ = ::RegisterClassExW(&videoClass) != 0;
    if (!videoClassRegistered_) return false;
  }
  Gadget made(ControlKind::Video);
  made.control = ::CreateWindowExW(
      0, kVideoWindowClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
      rect.x, rect.y, rect.width, rect.height, window_,
      reinterpret_cast<HMENU>(static_cast<intptr_t>(number)), instance_, nullptr);
  if (!made.control) return false;
  HWND surface = made.control;
  PlaceGadget(number, made);
  // The back button stays above the film.
  ::SetWindowPos(surface, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!mpv_->Start(number, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(surface)), path,
                   startSeconds, &WakeForVideo, window_)) {
    FreeGadget(number);
    return false;
  }
  ::SetFocus(surface);
  return true;
}

void Win32Platform::StopVideo() {
  if (mpv_) mpv_->Stop();
}

void Win32Platform::ControlVideo(GadgetId gadget, VideoCommand command, double seconds) {
  if (mpv_) mpv_->Control(gadget, command, seconds);
}

VideoStatus Win32Platform::VideoState(GadgetId gadget) {
  return mpv_ ? mpv_->State(gadget) : VideoStatus{};
}

bool Win32Platform::OpenWithDefaultProgram(std::string_view path) {
  if (path.empty()) return false;
  const std::wstring file = win32::Widen(LocalPath(path));
  // Above 32 means the program for the file was started; SE_ERR_NOASSOC
  // that none is registered for its type.
  const auto started = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return started > 32;
}

}  // namespace zelluo::platform
