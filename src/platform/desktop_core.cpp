#include "platform/desktop_core.h"

namespace zelluo::platform {

void ShortcutTable::Add(int32_t keyCode, KeyModifier modifier, ShortcutInFields inFields,
                        int32_t menuEvent) {
  if (keyCode <= 0 || keyCode > 0xFF) return;
  shortcuts_[{keyCode, modifier}] = Shortcut{menuEvent, inFields};
}

const Shortcut* ShortcutTable::Find(int32_t keyCode, KeyModifier modifier) const {
  const auto found = shortcuts_.find({keyCode, modifier});
  return found != shortcuts_.end() ? &found->second : nullptr;
}

// A text field keeps its keys except the shortcuts allowed in its kind of
// field, and Escape takes the focus out of it. A focused list keeps the keys
// that move its selection, a focused button the keys that press it. Every
// other key is a shortcut or nothing.
KeyRoute RouteKey(int32_t keyCode, KeyModifier modifier, std::optional<ControlKind> focused,
                  const ShortcutTable& shortcuts) {
  const Shortcut* shortcut = shortcuts.Find(keyCode, modifier);
  if (focused && IsTextField(*focused)) {
    const bool taken =
        shortcut != nullptr && (shortcut->inFields == ShortcutInFields::Always ||
                                (shortcut->inFields == ShortcutInFields::SingleLine &&
                                 *focused == ControlKind::SingleLineField));
    if (taken) return {KeyTarget::Shortcut, shortcut->menuEvent};
    if (keyCode == kKeyEscape && modifier == KeyModifier::None) return {KeyTarget::LeaveField};
    return {KeyTarget::FocusedControl};
  }
  if (focused && modifier == KeyModifier::None) {
    const bool listKey = *focused == ControlKind::List &&
                         (keyCode == kKeyUp || keyCode == kKeyDown || keyCode == kKeyPageUp ||
                          keyCode == kKeyPageDown || keyCode == kKeyHome || keyCode == kKeyEnd);
    const bool buttonKey =
        *focused == ControlKind::Button && (keyCode == kKeyReturn || keyCode == kKeySpace);
    if (listKey || buttonKey) return {KeyTarget::FocusedControl};
  }
  if (shortcut == nullptr) return {KeyTarget::Nothing};
  return {KeyTarget::Shortcut, shortcut->menuEvent};
}

void EventQueue::Push(const Event& event) {
  // A None event would read as a wait that timed out.
  ZELLUO_ASSERT(event.kind != EventKind::None);
  events_.push_back(event);
}

void EventQueue::PushOther() {
  if (!events_.empty() && events_.back().kind == EventKind::Other) return;
  events_.push_back(Event{EventKind::Other, 0, 0});
}

void EventQueue::PushUnlessLast(const Event& event) {
  if (events_.empty() || !(events_.back() == event)) Push(event);
}

std::optional<Event> EventQueue::Pop() {
  if (events_.empty()) return std::nullopt;
  const Event event = events_.front();
  events_.pop_front();
  return event;
}

}  // namespace zelluo::platform
