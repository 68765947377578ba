#pragma once
// One run of the whole program on the headless platform: the settings file it
// finds (none for a first start), a scripted display, events and answers.
// The tests assert on the platform's model and trace afterwards.

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "../test_support.h"
#include "core/application.h"
#include "platform/headless/headless_platform.h"

namespace zelluo::testing {

inline platform::Event Click(platform::GadgetId gadget, int32_t type = 0) {
  return platform::Event::OfGadget(gadget, type);
}
// A gadget by its plain number, for the tests of the numbering itself.
inline platform::Event Click(int32_t gadget, int32_t type = 0) {
  return Click(platform::GadgetId{gadget}, type);
}
inline platform::Event MenuEvent(int32_t entry) { return {platform::EventKind::Menu, entry, 0}; }
inline platform::Event Tray(int32_t action) { return {platform::EventKind::Tray, action, 0}; }
inline platform::ScriptedEvent MouseAt(int32_t x, int32_t y) {
  return {platform::Event{platform::EventKind::Other}, platform::Point{x, y}};
}
inline const platform::Event kEscape = MenuEvent(1);
inline const platform::Event kBackspace = MenuEvent(2);

struct Program {
  explicit Program(std::optional<std::string> settings = testing::CorpusFile("created.xml")) {
    if (settings) testing::WriteBytes(File(), *settings);
    // When the script runs out, the model is kept and the program asked to close.
    p.idleWaitLimit = 1;
  }

  Program& Run(const std::vector<platform::ScriptedEvent>& script = {}) {
    p.events.assign(script.begin(), script.end());
    EXPECT_EQ(core::RunApplication(p), 0);
    return *this;
  }

  std::string File() const { return dir / "Zelluo Files/Zelluo.xml"; }
  std::string Saved() const { return testing::ReadBytes(File()); }
  // A gadget as it stood when the script ran out.
  const platform::HeadlessGadget& At(platform::GadgetId gadget) const {
    return p.gadgetsWhenIdle.at(gadget);
  }
  bool Shown(platform::GadgetId gadget) const {
    return p.gadgetsWhenIdle.contains(gadget) && At(gadget).shown;
  }
  // The same by plain number, for the tests of the numbering itself.
  const platform::HeadlessGadget& At(int32_t gadget) const {
    return At(platform::GadgetId{gadget});
  }
  bool Shown(int32_t gadget) const { return Shown(platform::GadgetId{gadget}); }
  size_t Count(std::string_view prefix) const { return p.TraceOf(prefix).size(); }
  // The trace lines that start with one of the prefixes, joined with " | ".
  std::string Trace(std::initializer_list<std::string_view> prefixes) const {
    std::string out;
    for (const std::string& line : p.trace) {
      for (std::string_view prefix : prefixes) {
        if (line.starts_with(prefix)) out += (out.empty() ? "" : " | ") + line;
      }
    }
    return out;
  }
  // The message boxes as "title: text", joined with " | ".
  std::string Messages() const {
    std::string out;
    for (const platform::HeadlessMessage& m : p.messages)
      out += (out.empty() ? "" : " | ") + m.title + ": " + m.text;
    return out;
  }

  TempDir dir;
  platform::HeadlessPlatform p{dir.Path()};
};

}  // namespace zelluo::testing
