#pragma once
// The one interface through which the program reaches the outside world.
//
// Numbers are the currency: gadgets, images, fonts, sounds and menu entries are
// named by program-chosen integers and each backend maps them to its own objects.
// An operation on a number that does not exist does nothing. Errors come back
// as values (a false flag, an empty optional), never as exceptions.
//
// Paths are relative to the working directory and use '/' between folders;
// a backend turns them into its system's form.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelluo {

struct Size {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A 24-bit colour: red + green * 256 + blue * 65536.
using Rgb = uint32_t;
constexpr Rgb MakeRgb(uint32_t red, uint32_t green, uint32_t blue) {
  return red + green * 256 + blue * 65536;
}

struct LocalDate {
  int32_t day = 1;
  int32_t month = 1;
  int32_t year = 1970;
};

// A decoded picture handed to the backend: rows top to bottom, four bytes per
// pixel in the order red, green, blue, alpha (not premultiplied). depth is the
// colour depth the picture was stored with (32 with alpha, 24 without); an icon
// is a picture that the backend may use as a window or tray icon.
struct PixelImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 32;
  bool isIcon = false;
  std::vector<uint8_t> rgba;
};

// PCM sample format of a sound, as the WAVE "fmt " chunk states it.
struct PcmFormat {
  uint16_t formatTag = 1;
  uint16_t channels = 2;
  uint32_t samplesPerSecond = 44100;
  uint32_t bytesPerSecond = 176400;
  uint16_t blockAlign = 4;
  uint16_t bitsPerSample = 16;
};

enum class EventKind {
  None,               // the wait timed out
  Tray,               // number: 0 left press, 1 right press, 2 left double, 3 right double
  CloseRequest,       // the main window was asked to close
  LeftButtonPressed,  // on the window, outside any gadget that reports clicks
  Menu,               // number: the menu entry or shortcut
  Gadget,             // number: the gadget; type 0 is a plain left click
  Other,              // anything else the wait saw (mouse moves, painting, keys)
};

struct Event {
  EventKind kind = EventKind::None;
  int32_t number = 0;
  int32_t type = 0;
  friend bool operator==(const Event&, const Event&) = default;
};

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

enum class TextAlign { Left, Centre };

enum class WindowShow { Show, Hide, Restore };

struct WindowRequest {
  std::string title;
  Rect clientRect;       // position on the screen and client size
  Rgb background = 0;
  bool minimised = false;
  int32_t iconImage = 0; // image number of the window icon (absent: none)
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- display -------------------------------------------------------------
  // Current mode of the primary display; 0 x 0 when none can be examined.
  virtual Size PrimaryDisplaySize() = 0;
  // Vertical pixels per logical inch of the primary display.
  virtual int32_t VerticalDpi() = 0;

  // --- main window ---------------------------------------------------------
  virtual bool OpenWindow(const WindowRequest& request) = 0;
  // A rounded rectangle (0, 0)-(width, height) with a corner ellipse; 0 x 0
  // gives square corners.
  virtual void SetWindowRegion(int32_t width, int32_t height, int32_t cornerWidth,
                               int32_t cornerHeight) = 0;
  virtual void ShowWindow(WindowShow how) = 0;
  // Screen position of the top-left corner and client size; empty when no window.
  virtual std::optional<Rect> WindowRect() = 0;
  // Moves and resizes without activating the window or changing its stacking.
  virtual void MoveResizeWindow(const Rect& rect) = 0;
  // Constant opacity of the whole window, 0 transparent to 255 opaque.
  virtual void SetWindowOpacity(int32_t alpha) = 0;
  // Moves the window with the mouse as if by its caption while the left button
  // is down; returns when it is released.
  virtual void DragWindow() = 0;
  // Destroys the window with its gadgets and shortcuts.
  virtual void DestroyWindow() = 0;

  // --- images and gadgets --------------------------------------------------
  // Registers a decoded picture under a number, replacing one already there.
  virtual bool LoadImage(int32_t image, const PixelImage& pixels) = 0;
  virtual void FreeAllImages() = 0;

  // Creating under an existing number replaces that gadget. New gadgets are visible.
  // An image gadget takes the size of its image; without one it keeps rect's size.
  virtual void CreateImageGadget(int32_t gadget, const Rect& rect, int32_t image) = 0;
  virtual void CreateTextGadget(int32_t gadget, const Rect& rect, std::string_view text,
                                TextAlign align) = 0;
  virtual void CreateButtonGadget(int32_t gadget, const Rect& rect, std::string_view text) = 0;
  virtual void SetGadgetImage(int32_t gadget, int32_t image) = 0;
  virtual void SetGadgetFont(int32_t gadget, int32_t font) = 0;
  virtual void SetGadgetFrontColour(int32_t gadget, Rgb colour) = 0;
  virtual void SetGadgetBackColour(int32_t gadget, Rgb colour) = 0;
  virtual void ShowGadget(int32_t gadget) = 0;
  virtual void HideGadget(int32_t gadget) = 0;
  virtual void FreeGadget(int32_t gadget) = 0;
  virtual bool GadgetExists(int32_t gadget) = 0;
  // Position and size in the window's client coordinates, at this moment.
  virtual std::optional<Rect> GadgetRect(int32_t gadget) = 0;

  // --- fonts ---------------------------------------------------------------
  // pixelHeight is the character height; weight 400 regular, 700 bold.
  virtual void LoadFont(int32_t font, std::string_view face, int32_t pixelHeight,
                        int32_t weight, bool underline) = 0;
  virtual void FreeAllFonts() = 0;

  // --- events --------------------------------------------------------------
  // Waits at most timeoutMs for one event.
  virtual Event WaitEvent(int32_t timeoutMs) = 0;
  // Mouse position in the main window's client area; -1 for a coordinate
  // while the cursor is outside it.
  virtual Point MousePosition() = 0;
  // A key without modifiers, pressed while the window is active, arrives as
  // the menu event; keyCode is the virtual-key code (27 Escape, 8 Backspace).
  virtual void AddShortcut(int32_t keyCode, int32_t menuEvent) = 0;

  // --- popup menu ----------------------------------------------------------
  virtual void CreatePopupMenu() = 0;
  virtual void AppendMenuEntry(int32_t entry, std::string_view text) = 0;
  virtual void AppendMenuSeparator() = 0;
  virtual void EnableMenuEntry(int32_t entry, bool enabled) = 0;
  // Opens the menu at the mouse position minus one pixel and blocks until it
  // closes; a chosen entry arrives through WaitEvent as a menu event.
  virtual void ShowPopupMenu() = 0;

  // --- message boxes -------------------------------------------------------
  // Modal, no icon; owned by the main window when one is open.
  virtual MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                                    MessageButtons buttons) = 0;

  // --- tray ----------------------------------------------------------------
  // False when no icon could be installed (no image, no notification area).
  virtual bool AddTrayIcon(int32_t image) = 0;
  virtual void SetTrayTooltip(std::string_view text) = 0;
  virtual void RemoveTrayIcon() = 0;

  // --- files and processes -------------------------------------------------
  // The whole file, or empty when it cannot be opened.
  virtual std::optional<std::string> ReadFile(std::string_view path) = 0;
  // Writes the file so that it either holds all of bytes or keeps its old
  // content: a temporary file in the same folder, flushed, synced and renamed.
  virtual bool WriteFileAtomic(std::string_view path, std::string_view bytes) = 0;
  // True when the folder exists afterwards.
  virtual bool CreateFolder(std::string_view path) = 0;
  // Size in bytes; -1 when the file is missing, -2 when it is a folder.
  virtual int64_t FileSize(std::string_view path) = 0;
  // Full path of the program's own executable.
  virtual std::string ExecutablePath() = 0;
  virtual LocalDate Today() = 0;
  virtual void Pause(int32_t milliseconds) = 0;
  // Starts the own executable without arguments in the same working directory,
  // without waiting for it.
  virtual bool StartOwnExecutable() = 0;

  // --- audio ---------------------------------------------------------------
  // Opens the default sound output; a backend may finish opening it in the
  // background and then reports only that it has begun.
  virtual bool OpenAudio() = 0;
  // Keeps a ready-to-play copy of the samples under the number.
  virtual bool LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                         size_t byteCount) = 0;
  // Stops the sound, rewinds it and starts it again; returns at once.
  virtual void PlaySound(int32_t sound, bool loop) = 0;
  // Releases every sound and closes the output.
  virtual void CloseAudio() = 0;
};

}  // namespace zelluo
