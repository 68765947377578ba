// The running program on the headless platform: start states, navigation,
// hover, the tray and shortcuts, the option change and the way out.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "../test_support.h"
#include "core/application.h"
#include "platform/headless/headless_platform.h"
#include "core/option_change.h"

namespace zelluo {
namespace {

using testing::CreatedSettingsFile;
using testing::ReadBytes;
using testing::RewrittenSettingsFile;
using testing::TempDir;
using testing::WithValue;
using testing::WriteBytes;

Event Click(int32_t gadget, int32_t type = 0) { return Event{EventKind::Gadget, gadget, type}; }
Event MenuEvent(int32_t entry) { return Event{EventKind::Menu, entry, 0}; }
Event Tray(int32_t action) { return Event{EventKind::Tray, action, 0}; }
ScriptedEvent MouseAt(int32_t x, int32_t y) { return {Event{EventKind::Other}, Point{x, y}}; }
const Event kQuit = MenuEvent(1);
const Event kBackspace = MenuEvent(2);

class RunningProgram : public ::testing::Test {
 protected:
  TempDir dir;
  HeadlessPlatform platform{dir.Path()};
  std::string file = CreatedSettingsFile();

  std::string SettingsFile() { return dir / "Zelluo Files/Zelluo.xml"; }
  void Set(const std::string& key, const std::string& value) { file = WithValue(file, key, value); }

  // Writes the settings file, plays the script and runs the whole program.
  void Run(std::initializer_list<ScriptedEvent> script) {
    WriteBytes(SettingsFile(), file);
    platform.events.assign(script.begin(), script.end());
    EXPECT_EQ(RunApplication(platform), 0);
    if (platform.idleWaitLimit > 1) {
      EXPECT_FALSE(platform.timedOut) << "the script did not end the program";
    }
  }

  bool Visible(int32_t gadget) {
    auto it = platform.gadgetsWhenIdle.find(gadget);
    return it != platform.gadgetsWhenIdle.end() && it->second.visible;
  }
  int32_t ImageOf(int32_t gadget) { return platform.gadgetsWhenIdle.at(gadget).image; }
  bool Enabled(int32_t entry) {
    for (const auto& item : platform.menu) {
      if (item.entry == entry) return item.enabled;
    }
    ADD_FAILURE() << "no menu entry " << entry;
    return false;
  }
  size_t Count(const std::string& line) {
    return std::count(platform.trace.begin(), platform.trace.end(), line);
  }
  // The script ends the program; the model is kept as it stood then.
  void StopBeforeShutdown() { platform.idleWaitLimit = 1; }
  const HeadlessGadget& At(int32_t gadget) { return platform.gadgetsWhenIdle.at(gadget); }
};

std::vector<int32_t> Range(int32_t from, int32_t to) {
  std::vector<int32_t> numbers;
  for (int32_t n = from; n <= to; ++n) numbers.push_back(n);
  return numbers;
}

// ---------------------------------------------------------------- start ----

TEST_F(RunningProgram, WindowIsCentredAndClippedToTheScreen) {
  struct Case {
    Size screen;
    Rect window;
  };
  for (const Case& c : {Case{{1280, 1024}, {0, 0, 1280, 1024}},
                        Case{{1600, 1200}, {160, 88, 1280, 1024}},
                        Case{{1600, 1024}, {160, 0, 1280, 1024}},
                        Case{{800, 600}, {0, 0, 800, 600}}}) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    p.display = c.screen;
    WriteBytes(run / "Zelluo Files/Zelluo.xml",
               WithValue(CreatedSettingsFile(), "Key_IgnoreRes", "1"));
    p.events.push_back(kQuit);
    RunApplication(p);
    ASSERT_FALSE(p.TraceOf("OpenWindow").empty());
    EXPECT_EQ(p.window.request.clientRect, c.window) << c.screen.width << "x" << c.screen.height;
    EXPECT_EQ(p.TraceOf("SetWindowRegion"), std::vector<std::string>{"SetWindowRegion 1280,1024,0,0"});
    EXPECT_TRUE(p.window.request.minimised);
    EXPECT_EQ(p.window.request.title, "Zelluo");
    EXPECT_EQ(p.window.request.background, MakeRgb(40, 40, 40));
  }
}

TEST_F(RunningProgram, StartStateFollowsStartTrayAndStartMinimize) {
  struct Case {
    const char* startTray;
    const char* startMinimize;
    bool tray;
    bool visible;
    bool minimised;
  };
  const Case cases[] = {
      {"0", "0", true, true, false}, {"0", "1", true, true, true},
      {"0", "2", true, true, true},  {"2", "0", true, true, false},
      {"1", "0", true, false, true}, {"1", "1", true, false, true},
      // Without a tray icon a hidden window could never come back.
      {"1", "0", false, true, true},
  };
  for (const Case& c : cases) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    p.trayAvailable = c.tray;
    p.idleWaitLimit = 1;
    WriteBytes(run / "Zelluo Files/Zelluo.xml",
               WithValue(WithValue(CreatedSettingsFile(), "Key_StartTray", c.startTray),
                         "Key_StartMinimize", c.startMinimize));
    // Stop in the loop to look at the window before shutdown closes it.
    p.events.push_back(Event{EventKind::Other});
    RunApplication(p);
    auto shows = p.TraceOf("ShowWindow");
    bool hidden = !shows.empty() && shows.front() == "ShowWindow Hide";
    bool restored = !shows.empty() && shows.front() == "ShowWindow Restore";
    std::string label = std::string("StartTray ") + c.startTray + ", StartMinimize " +
                        c.startMinimize + (c.tray ? "" : ", no tray");
    EXPECT_EQ(hidden, !c.visible) << label;
    EXPECT_EQ(restored, c.visible && !c.minimised) << label;
    EXPECT_LE(shows.size(), 1u) << label;
    // Exactly one of "Einblenden" and "Ausblenden" is enabled: the one that fits.
    auto enables = p.TraceOf("EnableMenuEntry");
    ASSERT_EQ(enables.size(), 1u) << label;
    EXPECT_EQ(enables[0], c.visible ? "EnableMenuEntry 80 off" : "EnableMenuEntry 81 off") << label;
  }
}

TEST_F(RunningProgram, TrayIconCarriesTheProgramIconAndACharacterCountedTooltip) {
  Run({kQuit});
  EXPECT_EQ(platform.TraceOf("AddTrayIcon"), std::vector<std::string>{"AddTrayIcon 5"});
  EXPECT_EQ(platform.TraceOf("SetTrayTooltip"),
            std::vector<std::string>{"SetTrayTooltip \"Zelluo 1.0.0.0\""});
  ASSERT_EQ(platform.menu.size(), 4u);
  EXPECT_EQ(platform.menu[0].text, "Einblenden");
  EXPECT_EQ(platform.menu[1].text, "Ausblenden");
  EXPECT_EQ(platform.menu[2].entry, 0);
  EXPECT_EQ(platform.menu[3].text, "Beenden");
  EXPECT_EQ(platform.menu[3].entry, 1);

  TempDir other;
  HeadlessPlatform p(other.Path());
  // 70 characters, many of them two bytes long: cut after the 63rd character.
  std::string name;
  for (int i = 0; i < 35; ++i) name += "äb";
  WriteBytes(other / "Zelluo Files/Zelluo.xml", WithValue(CreatedSettingsFile(), "Key_Name", name));
  p.events.push_back(kQuit);
  RunApplication(p);
  std::string expected;
  for (int i = 0; i < 31; ++i) expected += "äb";
  expected += "ä";
  EXPECT_EQ(p.trayTooltip, expected);
}

// ----------------------------------------------------------- navigation ----

TEST_F(RunningProgram, MainPageStartsWithFrameCloseButtonIconsAndHiddenCaptions) {
  StopBeforeShutdown();
  Run({Event{EventKind::Other}});
  for (int32_t frame : {2, 3, 4, 5, 100, 101, 102, 103, 104, 105, 106, 107}) {
    EXPECT_TRUE(Visible(frame)) << frame;
  }
  EXPECT_EQ(platform.gadgetsWhenIdle.at(2).rect, (Rect{0, 0, 1280, 50}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(3).rect, (Rect{1240, 50, 40, 934}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(4).rect, (Rect{0, 984, 1280, 40}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(5).rect, (Rect{0, 50, 40, 934}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(103).rect, (Rect{560, 400, 128, 128}));
  EXPECT_EQ(ImageOf(103), 30);
  for (int32_t caption : {110, 120, 130, 140, 150}) EXPECT_FALSE(Visible(caption)) << caption;
  EXPECT_EQ(platform.gadgetsWhenIdle.at(130).text, "Optionen");
  EXPECT_EQ(platform.gadgetsWhenIdle.at(150).text, "Über Zelluo");
  EXPECT_EQ(platform.gadgetsWhenIdle.at(130).align, TextAlign::Centre);
  EXPECT_EQ(platform.gadgetsWhenIdle.at(130).font, 2);
  EXPECT_EQ(platform.gadgetsWhenIdle.at(106).text, "Zelluo Information");
  for (int32_t page : {200, 300, 400, 500, 600}) EXPECT_FALSE(Visible(page)) << page;
  // 12 pt at 96 dpi is a character height of 16 pixels; 14 pt rounds to 19.
  EXPECT_EQ(platform.TraceOf("LoadFont"),
            (std::vector<std::string>{
                "LoadFont 0 \"Arial\" 19 700", "LoadFont 1 \"Arial\" 19 400",
                "LoadFont 2 \"Arial\" 16 700", "LoadFont 3 \"Arial\" 16 400",
                "LoadFont 4 \"Arial\" 13 700", "LoadFont 5 \"Arial\" 13 400",
                "LoadFont 6 \"Arial\" 13 400 underline"}));
}

TEST_F(RunningProgram, IconsOpenTheirPagesAndBackButtonsRebuildTheMainPage) {
  struct Case {
    int32_t icon;
    int32_t back;
    int32_t last;
  };
  for (const Case& c : {Case{101, 200, 200}, Case{102, 300, 315}, Case{103, 400, 422},
                        Case{104, 500, 500}, Case{105, 600, 619}}) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    p.idleWaitLimit = 1;
    WriteBytes(run / "Zelluo Files/Zelluo.xml", CreatedSettingsFile());
    p.events = {MouseAt(200, 450), Click(c.icon)};
    RunApplication(p);
    // On the sub-page: the Main page is gone and so are the captions.
    for (int32_t gone = 100; gone <= 106; ++gone) EXPECT_FALSE(p.gadgetsWhenIdle.contains(gone));
    for (int32_t caption : {110, 120, 130, 140, 150}) EXPECT_FALSE(p.gadgetsWhenIdle.at(caption).visible);
    EXPECT_TRUE(p.gadgetsWhenIdle.at(c.back).visible);
    EXPECT_TRUE(p.gadgetsWhenIdle.at(c.last).visible);
    EXPECT_EQ(p.played.size(), 1u);

    TempDir again;
    HeadlessPlatform q(again.Path());
    q.idleWaitLimit = 1;
    WriteBytes(again / "Zelluo Files/Zelluo.xml", CreatedSettingsFile());
    q.events = {Click(c.icon), Click(c.back), Click(c.icon), Click(c.back)};
    RunApplication(q);
    EXPECT_FALSE(q.gadgetsWhenIdle.at(c.back).visible);
    for (int32_t icon = 101; icon <= 105; ++icon) {
      EXPECT_TRUE(q.gadgetsWhenIdle.at(icon).visible);
      EXPECT_EQ(q.gadgetsWhenIdle.at(icon).image, (icon - 100) * 10);
    }
    // Sub-pages are built once and only shown and hidden afterwards.
    std::string created = "CreateImageGadget " + std::to_string(c.back) + " ";
    EXPECT_EQ(q.TraceOf(created).size(), 1u);
    EXPECT_EQ(q.played.size(), 4u);
  }
}

TEST_F(RunningProgram, BackspaceReturnsToAFreshMainPageFromEveryPage) {
  for (int32_t icon : {0, 101, 102, 103, 104, 105}) {
    for (const char* sound : {"1", "0"}) {
      TempDir run;
      HeadlessPlatform p(run.Path());
      p.idleWaitLimit = 1;
      WriteBytes(run / "Zelluo Files/Zelluo.xml", WithValue(CreatedSettingsFile(), "Key_Sound", sound));
      if (icon != 0) p.events.push_back(Click(icon));
      p.events.push_back(kBackspace);
      RunApplication(p);
      for (int32_t back : {200, 300, 400, 500, 600}) EXPECT_FALSE(p.gadgetsWhenIdle.at(back).visible);
      for (int32_t gadget = 100; gadget <= 106; ++gadget) EXPECT_TRUE(p.gadgetsWhenIdle.at(gadget).visible);
      // One play per existing back button, each restarting the click.
      size_t plays = std::string(sound) == "1" ? (icon == 0 ? 5u : 6u) : 0u;
      EXPECT_EQ(p.played.size(), plays) << "icon " << icon << " sound " << sound;
    }
  }
}

TEST_F(RunningProgram, HoverUsesHalfOpenRectanglesQueriedAtTheMoment) {
  StopBeforeShutdown();
  // Icon 103 stands at 560..687 x 400..527.
  Run({MouseAt(687, 527)});
  EXPECT_EQ(ImageOf(103), 31);
  EXPECT_TRUE(Visible(130));
  EXPECT_EQ(ImageOf(102), 20);
  EXPECT_FALSE(Visible(120));

  platform.events = {MouseAt(688, 450)};
  platform.idleWaitLimit = 1;
  platform.trace.clear();
  WriteBytes(SettingsFile(), file);
  RunApplication(platform);
  EXPECT_EQ(ImageOf(103), 30);
  EXPECT_FALSE(Visible(130));
}

TEST_F(RunningProgram, HoverFollowsOnlyMovesAndReachesCloseAndBackButtons) {
  StopBeforeShutdown();
  Run({MouseAt(1200, 60), Event{EventKind::Other}, Event{EventKind::Other}, MouseAt(-1, -1)});
  // Three hover updates: the move onto the close button, none for the two
  // events at rest, then the move out of the window.
  EXPECT_EQ(Count("SetGadgetImage 107 71"), 1u);
  EXPECT_EQ(Count("SetGadgetImage 107 70"), 1u);
  // Hidden back buttons exist and get their pictures too.
  EXPECT_EQ(Count("SetGadgetImage 400 60"), 2u);
  EXPECT_EQ(ImageOf(107), 70);
}

TEST_F(RunningProgram, StartPageOptionsIsShownOnceAndWrittenBackAsMain) {
  Set("Key_StartPage", "Options");
  StopBeforeShutdown();
  Run({Event{EventKind::Other}});
  EXPECT_TRUE(Visible(400));
  EXPECT_TRUE(Visible(422));
  EXPECT_FALSE(platform.gadgetsWhenIdle.contains(101));
  EXPECT_EQ(ReadBytes(SettingsFile()), RewrittenSettingsFile());
}

TEST_F(RunningProgram, UnknownStartPageShowsNothingUntilBackspace) {
  for (const char* start : {"options", ""}) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    p.idleWaitLimit = 1;
    std::string settings = WithValue(CreatedSettingsFile(), "Key_StartPage", start);
    WriteBytes(run / "Zelluo Files/Zelluo.xml", settings);
    p.events = {Event{EventKind::Other}};
    RunApplication(p);
    for (int32_t gadget : Range(100, 106)) EXPECT_FALSE(p.gadgetsWhenIdle.at(gadget).visible) << start;
    EXPECT_TRUE(p.gadgetsWhenIdle.at(107).visible);
    EXPECT_EQ(ReadBytes(run / "Zelluo Files/Zelluo.xml"), settings);

    p.events = {kBackspace};
    RunApplication(p);
    EXPECT_TRUE(p.gadgetsWhenIdle.at(101).visible) << start;
  }
}

TEST_F(RunningProgram, ListAndAboutPagesShowTheirForms) {
  WriteBytes(dir / "zelluo", std::string(907776, 'z'));
  platform.executablePath = dir / "zelluo";
  Set("Key_Name", "Filmkiste");
  Set("Key_Version", "");
  StopBeforeShutdown();
  Run({Click(105)});
  EXPECT_EQ(platform.gadgetsWhenIdle.at(605).text, "Filmkiste");
  EXPECT_EQ(platform.gadgetsWhenIdle.at(608).text, "");
  EXPECT_EQ(platform.gadgetsWhenIdle.at(611).text, "886 kb");
  EXPECT_EQ(platform.gadgetsWhenIdle.at(614).text, "Stellmar/Quorvex");
  EXPECT_EQ(platform.gadgetsWhenIdle.at(619).text, "Lumen-Community für Unterstützung");
  EXPECT_EQ(platform.gadgetsWhenIdle.at(619).rect, (Rect{100, 500, 880, 20}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(609).font, 2);
  EXPECT_EQ(platform.gadgetsWhenIdle.at(611).font, 3);
  // The underlines take their picture's size, not the 880 the page asks for.
  EXPECT_EQ(platform.gadgetsWhenIdle.at(604).rect, (Rect{100, 138, 260, 2}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(616).rect, (Rect{100, 458, 260, 2}));
  EXPECT_EQ(platform.window.request.title, "Zelluo");
  // The List page's form: the placeholder and six headings with underlines.
  EXPECT_EQ(platform.gadgetsWhenIdle.at(303).rect, (Rect{40, 120, 360, 450}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(305).rect, (Rect{410, 138, 800, 2}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(313).rect, (Rect{950, 298, 260, 2}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(312).text, "Produktionsland");
  for (int32_t text : {304, 306, 308, 310, 312, 314, 605, 619}) {
    EXPECT_EQ(platform.gadgetsWhenIdle.at(text).frontColour, MakeRgb(255, 255, 255)) << text;
    EXPECT_EQ(platform.gadgetsWhenIdle.at(text).backColour, MakeRgb(40, 40, 40)) << text;
  }
}

TEST_F(RunningProgram, InformationBoxShowsNameVersionAndSize) {
  WriteBytes(dir / "zelluo", std::string(4096, 'z'));
  platform.executablePath = dir / "zelluo";
  Set("Key_Version", "");
  Run({Click(106), kQuit});
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Zelluo");
  EXPECT_EQ(platform.messages[0].text,
            "Folgende Informationen stehen bereit:\n\nName: Zelluo\nVersion: \nGröße: 4 kb");
  EXPECT_EQ(platform.played.size(), 1u);
}

// -------------------------------------------------- tray and the way out ----

TEST_F(RunningProgram, TrayMenuShowsAndHidesTheWindow) {
  Run({Tray(0), Tray(2), Tray(3), Tray(1), MenuEvent(81), Tray(1), MenuEvent(80), kQuit});
  EXPECT_EQ(platform.TraceOf("ShowPopupMenu").size(), 2u);  // right presses only
  EXPECT_EQ(platform.TraceOf("ShowWindow"),
            (std::vector<std::string>{"ShowWindow Restore", "ShowWindow Hide", "ShowWindow Show",
                                      "ShowWindow Restore"}));
  EXPECT_EQ(platform.TraceOf("EnableMenuEntry"),
            (std::vector<std::string>{"EnableMenuEntry 80 off", "EnableMenuEntry 80 on",
                                      "EnableMenuEntry 81 off", "EnableMenuEntry 80 off",
                                      "EnableMenuEntry 81 on"}));
  EXPECT_TRUE(platform.played.empty());
}

TEST_F(RunningProgram, EveryWayOutEndsTheLoopWithoutAClick) {
  for (Event way : {kQuit, Click(107), Event{EventKind::CloseRequest}}) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    WriteBytes(run / "Zelluo Files/Zelluo.xml", CreatedSettingsFile());
    p.events = {Click(101, 1), Click(107, 2), way};
    EXPECT_EQ(RunApplication(p), 0);
    EXPECT_FALSE(p.timedOut);
    EXPECT_TRUE(p.played.empty());
    EXPECT_TRUE(p.gadgets.empty());  // shutdown destroyed the window
    EXPECT_FALSE(p.trayIcon);
    EXPECT_TRUE(p.TraceOf("SetWindowOpacity").empty());
  }
}

TEST_F(RunningProgram, PressOnTheBackgroundDragsTheWindow) {
  Run({Event{EventKind::LeftButtonPressed}, kQuit});
  EXPECT_EQ(platform.TraceOf("DragWindow").size(), 1u);
}

TEST_F(RunningProgram, FadeOutShrinksAndFadesInFifteenSteps) {
  Set("Key_Fadeout", "1");
  Run({Click(107)});
  auto moves = platform.TraceOf("MoveResizeWindow");
  ASSERT_EQ(moves.size(), 15u);
  EXPECT_EQ(moves[0], "MoveResizeWindow 13,10,1267,1014");
  EXPECT_EQ(moves[1], "MoveResizeWindow 19,15,1254,1004");
  EXPECT_EQ(moves[14], "MoveResizeWindow 95,78,1101,881");
  auto alphas = platform.TraceOf("SetWindowOpacity");
  ASSERT_EQ(alphas.size(), 16u);
  EXPECT_EQ(alphas.front(), "SetWindowOpacity 255");
  EXPECT_EQ(alphas[1], "SetWindowOpacity 238");
  EXPECT_EQ(alphas.back(), "SetWindowOpacity 0");
  EXPECT_EQ(platform.TraceOf("Pause 1").size(), 15u);
  // Destroyed by the fade-out, then once more by shutdown, which finds it gone.
  EXPECT_EQ(platform.TraceOf("DestroyWindow").size(), 2u);
}

TEST_F(RunningProgram, ADamagedFileIsReportedWhenTheLoopStarts) {
  file.resize(file.find("</Root>"));
  Run({kQuit});
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Error");
}

// -------------------------------------------------------- option change ----

TEST_F(RunningProgram, ConfirmedChangeWritesOptionAndStartPageAndRestarts) {
  platform.answers = {MessageAnswer::Yes};
  Run({Click(103), Click(406)});
  EXPECT_EQ(ReadBytes(SettingsFile()),
            WithValue(WithValue(RewrittenSettingsFile(), "Key_StartTray", "1"), "Key_StartPage",
                      "Options"));
  EXPECT_EQ(platform.processesStarted, 1);
  EXPECT_EQ(platform.TraceOf("Pause 250").size(), 1u);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Änderung übernehmen?");
  EXPECT_EQ(platform.messages[0].buttons, MessageButtons::YesNo);
  // The restart is started after the file is saved, and the program then ends.
  auto save = std::find_if(platform.trace.begin(), platform.trace.end(),
                           [](const std::string& l) { return l.starts_with("WriteFileAtomic"); });
  auto start = std::find(platform.trace.begin(), platform.trace.end(), "StartOwnExecutable");
  EXPECT_LT(save, start);
  // The new instance owns the file from then on: shutdown writes nothing.
  EXPECT_TRUE(std::none_of(start, platform.trace.end(), [](const std::string& l) {
    return l.starts_with("WriteFileAtomic") || l.starts_with("CreateFolder");
  }));
}

TEST_F(RunningProgram, DeclinedChangeOnlyFlipsTheLook) {
  platform.answers = {MessageAnswer::No, MessageAnswer::No};
  StopBeforeShutdown();
  Run({Click(103), Click(422), Click(406)});
  EXPECT_EQ(ReadBytes(SettingsFile()), file);
  EXPECT_EQ(platform.processesStarted, 0);
  // 422 asked for "off" and was declined: the on look. 406 the other way.
  EXPECT_EQ(ImageOf(421), 7);
  EXPECT_EQ(ImageOf(422), 8);
  EXPECT_EQ(ImageOf(406), 6);
  EXPECT_EQ(ImageOf(407), 9);
  // The asked-for look is shown before the question.
  auto flips = platform.TraceOf("SetGadgetImage 42");
  EXPECT_EQ(flips[0], "SetGadgetImage 421 6");
  EXPECT_EQ(flips[1], "SetGadgetImage 422 9");
  EXPECT_EQ(platform.played.size(), 3u);  // icon and both switches
}

TEST_F(RunningProgram, OptionsPageDrawsEachRowFromItsValue) {
  Set("Key_Fadeout", "2");
  Set("Key_Log", "1");
  StopBeforeShutdown();
  Run({Click(103)});
  EXPECT_EQ(ImageOf(421), 7);  // Soundausgabe on
  EXPECT_EQ(ImageOf(422), 8);
  EXPECT_EQ(ImageOf(415), 7);  // Protokollierung on
  EXPECT_EQ(ImageOf(418), 6);  // 2 counts as off
  EXPECT_EQ(ImageOf(419), 9);
  EXPECT_EQ(platform.gadgetsWhenIdle.at(404).rect, (Rect{40, 138, 260, 2}));
  EXPECT_EQ(platform.gadgetsWhenIdle.at(417).text, "Ausblendeffekt beim Beenden");
  EXPECT_EQ(platform.gadgetsWhenIdle.at(420).rect, (Rect{40, 300, 260, 20}));
}

TEST_F(RunningProgram, LogReportsTheChangeKeyByKey) {
  Set("Key_Log", "1");
  platform.answers = {MessageAnswer::Yes};
  Run({Click(103), Click(416)});
  std::vector<std::string> texts;
  for (const auto& m : platform.messages) {
    if (m.title == "Zelluo") texts.push_back(m.text);
  }
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1], "Schlüssel: Key_Log & Key_StartPage wird geändert");
  EXPECT_EQ(texts[2],
            "Folgende Werte wurden geändert:\n\nSchlüssel: Key_Log\t\tWert: 0\n"
            "Schlüssel: Key_StartPage\tWert: Options");
}

TEST_F(RunningProgram, MissingKeyOrDamagedFileMeansNoWriteAndNoRestart) {
  Set("Key_Log", "1");
  std::string shortGroup = file;
  shortGroup.erase(shortGroup.find("    <Key_Sound"), std::string("    <Key_Sound Value=\"1\"/>\r\n").size());
  file = shortGroup;
  platform.answers = {MessageAnswer::Yes};
  Run({Click(103), Click(421), kQuit});
  EXPECT_EQ(ReadBytes(SettingsFile()), shortGroup);
  EXPECT_EQ(platform.processesStarted, 0);
  EXPECT_EQ(platform.messages.back().text, "Schlüssel:  & Key_StartPage wurde nicht gefunden");
}

TEST_F(RunningProgram, ChangeAfterTheFileWasDamagedLeavesItAlone) {
  // The file was damaged by hand while the program ran.
  std::string damaged = file.substr(0, 300);
  WriteBytes(SettingsFile(), damaged);
  platform.answers = {MessageAnswer::Yes};
  Application app(platform);
  app.settings = DefaultSettings(platform.date);
  int32_t quit = 0;
  ApplyOptionChange(app, 409, quit);
  EXPECT_EQ(quit, 0);
  EXPECT_EQ(ReadBytes(SettingsFile()), damaged);
  EXPECT_EQ(platform.processesStarted, 0);
}

TEST_F(RunningProgram, ClickSoundNeedsSoundExactlyOne) {
  for (const char* value : {"0", "2", "1"}) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    WriteBytes(run / "Zelluo Files/Zelluo.xml", WithValue(CreatedSettingsFile(), "Key_Sound", value));
    p.events = {Click(101), Click(200), Click(106), kBackspace, kQuit};
    RunApplication(p);
    size_t expected = std::string(value) == "1" ? 8u : 0u;  // 1 + 1 + 1 + 5
    EXPECT_EQ(p.played.size(), expected) << "Key_Sound " << value;
  }
}

TEST_F(RunningProgram, NoAudioDeviceStillRuns) {
  platform.audioAvailable = false;
  Run({Click(101), kQuit});
  EXPECT_TRUE(platform.played.empty());
  EXPECT_FALSE(platform.TraceOf("PlaySound").empty());
}

}  // namespace
}  // namespace zelluo
