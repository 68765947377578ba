#pragma once
// The few questions the GTK backend asks of Xlib directly (gtk_x11.cpp);
// without Xlib's headers, whose names (None, Always, Status) clash with the
// program's own.

#include <cstdint>

typedef struct _cairo_surface cairo_surface_t;
typedef struct _GdkDisplay GdkDisplay;

namespace zelluo::platform::gtk {

// The Xlib connection of a GDK display, asked once and handed to the two
// questions below.
void* XDisplayOf(GdkDisplay* display);

// The number the next X request will carry, and whether Xlib holds events it
// has read but GDK has not taken yet. Neither asks anything of the X server
// or takes Xlib's lock: only the program's one thread uses Xlib.
unsigned long NextXRequest(void* xdisplay);
bool XEventsAlreadyRead(void* xdisplay);

// A picture kept by the X server: a pixmap of depth 32 filled from argb
// (height rows of width words 0xAARRGGBB in the machine's byte order,
// premultiplied, as cairo keeps them), as a cairo surface that frees the
// pixmap with itself. Null when the server has no such pixmaps or refuses
// one; the caller then keeps the pixels itself.
cairo_surface_t* ServerPicture(GdkDisplay* display, const uint8_t* argb, int width, int height);

// The size of a picture, whether the server keeps it or the program.
int PictureWidth(cairo_surface_t* picture);
int PictureHeight(cairo_surface_t* picture);

}  // namespace zelluo::platform::gtk
