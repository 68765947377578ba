#pragma once
// What the desktop backends share: the gadget table, the shortcut table, the
// event queue, the quiet changes and the rule that decides where a key goes.
//
// The backends (gtk/, win32/, headless/) do only native work: they report
// what happened (a key, a click, a change) to this core, which owns the state
// and the policy, and they carry out its decisions. The headless platform runs
// on the same core, so the integration tests meet the key routing the user
// meets.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <utility>

#include "platform/invariant.h"
#include "platform/platform.h"

namespace zelluo::platform {

// Keys the routing knows by name (virtual-key codes), beside those of platform.h.
inline constexpr int32_t kKeyReturn = 13;
inline constexpr int32_t kKeyEnd = 35;
inline constexpr int32_t kKeyHome = 36;

// The kinds of control a gadget can be, the same for every backend.
enum class ControlKind { Image, Text, Button, SingleLineField, MultiLineField, List, Video, Chart };

constexpr bool IsTextField(ControlKind kind) {
  return kind == ControlKind::SingleLineField || kind == ControlKind::MultiLineField;
}

constexpr ControlKind FieldControlKind(TextFieldKind kind) {
  return kind == TextFieldKind::SingleLine ? ControlKind::SingleLineField
                                           : ControlKind::MultiLineField;
}

// One gadget: what every backend keeps about it, and the backend's own part
// (its widgets or control handles, or headless's model of them). The kind is
// given when the record is made and stays until it is freed: a record is
// never assigned over, only made anew.
template <typename Native>
class Control : public Native {
 public:
  explicit Control(ControlKind kind) : kind_(kind) {}
  Control(const Control&) = default;
  Control(Control&&) = default;
  // No assignment: a record keeps its kind for as long as it lives.
  Control& operator=(const Control&) = delete;
  Control& operator=(Control&&) = delete;
  ControlKind Kind() const { return kind_; }

  Rect rect;
  bool shown = true;  // as the program last asked
  std::optional<FontId> font;
  std::optional<Rgb> front;
  std::optional<Rgb> back;

 private:
  ControlKind kind_;
};

// The gadgets by number. The program numbers its gadgets from 1; creating
// under a number in use replaces that gadget.
template <typename Native>
class GadgetTable {
 public:
  using Record = Control<Native>;
  using Records = std::map<GadgetId, Record>;

  Record* Find(GadgetId number) {
    const auto found = records_.find(number);
    return found != records_.end() ? &found->second : nullptr;
  }
  const Record* Find(GadgetId number) const {
    const auto found = records_.find(number);
    return found != records_.end() ? &found->second : nullptr;
  }
  // A new record; the caller has released the native part of one it replaces.
  Record& Create(GadgetId number, Record record) {
    ZELLUO_ASSERT(Number(number) > 0);
    records_.erase(number);
    return records_.emplace(number, std::move(record)).first->second;
  }
  void Erase(GadgetId number) { records_.erase(number); }
  void Clear() { records_.clear(); }
  std::optional<ControlKind> KindOf(GadgetId number) const {
    const Record* record = Find(number);
    return record != nullptr ? std::optional(record->Kind()) : std::nullopt;
  }
  const Records& All() const { return records_; }
  typename Records::iterator begin() { return records_.begin(); }
  typename Records::iterator end() { return records_.end(); }
  typename Records::const_iterator begin() const { return records_.begin(); }
  typename Records::const_iterator end() const { return records_.end(); }

 private:
  Records records_;
};

struct Shortcut {
  int32_t menuEvent = 0;
  ShortcutInFields inFields = ShortcutInFields::Never;
};

// Keys with their modifier that arrive as menu events.
class ShortcutTable {
 public:
  // A key outside the virtual-key codes (1 to 255) is ignored; a key added
  // again takes the newer menu event.
  void Add(int32_t keyCode, KeyModifier modifier, ShortcutInFields inFields, int32_t menuEvent);
  // A plain shortcut: the text fields keep the key.
  void Add(int32_t keyCode, int32_t menuEvent) {
    Add(keyCode, KeyModifier::None, ShortcutInFields::Never, menuEvent);
  }
  const Shortcut* Find(int32_t keyCode, KeyModifier modifier) const;
  void Clear() { shortcuts_.clear(); }

 private:
  std::map<std::pair<int32_t, KeyModifier>, Shortcut> shortcuts_;
};

// Where a key goes.
enum class KeyTarget {
  Nothing,         // no one takes it
  Shortcut,        // the shortcut's menu event
  FocusedControl,  // the focused control's own key: a field edits, a list
                   // moves its selection, a button is pressed
  LeaveField,      // Escape in a text field: the focus leaves the field
  Player,          // a key of the film playing in the video gadget
};

struct KeyRoute {
  KeyTarget target = KeyTarget::Nothing;
  int32_t menuEvent = 0;  // of a shortcut
  friend bool operator==(const KeyRoute&, const KeyRoute&) = default;
};

// The rule for a key pressed (without modifiers or with Control alone) while
// the main window is active; focused is the kind of the control with the
// keyboard focus, none when no gadget has it.
KeyRoute RouteKey(int32_t keyCode, KeyModifier modifier, std::optional<ControlKind> focused,
                  const ShortcutTable& shortcuts);

// Events waiting for the program's next wait, oldest first.
class EventQueue {
 public:
  void Push(const Event& event);
  // Moves, paints and keys only need to wake the loop: one pending Other is enough.
  void PushOther();
  // A change reported again before the program saw the first says nothing more.
  void PushUnlessLast(const Event& event);
  std::optional<Event> Pop();
  bool Empty() const { return events_.empty(); }
  void Clear() { events_.clear(); }

 private:
  std::deque<Event> events_;
};

// Above zero while the program itself changes a field or a list: the
// notifications that the toolkit sends for it report nothing.
class QuietChanges {
 public:
  bool Active() const { return depth_ > 0; }

  // Keeps changes quiet for as long as it lives.
  class Scope {
   public:
    explicit Scope(QuietChanges& quiet) : quiet_(quiet) { ++quiet_.depth_; }
    ~Scope() {
      ZELLUO_ASSERT(quiet_.depth_ > 0);
      --quiet_.depth_;
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    QuietChanges& quiet_;
  };

 private:
  int32_t depth_ = 0;
};

// The shared state of one desktop window, over the backend's native part of
// a gadget.
template <typename Native>
struct DesktopCore {
  GadgetTable<Native> gadgets;
  ShortcutTable shortcuts;
  EventQueue events;
  QuietChanges quiet;

  // A key reported by the backend, with the gadget that has the focus
  // (kNoGadget: none). A shortcut's menu event is queued here; the backend carries out
  // the other decisions.
  // While a film plays (a video gadget exists) the keyboard belongs to it
  // whatever has the focus: a click on the back button or the window's
  // background must not turn Escape back into quitting.
  KeyRoute ReportKey(int32_t keyCode, KeyModifier modifier, GadgetId focusedGadget) {
    const GadgetId player = PlayingVideo();
    const GadgetId target = player != kNoGadget ? player : focusedGadget;
    const KeyRoute route = RouteKey(keyCode, modifier, gadgets.KindOf(target), shortcuts);
    if (route.target == KeyTarget::Shortcut) {
      events.Push(Event{EventKind::Menu, route.menuEvent, kMenuByKey});
    }
    if (route.target == KeyTarget::Player) {
      events.Push(Event::OfGadget(target, kGadgetPlayerKey + keyCode));
    }
    return route;
  }

  // The video gadget whose film plays; kNoGadget when none does.
  GadgetId PlayingVideo() const {
    for (const auto& [number, record] : gadgets) {
      if (record.Kind() == ControlKind::Video) return number;
    }
    return kNoGadget;
  }

  // ReportKey for a toolkit whose focused widget handles its own keys: true
  // when the toolkit must stop the key there (a shortcut, a key of the film
  // playing or any other key while it plays, or Escape leaving a field, which
  // leaveField carries out); false hands it on to the widget.
  template <typename LeaveField>
  bool InterceptKey(int32_t keyCode, KeyModifier modifier, GadgetId focusedGadget,
                    LeaveField leaveField) {
    switch (ReportKey(keyCode, modifier, focusedGadget).target) {
      case KeyTarget::Shortcut:
      case KeyTarget::Player:
        return true;  // a shortcut or a player key goes nowhere else
      case KeyTarget::LeaveField:
        leaveField();
        return true;
      case KeyTarget::FocusedControl:
        break;
      case KeyTarget::Nothing:
        // While a film plays no key reaches a control hidden under it.
        return PlayingVideo() != kNoGadget;
    }
    return false;
  }
};

}  // namespace zelluo::platform
