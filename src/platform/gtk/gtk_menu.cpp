// GtkPlatform: the popup menu, opened at the pointer and waited for.

#include <gtk/gtk.h>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"

namespace zelluo::platform {

namespace {

constexpr const char* kEntryKey = "zelluo-menu-entry";

}  // namespace

void GtkPlatform::CreatePopupMenu() {
  if (!hasDisplay_) return;
  if (menu_ != nullptr) gtk_widget_destroy(menu_);
  menuEntries_.clear();
  menu_ = gtk_menu_new();
  g_signal_connect(menu_, "deactivate", G_CALLBACK(OnMenuDone), this);
  g_signal_connect(menu_, "selection-done", G_CALLBACK(OnMenuDone), this);
}

void GtkPlatform::AppendMenuEntry(int32_t entry, std::string_view text) {
  if (menu_ == nullptr) return;
  GtkWidget* item = gtk_menu_item_new_with_label(gtk::ValidUtf8(text).c_str());
  g_object_set_data(G_OBJECT(item), kEntryKey, GINT_TO_POINTER(entry));
  g_signal_connect(item, "activate", G_CALLBACK(OnMenuItemActivate), this);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu_), item);
  gtk_widget_show(item);
  menuEntries_.push_back({entry, item});
}

void GtkPlatform::AppendMenuSeparator() {
  if (menu_ == nullptr) return;
  GtkWidget* separator = gtk_separator_menu_item_new();
  gtk_menu_shell_append(GTK_MENU_SHELL(menu_), separator);
  gtk_widget_show(separator);
}

void GtkPlatform::EnableMenuEntry(int32_t entry, bool enabled) {
  for (const MenuEntry& item : menuEntries_) {
    if (item.entry == entry) gtk_widget_set_sensitive(item.item, enabled ? TRUE : FALSE);
  }
}

void GtkPlatform::ShowPopupMenu() {
  if (menu_ == nullptr || menuOpen_) return;

  // The main window comes to the front first, as long as that does not undo
  // its being minimised or hidden.
  if (WindowShown()) gtk_window_present(GTK_WINDOW(window_));

  GdkDisplay* display = gdk_display_get_default();
  GdkSeat* seat = gdk_display_get_default_seat(display);
  GdkDevice* pointer = seat != nullptr ? gdk_seat_get_pointer(seat) : nullptr;
  GdkScreen* screen = gdk_screen_get_default();
  GdkWindow* root = gdk_screen_get_root_window(screen);
  if (pointer == nullptr || root == nullptr) return;
  int x = 0;
  int y = 0;
  gdk_window_get_device_position(root, pointer, &x, &y, nullptr);

  // The menu needs an event to take its grab from: the press that asked for it,
  // or whatever GTK is handling now.
  GdkEvent* trigger = lastTrayPress_ != nullptr ? lastTrayPress_ : gtk_get_current_event();
  lastTrayPress_ = nullptr;  // used once: an old press would carry a stale time
  const GdkRectangle at{x - 1, y - 1, 1, 1};
  menuOpen_ = true;
  gtk_menu_popup_at_rect(GTK_MENU(menu_), root, &at, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST,
                         trigger);
  if (trigger != nullptr) gdk_event_free(trigger);

  if (!gtk_widget_get_visible(menu_)) {
    menuOpen_ = false;  // the grab was refused; the menu did not open
    return;
  }
  // Modal: wait until the menu closes. An activated item queues its event
  // before "selection-done" arrives.
  gtk::IterateUntil(-1, [this] { return !menuOpen_ || menu_ == nullptr; });
  menuOpen_ = false;
  ProcessPendingEvents();
}

void GtkPlatform::OnMenuItemActivate(GtkWidget* widget, void* self) {
  const int32_t entry = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kEntryKey));
  static_cast<GtkPlatform*>(self)->core_.events.Push({EventKind::Menu, entry, 0});
}

void GtkPlatform::OnMenuDone(GtkWidget*, void* self) {
  static_cast<GtkPlatform*>(self)->menuOpen_ = false;
}

}  // namespace zelluo::platform
