#pragma once
// The plain values that cross the platform interface (platform.h): sizes,
// positions, colours, dates, pictures, sound formats, events and the
// descriptions of windows, lists, shortcuts and file choosers.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelluo::platform {

// Gadgets, pictures and fonts are named by program-chosen numbers, each kind
// in a type of its own so that a number of one kind cannot stand for another:
// GadgetId{107}, ImageId{3}. Number() gives the plain number back, for the
// backends' own handles and for traces.
enum class GadgetId : int32_t {};
enum class ImageId : int32_t {};
enum class FontId : int32_t {};

// No gadget: none has the keyboard focus, or none is to have it.
inline constexpr GadgetId kNoGadget{-1};
// No picture: a window without an icon.
inline constexpr ImageId kNoImage{0};

constexpr int32_t Number(GadgetId gadget) { return static_cast<int32_t>(gadget); }
constexpr int32_t Number(ImageId image) { return static_cast<int32_t>(image); }
constexpr int32_t Number(FontId font) { return static_cast<int32_t>(font); }

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

// A local date with the time of day.
struct LocalTime {
  LocalDate date;
  int32_t hour = 0;
  int32_t minute = 0;
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
  Gadget,             // number: the gadget; type: one of GadgetEventType
  Other,              // anything else the wait saw (mouse moves, painting, keys)
  SessionEnd,         // the user logs out or the system shuts down (or the program is told
                      // to end): end at once, asking nothing
};

struct Event {
  EventKind kind = EventKind::None;
  int32_t number = 0;  // the gadget of a Gadget event, the entry of a Menu event
  int32_t type = 0;

  static constexpr Event OfGadget(GadgetId gadget, int32_t type) {
    return Event{EventKind::Gadget, Number(gadget), type};
  }
  // The gadget of a Gadget event.
  constexpr GadgetId Gadget() const { return GadgetId{number}; }
  friend bool operator==(const Event&, const Event&) = default;
};

// A Menu event's type: made by a keyboard shortcut rather than a menu entry.
inline constexpr int32_t kMenuByKey = 1;

// What happened to a gadget (Event::type of a Gadget event).
enum GadgetEventType : int32_t {
  kGadgetClick = 0,             // a plain left click (or a button pressed by key)
  kGadgetTextChanged = 1,       // the user changed a text field's text
  kGadgetSelectionChanged = 2,  // the user selected another row of a list
  kGadgetVideoEnded = 3,        // the film in a video gadget reached its end
  kGadgetPlayerKey = 256,  // + the key code: a key pressed while a film plays in a video gadget
  kGadgetChartBar = 4096,  // + the bar's index: a click on a bar of a chart gadget
};

// What the program asks of the film in a video gadget.
enum class VideoCommand {
  TogglePause,
  Seek,  // by the given seconds, back when negative
};

// Where the film in a video gadget stands, in seconds (0 while unknown).
struct VideoStatus {
  bool playing = false;  // a film is loaded in the gadget
  double position = 0;
  double duration = 0;
  bool ended = false;
};

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

enum class TextAlign { Left, Centre };

enum class WindowShow { Show, Hide, Restore };

enum class TextFieldKind {
  SingleLine,
  MultiLine,  // wraps its lines and scrolls when the text is longer than the field
};

// One column of a list gadget.
struct ListColumn {
  std::string title;
  int32_t width = 0;
  TextAlign align = TextAlign::Left;
};

// The texts of one row of a list gadget, one per column. A list asks the
// program for a row only when it is about to show it, so a list of any length
// costs what its visible rows cost.
using ListRowSource = std::function<std::vector<std::string>(int32_t row)>;

// Keys of the keyboard shortcuts beyond Escape and Backspace (virtual-key codes).
inline constexpr int32_t kKeyBackspace = 8;
inline constexpr int32_t kKeyEscape = 27;
inline constexpr int32_t kKeySpace = 32;
inline constexpr int32_t kKeyPageUp = 33;
inline constexpr int32_t kKeyPageDown = 34;
inline constexpr int32_t kKeyLeft = 37;
inline constexpr int32_t kKeyUp = 38;
inline constexpr int32_t kKeyRight = 39;
inline constexpr int32_t kKeyDown = 40;
inline constexpr int32_t kKeyDelete = 46;

enum class KeyModifier { None, Control };

// Where a shortcut applies while a text field has the keyboard focus.
enum class ShortcutInFields {
  Never,       // the field keeps the key (Backspace deletes a character, ...)
  SingleLine,  // taken in single-line fields too (Up and Down in a search field)
  Always,      // taken in every field (Control shortcuts)
};

// A file type offered by the file chooser: a German name and its patterns.
struct FileFilter {
  std::string name;                   // "Bilder"
  std::vector<std::string> patterns;  // "*.jpg", "*.png"
};

// One entry of a folder listing. Names are the system's exact bytes (on
// Linux not always UTF-8). A symbolic link counts as what it points to; one
// that points nowhere is left out.
struct FolderEntry {
  enum class Kind { File, Folder, Other };
  std::string name;
  Kind kind = Kind::Other;
  int64_t size = 0;      // bytes, for a file
  int64_t modified = 0;  // seconds since 1970-01-01 UTC
  // Identity of a folder on its system (device, inode), to cut loops of
  // symbolic links; 0, 0 where the system does not tell (Windows, whose
  // listing does not follow reparse points at all).
  uint64_t device = 0;
  uint64_t inode = 0;
};

// A folder's entries in no particular order, with the folder's own identity.
struct FolderListing {
  uint64_t device = 0;
  uint64_t inode = 0;
  std::vector<FolderEntry> entries;
};

// One bar of a chart gadget: its label, the figure written beside it and the
// amount that sets its length.
struct ChartBar {
  std::string label;
  std::string figure;
  double amount = 0;
  friend bool operator==(const ChartBar&, const ChartBar&) = default;
};

// Rows: a bar per row growing to the right, the label left of it and the
// figure right of it. Columns: a bar per column growing upwards, the label
// under it and the figure above it.
enum class ChartShape { Rows, Columns };

// What a chart gadget draws, in the page's font and colours.
struct Chart {
  ChartShape shape = ChartShape::Rows;
  std::vector<ChartBar> bars;
  FontId font{-1};
  Rgb text = 0;
  Rgb back = 0;
  Rgb bar = 0;
};

struct WindowRequest {
  std::string title;
  Rect clientRect;  // position on the screen and client size
  Rgb background = 0;
  bool minimised = false;
  ImageId iconImage = kNoImage;  // the window icon
};

}  // namespace zelluo::platform
