// GtkPlatform: start-up, display queries, message boxes, and the file, process
// and time services, which the operating-system layer provides.

#include "platform/gtk/gtk_platform.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

#include "platform/gtk/gtk_helpers.h"
#include "platform/os_services.h"

namespace zelluo {

GtkPlatform::GtkPlatform() {
  // Without this GTK loads the GL stack just to probe GLX, which costs time and memory.
  g_setenv("GDK_GL", "disable", FALSE);
  // Window placement and the tray icon rely on X11.
  gdk_set_allowed_backends("x11");
  // The program takes no command-line options, so GTK gets none either (its own
  // options such as --display or --gtk-module would otherwise take effect). The
  // program name, which GTK would take from the arguments, names the window
  // class and the tray icon's window.
  g_set_prgname("zelluo");
  hasDisplay_ = gtk_init_check(nullptr, nullptr) != FALSE;
}

GtkPlatform::~GtkPlatform() {
  RemoveTrayIcon();
  CloseAudio();
  DestroyWindow();
  if (menu_ != nullptr) {
    gtk_widget_destroy(menu_);
    menu_ = nullptr;
  }
  menuEntries_.clear();
  FreeAllImages();
  if (hasDisplay_) {
    ProcessPendingEvents();
    gdk_display_flush(gdk_display_get_default());
  }
  for (GtkStatusIcon* icon : retiredTrayIcons_) g_object_unref(icon);
  retiredTrayIcons_.clear();
}

// --- display ---------------------------------------------------------------

Size GtkPlatform::PrimaryDisplaySize() {
  if (!hasDisplay_) return {};
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return {};
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr && gdk_display_get_n_monitors(display) > 0) {
    monitor = gdk_display_get_monitor(display, 0);
  }
  if (monitor != nullptr) {
    GdkRectangle geometry{};
    gdk_monitor_get_geometry(monitor, &geometry);
    // The geometry is in logical pixels; the display mode is in device pixels.
    const int scale = std::max(1, gdk_monitor_get_scale_factor(monitor));
    if (geometry.width > 0 && geometry.height > 0) {
      return {geometry.width * scale, geometry.height * scale};
    }
  }
  GdkScreen* screen = gdk_display_get_default_screen(display);
  if (screen == nullptr) return {};
  GdkWindow* root = gdk_screen_get_root_window(screen);
  if (root == nullptr) return {};
  return {gdk_window_get_width(root), gdk_window_get_height(root)};
}

int32_t GtkPlatform::VerticalDpi() {
  constexpr int32_t kFallbackDpi = 96;
  if (!hasDisplay_) return kFallbackDpi;
  GdkScreen* screen = gdk_screen_get_default();
  if (screen == nullptr) return kFallbackDpi;
  const double dpi = gdk_screen_get_resolution(screen);
  if (!(dpi > 0.0)) return kFallbackDpi;
  return static_cast<int32_t>(std::lround(dpi));
}

// --- message boxes ---------------------------------------------------------

MessageAnswer GtkPlatform::ShowMessage(std::string_view title, std::string_view text,
                                       MessageButtons buttons) {
  const MessageAnswer fallback =
      buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  if (!hasDisplay_) return fallback;

  GtkWindow* parent = WindowShown() ? GTK_WINDOW(window_) : nullptr;
  const std::string message = gtkhelp::ValidUtf8(gtkhelp::NormaliseLineBreaks(text));
  GtkWidget* dialog = gtk_message_dialog_new(
      parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      GTK_MESSAGE_OTHER, GTK_BUTTONS_NONE, "%s", message.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), gtkhelp::ValidUtf8(title).c_str());
  if (parent == nullptr) {
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  }
  if (buttons == MessageButtons::YesNo) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), "_Ja", GTK_RESPONSE_YES);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "_Nein", GTK_RESPONSE_NO);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
  } else {
    gtk_dialog_add_button(GTK_DIALOG(dialog), "OK", GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  }

  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  // Let the box vanish from the screen before the caller goes on.
  ProcessPendingEvents();

  if (buttons == MessageButtons::YesNo) {
    return response == GTK_RESPONSE_YES ? MessageAnswer::Yes : MessageAnswer::No;
  }
  return MessageAnswer::Ok;
}

// --- files and processes ---------------------------------------------------

std::optional<std::string> GtkPlatform::ReadFile(std::string_view path) {
  return os::ReadWholeFile(path);
}

bool GtkPlatform::WriteFileAtomic(std::string_view path, std::string_view bytes) {
  return os::WriteFileAtomic(path, bytes);
}

bool GtkPlatform::CreateFolder(std::string_view path) { return os::CreateFolder(path); }

int64_t GtkPlatform::FileSize(std::string_view path) { return os::FileSize(path); }

std::string GtkPlatform::ExecutablePath() { return os::ExecutablePath(); }

LocalDate GtkPlatform::Today() { return os::Today(); }

void GtkPlatform::Pause(int32_t milliseconds) { os::Pause(milliseconds); }

bool GtkPlatform::StartOwnExecutable() {
  const std::string self = os::ExecutablePath();
  if (self.empty()) return false;
  return os::StartProcess(self);
}

}  // namespace zelluo
