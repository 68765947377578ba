#pragma once
// In-memory platform for tests: the whole program runs on it.
//
// Implements: every operation of Platform. Each call is recorded as one trace
// line; a model keeps the window, the gadgets, fonts, images, the tray icon and
// menu, the message boxes shown, processes started and sounds played. Display
// size, events and message-box answers are scripted. Files are real, reached
// through the shared SystemPart: paths are resolved below a root folder (a
// temporary folder in tests).
// Text fields, lists, keyboard focus and the file chooser are modelled too:
// scripted key presses go where the desktop core's key routing sends them (the
// rule GTK and Win32 follow), the field or list doing its own part; scripted
// typing replaces a field's text, and a list fetches the rows it shows whenever
// its rows or its selection change.
// A scripted player stands in for the video library: a film "plays" at the
// position the script sets (ScriptedEvent::VideoAt), seeks and pauses as
// asked, and ends when the script sets a position at its duration.
// Does not: draw anything, or move the mouse by itself (scripted positions only).

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_core.h"
#include "platform/os_services.h"
#include "platform/platform.h"

namespace zelluo::platform {

// The model of a gadget beside what the desktop core keeps (kind, rectangle,
// visibility, font, colours).
struct HeadlessControl {
  ImageId image = kNoImage;
  std::string text;
  // A field's selection from this byte to its end (a completion), if any.
  std::optional<size_t> selectedFrom;
  TextAlign align = TextAlign::Left;
  std::vector<ListColumn> columns;
  ListRowSource rows;
  int32_t rowCount = 0;
  int32_t selection = -1;
  // The rows the list shows, fetched as a desktop list fetches them when it
  // draws: as many as fit its height at 20 pixels a row (less the headings),
  // scrolled so that the selection is visible.
  std::vector<std::vector<std::string>> shownRows;
  // A video gadget's film and where it stands.
  std::string videoPath;
  double videoPosition = 0;
  bool videoPaused = false;
  // A chart gadget's bars, shape, font and colours, as last drawn.
  Chart chart;
};

using HeadlessGadget = Control<HeadlessControl>;

struct HeadlessWindow {
  bool open = false;
  WindowRequest request;
  Rect rect;
  enum class State { Normal, Minimised } state = State::Normal;
  bool visible = false;
  int32_t opacity = 255;
  Size region;
};

struct HeadlessFont {
  std::string face;
  int32_t pixelHeight = 0;
  int32_t weight = 400;
  bool underline = false;
};

struct HeadlessMessage {
  std::string title;
  std::string text;
  MessageButtons buttons = MessageButtons::Ok;
  MessageAnswer answer = MessageAnswer::Ok;
};

struct HeadlessMenuEntry {
  int32_t entry = 0;  // 0 for a separator
  std::string text;
  bool enabled = true;
};

struct KeyPress {
  int32_t keyCode = 0;
  KeyModifier modifier = KeyModifier::None;
};

// One scripted event; the mouse may move to a new position with it.
struct ScriptedEvent {
  ScriptedEvent(Event event, std::optional<Point> mouse = std::nullopt)  // NOLINT: implicit
      : event(event), mouse(mouse) {}
  ScriptedEvent(KeyPress key) : key(key) {}  // NOLINT: implicit
  // The user types text into a field (it replaces the field's text) or
  // selects a row of a list; either arrives as the matching gadget event.
  static ScriptedEvent Typed(GadgetId field, std::string text);
  static ScriptedEvent Selected(GadgetId list, int32_t row);
  // The film in a video gadget has come to position (seconds); at the
  // duration it ends, which arrives as kGadgetVideoEnded.
  static ScriptedEvent VideoAt(GadgetId video, double position);
  // A click at point (in the gadget's coordinates) on a chart gadget: a
  // click on the bar there, found as the desktop finds it, or nothing.
  static ScriptedEvent ClickedAt(GadgetId chart, Point point);

  Event event;
  std::optional<Point> mouse;
  std::optional<KeyPress> key;  // resolved by the shortcut rules when it is due
  std::optional<std::string> typed;
  int32_t row = -1;
  std::optional<double> videoPosition;
  std::optional<Point> chartPoint;
};

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(std::string root);

  // --- scripting ---
  Size display{1280, 1024};
  int32_t dpi = 96;
  LocalDate date{6, 12, 2026};
  // Now() is date at hour:minute.
  int32_t hour = 18;
  int32_t minute = 30;
  // The local zone's distance from UTC, for LocalTimeAt (Central Europe in winter).
  int32_t utcOffsetMinutes = 60;
  std::string executablePath = "zelluo";
  bool audioAvailable = true;
  bool trayAvailable = true;
  std::deque<MessageAnswer> answers;  // Yes/No boxes take from here; empty gives No
  std::deque<ScriptedEvent> events;   // WaitEvent pops from here; empty gives None
  // The file chooser answers with these in turn; empty (or none) is Cancel.
  std::deque<std::optional<std::string>> chosenFiles;
  // The folder chooser the same way.
  std::deque<std::optional<std::string>> chosenFolders;
  Point mouse{-1, -1};
  // When set, asked before each step of a file write; false makes it fail.
  os::WriteFaultHook writeFault;
  // When set, every file read fails as an I/O error after opening would.
  bool readFault = false;
  // The scripted player: whether it is there, and how long every film is.
  bool videoAvailable = false;
  double videoDuration = 100;
  // Whether the system's default program for a file can be started.
  bool defaultProgramAvailable = true;
  // Gives up after this many empty waits so that a script that never quits ends.
  int32_t idleWaitLimit = 1000;
  // Once the script has run out, empty waits that last a millisecond each and
  // are not counted, for as long as this says so (work on a thread of the
  // program's, like the collection's check, is then waited for).
  std::function<bool()> keepWaiting;

  // --- model ---
  std::vector<std::string> trace;
  HeadlessWindow window;
  // The gadgets, shortcuts and queued events, kept as on the desktop.
  DesktopCore<HeadlessControl> desktop;
  std::map<ImageId, PixelImage> images;
  std::map<FontId, HeadlessFont> fonts;
  GadgetId focus = kNoGadget;
  int32_t rowsFetched = 0;  // rows the lists asked their row sources for
  std::vector<HeadlessMenuEntry> menu;
  std::vector<HeadlessMessage> messages;
  bool trayIcon = false;
  ImageId trayImage = kNoImage;
  std::string trayTooltip;
  bool audioOpen = false;
  std::map<int32_t, std::vector<uint8_t>> sounds;
  std::vector<int32_t> played;
  int32_t processesStarted = 0;
  std::vector<std::string> openedWithDefaultProgram;  // the files handed over
  int32_t pausedMs = 0;
  bool timedOut = false;  // set when idleWaitLimit was reached
  // The gadgets and the window as they stood when the script ran out, before
  // the close request that idleWaitLimit sends leads to shutdown.
  std::map<GadgetId, HeadlessGadget> gadgetsWhenIdle;
  HeadlessWindow windowWhenIdle;

  // The path below the root where a relative path lands.
  std::string Resolve(std::string_view path) const;
  // Trace lines that start with prefix, in order.
  std::vector<std::string> TraceOf(std::string_view prefix) const;

  Size PrimaryDisplaySize() override;
  int32_t VerticalDpi() override;
  bool OpenWindow(const WindowRequest& request) override;
  void SetWindowRegion(int32_t width, int32_t height, int32_t cornerWidth,
                       int32_t cornerHeight) override;
  void ShowWindow(WindowShow how) override;
  std::optional<Rect> WindowRect() override;
  void MoveResizeWindow(const Rect& rect) override;
  void SetWindowOpacity(int32_t alpha) override;
  void DragWindow() override;
  void DestroyWindow() override;
  bool LoadImage(ImageId image, const PixelImage& pixels) override;
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
  void CreateTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind) override;
  void CreateChartGadget(GadgetId gadget, const Rect& rect, const Chart& chart) override;
  // The height of a chart's lines of text: its font's pixel height.
  int32_t ChartLineHeight(const Chart& chart) const;
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
  bool CanPlayVideo() override { return videoAvailable; }
  bool PlayVideo(GadgetId gadget, const Rect& rect, std::string_view path,
                 double startSeconds) override;
  void ControlVideo(GadgetId gadget, VideoCommand command, double seconds) override;
  VideoStatus VideoState(GadgetId gadget) override;
  void LoadFont(FontId font, std::string_view face, int32_t pixelHeight, int32_t weight,
                bool underline) override;
  void FreeAllFonts() override;
  Event WaitEvent(int32_t timeoutMs) override;
  Point MousePosition() override;
  void AddShortcut(int32_t keyCode, int32_t menuEvent) override;
  void AddKeyShortcut(int32_t keyCode, KeyModifier modifier, ShortcutInFields inFields,
                      int32_t menuEvent) override;
  void CreatePopupMenu() override;
  void AppendMenuEntry(int32_t entry, std::string_view text) override;
  void AppendMenuSeparator() override;
  void EnableMenuEntry(int32_t entry, bool enabled) override;
  void ShowPopupMenu() override;
  MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                            MessageButtons buttons) override;
  std::optional<std::string> ChooseFile(std::string_view title,
                                        const std::vector<FileFilter>& filters, bool save,
                                        std::string_view suggestedName) override;
  std::optional<std::string> ChooseFolder(std::string_view title) override;
  bool AddTrayIcon(ImageId image) override;
  void SetTrayTooltip(std::string_view text) override;
  void RemoveTrayIcon() override;
  // Files as the shared SystemPart reaches them, below the root, with a
  // trace line for each but FileSize.
  std::optional<std::string> ReadFile(std::string_view path) override;
  bool WriteFileAtomic(std::string_view path, std::string_view bytes) override;
  bool CreateFolder(std::string_view path) override;
  std::string LocalPath(std::string_view path) override { return Resolve(path); }
  std::string ExecutablePath() override;
  LocalDate Today() override;
  LocalTime Now() override { return LocalTime{date, hour, minute}; }
  LocalTime LocalTimeAt(int64_t unixSeconds) override;
  void Pause(int32_t milliseconds) override;
  bool StartOwnExecutable() override;
  bool OpenWithDefaultProgram(std::string_view path) override;
  bool OpenAudio() override;
  bool LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                 size_t byteCount) override;
  void PlaySound(int32_t sound, bool loop) override;
  void CloseAudio() override;

 private:
  bool AllowWriteStep(os::WriteStep step) override;
  void Record(std::string line);
  HeadlessGadget* Find(GadgetId gadget);
  void CreateGadget(GadgetId gadget, HeadlessGadget model);
  // Hands a scripted key to the desktop core and carries out its decision.
  void PressKey(KeyPress key);
  void FetchShownRows(HeadlessGadget& list);

  std::string root_;
  int32_t idleWaits_ = 0;
};

}  // namespace zelluo::platform
