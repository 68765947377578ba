#pragma once
// The one interface through which the program reaches the outside world.
//
// Numbers are the currency: gadgets, images, fonts, sounds and menu entries are
// named by program-chosen integers and each backend maps them to its own objects.
// Gadgets, images and fonts have a type each (GadgetId, ImageId, FontId).
// An operation on a number that does not exist does nothing. Errors come back
// as values (a false flag, an empty optional), never as exceptions.
//
// Paths are relative to the working directory and use '/' between folders;
// a backend turns them into its system's form.
//
// The interface comes in parts, each of one concern: the window with its
// events, menus, boxes and tray (WindowPart); the gadgets in it (GadgetPart);
// the pictures and fonts they show (PicturePart); sound (SoundPart); files,
// processes and time (SystemPart, one implementation for every backend).
// Platform is all of them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_types.h"

namespace zelluo::platform {

namespace os {
enum class WriteStep;
}

// The display, the main window, its events and keyboard shortcuts, the popup
// menu, message boxes, the file chooser and the tray icon.
class WindowPart {
 public:
  virtual ~WindowPart() = default;

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

  // --- events --------------------------------------------------------------
  // Waits at most timeoutMs for one event.
  virtual Event WaitEvent(int32_t timeoutMs) = 0;
  // What the program does when the session ends. A system that ends the
  // process as soon as the backend returns from telling it (Windows' end of
  // session) calls this before returning, while the wait that told it runs;
  // a backend that can hand the end over through WaitEvent as
  // EventKind::SessionEnd ignores it. None (empty) until the loop sets it.
  virtual void SetSessionEndHandler(std::function<void()> handler) { (void)handler; }
  // Mouse position in the main window's client area; -1 for a coordinate
  // while the cursor is outside it.
  virtual Point MousePosition() = 0;
  // A key without modifiers, pressed while the window is active, arrives as
  // the menu event; keyCode is the virtual-key code (27 Escape, 8 Backspace).
  // While a text field has the keyboard focus the field keeps the key, and
  // Escape there takes the focus out of the field instead.
  virtual void AddShortcut(int32_t keyCode, int32_t menuEvent) = 0;
  // The same for a key with a modifier (keyCode 'N' with Control is Strg+N),
  // and with a choice of whether it applies inside text fields.
  virtual void AddKeyShortcut(int32_t keyCode, KeyModifier modifier, ShortcutInFields inFields,
                              int32_t menuEvent) = 0;

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

  // The system's dialog for choosing a file to open (save false) or a file to
  // write (save true, starting with suggestedName); modal. The chosen path, or
  // none when the user cancelled.
  virtual std::optional<std::string> ChooseFile(std::string_view title,
                                                const std::vector<FileFilter>& filters, bool save,
                                                std::string_view suggestedName) = 0;

  // The system's dialog for choosing a folder; modal. The chosen folder's
  // absolute path, or none when the user cancelled.
  virtual std::optional<std::string> ChooseFolder(std::string_view title) = 0;

  // --- tray ----------------------------------------------------------------
  // False when no icon could be installed (no image, no notification area).
  virtual bool AddTrayIcon(ImageId image) = 0;
  virtual void SetTrayTooltip(std::string_view text) = 0;
  virtual void RemoveTrayIcon() = 0;
};

// The gadgets of the main window, by number: pictures, texts, buttons, text
// fields and lists, and the keyboard focus among them.
class GadgetPart {
 public:
  virtual ~GadgetPart() = default;

  // Creating under an existing number replaces that gadget. New gadgets are visible.
  // An image gadget takes the size of its image; without one it keeps rect's size.
  virtual void CreateImageGadget(GadgetId gadget, const Rect& rect, ImageId image) = 0;
  virtual void CreateTextGadget(GadgetId gadget, const Rect& rect, std::string_view text,
                                TextAlign align) = 0;
  virtual void CreateButtonGadget(GadgetId gadget, const Rect& rect, std::string_view text) = 0;
  virtual void SetGadgetImage(GadgetId gadget, ImageId image) = 0;
  virtual void SetGadgetFont(GadgetId gadget, FontId font) = 0;
  virtual void SetGadgetFrontColour(GadgetId gadget, Rgb colour) = 0;
  virtual void SetGadgetBackColour(GadgetId gadget, Rgb colour) = 0;
  virtual void ShowGadget(GadgetId gadget) = 0;
  virtual void HideGadget(GadgetId gadget) = 0;
  virtual void FreeGadget(GadgetId gadget) = 0;
  virtual bool GadgetExists(GadgetId gadget) = 0;
  // Position and size in the window's client coordinates, at this moment.
  virtual std::optional<Rect> GadgetRect(GadgetId gadget) = 0;

  // --- text fields and lists -----------------------------------------------
  // An editable text field, empty, in the gadget colours and font set for it.
  virtual void CreateTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind) = 0;
  // Replaces the text of a text field or a text gadget; reports no change event.
  virtual void SetGadgetText(GadgetId gadget, std::string_view text) = 0;
  // The text of a text field or text gadget; empty for other gadgets.
  virtual std::string GadgetText(GadgetId gadget) = 0;
  // Selects a single-line field's text from byte from (of its UTF-8 text) to
  // its end, as a completion does: typing replaces the selection. Reports no
  // change event.
  virtual void SelectFieldText(GadgetId gadget, size_t from) = 0;
  // A list of rows with column headings; one row at a time is selected.
  virtual void CreateListGadget(GadgetId gadget, const Rect& rect,
                                const std::vector<ListColumn>& columns, ListRowSource rows) = 0;
  // Sets how many rows the list has; the next drawing asks the row source
  // again. Clears the selection.
  virtual void SetListRowCount(GadgetId gadget, int32_t count) = 0;
  // Selects a row (-1: none) and scrolls it into view; reports no change event.
  virtual void SetListSelection(GadgetId gadget, int32_t row) = 0;
  virtual int32_t ListSelection(GadgetId gadget) = 0;
  // Gives the keyboard focus to a gadget; kNoGadget takes it from every gadget.
  virtual void FocusGadget(GadgetId gadget) = 0;
  // The gadget with the keyboard focus; kNoGadget when none has it.
  virtual GadgetId FocusedGadget() = 0;

  // --- charts --------------------------------------------------------------
  // A bar chart the platform draws itself (chart_layout.h places its parts);
  // a click on a bar arrives as a Gadget event of type kGadgetChartBar + the
  // bar's index. Creating it again draws the new bars.
  virtual void CreateChartGadget(GadgetId gadget, const Rect& rect, const Chart& chart) {
    (void)gadget, (void)rect, (void)chart;
  }

  // --- video ---------------------------------------------------------------
  // Whether films can play inside the window (the player library was found).
  virtual bool CanPlayVideo() { return false; }
  // Creates (or replaces) a video gadget over rect and plays the file in it
  // from startSeconds; the gadget takes the keyboard focus. While it has it,
  // Leertaste, the arrow keys, Escape and Backspace arrive as Gadget events
  // of type kGadgetPlayerKey + key code, and the end of the film as
  // kGadgetVideoEnded. Freeing the gadget stops the film. False when the
  // film could not begin (then there is no gadget).
  virtual bool PlayVideo(GadgetId gadget, const Rect& rect, std::string_view path,
                         double startSeconds) {
    (void)gadget, (void)rect, (void)path, (void)startSeconds;
    return false;
  }
  virtual void ControlVideo(GadgetId gadget, VideoCommand command, double seconds) {
    (void)gadget, (void)command, (void)seconds;
  }
  virtual VideoStatus VideoState(GadgetId gadget) {
    (void)gadget;
    return {};
  }
};

// Pictures and fonts by number, for the window, its gadgets and the tray icon.
class PicturePart {
 public:
  virtual ~PicturePart() = default;

  // --- images and gadgets --------------------------------------------------
  // Registers a decoded picture under a number, replacing one already there.
  virtual bool LoadImage(ImageId image, const PixelImage& pixels) = 0;
  // LoadImage for a picture the caller no longer needs: a platform may keep
  // its pixels instead of a copy of them.
  virtual bool TakeImage(ImageId image, PixelImage&& pixels) { return LoadImage(image, pixels); }
  // TakeImage for a picture that decode makes (none when it cannot), which
  // a platform may put off until the picture is first needed. This one
  // decodes at once.
  virtual bool TakeImageLater(ImageId image, std::function<std::optional<PixelImage>()> decode) {
    std::optional<PixelImage> pixels = decode();
    return pixels && TakeImage(image, std::move(*pixels));
  }
  virtual void FreeAllImages() = 0;

  // --- fonts ---------------------------------------------------------------
  // pixelHeight is the character height; weight 400 regular, 700 bold.
  virtual void LoadFont(FontId font, std::string_view face, int32_t pixelHeight, int32_t weight,
                        bool underline) = 0;
  virtual void FreeAllFonts() = 0;
};

class SoundPart {
 public:
  virtual ~SoundPart() = default;

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

// Files, processes and time, the same for every backend: through
// os_services.h, with paths taken as LocalPath makes them. An empty path is
// never a file: reading, writing and making one fail.
class SystemPart {
 public:
  virtual ~SystemPart() = default;

  // --- files and processes -------------------------------------------------
  // The whole file, or empty when it cannot be opened.
  virtual std::optional<std::string> ReadFile(std::string_view path);
  // Writes the file so that it either holds all of bytes or keeps its old
  // content: a temporary file in the same folder, flushed, synced and renamed.
  virtual bool WriteFileAtomic(std::string_view path, std::string_view bytes);
  // True when the folder exists afterwards.
  virtual bool CreateFolder(std::string_view path);
  // Size in bytes; -1 when the file is missing, -2 when it is a folder.
  virtual int64_t FileSize(std::string_view path);
  // The path under which code outside the platform (the film collection, which
  // opens its files itself) finds a path relative to the working directory.
  virtual std::string LocalPath(std::string_view path) { return std::string(path); }
  // A folder's entries (os::ListFolder); none when it cannot be opened.
  virtual std::optional<FolderListing> ListFolder(std::string_view path);
  // The first and last count bytes of a file (os::ReadFileEnds).
  virtual std::optional<std::string> ReadFileEnds(std::string_view path, size_t count);
  // Full path of the program's own executable.
  virtual std::string ExecutablePath();
  virtual LocalDate Today();
  virtual LocalTime Now();
  // The local date and time of a moment in seconds since 1970-01-01 UTC, in
  // the time zone (and summer time) the system keeps for that moment.
  virtual LocalTime LocalTimeAt(int64_t unixSeconds);
  // True when the file is gone afterwards.
  virtual bool RemoveFile(std::string_view path);
  virtual void Pause(int32_t milliseconds);
  // Starts the own executable without arguments in the same working directory,
  // without waiting for it.
  virtual bool StartOwnExecutable();
  // Opens the file (an absolute path, or one relative to the working
  // directory) in the system's default program for it, not waited for. False
  // when no program is registered for it or it could not be started.
  virtual bool OpenWithDefaultProgram(std::string_view path);

 protected:
  // Asked before each step of a file write (and before making a folder);
  // false makes the step fail as a full disk would. Always true here.
  virtual bool AllowWriteStep(os::WriteStep step);
};

class Platform : public WindowPart,
                 public GadgetPart,
                 public PicturePart,
                 public SoundPart,
                 public SystemPart {};

}  // namespace zelluo::platform
