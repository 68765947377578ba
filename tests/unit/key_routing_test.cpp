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
platform::ShortcutTable ProgramShortcuts() {
  platform::ShortcutTable shortcuts;
  shortcuts.Add(platform::kKeyEscape, kQuit);
  shortcuts.Add(platform::kKeyBackspace, kBack);
  shortcuts.Add('N', platform::KeyModifier::Control, platform::ShortcutInFields::Always, kNew);
  shortcuts.Add(platform::kKeyDelete, platform::KeyModifier::None,
                platform::ShortcutInFields::Never, kDelete);
  shortcuts.Add(platform::kKeyUp, platform::KeyModifier::None,
                platform::ShortcutInFields::SingleLine, kPrevious);
  shortcuts.Add(platform::kKeyPageUp, platform::KeyModifier::None,
                platform::ShortcutInFields::SingleLine, kPageUp);
  return shortcuts;
}

const char* NameOf(platform::KeyTarget target) {
  static constexpr const char* kNames[] = {"nothing", "shortcut", "focused control", "leave field",
                                           "player"};
  return kNames[static_cast<int>(target)];
}

TEST(KeyRouting, EachKeyGoesWhereTheFocusedControlLetsIt) {
  using enum platform::ControlKind;
  const std::optional<platform::ControlKind> none;
  const platform::KeyRoute field{platform::KeyTarget::FocusedControl};
  const platform::KeyRoute nothing{platform::KeyTarget::Nothing};
  const platform::KeyRoute leave{platform::KeyTarget::LeaveField};
  const auto shortcut = [](int32_t menuEvent) {
    return platform::KeyRoute{platform::KeyTarget::Shortcut, menuEvent};
  };
  struct Case {
    int32_t key;
    platform::KeyModifier modifier;
    std::optional<platform::ControlKind> focused;
    platform::KeyRoute expected;
  };
  const platform::KeyModifier plain = platform::KeyModifier::None;
  const platform::KeyModifier control = platform::KeyModifier::Control;
  const Case cases[] = {
      // Nothing focused, or a control without keys of its own: shortcuts only.
      {platform::kKeyEscape, plain, none, shortcut(kQuit)},
      {platform::kKeyBackspace, plain, none, shortcut(kBack)},
      {platform::kKeyBackspace, plain, platform::ControlKind::Image, shortcut(kBack)},
      {platform::kKeyBackspace, plain, platform::ControlKind::Text, shortcut(kBack)},
      {platform::kKeyUp, plain, none, shortcut(kPrevious)},
      {'N', control, none, shortcut(kNew)},
      {'N', plain, none, nothing},
      {platform::kKeyEscape, control, none, nothing},
      {platform::kKeyHome, plain, none, nothing},
      // A text field keeps its keys; only shortcuts allowed in its kind of
      // field are taken, and Escape leaves it.
      {platform::kKeyBackspace, plain, platform::ControlKind::SingleLineField, field},
      {platform::kKeyBackspace, plain, platform::ControlKind::MultiLineField, field},
      {platform::kKeyDelete, plain, SingleLineField, field},
      {'N', plain, SingleLineField, field},
      {'N', control, SingleLineField, shortcut(kNew)},
      {'N', control, MultiLineField, shortcut(kNew)},
      {platform::kKeyUp, plain, SingleLineField, shortcut(kPrevious)},
      {platform::kKeyPageUp, plain, SingleLineField, shortcut(kPageUp)},
      {platform::kKeyUp, plain, MultiLineField, field},
      {platform::kKeyEscape, plain, SingleLineField, leave},
      {platform::kKeyEscape, plain, MultiLineField, leave},
      {platform::kKeyEscape, control, SingleLineField, field},
      // A list keeps the keys that move its selection.
      {platform::kKeyUp, plain, platform::ControlKind::List, field},
      {platform::kKeyDown, plain, List, field},
      {platform::kKeyPageUp, plain, List, field},
      {platform::kKeyPageDown, plain, List, field},
      {platform::kKeyHome, plain, List, field},
      {platform::kKeyEnd, plain, List, field},
      {platform::kKeyUp, control, List, nothing},
      {platform::kKeyDelete, plain, List, shortcut(kDelete)},
      {platform::kKeyBackspace, plain, List, shortcut(kBack)},
      {platform::kKeyEscape, plain, List, shortcut(kQuit)},
      {'N', control, List, shortcut(kNew)},
      // A button is pressed with Return and Space.
      {platform::kKeyReturn, plain, platform::ControlKind::Button, field},
      {platform::kKeySpace, plain, Button, field},
      {platform::kKeyUp, plain, Button, shortcut(kPrevious)},
      {platform::kKeyEscape, plain, Button, shortcut(kQuit)},
      // A film playing takes its keys and nothing else.
      {platform::kKeyEscape, plain, Video, platform::KeyRoute{platform::KeyTarget::Player}},
      {platform::kKeyLeft, plain, Video, platform::KeyRoute{platform::KeyTarget::Player}},
      {'N', control, Video, nothing},
  };
  const platform::ShortcutTable shortcuts = ProgramShortcuts();
  for (const Case& c : cases) {
    const platform::KeyRoute route = RouteKey(c.key, c.modifier, c.focused, shortcuts);
    EXPECT_STREQ(NameOf(route.target), NameOf(c.expected.target))
        << "key " << c.key << (c.modifier == control ? " with Control" : "") << " focused "
        << (c.focused ? static_cast<int>(*c.focused) : -1);
    EXPECT_EQ(route.menuEvent, c.expected.menuEvent) << "key " << c.key;
  }
}

// While a film plays its keys go to it whatever has the focus, and Escape
// neither quits nor Backspace goes back; once it is gone they do again.
TEST(KeyRouting, AFilmPlayingTakesItsKeysWhereverTheFocusIs) {
  struct NoNative {};
  platform::DesktopCore<NoNative> core;
  core.shortcuts = ProgramShortcuts();
  const platform::GadgetId button{5}, field{6}, video{7};
  using enum platform::ControlKind;
  core.gadgets.Create(button, platform::Control<NoNative>(Button));
  core.gadgets.Create(field, platform::Control<NoNative>(SingleLineField));
  core.gadgets.Create(video, platform::Control<NoNative>(Video));
  for (const platform::GadgetId focused : {button, field, video, platform::kNoGadget}) {
    for (const int32_t key : {platform::kKeyEscape, platform::kKeyBackspace}) {
      EXPECT_EQ(core.ReportKey(key, platform::KeyModifier::None, focused).target,
                platform::KeyTarget::Player);
      EXPECT_EQ(core.events.Pop(),
                platform::Event::OfGadget(video, platform::kGadgetPlayerKey + key))
          << "focused " << Number(focused);
    }
    EXPECT_EQ(core.ReportKey('N', platform::KeyModifier::Control, focused).target,
              platform::KeyTarget::Nothing);
    EXPECT_TRUE(core.events.Empty());
  }
  // A letter reaches no field hidden under the film.
  EXPECT_TRUE(core.InterceptKey('A', platform::KeyModifier::None, field, [] {}));
  core.gadgets.Erase(video);
  EXPECT_FALSE(core.InterceptKey('A', platform::KeyModifier::None, field, [] {}));
  EXPECT_EQ(core.ReportKey(platform::kKeyEscape, platform::KeyModifier::None, button).menuEvent,
            kQuit);
}

}  // namespace
}  // namespace zelluo
