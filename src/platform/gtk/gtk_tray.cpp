// GtkPlatform: the tray icon, a GtkStatusIcon. It is deprecated, but on X11 it
// is what a system tray (XEmbed) host shows; this file is built without
// deprecation warnings for that reason.

#include <gtk/gtk.h>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"

namespace zelluo::platform {

namespace {

// How long a tray host gets to embed a new icon.
constexpr int32_t kEmbedWaitMs = 200;

}  // namespace

bool GtkPlatform::AddTrayIcon(ImageId image) {
  if (!hasDisplay_) return false;
  GdkPixbuf* pixbuf = FindIconImage(image);
  if (pixbuf == nullptr) return false;
  RemoveTrayIcon();

  trayIcon_ = gtk_status_icon_new_from_pixbuf(pixbuf);
  g_signal_connect(trayIcon_, "button-press-event", G_CALLBACK(OnTrayButtonPress), this);
  gtk_status_icon_set_visible(trayIcon_, TRUE);

  GtkStatusIcon* icon = trayIcon_;
  if (!gtk::IterateUntil(kEmbedWaitMs,
                         [icon] { return gtk_status_icon_is_embedded(icon) != FALSE; })) {
    RemoveTrayIcon();  // no tray host took it
    return false;
  }
  return true;
}

void GtkPlatform::SetTrayTooltip(std::string_view text) {
  if (trayIcon_ == nullptr) return;
  gtk_status_icon_set_tooltip_text(trayIcon_, gtk::ValidUtf8(text).c_str());
}

void GtkPlatform::RemoveTrayIcon() {
  if (lastTrayPress_ != nullptr) {
    gdk_event_free(lastTrayPress_);
    lastTrayPress_ = nullptr;
  }
  if (trayIcon_ == nullptr) return;
  g_signal_handlers_disconnect_by_data(trayIcon_, this);
  // Hiding takes the icon out of the notification area. The icon itself is
  // released only at the very end: GTK keeps an X event filter for the tray
  // that would otherwise be handed freed memory by later events.
  gtk_status_icon_set_visible(trayIcon_, FALSE);
  retiredTrayIcons_.push_back(trayIcon_);
  trayIcon_ = nullptr;
  ProcessPendingEvents();
}

// Left press 0, right press 1, left double click 2, right double click 3.
int GtkPlatform::OnTrayButtonPress(GtkStatusIcon*, GdkEventButton* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  platform->NoteUserInput();
  const bool left = event->button == GDK_BUTTON_PRIMARY;
  const bool right = event->button == GDK_BUTTON_SECONDARY;
  int32_t action = -1;
  if (event->type == GDK_BUTTON_PRESS) {
    action = left ? 0 : right ? 1 : -1;
  } else if (event->type == GDK_2BUTTON_PRESS) {
    action = left ? 2 : right ? 3 : -1;
  }
  if (action < 0) return TRUE;
  // Kept for the menu that a right press opens: its grab needs a real event.
  if (platform->lastTrayPress_ != nullptr) gdk_event_free(platform->lastTrayPress_);
  platform->lastTrayPress_ = gdk_event_copy(reinterpret_cast<GdkEvent*>(event));
  platform->core_.events.Push({EventKind::Tray, action, 0});
  return TRUE;
}

}  // namespace zelluo::platform
