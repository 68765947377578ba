// GtkPlatform: images, fonts and the numbered gadgets on the window's layout.
//
// Each gadget's rectangle is kept here rather than read from GTK: after a new
// picture the allocation is stale until the next layout pass.

#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"

namespace zelluo {

namespace {

constexpr const char* kGadgetKey = "zelluo-gadget";

int32_t GadgetNumberOf(GtkWidget* widget) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kGadgetKey));
}

}  // namespace

// --- images ------------------------------------------------------------------

bool GtkPlatform::LoadImage(int32_t image, const PixelImage& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0) return false;
  const size_t rowBytes = static_cast<size_t>(pixels.width) * 4;
  if (pixels.rgba.size() < rowBytes * static_cast<size_t>(pixels.height)) return false;
  GdkPixbuf* pixbuf =
      gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, pixels.width, pixels.height);
  if (pixbuf == nullptr) return false;
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  guchar* target = gdk_pixbuf_get_pixels(pixbuf);
  const bool opaque = pixels.depth < 32;  // no alpha channel was stored
  for (int32_t y = 0; y < pixels.height; ++y) {
    guchar* row = target + static_cast<size_t>(y) * static_cast<size_t>(stride);
    std::memcpy(row, pixels.rgba.data() + static_cast<size_t>(y) * rowBytes, rowBytes);
    if (opaque) {
      for (int32_t x = 0; x < pixels.width; ++x) row[x * 4 + 3] = 255;
    }
  }
  auto [slot, inserted] = images_.try_emplace(image, pixbuf);
  if (!inserted) {
    g_object_unref(slot->second);
    slot->second = pixbuf;
  }
  return true;
}

void GtkPlatform::FreeAllImages() {
  // Gadgets that show a picture hold their own reference to it.
  for (auto& [number, pixbuf] : images_) g_object_unref(pixbuf);
  images_.clear();
}

GdkPixbuf* GtkPlatform::FindImage(int32_t image) const {
  const auto found = images_.find(image);
  return found != images_.end() ? found->second : nullptr;
}

// --- fonts -------------------------------------------------------------------

void GtkPlatform::LoadFont(int32_t font, std::string_view face, int32_t pixelHeight,
                           int32_t weight, bool underline) {
  fonts_[font] = Font{std::string(face), pixelHeight, weight, underline};
}

void GtkPlatform::FreeAllFonts() { fonts_.clear(); }

// --- gadget bookkeeping ------------------------------------------------------

GtkPlatform::Gadget* GtkPlatform::FindGadget(int32_t gadget) {
  const auto found = gadgets_.find(gadget);
  return found != gadgets_.end() ? &found->second : nullptr;
}

void GtkPlatform::DestroyGadget(Gadget& gadget) {
  if (gadget.widget != nullptr) gtk_widget_destroy(gadget.widget);
  if (gadget.css != nullptr) g_object_unref(gadget.css);
  gadget.widget = nullptr;
  gadget.content = nullptr;
  gadget.css = nullptr;
}

void GtkPlatform::PlaceGadget(int32_t number, Gadget gadget) {
  if (Gadget* old = FindGadget(number)) {
    DestroyGadget(*old);
    gadgets_.erase(number);
  }
  g_object_set_data(G_OBJECT(gadget.widget), kGadgetKey, GINT_TO_POINTER(number));
  gtk_widget_set_size_request(gadget.widget, std::max(0, gadget.rect.width),
                              std::max(0, gadget.rect.height));
  gtk_layout_put(GTK_LAYOUT(layout_), gadget.widget, gadget.rect.x, gadget.rect.y);
  gtk_widget_show_all(gadget.widget);
  gadgets_.emplace(number, gadget);
}

// Rebuilds the gadget's CSS from its font and colours.
void GtkPlatform::ApplyGadgetStyle(Gadget& gadget) {
  if (gadget.css == nullptr) return;
  std::string labelRules;
  if (gadget.font) {
    const auto found = fonts_.find(*gadget.font);
    if (found != fonts_.end()) {
      const Font& font = found->second;
      if (!font.face.empty()) labelRules += "font-family: " + gtkhelp::CssString(font.face) + ";";
      if (font.pixelHeight > 0) {
        labelRules += "font-size: " + std::to_string(font.pixelHeight) + "px;";
      }
      const int32_t weight = std::clamp((font.weight + 50) / 100 * 100, 100, 900);
      labelRules += "font-weight: " + std::to_string(weight) + ";";
      labelRules += font.underline ? "text-decoration-line: underline;"
                                   : "text-decoration-line: none;";
    }
  }
  std::string css;
  if (gadget.kind == GadgetKind::Text) {
    if (gadget.front) labelRules += "color: " + gtkhelp::CssColour(*gadget.front) + ";";
    if (gadget.back) css += "box { background-color: " + gtkhelp::CssColour(*gadget.back) + "; }";
  } else if (gadget.kind == GadgetKind::Button) {
    // Small enough for the given rectangle, as a native push button would be.
    css += "button { min-height: 0; min-width: 0; padding: 0 4px; }";
  }
  if (!labelRules.empty()) css += "label {" + labelRules + "}";
  gtkhelp::LoadCss(gadget.css, css);
}

// --- creating gadgets --------------------------------------------------------

void GtkPlatform::CreateImageGadget(int32_t gadget, const Rect& rect, int32_t image) {
  if (layout_ == nullptr) return;
  Gadget entry;
  entry.kind = GadgetKind::Image;
  entry.rect = rect;
  entry.widget = gtk_event_box_new();
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(entry.widget), FALSE);
  entry.content = gtk_image_new();
  gtk_container_add(GTK_CONTAINER(entry.widget), entry.content);
  if (GdkPixbuf* pixbuf = FindImage(image)) {
    gtk_image_set_from_pixbuf(GTK_IMAGE(entry.content), pixbuf);
    entry.shownPixbuf = pixbuf;
    entry.rect.width = gdk_pixbuf_get_width(pixbuf);
    entry.rect.height = gdk_pixbuf_get_height(pixbuf);
  }
  // Motion is selected too: unhandled here, it travels on to the window, whose
  // handler wakes the loop for the hover update. Crossings do not travel, so
  // they wake it from here.
  gtk_widget_add_events(entry.widget, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                          GDK_POINTER_MOTION_MASK | GDK_ENTER_NOTIFY_MASK |
                                          GDK_LEAVE_NOTIFY_MASK);
  g_signal_connect(entry.widget, "enter-notify-event", G_CALLBACK(OnWindowOtherEvent), this);
  g_signal_connect(entry.widget, "leave-notify-event", G_CALLBACK(OnWindowOtherEvent), this);
  g_signal_connect(entry.widget, "button-press-event", G_CALLBACK(OnImageButtonPress), this);
  g_signal_connect(entry.widget, "button-release-event", G_CALLBACK(OnImageButtonRelease),
                   this);
  PlaceGadget(gadget, entry);
}

void GtkPlatform::CreateTextGadget(int32_t gadget, const Rect& rect, std::string_view text,
                                   TextAlign align) {
  if (layout_ == nullptr) return;
  Gadget entry;
  entry.kind = GadgetKind::Text;
  entry.rect = rect;
  // A GtkBox draws its CSS background and has no window of its own, so a press
  // on the text reaches the window (and can drag it).
  entry.widget = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  entry.content = gtk_label_new(gtkhelp::ValidUtf8(gtkhelp::NormaliseLineBreaks(text)).c_str());
  gtk_label_set_xalign(GTK_LABEL(entry.content), align == TextAlign::Centre ? 0.5f : 0.0f);
  gtk_label_set_yalign(GTK_LABEL(entry.content), 0.0f);
  gtk_label_set_justify(GTK_LABEL(entry.content),
                        align == TextAlign::Centre ? GTK_JUSTIFY_CENTER : GTK_JUSTIFY_LEFT);
  // Lets the gadget keep its width whatever the text.
  gtk_label_set_ellipsize(GTK_LABEL(entry.content), PANGO_ELLIPSIZE_END);
  gtk_box_pack_start(GTK_BOX(entry.widget), entry.content, TRUE, TRUE, 0);
  entry.css = gtk_css_provider_new();
  gtkhelp::AttachCss(entry.widget, entry.css);
  gtkhelp::AttachCss(entry.content, entry.css);
  ApplyGadgetStyle(entry);
  PlaceGadget(gadget, entry);
}

void GtkPlatform::CreateButtonGadget(int32_t gadget, const Rect& rect, std::string_view text) {
  if (layout_ == nullptr) return;
  Gadget entry;
  entry.kind = GadgetKind::Button;
  entry.rect = rect;
  entry.widget = gtk_button_new_with_label(gtkhelp::ValidUtf8(text).c_str());
  entry.content = entry.widget;
  entry.css = gtk_css_provider_new();
  gtkhelp::AttachCss(entry.widget, entry.css);
  if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(entry.widget))) {
    gtkhelp::AttachCss(label, entry.css);
  }
  ApplyGadgetStyle(entry);
  g_signal_connect(entry.widget, "clicked", G_CALLBACK(OnButtonClicked), this);
  PlaceGadget(gadget, entry);
}

// --- changing gadgets --------------------------------------------------------

void GtkPlatform::SetGadgetImage(int32_t gadget, int32_t image) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr || entry->kind != GadgetKind::Image) return;
  GdkPixbuf* pixbuf = FindImage(image);
  if (pixbuf != nullptr && pixbuf == entry->shownPixbuf) return;  // already shown
  entry->shownPixbuf = pixbuf;
  if (pixbuf == nullptr) {
    gtk_image_clear(GTK_IMAGE(entry->content));
    return;
  }
  gtk_image_set_from_pixbuf(GTK_IMAGE(entry->content), pixbuf);
  entry->rect.width = gdk_pixbuf_get_width(pixbuf);
  entry->rect.height = gdk_pixbuf_get_height(pixbuf);
  gtk_widget_set_size_request(entry->widget, entry->rect.width, entry->rect.height);
}

void GtkPlatform::SetGadgetFont(int32_t gadget, int32_t font) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr) return;
  entry->font = font;
  ApplyGadgetStyle(*entry);
}

void GtkPlatform::SetGadgetFrontColour(int32_t gadget, Rgb colour) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr) return;
  entry->front = colour;
  ApplyGadgetStyle(*entry);
}

void GtkPlatform::SetGadgetBackColour(int32_t gadget, Rgb colour) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr) return;
  entry->back = colour;
  ApplyGadgetStyle(*entry);
}

void GtkPlatform::ShowGadget(int32_t gadget) {
  if (Gadget* entry = FindGadget(gadget)) gtk_widget_show(entry->widget);
}

void GtkPlatform::HideGadget(int32_t gadget) {
  if (Gadget* entry = FindGadget(gadget)) {
    gtk_widget_hide(entry->widget);
    entry->leftPressed = false;
  }
}

void GtkPlatform::FreeGadget(int32_t gadget) {
  if (Gadget* entry = FindGadget(gadget)) {
    DestroyGadget(*entry);
    gadgets_.erase(gadget);
  }
}

bool GtkPlatform::GadgetExists(int32_t gadget) { return FindGadget(gadget) != nullptr; }

std::optional<Rect> GtkPlatform::GadgetRect(int32_t gadget) {
  if (const Gadget* entry = FindGadget(gadget)) return entry->rect;
  return std::nullopt;
}

// --- gadget signal handlers --------------------------------------------------

// A left press arms the click; a double click or a right press reports at once.
int GtkPlatform::OnImageButtonPress(GtkWidget* widget, GdkEventButton* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  const int32_t number = GadgetNumberOf(widget);
  Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || entry->widget != widget) return TRUE;
  const bool left = event->button == GDK_BUTTON_PRIMARY;
  const bool right = event->button == GDK_BUTTON_SECONDARY;
  if (event->type == GDK_BUTTON_PRESS) {
    if (left) entry->leftPressed = true;
    if (right) platform->PushEvent({EventKind::Gadget, number, 1});
  } else if (event->type == GDK_2BUTTON_PRESS) {
    // The second press of a double click is not a plain click.
    entry->leftPressed = false;
    if (left) platform->PushEvent({EventKind::Gadget, number, 2});
    if (right) platform->PushEvent({EventKind::Gadget, number, 3});
  }
  return TRUE;  // never reaches the window, so it never drags it
}

int GtkPlatform::OnImageButtonRelease(GtkWidget* widget, GdkEventButton* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  const int32_t number = GadgetNumberOf(widget);
  Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || entry->widget != widget) return TRUE;
  if (event->button != GDK_BUTTON_PRIMARY || !entry->leftPressed) return TRUE;
  entry->leftPressed = false;
  const bool inside = event->x >= 0 && event->y >= 0 && event->x < entry->rect.width &&
                      event->y < entry->rect.height;
  if (inside) platform->PushEvent({EventKind::Gadget, number, 0});
  return TRUE;
}

void GtkPlatform::OnButtonClicked(GtkWidget* widget, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  const int32_t number = GadgetNumberOf(widget);
  const Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || entry->widget != widget) return;
  platform->PushEvent({EventKind::Gadget, number, 0});
}

}  // namespace zelluo
