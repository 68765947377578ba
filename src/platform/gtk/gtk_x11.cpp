// GtkPlatform: the few questions asked of Xlib directly. Kept apart because
// Xlib's headers define names (None, Always, Status) that the rest of the
// backend uses for its own.

#include <gdk/gdkx.h>

#include "platform/gtk/gtk_x11.h"

namespace zelluo::gtkhelp {

unsigned long NextXRequest() {
  return XNextRequest(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()));
}

bool XEventsAlreadyRead() {
  return XEventsQueued(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()), QueuedAlready) != 0;
}

}  // namespace zelluo::gtkhelp
