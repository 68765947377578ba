// GtkPlatform: the few things done with Xlib directly. Kept apart because
// Xlib's headers define names (None, Always, Status) that the rest of the
// backend uses for its own.

#include "platform/gtk/gtk_x11.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>
#include <cairo-xlib-xrender.h>
#include <cairo-xlib.h>
#include <gdk/gdkx.h>

#include <bit>

namespace zelluo::platform::gtk {

void* XDisplayOf(GdkDisplay* display) { return GDK_DISPLAY_XDISPLAY(display); }

// Xlib's macros rather than XNextRequest and XEventsQueued, which take the
// display's lock for one number each.
unsigned long NextXRequest(void* xdisplay) { return NextRequest(static_cast<Display*>(xdisplay)); }

bool XEventsAlreadyRead(void* xdisplay) { return QLength(static_cast<Display*>(xdisplay)) != 0; }

namespace {

const cairo_user_data_key_t kPixmapKey{};

struct ServerPixmap {
  Display* display;
  Pixmap pixmap;
};

bool HasDepth32(Display* display, int screen) {
  int count = 0;
  int* depths = XListDepths(display, screen, &count);
  bool found = false;
  for (int i = 0; i < count; ++i) found = found || depths[i] == 32;
  if (depths != nullptr) XFree(depths);
  return found;
}

}  // namespace

// Drawn from the program's own memory, every picture was copied into shared
// memory once more on its way to the server (1.4 MB of it at start) and kept
// in the program as well; the server holds it in any case once it is drawn.
cairo_surface_t* ServerPicture(GdkDisplay* gdkDisplay, const uint8_t* argb, int width, int height) {
  if (gdkDisplay == nullptr || width <= 0 || height <= 0) return nullptr;
  Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
  const int screen = DefaultScreen(display);
  static const bool supported = HasDepth32(display, screen);
  XRenderPictFormat* format =
      supported ? XRenderFindStandardFormat(display, PictStandardARGB32) : nullptr;
  if (format == nullptr) return nullptr;

  XImage image{};
  image.width = width;
  image.height = height;
  image.format = ZPixmap;
  image.data = reinterpret_cast<char*>(const_cast<uint8_t*>(argb));
  image.byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  image.bitmap_unit = 32;
  image.bitmap_bit_order = image.byte_order;
  image.bitmap_pad = 32;
  image.depth = 32;
  image.bytes_per_line = width * 4;
  image.bits_per_pixel = 32;
  image.red_mask = 0xFF0000;
  image.green_mask = 0xFF00;
  image.blue_mask = 0xFF;
  if (XInitImage(&image) == 0) return nullptr;

  gdk_x11_display_error_trap_push(gdkDisplay);
  const Pixmap pixmap =
      XCreatePixmap(display, RootWindow(display, screen), static_cast<unsigned>(width),
                    static_cast<unsigned>(height), 32);
  GC gc = XCreateGC(display, pixmap, 0, nullptr);
  XPutImage(display, pixmap, gc, &image, 0, 0, 0, 0, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  XFreeGC(display, gc);
  if (gdk_x11_display_error_trap_pop(gdkDisplay) != 0) {
    gdk_x11_display_error_trap_push(gdkDisplay);
    XFreePixmap(display, pixmap);
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
    return nullptr;
  }
  cairo_surface_t* surface = cairo_xlib_surface_create_with_xrender_format(
      display, pixmap, ScreenOfDisplay(display, screen), format, width, height);
  auto* owned = new ServerPixmap{display, pixmap};
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_set_user_data(surface, &kPixmapKey, owned, [](void* data) {
        auto* server = static_cast<ServerPixmap*>(data);
        XFreePixmap(server->display, server->pixmap);
        delete server;
      }) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    XFreePixmap(display, pixmap);
    delete owned;
    return nullptr;
  }
  return surface;
}

int PictureWidth(cairo_surface_t* picture) {
  return cairo_surface_get_type(picture) == CAIRO_SURFACE_TYPE_XLIB
             ? cairo_xlib_surface_get_width(picture)
             : cairo_image_surface_get_width(picture);
}

int PictureHeight(cairo_surface_t* picture) {
  return cairo_surface_get_type(picture) == CAIRO_SURFACE_TYPE_XLIB
             ? cairo_xlib_surface_get_height(picture)
             : cairo_image_surface_get_height(picture);
}

}  // namespace zelluo::platform::gtk
