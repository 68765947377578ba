/* Starts a program and reports when its window with a given title is mapped:
 * the time from fork to X's MapNotify for that window, in milliseconds.
 *
 *   map_watch <title> <timeout-seconds> <program> [arguments...]
 *
 * Prints "<milliseconds> <pid>" and exits 0, leaving the program running; exits
 * 1 when no such window is mapped in time (the program is then killed). Every
 * new top-level window is watched from its CreateNotify on, so its MapNotify is
 * seen even after a window manager has reparented it. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

/* The window's title: _NET_WM_NAME (UTF-8) or else WM_NAME. */
static int HasTitle(Display* display, Window window, const char* title) {
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  int match = 0;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data != NULL) {
    match = strcmp((const char*)data, title) == 0;
    XFree(data);
    if (match) return 1;
  }
  char* name = NULL;
  if (XFetchName(display, window, &name) && name != NULL) {
    match = strcmp(name, title) == 0;
    XFree(name);
  }
  return match;
}

static int IgnoreErrors(Display* display, XErrorEvent* error) {
  (void)display;
  (void)error;
  return 0; /* windows may vanish while we look at them */
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: %s <title> <timeout-seconds> <program> [arguments...]\n", argv[0]);
    return 2;
  }
  const char* title = argv[1];
  const double timeoutMs = atof(argv[2]) * 1000.0;
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "map_watch: cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreErrors);
  Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const double start = Now();
  pid_t child = fork();
  if (child < 0) return 2;
  if (child == 0) {
    /* The program's own output would mix with the figure on stdout. */
    if (freopen("/dev/null", "w", stdout) == NULL || freopen("/dev/null", "w", stderr) == NULL) {
      _exit(127);
    }
    execvp(argv[3], argv + 3);
    _exit(127);
  }

  const int fd = ConnectionNumber(display);
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
        XSelectInput(display, event.xcreatewindow.window, StructureNotifyMask);
        XSync(display, False);
      } else if (event.type == MapNotify) {
        Window window = event.xmap.window;
        if (HasTitle(display, window, title)) {
          printf("%.1f %d\n", Now() - start, (int)child);
          fflush(stdout);
          XCloseDisplay(display);
          return 0;
        }
      }
    }
    const double left = timeoutMs - (Now() - start);
    if (left <= 0) break;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    struct timeval wait = {(time_t)(left / 1000.0), (suseconds_t)((long)left % 1000 * 1000)};
    select(fd + 1, &readable, NULL, NULL, &wait);
  }
  kill(child, SIGKILL);
  fprintf(stderr, "map_watch: no window \"%s\" mapped within %s s\n", title, argv[2]);
  return 1;
}
