// Films inside the window: libmpv-2.dll, loaded at run time by name like the
// sound library (beside zelluo.exe first, then the search path), draws into a
// child window of the main window (option wid). Without it CanPlayVideo is
// false and the program hands the film to the system's player.

#include "platform/win32/win32_internal.h"
#include <mpv/client.h>

#include <clocale>
#include <string>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {
namespace {

constexpr wchar_t kVideoWindowClass[] = L"ZelluoVideo";
constexpr wchar_t kMpvLibrary[] = L"libmpv-2.dll";

// libmpv beside the program, else wherever the system finds a DLL by name.
HMODULE LoadMpvLibrary() {
  std::wstring beside(MAX_PATH, L'\0');
  const DWORD length =
      ::GetModuleFileNameW(nullptr, beside.data(), static_cast<DWORD>(beside.size()));
  if (length > 0 && length < beside.size()) {
    beside.resize(length);
    beside.erase(beside.find_last_of(L'\\') + 1);
    if (HMODULE library = ::LoadLibraryW((beside + kMpvLibrary).c_str())) return library;
  }
  return ::LoadLibraryW(kMpvLibrary);
}

std::string Environment(const wchar_t* name) {
  wchar_t value[64];
  const DWORD length = ::GetEnvironmentVariableW(name, value, 64);
  return length > 0 && length < 64 ? win32::Narrow(std::wstring_view(value, length)) : "";
}

}  // namespace

// The functions of libmpv the player uses, looked up once.
struct Win32Platform::Mpv {
  HMODULE library = nullptr;
  decltype(&mpv_client_api_version) ClientApiVersion = nullptr;
  decltype(&mpv_create) Create = nullptr;
  decltype(&mpv_initialize) Initialize = nullptr;
  decltype(&mpv_set_option_string) SetOptionString = nullptr;
  decltype(&mpv_command) Command = nullptr;
  decltype(&mpv_command_string) CommandString = nullptr;
  decltype(&mpv_observe_property) ObserveProperty = nullptr;
  decltype(&mpv_wait_event) WaitEvent = nullptr;
  decltype(&mpv_set_wakeup_callback) SetWakeupCallback = nullptr;
  decltype(&mpv_terminate_destroy) TerminateDestroy = nullptr;

  mpv_handle* handle = nullptr;
  GadgetId gadget = kNoGadget;
  double position = 0;
  double duration = 0;
  bool ended = false;

  template <typename Function>
  bool Find(const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
    return function != nullptr;
  }
  bool Load() {
    library = LoadMpvLibrary();
    if (library == nullptr) return false;
    const bool found =
        Find("mpv_client_api_version", ClientApiVersion) && Find("mpv_create", Create) &&
        Find("mpv_initialize", Initialize) && Find("mpv_set_option_string", SetOptionString) &&
        Find("mpv_command", Command) && Find("mpv_command_string", CommandString) &&
        Find("mpv_observe_property", ObserveProperty) && Find("mpv_wait_event", WaitEvent) &&
        Find("mpv_set_wakeup_callback", SetWakeupCallback) &&
        Find("mpv_terminate_destroy", TerminateDestroy);
    // The same major version of the client interface as the header's.
    if (!found || (ClientApiVersion() >> 16) != (MPV_CLIENT_API_VERSION >> 16)) {
      ::FreeLibrary(library);
      library = nullptr;
      return false;
    }
    return true;
  }
};

void Win32Platform::MpvDeleter::operator()(Mpv* mpv) const {
  if (mpv->handle) mpv->TerminateDestroy(mpv->handle);
  // The library stays loaded: its threads may still be ending.
  delete mpv;
}

bool Win32Platform::CanPlayVideo() {
  if (!mpvTried_) {
    mpvTried_ = true;
    auto mpv = std::unique_ptr<Mpv, MpvDeleter>(new Mpv);
    if (mpv->Load()) mpv_ = std::move(mpv);
  }
  return mpv_ != nullptr && window_ != nullptr;
}

// Called on mpv's thread: only wakes the main loop, which drains the events.
static void WakeForVideo(void* window) {
  ::PostMessageW(static_cast<HWND>(window), win32::kVideoMessage, 0, 0);
}

void Win32Platform::DrainVideoEvents() {
  Mpv* mpv = mpv_.get();
  if (mpv == nullptr || mpv->handle == nullptr) return;
  for (;;) {
    mpv_event* event = mpv->WaitEvent(mpv->handle, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    if (event->event_id == MPV_EVENT_PROPERTY_CHANGE) {
      auto* property = static_cast<mpv_event_property*>(event->data);
      if (property->format == MPV_FORMAT_DOUBLE) {
        const double value = *static_cast<double*>(property->data);
        if (std::string_view(property->name) == "time-pos") mpv->position = value;
        if (std::string_view(property->name) == "duration") mpv->duration = value;
      }
    } else if (event->event_id == MPV_EVENT_END_FILE) {
      auto* end = static_cast<mpv_event_end_file*>(event->data);
      if (end->reason == MPV_END_FILE_REASON_EOF || end->reason == MPV_END_FILE_REASON_ERROR) {
        mpv->ended = end->reason == MPV_END_FILE_REASON_EOF;
        core_.events.Push(Event::OfGadget(mpv->gadget, kGadgetVideoEnded));
      }
    }
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
  // mpv refuses to start with a decimal comma in LC_NUMERIC.
  std::setlocale(LC_NUMERIC, "C");
  Mpv& mpv = *mpv_;
  mpv.handle = mpv.Create();
  if (mpv.handle == nullptr) {
    FreeGadget(number);
    return false;
  }
  mpv.gadget = number;
  mpv.position = startSeconds;
  mpv.duration = 0;
  mpv.ended = false;
  const std::string window = std::to_string(reinterpret_cast<intptr_t>(surface));
  const std::string start = std::to_string(static_cast<int64_t>(startSeconds));
  const std::pair<const char*, const char*> options[] = {
      {"wid", window.c_str()}, {"input-default-bindings", "no"}, {"input-vo-keyboard", "no"},
      {"osc", "no"},           {"hwdec", "auto-safe"},           {"start", start.c_str()},
  };
  for (const auto& [name, value] : options) mpv.SetOptionString(mpv.handle, name, value);
  // Tests choose the outputs (ZELLUO_MPV_VO, _AO), as on GTK.
  if (const std::string vo = Environment(L"ZELLUO_MPV_VO"); !vo.empty()) {
    mpv.SetOptionString(mpv.handle, "vo", vo.c_str());
  }
  if (const std::string ao = Environment(L"ZELLUO_MPV_AO"); !ao.empty()) {
    mpv.SetOptionString(mpv.handle, "ao", ao.c_str());
  }
  if (mpv.Initialize(mpv.handle) < 0) {
    FreeGadget(number);
    return false;
  }
  mpv.ObserveProperty(mpv.handle, 0, "time-pos", MPV_FORMAT_DOUBLE);
  mpv.ObserveProperty(mpv.handle, 0, "duration", MPV_FORMAT_DOUBLE);
  mpv.SetWakeupCallback(mpv.handle, &WakeForVideo, window_);
  const std::string file(path);
  const char* load[] = {"loadfile", file.c_str(), nullptr};
  if (mpv.Command(mpv.handle, load) < 0) {
    FreeGadget(number);
    return false;
  }
  ::SetFocus(surface);
  return true;
}

void Win32Platform::StopVideo() {
  if (mpv_ == nullptr || mpv_->handle == nullptr) return;
  mpv_->SetWakeupCallback(mpv_->handle, nullptr, nullptr);
  mpv_->TerminateDestroy(mpv_->handle);
  mpv_->handle = nullptr;
  mpv_->gadget = kNoGadget;
}

void Win32Platform::ControlVideo(GadgetId gadget, VideoCommand command, double seconds) {
  if (mpv_ == nullptr || mpv_->handle == nullptr || mpv_->gadget != gadget) return;
  if (command == VideoCommand::TogglePause) {
    mpv_->CommandString(mpv_->handle, "cycle pause");
    return;
  }
  const std::string by = std::to_string(static_cast<int64_t>(seconds));
  const char* seek[] = {"seek", by.c_str(), "relative", nullptr};
  mpv_->Command(mpv_->handle, seek);
}

VideoStatus Win32Platform::VideoState(GadgetId gadget) {
  if (mpv_ == nullptr || mpv_->handle == nullptr || mpv_->gadget != gadget) return {};
  DrainVideoEvents();
  return {true, mpv_->position, mpv_->duration, mpv_->ended};
}

}  // namespace zelluo::platform
