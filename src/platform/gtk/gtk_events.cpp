// GtkPlatform: the event queue, the bounded wait and the keyboard shortcuts.
//
// GTK callbacks never act; they only append to the queue, which WaitEvent
// drains one event at a time.

#include <gtk/gtk.h>

#include <algorithm>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/gtk_x11.h"

namespace zelluo::platform {

namespace {

// The virtual-key code of a key symbol, or 0 for a key without one.
int32_t VirtualKeyCode(guint keyval) {
  switch (keyval) {
    case GDK_KEY_BackSpace:
      return 8;
    case GDK_KEY_Tab:
      return 9;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
      return 13;
    case GDK_KEY_Pause:
      return 19;
    case GDK_KEY_Escape:
      return 27;
    case GDK_KEY_space:
      return 32;
    case GDK_KEY_Page_Up:
      return 33;
    case GDK_KEY_Page_Down:
      return 34;
    case GDK_KEY_End:
      return 35;
    case GDK_KEY_Home:
      return 36;
    case GDK_KEY_Left:
      return 37;
    case GDK_KEY_Up:
      return 38;
    case GDK_KEY_Right:
      return 39;
    case GDK_KEY_Down:
      return 40;
    case GDK_KEY_Insert:
      return 45;
    case GDK_KEY_Delete:
      return 46;
    default:
      break;
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

void GtkPlatform::ProcessPendingEvents() {
  if (!hasDisplay_) return;
  BuildPendingGadgets();
  gdk_display_flush(gdk_display_get_default());
  // Bounded, so that a steady stream of events cannot keep the caller here.
  for (int i = 0; i < 1000 && g_main_context_pending(nullptr); ++i) {
    g_main_context_iteration(nullptr, FALSE);
  }
}

// One pass of the default main context as g_main_context_iteration makes it,
// but the caller's bound goes straight to poll: a timeout source made and
// freed on every pass cost more than the rest of an idle pass together.
// Returns whether a source was dispatched; timedOut tells whether the pass
// waited the whole bound.
bool GtkPlatform::IterateMainContext(int32_t timeoutMs, bool& timedOut) {
  timedOut = false;
  GMainContext* context = g_main_context_default();
  if (!g_main_context_acquire(context)) {  // another thread runs it
    g_main_context_iteration(context, FALSE);
    return false;
  }
  gint priority = 0;
  g_main_context_prepare(context, &priority);
  gint sourceTimeout = -1;
  gint count = 0;
  while ((count = g_main_context_query(context, priority, &sourceTimeout, pollFds_.data(),
                                       static_cast<gint>(pollFds_.size()))) >
         static_cast<gint>(pollFds_.size())) {
    pollFds_.resize(static_cast<size_t>(count));
  }
  const gint64 polledAt = g_get_monotonic_time();
  const gint wait = sourceTimeout < 0 ? timeoutMs : std::min(sourceTimeout, timeoutMs);
  const gint ready =
      g_main_context_get_poll_func(context)(pollFds_.data(), static_cast<guint>(count), wait);
  const bool dispatched = g_main_context_check(context, priority, pollFds_.data(), count);
  if (dispatched) g_main_context_dispatch(context);
  g_main_context_release(context);
  if (!dispatched && ready == 0 && wait == timeoutMs && core_.events.Empty()) {
    timedOut = true;
    RememberQuiet(count, sourceTimeout < 0 ? G_MAXINT64 : polledAt + gint64{sourceTimeout} * 1000);
  }
  return dispatched;
}

// After a pass in which nothing happened, later idle passes only poll the
// same descriptors, without asking GDK (whose check reads the X socket twice)
// or any other source. Everything that could have made work since is checked
// first: events that Xlib or GDK already hold, X requests sent, and sources
// attached (their numbers only grow, so a source newer than a marker made
// now shows up under the marker's number plus one).
void GtkPlatform::RememberQuiet(int32_t fdCount, int64_t nextSourceTime) {
  GMainContext* context = g_main_context_default();
  GSource* marker = g_idle_source_new();
  quiet_.marker = g_source_attach(marker, context);
  g_source_destroy(marker);
  g_source_unref(marker);
  quiet_.fdCount = fdCount;
  quiet_.nextSourceTime = nextSourceTime;
  if (quiet_.display == nullptr) {
    quiet_.display = gdk_display_get_default();
    quiet_.xdisplay = gtk::XDisplayOf(quiet_.display);
  }
  quiet_.request = gtk::NextXRequest(quiet_.xdisplay);
  quiet_.passes = 0;
  quiet_.valid = true;
}

bool GtkPlatform::StillQuiet() {
  // Now and then a whole pass anyway, so that nothing overlooked waits long.
  constexpr int32_t kQuietPassesAtMost = 20;
  if (!quiet_.valid || ++quiet_.passes > kQuietPassesAtMost || !core_.events.Empty()) return false;
  if (gtk::XEventsAlreadyRead(quiet_.xdisplay) ||
      gtk::NextXRequest(quiet_.xdisplay) != quiet_.request) {
    return false;
  }
  if (GdkEvent* event = gdk_display_peek_event(quiet_.display)) {
    gdk_event_free(event);
    return false;
  }
  return g_main_context_find_source_by_id(g_main_context_default(), quiet_.marker + 1) == nullptr;
}

Event GtkPlatform::WaitEvent(int32_t timeoutMs) {
  timeoutMs = std::max(0, timeoutMs);
  if (core_.events.Empty()) {
    BuildPendingGadgets();
    if (hasDisplay_ && timeoutMs == 0) {
      // A caller with work between events (an import): everything pending is
      // handled, paints included, which a single pass would leave for later.
      quiet_.valid = false;
      ProcessPendingEvents();
    } else if (hasDisplay_) {
      gint64 now = g_get_monotonic_time();
      const gint64 end = now + gint64{timeoutMs} * 1000;
      for (;; now = g_get_monotonic_time()) {
        const int32_t left = static_cast<int32_t>(std::max<gint64>(0, end - now + 999) / 1000);
        if (StillQuiet() && now < quiet_.nextSourceTime) {
          const int32_t untilSource = static_cast<int32_t>(
              std::min<gint64>(G_MAXINT32, (quiet_.nextSourceTime - now + 999) / 1000));
          const int32_t wait = std::min(left, untilSource);
          if (g_poll(pollFds_.data(), static_cast<guint>(quiet_.fdCount), wait) == 0 &&
              wait == left) {
            break;  // the whole bound passed quietly
          }
        }
        quiet_.valid = false;
        bool timedOut = false;
        IterateMainContext(left, timedOut);
        if (timedOut || !core_.events.Empty() || g_get_monotonic_time() >= end) break;
      }
    } else {
      Pause(timeoutMs);
    }
  }
  std::optional<Event> event = core_.events.Pop();
  if (!event) return {};
  quiet_.valid = false;
  return *event;
}

void GtkPlatform::AddShortcut(int32_t keyCode, int32_t menuEvent) {
  if (window_ != nullptr) core_.shortcuts.Add(keyCode, menuEvent);
}

void GtkPlatform::AddKeyShortcut(int32_t keyCode, KeyModifier modifier, ShortcutInFields inFields,
                                 int32_t menuEvent) {
  if (window_ != nullptr) core_.shortcuts.Add(keyCode, modifier, inFields, menuEvent);
}

// Runs before GTK hands the key to the focused widget, so that a shortcut
// allowed in fields is taken before the field sees it. The desktop core
// decides; a key it leaves to the focused widget goes on to GTK.
bool GtkPlatform::HandleKey(const GdkEventKey* event) {
  if (window_ == nullptr || !gtk_window_is_active(GTK_WINDOW(window_))) return false;
  const auto modifiers = GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK |
                         GDK_HYPER_MASK | GDK_META_MASK;
  const guint held = event->state & modifiers;
  KeyModifier modifier = KeyModifier::None;
  if (held == GDK_CONTROL_MASK) {
    modifier = KeyModifier::Control;
  } else if (held != 0) {
    return false;
  }
  const GadgetId focused = GadgetOfWidget(gtk_window_get_focus(GTK_WINDOW(window_)));
  return core_.InterceptKey(VirtualKeyCode(event->keyval), modifier, focused,
                            [this] { LeaveTextField(); });
}

int GtkPlatform::OnWindowKeyPress(GtkWidget*, GdkEventKey* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  platform->NoteUserInput();
  if (platform->HandleKey(event)) return TRUE;
  platform->core_.events.PushOther();
  return FALSE;
}

int GtkPlatform::OnWindowKeyPressAfter(GtkWidget*, GdkEventKey*, void* self) {
  static_cast<GtkPlatform*>(self)->core_.events.PushOther();
  return FALSE;
}

}  // namespace zelluo::platform
