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
//      (GtkButton, click = type 0). A gadget's widgets are made when it is first
//      shown on the screen or asked for what only they know; pictures are kept
//      once, as the premultiplied cairo surfaces that GtkImage draws.
//  [x] Text fields: GtkEntry (single line), GtkTextView wrapping by word in a
//      GtkScrolledWindow (multi-line); CSS font and colours; a change by the
//      user is a text-changed event, SetGadgetText reports none.
//  [x] Lists: GtkTreeView in fixed-height mode with fixed-width columns over a
//      model of its own that asks the row source only for the cells it
//      draws; one selected row; a selection by the
//      user (click, arrow and page keys) is a selection-changed event, one by
//      the program is not and scrolls the row into view.
//  [x] Keyboard focus on fields and lists; Escape in a field gives the focus
//      back to the window instead of acting as a shortcut.
//  [x] Fonts by face, pixel height, weight and underline, applied through CSS.
//  [x] Event queue filled by the GTK callbacks; bounded wait; mouse position.
//  [x] End of session: SIGTERM and SIGHUP (g_unix_signal_add, handled in the
//      main loop) queue a session-end event.
//  [x] Shortcuts: unmodified keys and Control keys while the window is active
//      become menu events; while a text field has the focus only those allowed
//      in that kind of field; while the list has it, the arrow and page keys
//      move its selection.
//  [x] File chooser: GtkFileChooserDialog to open or save, German buttons,
//      filters whose patterns ignore case, overwrite confirmation; the
//      folder chooser is the same dialog selecting a folder.
//  [x] Popup menu at the pointer, blocking until it closes.
//  [x] Message boxes: GtkMessageDialog without icon, German "OK" / "_Ja" "_Nein".
//  [x] Tray icon: GtkStatusIcon (needs a tray host; false without one).
//  [x] Sound: SDL2 audio queue on the default device, 16-bit stereo 44.1 kHz;
//      SDL is loaded and the device opened on a worker thread from the first
//      mouse move, press or key on the window or tray icon (or the first sound);
//      other PCM formats are converted when first played.
//  [x] Films inside the window: libmpv.so.2 loaded by name at run time drawing
//      into a native child window (option wid), through the shared MpvPlayer;
//      without it GIO's default application for the file.
//  [x] Files, processes, date and pause: the shared SystemPart (POSIX).
//  [x] Charts: a GtkDrawingArea painted with cairo and Pango (gtk_chart.cpp).
// Not implemented:
//  [ ] Looping playback: PlaySound with loop set plays the sound once.
//  [ ] Wrapping of long texts: a text wider than its gadget ends in an ellipsis.
//  [ ] Colours of push buttons and image gadgets (text gadgets, fields and lists
//      take them).
//  [ ] German labels inside the file chooser beyond its buttons and the
//      overwrite question: the rest speaks the locale's language.
//  [ ] Wayland: the backend asks GDK for X11 only (window placement and tray
//      icons need it); without an X display every operation degrades quietly.
//
// Without a display PrimaryDisplaySize is 0 x 0, message boxes return their
// default answer (Ok, or No for Yes/No), and window, gadget, menu and tray
// operations do nothing.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/desktop_core.h"
#include "platform/mpv_player.h"
#include "platform/platform.h"

// Opaque toolkit types, so that including this header does not pull in GTK.
typedef struct _GtkWidget GtkWidget;
typedef struct _GtkCssProvider GtkCssProvider;
typedef struct _GtkStatusIcon GtkStatusIcon;
typedef struct _GdkPixbuf GdkPixbuf;
typedef struct _GdkDisplay GdkDisplay;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;
typedef struct _GdkEventButton GdkEventButton;
typedef struct _GdkEventKey GdkEventKey;
typedef union _GdkEvent GdkEvent;
typedef struct _GPollFD GPollFD;

namespace zelluo::platform {

// The rows of a list gadget and the tree model over them (gtk_list.cpp).
struct GtkListRows;

class GtkPlatform final : public Platform {
 public:
  // Initialises GTK without the command line: the program takes no options.
  GtkPlatform();
  ~GtkPlatform() override;
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

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
  bool LoadImage(ImageId image, const PixelImage& pixels) override;
  bool TakeImage(ImageId image, PixelImage&& pixels) override;
  bool TakeImageLater(ImageId image, std::function<std::optional<PixelImage>()> decode) override;
  void FreeAllImages() override;
  void CreateImageGadget(GadgetId gadget, const Rect& rect, ImageId image) override;
  void CreateTextGadget(GadgetId gadget, const Rect& rect, std::string_view text,
                        TextAlign align) override;
  void CreateButtonGadget(GadgetId gadget, const Rect& rect, std::string_view text) override;
  void SetGadgetImage(GadgetId gadget, ImageId image) override;
  void SetGadgetFont(GadgetId gadget, FontId font) override;
  void SetGadgetFrontColour(GadgetId gadget, Rgb colour) override;
  void SetGadgetBackColour(GadgetId gadget, Rgb colour) override;
  void ShowGadget(GadgetId gadget) override;
  void HideGadget(GadgetId gadget) override;
  void FreeGadget(GadgetId gadget) override;
  bool GadgetExists(GadgetId gadget) override;
  std::optional<Rect> GadgetRect(GadgetId gadget) override;
  void LoadFont(FontId font, std::string_view face, int32_t pixelHeight, int32_t weight,
                bool underline) override;
  void FreeAllFonts() override;

  // --- events (gtk_events.cpp)
  Event WaitEvent(int32_t timeoutMs) override;
  Point MousePosition() override;
  void AddShortcut(int32_t keyCode, int32_t menuEvent) override;
  void AddKeyShortcut(int32_t keyCode, KeyModifier modifier, ShortcutInFields inFields,
                      int32_t menuEvent) override;

  // --- charts (gtk_chart.cpp)
  void CreateChartGadget(GadgetId gadget, const Rect& rect, const Chart& chart) override;

  // --- text fields, lists and focus (gtk_fields.cpp, gtk_list.cpp)
  void CreateTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind) override;
  void SetGadgetText(GadgetId gadget, std::string_view text) override;
  std::string GadgetText(GadgetId gadget) override;
  void SelectFieldText(GadgetId gadget, size_t from) override;
  void CreateListGadget(GadgetId gadget, const Rect& rect, const std::vector<ListColumn>& columns,
                        ListRowSource rows) override;
  void SetListRowCount(GadgetId gadget, int32_t count) override;
  void SetListSelection(GadgetId gadget, int32_t row) override;
  int32_t ListSelection(GadgetId gadget) override;
  void FocusGadget(GadgetId gadget) override;
  GadgetId FocusedGadget() override;

  // --- films inside the window (gtk_video.cpp)
  bool CanPlayVideo() override;
  bool PlayVideo(GadgetId gadget, const Rect& rect, std::string_view path,
                 double startSeconds) override;
  void ControlVideo(GadgetId gadget, VideoCommand command, double seconds) override;
  VideoStatus VideoState(GadgetId gadget) override;
  // GIO's default application for the file (gtk_video.cpp).
  bool OpenWithDefaultProgram(std::string_view path) override;
  // Drains libmpv's events in the main loop (a GLib source function).
  static int DrainVideoEvents(void* self);

  // --- popup menu (gtk_menu.cpp)
  void CreatePopupMenu() override;
  void AppendMenuEntry(int32_t entry, std::string_view text) override;
  void AppendMenuSeparator() override;
  void EnableMenuEntry(int32_t entry, bool enabled) override;
  void ShowPopupMenu() override;

  // --- message boxes
  MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                            MessageButtons buttons) override;
  std::optional<std::string> ChooseFile(std::string_view title,
                                        const std::vector<FileFilter>& filters, bool save,
                                        std::string_view suggestedName) override;
  std::optional<std::string> ChooseFolder(std::string_view title) override;

  // --- tray (gtk_tray.cpp)
  bool AddTrayIcon(ImageId image) override;
  void SetTrayTooltip(std::string_view text) override;
  void RemoveTrayIcon() override;

  // --- audio (gtk_audio.cpp)
  bool OpenAudio() override;
  bool LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                 size_t byteCount) override;
  void PlaySound(int32_t sound, bool loop) override;
  void CloseAudio() override;

 private:
  // A gadget's widgets, beside what the desktop core keeps of it.
  struct GtkControl {
    GtkWidget* widget = nullptr;  // the child of the layout
    // GtkImage, GtkLabel, GtkButton, GtkEntry, GtkTextView or GtkTreeView:
    // the widget that takes the focus.
    GtkWidget* content = nullptr;
    GtkCssProvider* css = nullptr;            // all but image gadgets
    std::shared_ptr<GtkListRows> rows;        // lists only
    std::shared_ptr<const Chart> chart;       // charts only
    cairo_surface_t* shownPicture = nullptr;  // not owned; only compared
    bool leftPressed = false;                 // a left press inside, awaiting its release
    int32_t pressedBar = -1;                  // the chart's bar under that press
    // Until the gadget is first needed: what makes its widgets (a Make...
    // call), and its place in the order of creation.
    std::function<void()> build;
    uint64_t sequence = 0;
  };
  // Its rectangle is kept in the record: allocations lag one loop pass.
  using Gadget = Control<GtkControl>;

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
  void ProcessPendingEvents();
  // The user moved the mouse, pressed or typed: the sound output gets ready.
  void NoteUserInput();
  bool IterateMainContext(int32_t timeoutMs, bool& timedOut);
  void RememberQuiet(int32_t fdCount, int64_t nextSourceTime);
  bool StillQuiet();

  // Gadgets (gtk_gadgets.cpp).
  // The record of a gadget, made or not; only for what the record answers.
  Gadget* FindGadget(GadgetId gadget);
  // The gadget with its widgets, made now if they were not yet.
  Gadget* BuiltGadget(GadgetId gadget);
  void DeferGadget(GadgetId number, Gadget record, std::function<void()> build);
  void BuildGadget(Gadget& gadget);
  // Makes the widgets of every shown gadget that has none yet, in the order
  // the gadgets were created; before the window is drawn.
  void BuildPendingGadgets();
  void MakeImageGadget(GadgetId gadget, const Rect& rect, ImageId image);
  void MakeTextGadget(GadgetId gadget, const Rect& rect, const std::string& text, TextAlign align);
  void MakeButtonGadget(GadgetId gadget, const Rect& rect, const std::string& text);
  void MakeChartGadget(GadgetId gadget, const Rect& rect, std::shared_ptr<const Chart> chart);
  // The height of a chart's lines of text: its font's pixel height (gtk_chart.cpp).
  int32_t ChartLineHeight(const Chart& chart) const;
  static int OnChartDraw(GtkWidget* widget, cairo_t* cairo, void* self);
  static int OnChartButton(GtkWidget* widget, GdkEventButton* event, void* self);
  void MakeTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind);
  void MakeListGadget(GadgetId gadget, const Rect& rect, const std::vector<ListColumn>& columns,
                      const ListRowSource& rows);
  void PlaceGadget(GadgetId number, Gadget gadget);
  void DestroyGadget(Gadget& gadget);
  void ApplyGadgetStyle(Gadget& gadget);
  std::string FieldAndListCss(const Gadget& gadget, const std::string& fontRules) const;
  GadgetId GadgetOfWidget(GtkWidget* widget) const;
  void ReleaseListRows(Gadget& gadget);
  // Escape in a text field: the focus goes back to the window.
  void LeaveTextField();
  // Focus to a list without the selection of its first row that GTK makes.
  void FocusListQuietly(Gadget& list);

  // Keys (gtk_events.cpp): true when the key was taken as a shortcut or as
  // the way out of a text field, as the desktop core decided.
  bool HandleKey(const GdkEventKey* event);
  // A picture as GtkImage draws it, and as a pixbuf for the window and tray
  // icons (made when first asked for); null for an unknown number.
  cairo_surface_t* FindImage(ImageId image);
  GdkPixbuf* FindIconImage(ImageId image);
  // Turns every picture not drawn yet into the surface it is drawn from.
  void PreparePictures();

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
  static int OnWindowKeyPressAfter(GtkWidget* widget, GdkEventKey* event, void* self);
  static void OnFieldChanged(void* entryOrBuffer, void* self);
  static void OnListSelectionChanged(void* selection, void* self);
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

  // Each picture once, in the form GTK draws from: a cairo surface (owned
  // reference), kept by the X server where it can be. Until a picture is
  // first needed it waits to be decoded, or as decoded, so that the window
  // does not wait for the pictures at start; when one is first drawn, all
  // of them become surfaces.
  struct Picture {
    cairo_surface_t* surface = nullptr;
    GdkPixbuf* icon = nullptr;
    std::function<std::optional<PixelImage>()> decode;
    std::optional<PixelImage> decoded;
  };
  // Keeps drawable pixels as the picture's decoded form (an icon gets its
  // pixbuf too); false for pixels cairo cannot draw.
  static bool KeepDecoded(Picture& picture, PixelImage&& pixels);
  // Decodes a picture that waits for it.
  static void DecodePicture(Picture& picture);
  static void ReleasePicture(Picture& picture);
  std::map<ImageId, Picture> images_;
  // Gadgets, shortcuts, the event queue filled by the GTK callbacks and the
  // quiet changes.
  DesktopCore<GtkControl> core_;
  // SIGTERM and SIGHUP (a logout, a shutdown, kill) run this in the main loop
  // (g_unix_signal_add), where it queues EventKind::SessionEnd.
  static int ReportSessionEnd(void* self);
  std::vector<unsigned int> signalSources_;
  // Gadgets shown but not made yet, and the count of all ever created.
  int32_t unbuiltShown_ = 0;
  uint64_t gadgetSequence_ = 0;
  std::map<FontId, Font> fonts_;
  // The main context's descriptors as the last pass polled them.
  std::vector<GPollFD> pollFds_;
  // What an idle pass that found nothing to do left behind (gtk_events.cpp).
  struct Quiet {
    bool valid = false;
    int32_t fdCount = 0;
    int64_t nextSourceTime = 0;  // when the context's next timeout is due (µs)
    unsigned long request = 0;   // the next X request's number then
    uint32_t marker = 0;         // the number of a source attached then
    int32_t passes = 0;
    GdkDisplay* display = nullptr;  // asked once, for the checks of every idle pass
    void* xdisplay = nullptr;
  } quiet_;

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

  // libmpv's player (gtk_video.cpp): null until it was looked for, and without it.
  std::unique_ptr<MpvPlayer> mpv_;
  bool mpvTried_ = false;
  void StopVideo();
};

}  // namespace zelluo::platform
