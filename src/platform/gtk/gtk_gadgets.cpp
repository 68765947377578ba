// GtkPlatform: images, fonts and the numbered gadgets on the window's layout.
//
// Each gadget's rectangle is kept here rather than read from GTK: after a new
// picture the allocation is stale until the next layout pass.

#include <gtk/gtk.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/gtk_x11.h"

namespace zelluo::platform {

namespace {

constexpr const char* kGadgetKey = "zelluo-gadget";

GadgetId GadgetNumberOf(GtkWidget* widget) {
  return GadgetId{GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kGadgetKey))};
}

}  // namespace

// --- images ------------------------------------------------------------------

namespace {

const cairo_user_data_key_t kPixelsKey{};

// One pixel as cairo keeps it: 0xAARRGGBB, the colours premultiplied and
// rounded as GDK does it for a pixbuf.
uint32_t PremultipliedPixel(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha) {
  if (alpha == 0) return 0;
  auto times = [alpha](uint32_t c) {
    const uint32_t t = c * alpha + 0x80;
    return ((t >> 8) + t) >> 8;
  };
  return alpha << 24 | times(red) << 16 | times(green) << 8 | times(blue);
}

// Whether cairo can draw the pixels as they are, four bytes a pixel.
bool Drawable(const PixelImage& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0) return false;
  const size_t rowBytes = static_cast<size_t>(pixels.width) * 4;
  return pixels.rgba.size() >= rowBytes * static_cast<size_t>(pixels.height) &&
         cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixels.width) ==
             static_cast<int>(rowBytes);
}

// The window and tray icons want a pixbuf: an icon keeps one as it was
// decoded (a few hundred bytes), since one made back from the surface would
// round its half-transparent pixels.
GdkPixbuf* IconPixbuf(const PixelImage& pixels) {
  GdkPixbuf* icon = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, pixels.width, pixels.height);
  if (icon == nullptr) return nullptr;
  const bool opaque = pixels.depth < 32;  // no alpha channel was stored
  const size_t rowBytes = static_cast<size_t>(pixels.width) * 4;
  const int stride = gdk_pixbuf_get_rowstride(icon);
  guchar* target = gdk_pixbuf_get_pixels(icon);
  for (int32_t y = 0; y < pixels.height; ++y) {
    guchar* row = target + static_cast<size_t>(y) * static_cast<size_t>(stride);
    std::memcpy(row, pixels.rgba.data() + static_cast<size_t>(y) * rowBytes, rowBytes);
    if (opaque) {
      for (int32_t x = 0; x < pixels.width; ++x) row[x * 4 + 3] = 255;
    }
  }
  return icon;
}

// The pixels as cairo keeps them, in place: premultiplied 0xAARRGGBB words in
// the machine's byte order.
void Premultiply(PixelImage& pixels) {
  const bool opaque = pixels.depth < 32;  // no alpha channel was stored
  uint8_t* bytes = pixels.rgba.data();
  const size_t size = static_cast<size_t>(pixels.width) * 4 * static_cast<size_t>(pixels.height);
  for (size_t i = 0; i < size; i += 4) {
    uint32_t argb = 0;
    uint32_t word = 0;
    std::memcpy(&word, bytes + i, 4);
    if (std::endian::native == std::endian::little && (opaque || word >> 24 == 255)) {
      // Nearly every pixel of the pictures: the word 0xAABBGGRR turned into
      // 0xAARRGGBB by a byte swap and a rotation.
      argb = std::rotr(__builtin_bswap32(word), 8) | 0xFF000000U;
    } else {
      argb = PremultipliedPixel(bytes[i], bytes[i + 1], bytes[i + 2], opaque ? 255 : bytes[i + 3]);
    }
    std::memcpy(bytes + i, &argb, 4);
  }
}

// A surface over pixels that the program keeps itself, or null.
cairo_surface_t* OwnPicture(PixelImage& pixels) {
  auto* owned = new std::vector<uint8_t>(std::move(pixels.rgba));
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      owned->data(), CAIRO_FORMAT_ARGB32, pixels.width, pixels.height, pixels.width * 4);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_set_user_data(surface, &kPixelsKey, owned, [](void* vector) {
        delete static_cast<std::vector<uint8_t>*>(vector);
      }) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    delete owned;
    return nullptr;
  }
  return surface;
}

}  // namespace

void GtkPlatform::ReleasePicture(Picture& picture) {
  if (picture.surface != nullptr) cairo_surface_destroy(picture.surface);
  if (picture.icon != nullptr) g_object_unref(picture.icon);
  picture = {};
}

bool GtkPlatform::LoadImage(ImageId image, const PixelImage& pixels) {
  return TakeImage(image, PixelImage(pixels));
}

bool GtkPlatform::KeepDecoded(Picture& picture, PixelImage&& pixels) {
  if (!Drawable(pixels)) return false;
  if (pixels.isIcon && (picture.icon = IconPixbuf(pixels)) == nullptr) return false;
  picture.decoded = std::move(pixels);
  return true;
}

// Pixels that cannot be drawn leave the picture under the number as it was.
bool GtkPlatform::TakeImage(ImageId image, PixelImage&& pixels) {
  Picture taken;
  if (!KeepDecoded(taken, std::move(pixels))) return false;
  Picture& slot = images_[image];
  ReleasePicture(slot);
  slot = std::move(taken);
  return true;
}

bool GtkPlatform::TakeImageLater(ImageId image, std::function<std::optional<PixelImage>()> decode) {
  Picture& slot = images_[image];
  ReleasePicture(slot);
  slot.decode = std::move(decode);
  return true;
}

void GtkPlatform::DecodePicture(Picture& picture) {
  if (!picture.decode) return;
  std::optional<PixelImage> pixels = std::exchange(picture.decode, nullptr)();
  if (pixels) KeepDecoded(picture, std::move(*pixels));  // else drawn as none
}

// GtkImage draws a pixbuf by first making a premultiplied cairo surface of
// it, a second copy of every picture shown. Handed a surface it draws that
// one, so the decoded pixels are turned into one in place, and then handed to
// the X server, which keeps them as a pixmap; only without one (or when it
// refuses) does the program keep them. One picture after the other, so that
// the program holds the pixels of only one at a time.
void GtkPlatform::PreparePictures() {
  for (auto& [number, picture] : images_) {
    DecodePicture(picture);
    if (!picture.decoded) continue;
    PixelImage& pixels = *picture.decoded;
    Premultiply(pixels);
    cairo_surface_t* surface =
        hasDisplay_ ? gtk::ServerPicture(gdk_display_get_default(), pixels.rgba.data(),
                                         pixels.width, pixels.height)
                    : nullptr;
    picture.surface = surface != nullptr ? surface : OwnPicture(pixels);
    picture.decoded.reset();
  }
}

void GtkPlatform::FreeAllImages() {
  // Gadgets that show a picture hold their own reference to it.
  for (auto& [number, picture] : images_) ReleasePicture(picture);
  images_.clear();
}

cairo_surface_t* GtkPlatform::FindImage(ImageId image) {
  const auto found = images_.find(image);
  if (found == images_.end()) return nullptr;
  if (found->second.surface == nullptr) PreparePictures();
  return found->second.surface;
}

// The window icon is asked for before the window opens: only that picture is
// decoded for it.
GdkPixbuf* GtkPlatform::FindIconImage(ImageId image) {
  const auto found = images_.find(image);
  if (found == images_.end()) return nullptr;
  Picture& picture = found->second;
  DecodePicture(picture);
  if (picture.icon == nullptr) {
    if (picture.surface == nullptr) PreparePictures();
    if (picture.surface == nullptr) return nullptr;
    picture.icon =
        gdk_pixbuf_get_from_surface(picture.surface, 0, 0, gtk::PictureWidth(picture.surface),
                                    gtk::PictureHeight(picture.surface));
  }
  return picture.icon;
}

// --- fonts -------------------------------------------------------------------

void GtkPlatform::LoadFont(FontId font, std::string_view face, int32_t pixelHeight, int32_t weight,
                           bool underline) {
  fonts_[font] = Font{std::string(face), pixelHeight, weight, underline};
}

void GtkPlatform::FreeAllFonts() { fonts_.clear(); }

// --- gadget bookkeeping ------------------------------------------------------

GtkPlatform::Gadget* GtkPlatform::FindGadget(GadgetId gadget) { return core_.gadgets.Find(gadget); }

GadgetId GtkPlatform::GadgetOfWidget(GtkWidget* widget) const {
  if (widget == nullptr) return kNoGadget;
  for (const auto& [number, gadget] : core_.gadgets) {
    if (gadget.content == widget || gadget.widget == widget) return number;
  }
  return kNoGadget;
}

void GtkPlatform::DestroyGadget(Gadget& gadget) {
  // The list's model lets go of its rows before the tree view goes.
  ReleaseListRows(gadget);
  if (gadget.widget != nullptr) gtk_widget_destroy(gadget.widget);
  if (gadget.css != nullptr) g_object_unref(gadget.css);
  gadget.widget = nullptr;
  gadget.content = nullptr;
  gadget.css = nullptr;
}

// A page's gadgets are created when the program starts, and most pages stay
// hidden until the user opens them: their widgets (about a hundred, with a
// style provider each) were most of the start-up's own work. So a gadget is
// only a record at first; its widgets are made when it is first needed:
// shown on the screen (before the next pass of the main loop, in the order of
// creation), or asked for anything that the record cannot answer.
void GtkPlatform::DeferGadget(GadgetId number, Gadget record, std::function<void()> build) {
  FreeGadget(number);
  record.build = std::move(build);
  record.shown = true;
  record.sequence = ++gadgetSequence_;
  core_.gadgets.Create(number, std::move(record));
  ++unbuiltShown_;
}

void GtkPlatform::BuildGadget(Gadget& gadget) {
  if (!gadget.build) return;
  const std::function<void()> build = std::move(gadget.build);
  gadget.build = nullptr;
  if (gadget.shown) --unbuiltShown_;
  build();  // a Make... call, which places the widgets into this record
}

GtkPlatform::Gadget* GtkPlatform::BuiltGadget(GadgetId gadget) {
  Gadget* entry = FindGadget(gadget);
  if (entry != nullptr) BuildGadget(*entry);
  return entry;
}

void GtkPlatform::BuildPendingGadgets() {
  if (unbuiltShown_ <= 0) return;
  std::vector<std::pair<uint64_t, GadgetId>> pending;
  for (const auto& [number, gadget] : core_.gadgets) {
    if (gadget.build && gadget.shown) pending.emplace_back(gadget.sequence, number);
  }
  std::sort(pending.begin(), pending.end());
  for (const auto& [sequence, number] : pending) BuiltGadget(number);
  unbuiltShown_ = 0;
}

// Puts the widgets a Make... call made into the gadget's record, which keeps
// what was set while there were none: visibility, font and colours.
void GtkPlatform::PlaceGadget(GadgetId number, Gadget gadget) {
  Gadget* record = FindGadget(number);
  if (record == nullptr) {
    DestroyGadget(gadget);
    return;
  }
  g_object_set_data(G_OBJECT(gadget.widget), kGadgetKey, GINT_TO_POINTER(Number(number)));
  gtk_widget_set_size_request(gadget.widget, std::max(0, gadget.rect.width),
                              std::max(0, gadget.rect.height));
  gtk_layout_put(GTK_LAYOUT(layout_), gadget.widget, gadget.rect.x, gadget.rect.y);
  gtk_widget_show_all(gadget.widget);
  ZELLUO_ASSERT(record->Kind() == gadget.Kind());
  record->widget = gadget.widget;
  record->content = gadget.content;
  record->css = gadget.css;
  record->rows = std::move(gadget.rows);
  record->chart = std::move(gadget.chart);
  record->rect = gadget.rect;
  record->shownPicture = gadget.shownPicture;
  if (!record->shown) gtk_widget_hide(record->widget);
  if (record->font || record->front || record->back) ApplyGadgetStyle(*record);
}

// Rebuilds the gadget's CSS from its font and colours.
void GtkPlatform::ApplyGadgetStyle(Gadget& gadget) {
  if (gadget.css == nullptr) return;
  std::string labelRules;
  if (gadget.font) {
    const auto found = fonts_.find(*gadget.font);
    if (found != fonts_.end()) {
      const Font& font = found->second;
      if (!font.face.empty()) labelRules += "font-family: " + gtk::CssString(font.face) + ";";
      if (font.pixelHeight > 0) {
        labelRules += "font-size: " + std::to_string(font.pixelHeight) + "px;";
      }
      const int32_t weight = std::clamp((font.weight + 50) / 100 * 100, 100, 900);
      labelRules += "font-weight: " + std::to_string(weight) + ";";
      labelRules +=
          font.underline ? "text-decoration-line: underline;" : "text-decoration-line: none;";
    }
  }
  std::string css;
  if (gadget.Kind() == ControlKind::SingleLineField ||
      gadget.Kind() == ControlKind::MultiLineField || gadget.Kind() == ControlKind::List) {
    gtk::LoadCss(gadget.css, FieldAndListCss(gadget, labelRules));
    return;
  }
  if (gadget.Kind() == ControlKind::Text) {
    if (gadget.front) labelRules += "color: " + gtk::CssColour(*gadget.front) + ";";
    if (gadget.back) css += "box { background-color: " + gtk::CssColour(*gadget.back) + "; }";
  } else if (gadget.Kind() == ControlKind::Button) {
    // Small enough for the given rectangle, as a native push button would be.
    css += "button { min-height: 0; min-width: 0; padding: 0 4px; }";
  }
  if (!labelRules.empty()) css += "label {" + labelRules + "}";
  gtk::LoadCss(gadget.css, css);
}

// --- creating gadgets --------------------------------------------------------

void GtkPlatform::CreateImageGadget(GadgetId gadget, const Rect& rect, ImageId image) {
  if (layout_ == nullptr) return;
  Gadget record(ControlKind::Image);
  record.rect = rect;
  if (cairo_surface_t* picture = FindImage(image)) {
    record.rect.width = gtk::PictureWidth(picture);
    record.rect.height = gtk::PictureHeight(picture);
  }
  DeferGadget(gadget, record,
              [this, gadget, rect, image] { MakeImageGadget(gadget, rect, image); });
}

void GtkPlatform::MakeImageGadget(GadgetId gadget, const Rect& rect, ImageId image) {
  if (layout_ == nullptr) return;
  Gadget entry(ControlKind::Image);
  entry.rect = rect;
  entry.widget = gtk_event_box_new();
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(entry.widget), FALSE);
  entry.content = gtk_image_new();
  gtk_container_add(GTK_CONTAINER(entry.widget), entry.content);
  if (cairo_surface_t* picture = FindImage(image)) {
    gtk_image_set_from_surface(GTK_IMAGE(entry.content), picture);
    entry.shownPicture = picture;
    entry.rect.width = gtk::PictureWidth(picture);
    entry.rect.height = gtk::PictureHeight(picture);
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
  g_signal_connect(entry.widget, "button-release-event", G_CALLBACK(OnImageButtonRelease), this);
  PlaceGadget(gadget, entry);
}

void GtkPlatform::CreateTextGadget(GadgetId gadget, const Rect& rect, std::string_view text,
                                   TextAlign align) {
  if (layout_ == nullptr) return;
  Gadget record(ControlKind::Text);
  record.rect = rect;
  DeferGadget(gadget, record, [this, gadget, rect, text = std::string(text), align] {
    MakeTextGadget(gadget, rect, text, align);
  });
}

void GtkPlatform::MakeTextGadget(GadgetId gadget, const Rect& rect, const std::string& text,
                                 TextAlign align) {
  if (layout_ == nullptr) return;
  Gadget entry(ControlKind::Text);
  entry.rect = rect;
  // A GtkBox draws its CSS background and has no window of its own, so a press
  // on the text reaches the window (and can drag it).
  entry.widget = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  entry.content = gtk_label_new(gtk::ValidUtf8(gtk::NormaliseLineBreaks(text)).c_str());
  gtk_label_set_xalign(GTK_LABEL(entry.content), align == TextAlign::Centre ? 0.5f : 0.0f);
  gtk_label_set_yalign(GTK_LABEL(entry.content), 0.0f);
  gtk_label_set_justify(GTK_LABEL(entry.content),
                        align == TextAlign::Centre ? GTK_JUSTIFY_CENTER : GTK_JUSTIFY_LEFT);
  // Lets the gadget keep its width whatever the text.
  gtk_label_set_ellipsize(GTK_LABEL(entry.content), PANGO_ELLIPSIZE_END);
  gtk_box_pack_start(GTK_BOX(entry.widget), entry.content, TRUE, TRUE, 0);
  entry.css = gtk_css_provider_new();
  gtk::AttachCss(entry.widget, entry.css);
  gtk::AttachCss(entry.content, entry.css);
  ApplyGadgetStyle(entry);
  PlaceGadget(gadget, entry);
}

void GtkPlatform::CreateButtonGadget(GadgetId gadget, const Rect& rect, std::string_view text) {
  if (layout_ == nullptr) return;
  Gadget record(ControlKind::Button);
  record.rect = rect;
  DeferGadget(gadget, record, [this, gadget, rect, text = std::string(text)] {
    MakeButtonGadget(gadget, rect, text);
  });
}

void GtkPlatform::MakeButtonGadget(GadgetId gadget, const Rect& rect, const std::string& text) {
  if (layout_ == nullptr) return;
  Gadget entry(ControlKind::Button);
  entry.rect = rect;
  entry.widget = gtk_button_new_with_label(gtk::ValidUtf8(text).c_str());
  entry.content = entry.widget;
  entry.css = gtk_css_provider_new();
  gtk::AttachCss(entry.widget, entry.css);
  if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(entry.widget))) {
    gtk::AttachCss(label, entry.css);
  }
  ApplyGadgetStyle(entry);
  g_signal_connect(entry.widget, "clicked", G_CALLBACK(OnButtonClicked), this);
  PlaceGadget(gadget, entry);
}

// --- changing gadgets --------------------------------------------------------

void GtkPlatform::SetGadgetImage(GadgetId gadget, ImageId image) {
  Gadget* entry = BuiltGadget(gadget);
  if (entry == nullptr || entry->Kind() != ControlKind::Image) return;
  cairo_surface_t* picture = FindImage(image);
  if (picture != nullptr && picture == entry->shownPicture) return;  // already shown
  entry->shownPicture = picture;
  if (picture == nullptr) {
    gtk_image_clear(GTK_IMAGE(entry->content));
    return;
  }
  gtk_image_set_from_surface(GTK_IMAGE(entry->content), picture);
  entry->rect.width = gtk::PictureWidth(picture);
  entry->rect.height = gtk::PictureHeight(picture);
  gtk_widget_set_size_request(entry->widget, entry->rect.width, entry->rect.height);
}

void GtkPlatform::SetGadgetFont(GadgetId gadget, FontId font) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr) return;
  entry->font = font;
  ApplyGadgetStyle(*entry);
}

void GtkPlatform::SetGadgetFrontColour(GadgetId gadget, Rgb colour) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr) return;
  entry->front = colour;
  ApplyGadgetStyle(*entry);
}

void GtkPlatform::SetGadgetBackColour(GadgetId gadget, Rgb colour) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr) return;
  entry->back = colour;
  ApplyGadgetStyle(*entry);
}

void GtkPlatform::ShowGadget(GadgetId gadget) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr) return;
  if (entry->build && !entry->shown) ++unbuiltShown_;  // made before the next pass
  entry->shown = true;
  if (entry->widget != nullptr) gtk_widget_show(entry->widget);
}

void GtkPlatform::HideGadget(GadgetId gadget) {
  Gadget* entry = FindGadget(gadget);
  if (entry == nullptr) return;
  if (entry->build && entry->shown) --unbuiltShown_;
  entry->shown = false;
  entry->leftPressed = false;
  if (entry->widget != nullptr) gtk_widget_hide(entry->widget);
}

void GtkPlatform::FreeGadget(GadgetId gadget) {
  if (Gadget* entry = FindGadget(gadget)) {
    if (entry->Kind() == ControlKind::Video) StopVideo();
    if (entry->build && entry->shown) --unbuiltShown_;
    DestroyGadget(*entry);
    core_.gadgets.Erase(gadget);
  }
}

bool GtkPlatform::GadgetExists(GadgetId gadget) { return FindGadget(gadget) != nullptr; }

std::optional<Rect> GtkPlatform::GadgetRect(GadgetId gadget) {
  if (const Gadget* entry = FindGadget(gadget)) return entry->rect;
  return std::nullopt;
}

// --- gadget signal handlers --------------------------------------------------

// A left press arms the click; a double click or a right press reports at once.
int GtkPlatform::OnImageButtonPress(GtkWidget* widget, GdkEventButton* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  platform->NoteUserInput();
  const GadgetId number = GadgetNumberOf(widget);
  Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || entry->widget != widget) return TRUE;
  const bool left = event->button == GDK_BUTTON_PRIMARY;
  const bool right = event->button == GDK_BUTTON_SECONDARY;
  if (event->type == GDK_BUTTON_PRESS) {
    if (left) entry->leftPressed = true;
    if (right) platform->core_.events.Push(Event::OfGadget(number, 1));
  } else if (event->type == GDK_2BUTTON_PRESS) {
    // The second press of a double click is not a plain click.
    entry->leftPressed = false;
    if (left) platform->core_.events.Push(Event::OfGadget(number, 2));
    if (right) platform->core_.events.Push(Event::OfGadget(number, 3));
  }
  return TRUE;  // never reaches the window, so it never drags it
}

int GtkPlatform::OnImageButtonRelease(GtkWidget* widget, GdkEventButton* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  const GadgetId number = GadgetNumberOf(widget);
  Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || entry->widget != widget) return TRUE;
  if (event->button != GDK_BUTTON_PRIMARY || !entry->leftPressed) return TRUE;
  entry->leftPressed = false;
  const bool inside = event->x >= 0 && event->y >= 0 && event->x < entry->rect.width &&
                      event->y < entry->rect.height;
  if (inside) platform->core_.events.Push(Event::OfGadget(number, 0));
  return TRUE;
}

void GtkPlatform::OnButtonClicked(GtkWidget* widget, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  const GadgetId number = GadgetNumberOf(widget);
  const Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || entry->widget != widget) return;
  platform->core_.events.Push(Event::OfGadget(number, 0));
}

}  // namespace zelluo::platform
