#pragma once
// Linux desktop backend: GTK 3 on X11, SDL2 for the sound output.
//
// Implemented:
//  [x] Display: size of the primary monitor, vertical DPI of the screen.
//  [x] Main window: undecorated GtkWindow with a GtkLayout, CSS background colour,
//      icon, start minimised, shape region (square or rounded corners), show, hide,
//      restore, move and resize, opacity (_NET_WM_WINDOW_OPACITY), drag by the
//      window manager's move (blocks until the left button is up), destroy.
//  [x] Gadgets: image (GtkEventBox + GtkImage, left click = type 0, right press = 1,
//      left double click = 2, right double click = 3), text (GtkLabel in a GtkBox,
//      CSS font and colours, presses fall through to the window), push button
//      (GtkButton, click = type 0).
//  [x] Fonts by face, pixel height, weight and underline, applied through CSS.
//  [x] Event queue filled by the GTK callbacks; bounded wait; mouse position.
//  [x] Shortcuts: unmodified keys while the window is active become menu events.
//  [x] Popup menu at the pointer, blocking until it closes.
//  [x] Message boxes: GtkMessageDialog without icon, German "OK" / "_Ja" "_Nein".
//  [x] Tray icon: GtkStatusIcon (needs a tray host; false without one).
//  [x] Sound: SDL2 audio queue on the default device, 16-bit stereo 44.1 kHz;
//      SDL is loaded and the device opened on a worker thread at OpenAudio;
//      other PCM formats are converted when first played.
//  [x] Files, processes, date and pause through os_services.h (POSIX).
// Not implemented:
//  [ ] Looping playback: PlaySound with loop set plays the sound once.
//  [ ] Wrapping of long texts: a text wider than its gadget ends in an ellipsis.
//  [ ] Colours of push buttons and image gadgets (only text gadgets take them).
//  [ ] Wayland: the backend asks GDK for X11 only (window placement and tray
//      icons need it); without an X display every operation degrades quietly.
//
// Without a display PrimaryDisplaySize is 0 x 0, message boxes return their
// default answer (Ok, or No for Yes/No), and window, gadget, menu and tray
// operations do nothing.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// Opaque toolkit types, so that including this header does not pull in GTK.
typedef struct _GtkWidget GtkWidget;
typedef struct _GtkCssProvider GtkCssProvider;
typedef struct _GtkStatusIcon GtkStatusIcon;
typedef struct _GdkPixbuf GdkPixbuf;
typedef struct _GdkEventButton GdkEventButton;
typedef struct _GdkEventKey GdkEventKey;
typedef union _GdkEvent GdkEvent;

namespace zelluo {

class GtkPlatform final : public Platform {
 public:
  // Initialises GTK without the command line: the program takes no options.
  GtkPlatform();
  ~GtkPlatform() override;
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

  // True when an X display was opened.

  // --- display
  Size PrimaryDisplaySize() override;
  int32_t VerticalDpi() override;

  // --- main window (gtk_window.cpp)
  bool OpenWindow(const WindowRequest& request) override;
  void SetWindowRegion(int32_t width, int32_t height, int32_t cornerWidth,
                       int32_t cornerHeight) override;
  void ShowWindow(WindowShow how) override;
  std::optional<Rect> WindowRect() override;
  void MoveResizeWindow(const Rect& rect) override;
  void SetWindowOpacity(int32_t alpha) override;
  void DragWindow() override;
  void DestroyWindow() override;

  // --- images, gadgets, fonts (gtk_gadgets.cpp)
  bool LoadImage(int32_t image, const PixelImage& pixels) override;
  void FreeAllImages() override;
  void CreateImageGadget(int32_t gadget, const Rect& rect, int32_t image) override;
  void CreateTextGadget(int32_t gadget, const Rect& rect, std::string_view text,
                        TextAlign align) override;
  void CreateButtonGadget(int32_t gadget, const Rect& rect, std::string_view text) override;
  void SetGadgetImage(int32_t gadget, int32_t image) override;
  void SetGadgetFont(int32_t gadget, int32_t font) override;
  void SetGadgetFrontColour(int32_t gadget, Rgb colour) override;
  void SetGadgetBackColour(int32_t gadget, Rgb colour) override;
  void ShowGadget(int32_t gadget) override;
  void HideGadget(int32_t gadget) override;
  void FreeGadget(int32_t gadget) override;
  bool GadgetExists(int32_t gadget) override;
  std::optional<Rect> GadgetRect(int32_t gadget) override;
  void LoadFont(int32_t font, std::string_view face, int32_t pixelHeight, int32_t weight,
                bool underline) override;
  void FreeAllFonts() override;

  // --- events (gtk_events.cpp)
  Event WaitEvent(int32_t timeoutMs) override;
  Point MousePosition() override;
  void AddShortcut(int32_t keyCode, int32_t menuEvent) override;

  // --- popup menu (gtk_menu.cpp)
  void CreatePopupMenu() override;
  void AppendMenuEntry(int32_t entry, std::string_view text) override;
  void AppendMenuSeparator() override;
  void EnableMenuEntry(int32_t entry, bool enabled) override;
  void ShowPopupMenu() override;

  // --- message boxes
  MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                            MessageButtons buttons) override;

  // --- tray (gtk_tray.cpp)
  bool AddTrayIcon(int32_t image) override;
  void SetTrayTooltip(std::string_view text) override;
  void RemoveTrayIcon() override;

  // --- files and processes
  std::optional<std::string> ReadFile(std::string_view path) override;
  bool WriteFileAtomic(std::string_view path, std::string_view bytes) override;
  bool CreateFolder(std::string_view path) override;
  int64_t FileSize(std::string_view path) override;
  std::string ExecutablePath() override;
  LocalDate Today() override;
  void Pause(int32_t milliseconds) override;
  bool StartOwnExecutable() override;

  // --- audio (gtk_audio.cpp)
  bool OpenAudio() override;
  bool LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                 size_t byteCount) override;
  void PlaySound(int32_t sound, bool loop) override;
  void CloseAudio() override;

 private:
  enum class GadgetKind { Image, Text, Button };

  struct Gadget {
    GadgetKind kind = GadgetKind::Image;
    GtkWidget* widget = nullptr;   // the child of the layout
    GtkWidget* content = nullptr;  // GtkImage, GtkLabel or GtkButton
    GtkCssProvider* css = nullptr; // text and button gadgets
    Rect rect;                     // kept here: allocations lag one loop pass
    GdkPixbuf* shownPixbuf = nullptr;  // not owned; only compared
    std::optional<int32_t> font;
    std::optional<Rgb> front;
    std::optional<Rgb> back;
    bool leftPressed = false;      // a left press inside, awaiting its release
  };

  struct Font {
    std::string face;
    int32_t pixelHeight = 0;
    int32_t weight = 400;
    bool underline = false;
  };

  struct MenuEntry {
    int32_t entry = 0;
    GtkWidget* item = nullptr;
  };

  // Events and their queue (gtk_events.cpp).
  void PushEvent(const Event& event);
  void PushOther();
  void ProcessPendingEvents();

  // Gadgets (gtk_gadgets.cpp).
  Gadget* FindGadget(int32_t gadget);
  void PlaceGadget(int32_t number, Gadget gadget);
  void DestroyGadget(Gadget& gadget);
  void ApplyGadgetStyle(Gadget& gadget);
  GdkPixbuf* FindImage(int32_t image) const;

  // Window (gtk_window.cpp).
  bool WindowShown() const;
  void ConnectWindowSignals();
  void ForgetWindow();

  // GTK signal handlers; user_data is always the GtkPlatform.
  static int OnDeleteEvent(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnWindowButtonPress(GtkWidget* widget, GdkEventButton* event, void* self);
  static int OnWindowButtonRelease(GtkWidget* widget, GdkEventButton* event, void* self);
  static int OnWindowOtherEvent(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnWindowDraw(GtkWidget* widget, void* cairo, void* self);
  static int OnWindowKeyPress(GtkWidget* widget, GdkEventKey* event, void* self);
  static int OnImageButtonPress(GtkWidget* widget, GdkEventButton* event, void* self);
  static int OnImageButtonRelease(GtkWidget* widget, GdkEventButton* event, void* self);
  static void OnButtonClicked(GtkWidget* widget, void* self);
  static void OnMenuItemActivate(GtkWidget* widget, void* self);
  static void OnMenuDone(GtkWidget* widget, void* self);
  static int OnTrayButtonPress(GtkStatusIcon* icon, GdkEventButton* event, void* self);

  bool hasDisplay_ = false;

  // Main window.
  GtkWidget* window_ = nullptr;
  GtkWidget* layout_ = nullptr;
  GtkCssProvider* windowCss_ = nullptr;
  Size clientSize_;

  // The last left press on the window background, for DragWindow.
  bool leftDownOnWindow_ = false;
  int32_t pressRootX_ = 0;
  int32_t pressRootY_ = 0;
  uint32_t pressTime_ = 0;

  std::map<int32_t, GdkPixbuf*> images_;  // owned references
  std::map<int32_t, Gadget> gadgets_;
  std::map<int32_t, Font> fonts_;
  std::map<int32_t, int32_t> shortcuts_;  // virtual-key code -> menu event
  std::deque<Event> queue_;

  // Popup menu.
  GtkWidget* menu_ = nullptr;
  std::vector<MenuEntry> menuEntries_;
  bool menuOpen_ = false;

  // Tray icon and the press that may open the menu.
  GtkStatusIcon* trayIcon_ = nullptr;
  std::vector<GtkStatusIcon*> retiredTrayIcons_;  // hidden, released last
  GdkEvent* lastTrayPress_ = nullptr;

  // Sound output (gtk_audio.cpp); null until OpenAudio.
  class AudioOutput;
  struct AudioOutputDeleter {
    void operator()(AudioOutput* output) const;
  };
  std::unique_ptr<AudioOutput, AudioOutputDeleter> audio_;
};

}  // namespace zelluo
