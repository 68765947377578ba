#include "platform/mpv_player.h"

#include <mpv/client.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <utility>

namespace zelluo::platform {

// The functions of libmpv the player uses, looked up once.
struct MpvPlayer::Functions {
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
};

namespace {

template <typename Function>
bool Find(const MpvPlayer::FindFunction& find, const char* name, Function& function) {
  function = reinterpret_cast<Function>(find(name));
  return function != nullptr;
}

}  // namespace

MpvPlayer::MpvPlayer() = default;

// The library stays loaded: its threads may still be ending.
MpvPlayer::~MpvPlayer() { Stop(); }

bool MpvPlayer::Load(const FindFunction& find) {
  auto f = std::make_unique<Functions>();
  const bool found =
      Find(find, "mpv_client_api_version", f->ClientApiVersion) &&
      Find(find, "mpv_create", f->Create) && Find(find, "mpv_initialize", f->Initialize) &&
      Find(find, "mpv_set_option_string", f->SetOptionString) &&
      Find(find, "mpv_command", f->Command) && Find(find, "mpv_command_string", f->CommandString) &&
      Find(find, "mpv_observe_property", f->ObserveProperty) &&
      Find(find, "mpv_wait_event", f->WaitEvent) &&
      Find(find, "mpv_set_wakeup_callback", f->SetWakeupCallback) &&
      Find(find, "mpv_terminate_destroy", f->TerminateDestroy);
  // The same major version of the client interface as the header's.
  if (!found || (f->ClientApiVersion() >> 16) != (MPV_CLIENT_API_VERSION >> 16)) return false;
  functions_ = std::move(f);
  return true;
}

bool MpvPlayer::Start(GadgetId gadget, uint64_t window, std::string_view path, double startSeconds,
                      Wake wake, void* wakeData) {
  if (!functions_) return false;
  Stop();
  const Functions& mpv = *functions_;
  // mpv refuses to start with a decimal comma in LC_NUMERIC.
  std::setlocale(LC_NUMERIC, "C");
  mpv_handle* handle = mpv.Create();
  if (handle == nullptr) return false;
  const std::string wid = std::to_string(window);
  const std::string start = std::to_string(static_cast<int64_t>(startSeconds));
  const std::pair<const char*, const char*> options[] = {
      {"wid", wid.c_str()}, {"input-default-bindings", "no"}, {"input-vo-keyboard", "no"},
      {"osc", "no"},        {"hwdec", "auto-safe"},           {"start", start.c_str()},
  };
  for (const auto& [name, value] : options) mpv.SetOptionString(handle, name, value);
  // Tests and other headless runs choose the outputs.
  if (const char* vo = std::getenv("ZELLUO_MPV_VO")) mpv.SetOptionString(handle, "vo", vo);
  if (const char* ao = std::getenv("ZELLUO_MPV_AO")) mpv.SetOptionString(handle, "ao", ao);
  if (mpv.Initialize(handle) < 0) {
    mpv.TerminateDestroy(handle);
    return false;
  }
  mpv.ObserveProperty(handle, 0, "time-pos", MPV_FORMAT_DOUBLE);
  mpv.ObserveProperty(handle, 0, "duration", MPV_FORMAT_DOUBLE);
  handle_ = handle;
  gadget_ = gadget;
  position_ = startSeconds;
  duration_ = 0;
  ended_ = false;
  mpv.SetWakeupCallback(handle, wake, wakeData);
  const std::string file(path);
  const char* load[] = {"loadfile", file.c_str(), nullptr};
  if (mpv.Command(handle, load) < 0) {
    Stop();
    return false;
  }
  return true;
}

void MpvPlayer::Stop() {
  if (handle_ == nullptr) return;
  functions_->SetWakeupCallback(handle_, nullptr, nullptr);
  functions_->TerminateDestroy(std::exchange(handle_, nullptr));
  gadget_ = kNoGadget;
}

void MpvPlayer::Control(GadgetId gadget, VideoCommand command, double seconds) {
  if (handle_ == nullptr || gadget_ != gadget) return;
  if (command == VideoCommand::TogglePause) {
    functions_->CommandString(handle_, "cycle pause");
    return;
  }
  const std::string by = std::to_string(static_cast<int64_t>(seconds));
  const char* seek[] = {"seek", by.c_str(), "relative", nullptr};
  functions_->Command(handle_, seek);
}

VideoStatus MpvPlayer::State(GadgetId gadget) {
  if (handle_ == nullptr || gadget_ != gadget) return {};
  ReadEvents();
  return {true, position_, duration_, ended_};
}

bool MpvPlayer::ReadEvents() {
  if (handle_ == nullptr) return false;
  bool ended = false;
  for (;;) {
    mpv_event* event = functions_->WaitEvent(handle_, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    if (event->event_id == MPV_EVENT_PROPERTY_CHANGE) {
      auto* property = static_cast<mpv_event_property*>(event->data);
      if (property->format == MPV_FORMAT_DOUBLE) {
        const double value = *static_cast<double*>(property->data);
        if (std::string_view(property->name) == "time-pos") position_ = value;
        if (std::string_view(property->name) == "duration") duration_ = value;
      }
    } else if (event->event_id == MPV_EVENT_END_FILE) {
      auto* end = static_cast<mpv_event_end_file*>(event->data);
      if (end->reason == MPV_END_FILE_REASON_EOF || end->reason == MPV_END_FILE_REASON_ERROR) {
        ended_ = end->reason == MPV_END_FILE_REASON_EOF;
        ended = true;
      }
    }
  }
  return ended;
}

std::string MpvLibraryName(std::string_view fallback) {
  const char* chosen = std::getenv("ZELLUO_MPV_LIBRARY");
  return chosen != nullptr && *chosen != '\0' ? std::string(chosen) : std::string(fallback);
}

}  // namespace zelluo::platform
