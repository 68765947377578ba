// The rule every backend follows for a key: shortcut, the focused control's
// own key, the way out of a text field, or nothing.

#include <gtest/gtest.h>

#include <optional>

#include "platform/desktop_core.h"

namespace zelluo {
namespace {

// Menu events of the shortcuts.
enum : int32_t { kQuit = 1, kBack, kNew, kDelete, kPrevious, kPageUp };

// The shortcuts the program adds.
ShortcutTable ProgramShortcuts() {
  ShortcutTable shortcuts;
  shortcuts.Add(kKeyEscape, kQuit);
  shortcuts.Add(kKeyBackspace, kBack);
  shortcuts.Add('N', KeyModifier::Control, ShortcutInFields::Always, kNew);
  shortcuts.Add(kKeyDelete, KeyModifier::None, ShortcutInFields::Never, kDelete);
  shortcuts.Add(kKeyUp, KeyModifier::None, ShortcutInFields::SingleLine, kPrevious);
  shortcuts.Add(kKeyPageUp, KeyModifier::None, ShortcutInFields::SingleLine, kPageUp);
  return shortcuts;
}

const char* NameOf(KeyTarget target) {
  static constexpr const char* kNames[] = {"nothing", "shortcut", "focused control", "leave field"};
  return kNames[static_cast<int>(target)];
}

TEST(KeyRouting, EachKeyGoesWhereTheFocusedControlLetsIt) {
  using enum ControlKind;
  const std::optional<ControlKind> none;
  const KeyRoute field{KeyTarget::FocusedControl};
  const KeyRoute nothing{KeyTarget::Nothing};
  const KeyRoute leave{KeyTarget::LeaveField};
  const auto shortcut = [](int32_t menuEvent) { return KeyRoute{KeyTarget::Shortcut, menuEvent}; };
  struct Case {
    int32_t key;
    KeyModifier modifier;
    std::optional<ControlKind> focused;
    KeyRoute expected;
  };
  const KeyModifier plain = KeyModifier::None;
  const KeyModifier control = KeyModifier::Control;
  const Case cases[] = {
      // Nothing focused, or a control without keys of its own: shortcuts only.
      {kKeyEscape, plain, none, shortcut(kQuit)},
      {kKeyBackspace, plain, none, shortcut(kBack)},
      {kKeyBackspace, plain, Image, shortcut(kBack)},
      {kKeyBackspace, plain, Text, shortcut(kBack)},
      {kKeyUp, plain, none, shortcut(kPrevious)},
      {'N', control, none, shortcut(kNew)},
      {'N', plain, none, nothing},
      {kKeyEscape, control, none, nothing},
      {kKeyHome, plain, none, nothing},
      // A text field keeps its keys; only shortcuts allowed in its kind of
      // field are taken, and Escape leaves it.
      {kKeyBackspace, plain, SingleLineField, field},
      {kKeyBackspace, plain, MultiLineField, field},
      {kKeyDelete, plain, SingleLineField, field},
      {'N', plain, SingleLineField, field},
      {'N', control, SingleLineField, shortcut(kNew)},
      {'N', control, MultiLineField, shortcut(kNew)},
      {kKeyUp, plain, SingleLineField, shortcut(kPrevious)},
      {kKeyPageUp, plain, SingleLineField, shortcut(kPageUp)},
      {kKeyUp, plain, MultiLineField, field},
      {kKeyEscape, plain, SingleLineField, leave},
      {kKeyEscape, plain, MultiLineField, leave},
      {kKeyEscape, control, SingleLineField, field},
      // A list keeps the keys that move its selection.
      {kKeyUp, plain, List, field},
      {kKeyDown, plain, List, field},
      {kKeyPageUp, plain, List, field},
      {kKeyPageDown, plain, List, field},
      {kKeyHome, plain, List, field},
      {kKeyEnd, plain, List, field},
      {kKeyUp, control, List, nothing},
      {kKeyDelete, plain, List, shortcut(kDelete)},
      {kKeyBackspace, plain, List, shortcut(kBack)},
      {kKeyEscape, plain, List, shortcut(kQuit)},
      {'N', control, List, shortcut(kNew)},
      // A button is pressed with Return and Space.
      {kKeyReturn, plain, Button, field},
      {kKeySpace, plain, Button, field},
      {kKeyUp, plain, Button, shortcut(kPrevious)},
      {kKeyEscape, plain, Button, shortcut(kQuit)},
  };
  const ShortcutTable shortcuts = ProgramShortcuts();
  for (const Case& c : cases) {
    const KeyRoute route = RouteKey(c.key, c.modifier, c.focused, shortcuts);
    EXPECT_STREQ(NameOf(route.target), NameOf(c.expected.target))
        << "key " << c.key << (c.modifier == control ? " with Control" : "") << " focused "
        << (c.focused ? static_cast<int>(*c.focused) : -1);
    EXPECT_EQ(route.menuEvent, c.expected.menuEvent) << "key " << c.key;
  }
}

}  // namespace
}  // namespace zelluo
