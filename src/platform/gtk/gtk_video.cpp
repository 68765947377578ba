// Films inside the window: libmpv, loaded at run time by name like the sound
// library, draws into a GtkDrawingArea made a native X window (option wid).
// Without libmpv CanPlayVideo is false and the program uses the system's player.
// The platform's header before X11's, whose macros (None, ...) it would meet.
#include "platform/gtk/gtk_platform.h"
// clang-format off
#include <dlfcn.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <mpv/client.h>

#include <clocale>
#include <string>
// clang-format on

namespace zelluo::platform {

// The functions of libmpv the player uses, looked up once.
struct GtkPlatform::Mpv {
  void* library = nullptr;
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
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
  }
  bool Load() {
    library = ::dlopen("libmpv.so.2", RTLD_NOW | RTLD_LOCAL);
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
      ::dlclose(library);
      library = nullptr;
      return false;
    }
    return true;
  }
};

void GtkPlatform::MpvDeleter::operator()(Mpv* mpv) const {
  if (mpv->handle) mpv->TerminateDestroy(mpv->handle);
  // The library stays loaded: its threads may still be ending.
  delete mpv;
}

bool GtkPlatform::CanPlayVideo() {
  if (!mpvTried_) {
    mpvTried_ = true;
    auto mpv = std::unique_ptr<Mpv, MpvDeleter>(new Mpv);
    if (mpv->Load()) mpv_ = std::move(mpv);
  }
  return mpv_ != nullptr && window_ != nullptr;
}

// Called on mpv's thread: only wakes the main loop, which drains the events.
static void WakeForVideo(void* self) { g_idle_add(&GtkPlatform::DrainVideoEvents, self); }

int GtkPlatform::DrainVideoEvents(void* data) {
  auto* self = static_cast<GtkPlatform*>(data);
  Mpv* mpv = self->mpv_.get();
  if (mpv == nullptr || mpv->handle == nullptr) return G_SOURCE_REMOVE;
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
        self->core_.events.Push(Event::OfGadget(mpv->gadget, kGadgetVideoEnded));
      }
    }
  }
  return G_SOURCE_REMOVE;
}

bool GtkPlatform::PlayVideo(GadgetId number, const Rect& rect, std::string_view path,
                            double startSeconds) {
  if (!CanPlayVideo()) return false;
  FreeGadget(number);
  core_.gadgets.Create(number, Gadget(ControlKind::Video));
  Gadget made(ControlKind::Video);
  made.widget = gtk_drawing_area_new();
  made.content = made.widget;
  made.rect = rect;
  gtk_widget_set_can_focus(made.widget, TRUE);
  GtkWidget* area = made.widget;
  PlaceGadget(number, std::move(made));
  gtk_widget_realize(area);
  GdkWindow* surface = gtk_widget_get_window(area);
  if (surface == nullptr || !gdk_window_ensure_native(surface) || !GDK_IS_X11_WINDOW(surface)) {
    FreeGadget(number);
    return false;
  }
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
  const std::string window = std::to_string(gdk_x11_window_get_xid(surface));
  const std::string start = std::to_string(static_cast<int64_t>(startSeconds));
  const std::pair<const char*, const char*> options[] = {
      {"wid", window.c_str()}, {"input-default-bindings", "no"}, {"input-vo-keyboard", "no"},
      {"osc", "no"},           {"hwdec", "auto-safe"},           {"start", start.c_str()},
  };
  for (const auto& [name, value] : options) mpv.SetOptionString(mpv.handle, name, value);
  // Tests and other headless runs choose the outputs (ZELLUO_MPV_VO, _AO).
  if (const char* vo = g_getenv("ZELLUO_MPV_VO")) mpv.SetOptionString(mpv.handle, "vo", vo);
  if (const char* ao = g_getenv("ZELLUO_MPV_AO")) mpv.SetOptionString(mpv.handle, "ao", ao);
  if (mpv.Initialize(mpv.handle) < 0) {
    FreeGadget(number);
    return false;
  }
  mpv.ObserveProperty(mpv.handle, 0, "time-pos", MPV_FORMAT_DOUBLE);
  mpv.ObserveProperty(mpv.handle, 0, "duration", MPV_FORMAT_DOUBLE);
  mpv.SetWakeupCallback(mpv.handle, &WakeForVideo, this);
  const std::string file(path);
  const char* load[] = {"loadfile", file.c_str(), nullptr};
  if (mpv.Command(mpv.handle, load) < 0) {
    FreeGadget(number);
    return false;
  }
  FocusGadget(number);
  return true;
}

void GtkPlatform::StopVideo() {
  if (mpv_ == nullptr || mpv_->handle == nullptr) return;
  mpv_->SetWakeupCallback(mpv_->handle, nullptr, nullptr);
  mpv_->TerminateDestroy(mpv_->handle);
  mpv_->handle = nullptr;
  mpv_->gadget = kNoGadget;
}

void GtkPlatform::ControlVideo(GadgetId gadget, VideoCommand command, double seconds) {
  if (mpv_ == nullptr || mpv_->handle == nullptr || mpv_->gadget != gadget) return;
  if (command == VideoCommand::TogglePause) {
    mpv_->CommandString(mpv_->handle, "cycle pause");
    return;
  }
  const std::string by = std::to_string(static_cast<int64_t>(seconds));
  const char* seek[] = {"seek", by.c_str(), "relative", nullptr};
  mpv_->Command(mpv_->handle, seek);
}

VideoStatus GtkPlatform::VideoState(GadgetId gadget) {
  if (mpv_ == nullptr || mpv_->handle == nullptr || mpv_->gadget != gadget) return {};
  DrainVideoEvents(this);
  return {true, mpv_->position, mpv_->duration, mpv_->ended};
}

}  // namespace zelluo::platform
