#pragma once
// Windows desktop backend: the Win32 API, DirectSound for the sound output.
//
// Implemented:
//  [x] Display: current mode of the primary display device (EnumDisplayDevicesW,
//      EnumDisplaySettingsW), system metrics as the fallback; LOGPIXELSY.
//  [x] Main window: WS_POPUP of the client size at the given position, class
//      icon from icon group 1 of the resources, background brush, shown
//      minimised at once; rounded-rectangle region; show, hide, restore; move
//      and resize without activation; layered constant opacity; drag by the
//      system's caption move (only while the left button is down); destroy.
//  [x] Gadgets as real controls: image (static SS_BITMAP | SS_NOTIFY, sized to
//      its picture, a 32-bit premultiplied DIB section; STN_CLICKED = type 0,
//      STN_DBLCLK = type 1), text (static SS_LEFT / SS_CENTER, colours through
//      WM_CTLCOLORSTATIC, transparent to hits so presses reach the window),
//      push button (BN_CLICKED = type 0) in DEFAULT_GUI_FONT.
//  [x] Text fields: EDIT controls, single-line (ES_AUTOHSCROLL) or multi-line
//      wrapping by word (ES_MULTILINE, ES_AUTOVSCROLL, WS_VSCROLL); colours
//      through WM_CTLCOLOREDIT; EN_CHANGE from the user is a text-changed
//      event, SetGadgetText reports none.
//  [x] Lists: virtual ListView (LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL)
//      answering LVN_GETDISPINFOW from the row source, keeping the last few
//      hundred rows; a selection by the user is one selection-changed event,
//      one by the program none; colours of the rows, fonts.
//  [x] Keyboard focus on fields and lists; Escape in a field gives the focus
//      back to the window.
//  [x] File chooser: GetOpenFileNameW / GetSaveFileNameW with filters,
//      overwrite prompt and default extension; the folder chooser is
//      IFileOpenDialog with FOS_PICKFOLDERS.
//  [x] Fonts: CreateFontW with the character height in pixels, weight, underline.
//  [x] Events: window procedure fills a queue; bounded wait with
//      MsgWaitForMultipleObjectsEx; mouse position in client coordinates.
//  [x] End of session: WM_QUERYENDSESSION agrees; WM_ENDSESSION runs the
//      program's session-end handler before the window procedure returns.
//  [x] Shortcuts: plain and Control keys are matched in the message loop
//      before the focused control sees them (as an accelerator table would),
//      taking into account whether a field or the list has the focus.
//  [x] Popup menu at the cursor (TrackPopupMenu, TPM_RETURNCMD).
//  [x] Message boxes: MessageBoxW, MB_OK or MB_YESNO, no icon.
//  [x] Tray icon: Shell_NotifyIconW with an icon made from the picture.
//  [x] Sound: DirectSound loaded by name at run time, one static secondary
//      buffer per sound; no device means no sound, nothing else.
//  [x] Films inside the window: libmpv-2.dll loaded by name at run time
//      (beside zelluo.exe, else the search path) drawing into a child window
//      (option wid) through the shared MpvPlayer; its wakeup posts a
//      message, the loop drains its events.
//      Without it the system's player (ShellExecuteW "open").
//  [x] Files, processes, date and pause: the shared SystemPart.
//  [x] Charts: a child window of its own class painted with GDI (win32_chart.cpp).
// Not implemented:
//  [ ] Colours of push buttons and image gadgets (text gadgets, fields and lists
//      take them).
//  [ ] German labels in the file chooser and its overwrite prompt: they speak
//      the system's language.
//  [ ] Pictures of image gadgets drawn with anything but the static control's
//      own painting (no owner drawing, no stretching).
//  [ ] Several windows: everything belongs to the one main window.
//  [ ] Colours of a list's column headings, and a centred first column (a
//      ListView keeps its first column left-aligned).

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

// Opaque system types, so that including this header does not pull in
// <windows.h>. They are the types the Windows headers declare (STRICT).
struct HWND__;
struct HBITMAP__;
struct HICON__;
struct HFONT__;
struct HBRUSH__;
struct HMENU__;
struct HINSTANCE__;
struct IDirectSound;
struct IDirectSoundBuffer;

namespace zelluo::platform {

// The rows of a list gadget (win32_list.cpp).
struct Win32ListRows;

class Win32Platform final : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // --- display (win32_platform.cpp)
  Size PrimaryDisplaySize() override;
  int32_t VerticalDpi() override;

  // --- main window (win32_window.cpp)
  bool OpenWindow(const WindowRequest& request) override;
  void SetWindowRegion(int32_t width, int32_t height, int32_t cornerWidth,
                       int32_t cornerHeight) override;
  void ShowWindow(WindowShow how) override;
  std::optional<Rect> WindowRect() override;
  void MoveResizeWindow(const Rect& rect) override;
  void SetWindowOpacity(int32_t alpha) override;
  void DragWindow() override;
  void DestroyWindow() override;

  // --- images, gadgets, fonts (win32_gadgets.cpp)
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
  void LoadFont(FontId font, std::string_view face, int32_t pixelHeight, int32_t weight,
                bool underline) override;
  void FreeAllFonts() override;

  // --- events (win32_events.cpp)
  Event WaitEvent(int32_t timeoutMs) override;
  void SetSessionEndHandler(std::function<void()> handler) override {
    sessionEnd_ = std::move(handler);
  }
  Point MousePosition() override;
  void AddShortcut(int32_t keyCode, int32_t menuEvent) override;
  void AddKeyShortcut(int32_t keyCode, KeyModifier modifier, ShortcutInFields inFields,
                      int32_t menuEvent) override;

  // --- text fields, lists and focus (win32_fields.cpp, win32_list.cpp)
  void CreateTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind) override;
  // Charts (win32_chart.cpp).
  void CreateChartGadget(GadgetId gadget, const Rect& rect, const Chart& chart) override;
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

  // --- popup menu (win32_menu.cpp)
  void CreatePopupMenu() override;
  void AppendMenuEntry(int32_t entry, std::string_view text) override;
  void AppendMenuSeparator() override;
  void EnableMenuEntry(int32_t entry, bool enabled) override;
  void ShowPopupMenu() override;

  // --- message boxes (win32_platform.cpp)
  MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                            MessageButtons buttons) override;

  // --- file chooser (win32_fields.cpp)
  std::optional<std::string> ChooseFile(std::string_view title,
                                        const std::vector<FileFilter>& filters, bool save,
                                        std::string_view suggestedName) override;
  std::optional<std::string> ChooseFolder(std::string_view title) override;

  // --- tray (win32_tray.cpp)
  bool AddTrayIcon(ImageId image) override;
  void SetTrayTooltip(std::string_view text) override;
  void RemoveTrayIcon() override;

  // --- audio (win32_audio.cpp)
  bool OpenAudio() override;
  bool LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                 size_t byteCount) override;
  void PlaySound(int32_t sound, bool loop) override;
  void CloseAudio() override;

  // --- films inside the window (win32_video.cpp)
  bool CanPlayVideo() override;
  bool PlayVideo(GadgetId gadget, const Rect& rect, std::string_view path,
                 double startSeconds) override;
  void ControlVideo(GadgetId gadget, VideoCommand command, double seconds) override;
  VideoStatus VideoState(GadgetId gadget) override;
  // ShellExecuteW "open" (win32_video.cpp).
  bool OpenWithDefaultProgram(std::string_view path) override;

  // The window procedure's share: turns one message of the main window into
  // queued events. Returns true with *result set when the message is handled.
  bool HandleWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t* result);
  // The same for a chart gadget's own window (win32_chart.cpp).
  bool HandleChartMessage(HWND__* control, unsigned message, uintptr_t wParam, intptr_t lParam,
                          intptr_t* result);

 private:
  // A gadget's control, beside what the desktop core keeps of it (the
  // rectangle is asked of the control).
  struct Win32Control {
    std::shared_ptr<Win32ListRows> rows;  // lists only
    HWND__* control = nullptr;
    ImageId image = kNoImage;
    // The bitmap the control holds when it made its own copy of ours
    // (32-bit pictures under the version 6 common controls); deleted with it.
    HBITMAP__* controlCopy = nullptr;
    HBRUSH__* backBrush = nullptr;
    std::shared_ptr<const Chart> chart;  // charts only
  };
  // Its font is none for the default GUI font.
  using Gadget = Control<Win32Control>;

  struct Image {
    int32_t width = 0;
    int32_t height = 0;
    HBITMAP__* bitmap = nullptr;
    HICON__* icon = nullptr;  // only for pictures that are icons
  };

  struct Sound {
    IDirectSoundBuffer* buffer = nullptr;
    long pan = 0;
    unsigned long frequency = 0;
    long volume = 0;
  };

  // Gadgets (win32_gadgets.cpp).
  Gadget* FindGadget(GadgetId gadget);
  const Image* FindImage(ImageId image) const;
  GadgetId GadgetOfControl(HWND__* control) const;
  void PlaceGadget(GadgetId number, Gadget gadget);
  void DestroyGadget(Gadget& gadget);
  void ApplyImage(Gadget& gadget, ImageId image);
  bool HandleControlColour(HWND__* control, void* deviceContext, intptr_t* result);

  // Charts (win32_chart.cpp): painted with GDI, a click reported as its bar.
  int32_t ChartLineHeight(const Chart& chart) const;
  void PaintChart(HWND__* control);
  void ClickChart(HWND__* control, Point point);
  bool chartClassRegistered_ = false;

  // Events (win32_events.cpp).
  bool IsShortcutTarget(HWND__* target) const;
  // A key press for the main window or one of its controls: true when it was
  // taken as a shortcut or as the way out of a text field.
  bool HandleKeyDown(HWND__* target, uintptr_t virtualKey);

  // Fields and lists (win32_fields.cpp, win32_list.cpp).
  void LeaveTextField();
  bool HandleListNotify(GadgetId gadget, const void* header, intptr_t* result);
  void CheckListSelection(GadgetId gadget);

  // Window (win32_window.cpp).
  void ReleaseWindowResources();

  // Keeps the window where it stands now (or would stand, when minimised or
  // hidden) while it is being shown.
  void KeepPlaceWhileShown();

  // Audio (win32_audio.cpp).
  void ReleaseSounds();

  // Films (win32_video.cpp): libmpv's events drained in the main loop.
  void DrainVideoEvents();
  void StopVideo();

  HINSTANCE__* instance_ = nullptr;
  bool comInitialised_ = false;

  // Main window.
  HWND__* window_ = nullptr;
  HBRUSH__* windowBrush_ = nullptr;
  HICON__* smallClassIcon_ = nullptr;
  bool windowClassRegistered_ = false;
  // Where the window belongs while a window manager may still be placing it
  // after it was shown (Wine under an X window manager: jwm maps a restored
  // window at 0, 0), and until when (GetTickCount64) that may happen.
  std::optional<Point> placeAt_;
  uint64_t placeUntil_ = 0;

  std::map<ImageId, Image> images_;
  // Gadgets, shortcuts, the event queue filled by the window procedure and
  // the quiet changes.
  DesktopCore<Win32Control> core_;
  // The program's end of session, run inside WM_ENDSESSION (see there).
  std::function<void()> sessionEnd_;
  std::map<FontId, HFONT__*> fonts_;

  // Popup menu.
  HMENU__* menu_ = nullptr;

  // Tray icon.
  bool trayIcon_ = false;
  HWND__* trayWindow_ = nullptr;       // the window the icon was added for
  HICON__* trayIconHandle_ = nullptr;  // owned copy of the picture's icon

  // Sound output.
  HINSTANCE__* dsound_ = nullptr;
  HWND__* deviceWindow_ = nullptr;
  bool deviceClassRegistered_ = false;
  IDirectSound* device_ = nullptr;
  IDirectSoundBuffer* primaryBuffer_ = nullptr;
  std::map<int32_t, Sound> sounds_;

  // libmpv's player: null until it was looked for, and without it.
  std::unique_ptr<MpvPlayer> mpv_;
  bool mpvTried_ = false;
  bool videoClassRegistered_ = false;
};

}  // namespace zelluo::platform
