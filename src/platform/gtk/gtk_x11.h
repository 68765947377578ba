#pragma once
// The few questions the GTK backend asks of Xlib directly (gtk_x11.cpp), for
// the default display; without Xlib's headers, whose names (None, Always,
// Status) clash with the program's own.

namespace zelluo::gtkhelp {

// The number the next X request will carry.
unsigned long NextXRequest();

// Whether Xlib holds events it has read but GDK has not taken yet; asks
// nothing of the X server.
bool XEventsAlreadyRead();

}  // namespace zelluo::gtkhelp
