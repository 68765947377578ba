#pragma once
// The few questions the GTK backend asks of Xlib directly (gtk_x11.cpp);
// without Xlib's headers, whose names (None, Always, Status) clash with the
// program's own.

#include <cstdint>
#include <span>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;
typedef struct _GdkDisplay GdkDisplay;

namespace zelluo::gtkhelp {

// The Xlib connection of a GDK display, asked once and handed to the two
// questions below.
void* XDisplayOf(GdkDisplay* display);

// The number the next X request will carry, and whether Xlib holds events it
// has read but GDK has not taken yet. Neither asks anything of the X server
// or takes Xlib's lock: only the program's one thread uses Xlib.
unsigned long NextXRequest(void* xdisplay);
bool XEventsAlreadyRead(void* xdisplay);

// Pictures to be kept by the X server: height rows of width words
// 0xAARRGGBB each, in the machine's byte order and premultiplied, as cairo
// keeps them.
struct PictureData {
  const uint8_t* argb;
  int width;
  int height;
};

// Puts the pictures into the X server's memory together, with one round trip
// for all: for each, in order, a cairo surface over a pixmap of depth 32 that
// frees the pixmap with itself. All null when the server has no such pixmaps
// or refuses one (nothing is then left on the server); the caller keeps the
// pixels of a null one itself.
std::vector<cairo_surface_t*> ServerPictures(GdkDisplay* display,
                                             std::span<const PictureData> pictures);

// The size of a picture, whether the server keeps it or the program.
int PictureWidth(cairo_surface_t* picture);
int PictureHeight(cairo_surface_t* picture);

}  // namespace zelluo::gtkhelp
