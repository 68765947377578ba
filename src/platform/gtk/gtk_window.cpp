// GtkPlatform: the main window — an undecorated GtkWindow holding a GtkLayout
// on which the gadgets sit at absolute positions.

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"

namespace zelluo::platform {

namespace {

// How long MoveResizeWindow waits for the window manager to carry it out.
constexpr int32_t kConfigureWaitMs = 30;

GdkDevice* Pointer() {
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  return seat != nullptr ? gdk_seat_get_pointer(seat) : nullptr;
}

bool LeftButtonDown() {
  GdkDevice* pointer = Pointer();
  if (pointer == nullptr) return false;
  GdkWindow* root = gdk_screen_get_root_window(gdk_screen_get_default());
  GdkModifierType mask{};
  gdk_window_get_device_position(root, pointer, nullptr, nullptr, &mask);
  return (mask & GDK_BUTTON1_MASK) != 0;
}

// The shape of a rounded rectangle (0, 0)-(width, height) whose corners are
// quarters of a cornerWidth x cornerHeight ellipse, built row by row.
cairo_region_t* RoundedRegion(int32_t width, int32_t height, int32_t cornerWidth,
                              int32_t cornerHeight) {
  cairo_region_t* region = cairo_region_create();
  if (width <= 0 || height <= 0) return region;
  const double a = std::min(cornerWidth, width) / 2.0;
  const double b = std::min(cornerHeight, height) / 2.0;
  if (a <= 0.0 || b <= 0.0) {
    const cairo_rectangle_int_t whole{0, 0, width, height};
    cairo_region_union_rectangle(region, &whole);
    return region;
  }
  for (int32_t y = 0; y < height; ++y) {
    const double centreY = y + 0.5;
    double dy = 0.0;
    if (centreY < b) {
      dy = b - centreY;
    } else if (centreY > height - b) {
      dy = centreY - (height - b);
    }
    const double t = std::clamp(dy / b, 0.0, 1.0);
    const int32_t inset = static_cast<int32_t>(std::lround(a - a * std::sqrt(1.0 - t * t)));
    const cairo_rectangle_int_t row{inset, y, width - 2 * inset, 1};
    if (row.width > 0) cairo_region_union_rectangle(region, &row);
  }
  return region;
}

}  // namespace

bool GtkPlatform::OpenWindow(const WindowRequest& request) {
  if (!hasDisplay_) return false;
  if (window_ != nullptr) DestroyWindow();

  const int32_t width = std::max(1, request.clientRect.width);
  const int32_t height = std::max(1, request.clientRect.height);

  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), gtk::ValidUtf8(request.title).c_str());
  gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
  gtk_window_set_default_size(GTK_WINDOW(window_), width, height);
  gtk_window_move(GTK_WINDOW(window_), request.clientRect.x, request.clientRect.y);

  windowCss_ = gtk_css_provider_new();
  gtk::LoadCss(windowCss_,
               "window { background-color: " + gtk::CssColour(request.background) + "; }");
  gtk::AttachCss(window_, windowCss_);

  if (GdkPixbuf* icon = FindIconImage(request.iconImage)) {
    gtk_window_set_icon(GTK_WINDOW(window_), icon);
  }

  layout_ = gtk_layout_new(nullptr, nullptr);
  gtk_layout_set_size(GTK_LAYOUT(layout_), static_cast<guint>(width), static_cast<guint>(height));
  gtk_container_add(GTK_CONTAINER(window_), layout_);

  ConnectWindowSignals();
  clientSize_ = {width, height};

  if (request.minimised) gtk_window_iconify(GTK_WINDOW(window_));
  gtk_widget_show_all(window_);
  if (request.minimised) gtk_window_iconify(GTK_WINDOW(window_));
  ProcessPendingEvents();
  return true;
}

void GtkPlatform::ConnectWindowSignals() {
  const auto pointer = GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                       GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK;
  gtk_widget_add_events(window_, pointer | GDK_KEY_PRESS_MASK | GDK_STRUCTURE_MASK);
  gtk_widget_add_events(layout_, pointer);
  // Crossing events are not passed on to parents; both report them.
  for (GtkWidget* widget : {window_, layout_}) {
    g_signal_connect(widget, "enter-notify-event", G_CALLBACK(OnWindowOtherEvent), this);
    g_signal_connect(widget, "leave-notify-event", G_CALLBACK(OnWindowOtherEvent), this);
  }
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDeleteEvent), this);
  g_signal_connect(window_, "button-press-event", G_CALLBACK(OnWindowButtonPress), this);
  g_signal_connect(window_, "button-release-event", G_CALLBACK(OnWindowButtonRelease), this);
  g_signal_connect(window_, "motion-notify-event", G_CALLBACK(OnWindowOtherEvent), this);
  g_signal_connect(window_, "window-state-event", G_CALLBACK(OnWindowOtherEvent), this);
  g_signal_connect(window_, "draw", G_CALLBACK(OnWindowDraw), this);
  // Before GTK gives the key to accelerators and the focused widget: whether a
  // shortcut applies depends on what has the focus (HandleKey).
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnWindowKeyPress), this);
  g_signal_connect_after(window_, "key-press-event", G_CALLBACK(OnWindowKeyPressAfter), this);
}

bool GtkPlatform::WindowShown() const {
  if (window_ == nullptr || !gtk_widget_get_visible(window_)) return false;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (gdkWindow == nullptr) return false;
  return (gdk_window_get_state(gdkWindow) & GDK_WINDOW_STATE_ICONIFIED) == 0;
}

void GtkPlatform::SetWindowRegion(int32_t width, int32_t height, int32_t cornerWidth,
                                  int32_t cornerHeight) {
  if (window_ == nullptr) return;
  cairo_region_t* region = RoundedRegion(width, height, cornerWidth, cornerHeight);
  // Kept by GTK and applied again whenever the window is realised. GDK passes
  // the shape to X with the next frame it paints, so ask for one.
  gtk_widget_shape_combine_region(window_, region);
  cairo_region_destroy(region);
  gtk_widget_queue_draw(window_);
  ProcessPendingEvents();
}

void GtkPlatform::ShowWindow(WindowShow how) {
  if (window_ == nullptr) return;
  // A window mapped without a focused widget gives the focus to its first
  // one, which may be a text field that would then keep the shortcut keys.
  BuildPendingGadgets();
  const bool hadFocus = gtk_window_get_focus(GTK_WINDOW(window_)) != nullptr;
  switch (how) {
    case WindowShow::Show:
      gtk_widget_show(window_);
      break;
    case WindowShow::Hide:
      gtk_widget_hide(window_);
      break;
    case WindowShow::Restore:
      gtk_window_deiconify(GTK_WINDOW(window_));
      gtk_window_unmaximize(GTK_WINDOW(window_));
      gtk_widget_show(window_);
      gtk_window_present(GTK_WINDOW(window_));
      break;
  }
  if (!hadFocus) gtk_window_set_focus(GTK_WINDOW(window_), nullptr);
  ProcessPendingEvents();
}

std::optional<Rect> GtkPlatform::WindowRect() {
  if (window_ == nullptr) return std::nullopt;
  Rect rect;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (gdkWindow == nullptr) {
    gtk_window_get_position(GTK_WINDOW(window_), &rect.x, &rect.y);
    gtk_window_get_size(GTK_WINDOW(window_), &rect.width, &rect.height);
    return rect;
  }
  // The origin comes from the X server; the size is the last one the server
  // reported, which MoveResizeWindow waits for.
  gdk_window_get_origin(gdkWindow, &rect.x, &rect.y);
  rect.width = gdk_window_get_width(gdkWindow);
  rect.height = gdk_window_get_height(gdkWindow);
  return rect;
}

void GtkPlatform::MoveResizeWindow(const Rect& rect) {
  if (window_ == nullptr) return;
  const int32_t width = std::max(1, rect.width);
  const int32_t height = std::max(1, rect.height);
  gtk_window_move(GTK_WINDOW(window_), rect.x, rect.y);
  gtk_window_resize(GTK_WINDOW(window_), width, height);
  clientSize_ = {width, height};
  // Give the window manager a moment to apply it, so that the next WindowRect
  // and the next step of an animation start from the new geometry.
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (gdkWindow != nullptr && WindowShown()) {
    gdk_display_flush(gdk_display_get_default());
    gtk::IterateUntil(kConfigureWaitMs, [&] {
      int x = 0;
      int y = 0;
      gdk_window_get_position(gdkWindow, &x, &y);
      return x == rect.x && y == rect.y && gdk_window_get_width(gdkWindow) == width &&
             gdk_window_get_height(gdkWindow) == height;
    });
  }
  ProcessPendingEvents();
}

void GtkPlatform::SetWindowOpacity(int32_t alpha) {
  if (window_ == nullptr) return;
  gtk_widget_set_opacity(window_, std::clamp(alpha, 0, 255) / 255.0);
  ProcessPendingEvents();
}

void GtkPlatform::DragWindow() {
  if (window_ == nullptr || !leftDownOnWindow_) return;
  leftDownOnWindow_ = false;
  if (!LeftButtonDown()) return;
  gtk_window_begin_move_drag(GTK_WINDOW(window_), 1, pressRootX_, pressRootY_, pressTime_);
  // The window manager moves the window while it holds the pointer; wait here
  // until the button is up, as a drag by the caption would.
  while (window_ != nullptr && LeftButtonDown()) {
    gtk::IterateUntil(10, [] { return false; });
  }
  ProcessPendingEvents();
}

void GtkPlatform::DestroyWindow() {
  if (window_ == nullptr) return;
  for (auto& [number, gadget] : core_.gadgets) {
    ReleaseListRows(gadget);
    if (gadget.css != nullptr) g_object_unref(gadget.css);
    gadget.css = nullptr;
  }
  core_.gadgets.Clear();
  unbuiltShown_ = 0;
  gtk_widget_destroy(window_);
  ForgetWindow();
  ProcessPendingEvents();
}

void GtkPlatform::ForgetWindow() {
  window_ = nullptr;
  layout_ = nullptr;
  if (windowCss_ != nullptr) g_object_unref(windowCss_);
  windowCss_ = nullptr;
  core_.shortcuts.Clear();
  leftDownOnWindow_ = false;
  clientSize_ = {};
}

Point GtkPlatform::MousePosition() {
  const Point outside{-1, -1};
  if (!WindowShown()) return outside;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  GdkDevice* pointer = Pointer();
  if (gdkWindow == nullptr || pointer == nullptr) return outside;
  int x = 0;
  int y = 0;
  gdk_window_get_device_position(gdkWindow, pointer, &x, &y, nullptr);
  if (x < 0 || y < 0 || x >= gdk_window_get_width(gdkWindow) ||
      y >= gdk_window_get_height(gdkWindow)) {
    return outside;
  }
  return {x, y};
}

// --- window signal handlers --------------------------------------------------

int GtkPlatform::OnDeleteEvent(GtkWidget*, GdkEvent*, void* self) {
  static_cast<GtkPlatform*>(self)->core_.events.Push({EventKind::CloseRequest, 0, 0});
  return TRUE;  // the program decides; the window stays
}

int GtkPlatform::OnWindowButtonPress(GtkWidget*, GdkEventButton* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  // Presses on image gadgets and buttons are theirs; only the background and
  // the text gadgets (which have no window of their own) arrive from the layout.
  GtkWidget* target = gtk_get_event_widget(reinterpret_cast<GdkEvent*>(event));
  platform->NoteUserInput();
  if (target != platform->window_ && target != platform->layout_) return FALSE;
  if (event->type == GDK_BUTTON_PRESS && event->button == GDK_BUTTON_PRIMARY) {
    platform->leftDownOnWindow_ = true;
    platform->pressRootX_ = static_cast<int32_t>(std::lround(event->x_root));
    platform->pressRootY_ = static_cast<int32_t>(std::lround(event->y_root));
    platform->pressTime_ = event->time;
    platform->core_.events.Push({EventKind::LeftButtonPressed, 0, 0});
  } else {
    platform->core_.events.PushOther();
  }
  // Handled: letting it through would deliver the press a second time.
  return TRUE;
}

int GtkPlatform::OnWindowButtonRelease(GtkWidget*, GdkEventButton* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  if (event->button == GDK_BUTTON_PRIMARY) platform->leftDownOnWindow_ = false;
  platform->core_.events.PushOther();
  return FALSE;
}

int GtkPlatform::OnWindowOtherEvent(GtkWidget*, GdkEvent* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  if (event->type == GDK_MOTION_NOTIFY) platform->NoteUserInput();
  platform->core_.events.PushOther();
  return FALSE;
}

int GtkPlatform::OnWindowDraw(GtkWidget*, void*, void* self) {
  static_cast<GtkPlatform*>(self)->core_.events.PushOther();
  return FALSE;
}

}  // namespace zelluo::platform
