// GtkPlatform: the event queue, the bounded wait and the keyboard shortcuts.
//
// GTK callbacks never act; they only append to the queue, which WaitEvent
// drains one event at a time.

#include <gtk/gtk.h>

#include <algorithm>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"

namespace zelluo {

namespace {

// The virtual-key code of a key symbol, or 0 for a key without one.
int32_t VirtualKeyCode(guint keyval) {
  switch (keyval) {
    case GDK_KEY_BackSpace: return 8;
    case GDK_KEY_Tab: return 9;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter: return 13;
    case GDK_KEY_Pause: return 19;
    case GDK_KEY_Escape: return 27;
    case GDK_KEY_space: return 32;
    case GDK_KEY_Page_Up: return 33;
    case GDK_KEY_Page_Down: return 34;
    case GDK_KEY_End: return 35;
    case GDK_KEY_Home: return 36;
    case GDK_KEY_Left: return 37;
    case GDK_KEY_Up: return 38;
    case GDK_KEY_Right: return 39;
    case GDK_KEY_Down: return 40;
    case GDK_KEY_Insert: return 45;
    case GDK_KEY_Delete: return 46;
    default: break;
  }
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return static_cast<int32_t>(keyval);
  const guint upper = gdk_keyval_to_upper(keyval);
  if (upper >= GDK_KEY_A && upper <= GDK_KEY_Z) return static_cast<int32_t>(upper);
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) {
    return 112 + static_cast<int32_t>(keyval - GDK_KEY_F1);
  }
  return 0;
}

}  // namespace

void GtkPlatform::PushEvent(const Event& event) { queue_.push_back(event); }

// Moves, paints and keys only need to wake the loop; one pending Other is enough.
void GtkPlatform::PushOther() {
  if (!queue_.empty() && queue_.back().kind == EventKind::Other) return;
  queue_.push_back({EventKind::Other, 0, 0});
}

void GtkPlatform::ProcessPendingEvents() {
  if (!hasDisplay_) return;
  gdk_display_flush(gdk_display_get_default());
  // Bounded, so that a steady stream of events cannot keep the caller here.
  for (int i = 0; i < 1000 && g_main_context_pending(nullptr); ++i) {
    g_main_context_iteration(nullptr, FALSE);
  }
}

Event GtkPlatform::WaitEvent(int32_t timeoutMs) {
  timeoutMs = std::max(0, timeoutMs);
  if (queue_.empty()) {
    if (hasDisplay_) {
      gtkhelp::IterateUntil(timeoutMs, [this] { return !queue_.empty(); });
    } else {
      Pause(timeoutMs);
    }
  }
  if (queue_.empty()) return {};
  const Event event = queue_.front();
  queue_.pop_front();
  return event;
}

void GtkPlatform::AddShortcut(int32_t keyCode, int32_t menuEvent) {
  if (window_ == nullptr) return;
  shortcuts_[keyCode] = menuEvent;
}

int GtkPlatform::OnWindowKeyPress(GtkWidget* widget, GdkEventKey* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  const auto modifiers = GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK |
                         GDK_HYPER_MASK | GDK_META_MASK;
  const bool plain = (event->state & modifiers) == 0;
  if (plain && gtk_window_is_active(GTK_WINDOW(widget))) {
    const auto found = platform->shortcuts_.find(VirtualKeyCode(event->keyval));
    if (found != platform->shortcuts_.end() && found->first != 0) {
      platform->PushEvent({EventKind::Menu, found->second, 0});
      return TRUE;  // a shortcut goes nowhere else
    }
  }
  platform->PushOther();
  return FALSE;
}

}  // namespace zelluo
