// Films inside the window: libmpv, loaded at run time by name like the sound
// library, draws into a GtkDrawingArea made a native X window (option wid);
// the player itself is the shared MpvPlayer. Without libmpv CanPlayVideo is
// false and the program hands the film to GIO's default application for it.
// The platform's header before X11's, whose macros (None, ...) it would meet.
#include "platform/gtk/gtk_platform.h"
// clang-format off
#include <dlfcn.h>
#include <gdk/gdkx.h>
#include <gio/gio.h>
#include <gtk/gtk.h>

#include <string>
// clang-format on

namespace zelluo::platform {

bool GtkPlatform::CanPlayVideo() {
  if (!mpvTried_) {
    mpvTried_ = true;
    const std::string name = MpvLibraryName("libmpv.so.2");
    // The library stays loaded: its threads may still be ending.
    if (void* library = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      auto player = std::make_unique<MpvPlayer>();
      if (player->Load([library](const char* symbol) { return ::dlsym(library, symbol); })) {
        mpv_ = std::move(player);
      } else {
        ::dlclose(library);
      }
    }
  }
  return mpv_ != nullptr && window_ != nullptr;
}

// Called on mpv's thread: only wakes the main loop, which drains the events.
static void WakeForVideo(void* self) { g_idle_add(&GtkPlatform::DrainVideoEvents, self); }

int GtkPlatform::DrainVideoEvents(void* data) {
  auto* self = static_cast<GtkPlatform*>(data);
  if (self->mpv_ && self->mpv_->ReadEvents()) {
    self->core_.events.Push(Event::OfGadget(self->mpv_->Gadget(), kGadgetVideoEnded));
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
  if (surface == nullptr || !gdk_window_ensure_native(surface) || !GDK_IS_X11_WINDOW(surface) ||
      !mpv_->Start(number, gdk_x11_window_get_xid(surface), path, startSeconds, &WakeForVideo,
                   this)) {
    FreeGadget(number);
    return false;
  }
  FocusGadget(number);
  return true;
}

void GtkPlatform::StopVideo() {
  if (mpv_) mpv_->Stop();
}

void GtkPlatform::ControlVideo(GadgetId gadget, VideoCommand command, double seconds) {
  if (mpv_) mpv_->Control(gadget, command, seconds);
}

VideoStatus GtkPlatform::VideoState(GadgetId gadget) {
  return mpv_ ? mpv_->State(gadget) : VideoStatus{};
}

// GIO's default application for the file's type, the one the desktop's file
// manager would open it with; started apart from this process, not waited for.
bool GtkPlatform::OpenWithDefaultProgram(std::string_view path) {
  if (path.empty()) return false;
  const std::string local = LocalPath(path);
  GFile* file = g_file_new_for_path(local.c_str());
  gchar* uri = g_file_get_uri(file);
  g_object_unref(file);
  GdkDisplay* display = gdk_display_get_default();
  GdkAppLaunchContext* context =
      display != nullptr ? gdk_display_get_app_launch_context(display) : nullptr;
  GError* error = nullptr;
  // False with an error when no program is registered for the type, or when
  // the registered one could not be started.
  const gboolean started = g_app_info_launch_default_for_uri(
      uri, context ? G_APP_LAUNCH_CONTEXT(context) : nullptr, &error);
  if (error != nullptr) g_error_free(error);
  if (context != nullptr) g_object_unref(context);
  g_free(uri);
  return started != FALSE;
}

}  // namespace zelluo::platform
