/* Times the List page's opening as the user sees it: clicks the List icon of
 * the main page (XTest) and reads the screen from the X server until the
 * title field of the form shows text (light letters where the main page
 * showed something else),
 * then goes back with the page's back button and waits for the main page.
 *
 *   page_watch <window-x> <window-y> <opens> [--status]
 *
 * With --status the status line under the list is watched instead of the
 * title field: where a file that must be prepared first tells so.
 * Prints one line per open: the milliseconds from the click to the first
 * screen read with the film's title. Exits 1 when a page does not come within
 * 10 seconds. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

static void Sleep(double milliseconds) {
  struct timespec t = {(time_t)(milliseconds / 1000), (long)((long)milliseconds % 1000) * 1000000L};
  nanosleep(&t, NULL);
}

/* The place watched, in window coordinates: the title field of the form, or
 * the status line under the list (where the preparation of a file is told). */
static int fieldX = 410, fieldY = 144, fieldWidth = 800, fieldHeight = 26;
enum { kInset = 5 };

/* The inside of the title field on the screen; NULL when it cannot be read. */
static XImage* Field(Display* display, int x, int y) {
  return XGetImage(display, DefaultRootWindow(display), x + fieldX + kInset, y + fieldY + kInset,
                   fieldWidth - 2 * kInset, fieldHeight - 2 * kInset, AllPlanes, ZPixmap);
}

/* Whether the title field shows text: light letters where the main page
 * showed something else, at least 20 pixels of each. */
static int TitleShown(Display* display, int x, int y, XImage* mainPage) {
  XImage* image = Field(display, x, y);
  if (!image) return 0;
  int light = 0, changed = 0;
  for (int row = 0; row < image->height; ++row) {
    for (int column = 0; column < image->width; ++column) {
      const unsigned long pixel = XGetPixel(image, column, row);
      const unsigned grey =
          (unsigned)(((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff)) / 3;
      light += grey > 200;
      changed += pixel != XGetPixel(mainPage, column, row);
    }
  }
  XDestroyImage(image);
  return light >= 20 && changed >= 20;
}

static void Click(Display* display, int x, int y) {
  XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
  XFlush(display);
  Sleep(300); /* the icon's hover picture comes first, as for a user */
}

static void Press(Display* display) {
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XFlush(display);
}

int main(int argc, char** argv) {
  if (argc != 4 && !(argc == 5 && strcmp(argv[4], "--status") == 0)) {
    fprintf(stderr, "usage: %s <window-x> <window-y> <opens> [--status]\n", argv[0]);
    return 2;
  }
  const int x = atoi(argv[1]), y = atoi(argv[2]), opens = atoi(argv[3]);
  if (argc == 5) fieldX = 40, fieldY = 952, fieldWidth = 1170, fieldHeight = 28;
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "no display\n");
    return 1;
  }
  XImage* mainPage = Field(display, x, y);
  if (!mainPage) return 1;
  for (int open = 0; open < opens; ++open) {
    Click(display, x + 424, y + 464); /* the List icon */
    const double start = Now();
    Press(display);
    while (!TitleShown(display, x, y, mainPage)) {
      if (Now() - start > 10000) return 1;
      Sleep(1);
    }
    printf("%.1f\n", Now() - start);
    fflush(stdout);
    Sleep(500);
    Click(display, x + 65, y + 75); /* the back button */
    Press(display);
    const double back = Now();
    while (TitleShown(display, x, y, mainPage)) {
      if (Now() - back > 10000) return 1;
      Sleep(5);
    }
    Sleep(700);
  }
  XDestroyImage(mainPage);
  XCloseDisplay(display);
  return 0;
}
