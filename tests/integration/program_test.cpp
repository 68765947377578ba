// The whole program on the headless platform: the resolution gate, start
// states, pages and navigation, hover, the tray, the option change and the
// ways out.
#include "program.h"

#include <gtest/gtest.h>

namespace zelluo::testing {
namespace {

const std::string kCreated = CorpusFile("created.xml");

TEST(StartUp, GateAdmitsTheThreeModesOrIgnoreResOneAndCentresTheWindow) {
  struct Row {
    platform::Size display;
    const char* ignoreRes;
    bool damaged;
    const char* window;  // empty: refused
  };
  // clang-format off
  const Row rows[] = {
      {{1280, 1024}, "0", false, "0,0,1280,1024"},  {{1600, 1024}, "0", false, "160,0,1280,1024"},
      {{1600, 1200}, "0", false, "160,88,1280,1024"}, {{1920, 1200}, "0", false, ""},
      {{1280, 1200}, "0", false, ""}, {{1600, 768}, "0", false, ""}, {{1024, 1280}, "0", false, ""},
      {{0, 0}, "0", false, ""},      {{800, 600}, "1", false, "0,0,800,600"},
      {{800, 600}, " 1", false, "0,0,800,600"}, {{800, 600}, "$1", false, "0,0,800,600"},
      {{800, 600}, "2", false, ""},  {{800, 600}, "-1", false, ""}, {{800, 600}, "ja", false, ""},
      // A damaged file is not read at start-up: IgnoreRes stays 0.
      {{800, 600}, "1", true, ""},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.display.width) + "x" + std::to_string(row.display.height) +
                 ", IgnoreRes \"" + row.ignoreRes + (row.damaged ? "\", damaged" : "\""));
    std::string file = WithValue(kCreated, "Key_IgnoreRes", row.ignoreRes);
    if (row.damaged) file.resize(file.find("</Root>"));
    Program run(file);
    run.p.display = row.display;
    run.Run();
    if (*row.window != '\0') {
      EXPECT_EQ(run.Messages(), "");
      EXPECT_EQ(run.Trace({"OpenWindow", "SetWindowRegion"}),
                "OpenWindow \"Zelluo\" " + std::string(row.window) +
                    " minimised | SetWindowRegion 1280,1024,0,0");
    } else {
      EXPECT_EQ(
          run.Trace({"ShowMessage", "OpenWindow", "AddTrayIcon"}),
          "ShowMessage \"Zelluo Installation\" \"Für Zelluo ist eine Auflösung von min. "
          "1280x1024 erforderlich.\\n\\nUnterstützte Auflösungen:\\n1280x1024\\n1600x1024\\n"
          "1600x1200\\n\\nUm die Auflösung zu ignorieren, bitte folgenden Schlüssel ändern:\\n"
          "\\\\Zelluo Files\\\\Zelluo.xml -> Root\\\\HKey_Options\\\\Key_IgnoreRes -> 1\" ok");
    }
    // Shutdown releases in one order on both paths.
    EXPECT_EQ(std::vector<std::string>(run.p.trace.end() - 5, run.p.trace.end()),
              (std::vector<std::string>{"RemoveTrayIcon", "CloseAudio", "FreeAllImages",
                                        "DestroyWindow", "FreeAllFonts"}));
  }
}

TEST(StartUp, AMissingFileIsCreatedOnceAndReadBack) {
  Program run(std::nullopt);
  run.p.display = {1920, 1200};
  run.Run();
  EXPECT_EQ(run.Saved(), kCreated);
  EXPECT_EQ(run.Count("WriteFileAtomic"), 1u);
  // The second pass reads the new file: IgnoreRes 0, and the gate refuses.
  EXPECT_EQ(run.p.messages.size(), 1u);
}

TEST(StartUp, StartTrayAndStartMinimizeSetTheWindowAndTheOneDisabledTrayEntry) {
  struct Row {
    const char* startTray;
    const char* startMinimize;
    bool tray;
    const char* calls;
  };
  const Row rows[] = {
      {"0", "0", true, "EnableMenuEntry 80 off | ShowWindow Restore"},
      {"0", "1", true, "EnableMenuEntry 80 off"},
      {"0", "2", true, "EnableMenuEntry 80 off"},
      {"2", "0", true, "EnableMenuEntry 80 off | ShowWindow Restore"},
      {"1", "0", true, "EnableMenuEntry 81 off | ShowWindow Hide"},
      {"1", "1", true, "EnableMenuEntry 81 off | ShowWindow Hide"},
      // Without a tray icon a hidden window could never come back: it stays minimised.
      {"1", "0", false, "EnableMenuEntry 80 off"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.startTray) + row.startMinimize + (row.tray ? "" : " no tray"));
    Program run(WithValue(WithValue(kCreated, "Key_StartTray", row.startTray), "Key_StartMinimize",
                          row.startMinimize));
    run.p.trayAvailable = row.tray;
    run.Run();
    EXPECT_EQ(run.Trace({"EnableMenuEntry", "ShowWindow"}), row.calls);
  }
}

TEST(Tray, IconMenuAndATooltipCutAfterSixtyThreeCharacters) {
  std::string umlauts;  // 70 characters in 105 bytes
  for (int i = 0; i < 35; ++i) umlauts += "äb";
  const std::string kept = umlauts.substr(0, 31 * 3) + "ä";
  for (auto [name, tooltip] : {std::pair<std::string, std::string>{"Zelluo", "Zelluo 1.0.0.0"},
                               {umlauts, kept},
                               {std::string(70, 'x'), std::string(63, 'x')}}) {
    SCOPED_TRACE(name);
    Program run(WithValue(kCreated, "Key_Name", name));
    run.Run();
    EXPECT_EQ(run.Trace({"AddTrayIcon", "SetTrayTooltip", "AppendMenu"}),
              "AddTrayIcon 5 | SetTrayTooltip \"" + tooltip +
                  "\" | AppendMenuEntry 80 \"Einblenden\" | AppendMenuEntry 81 \"Ausblenden\" | "
                  "AppendMenuSeparator | AppendMenuEntry 1 \"Beenden\"");
  }
}

TEST(Tray, ShowAndHideKeepExactlyTheFittingEntryEnabled) {
  Program run;
  run.Run({Tray(0), Tray(2), Tray(3), Tray(1), MenuEvent(81), Tray(1), MenuEvent(80)});
  EXPECT_EQ(run.Count("ShowPopupMenu"), 2u);  // right presses only
  EXPECT_EQ(
      run.Trace({"ShowWindow", "EnableMenuEntry"}),
      "EnableMenuEntry 80 off | ShowWindow Restore | ShowWindow Hide | "
      "EnableMenuEntry 80 on | EnableMenuEntry 81 off | ShowWindow Show | ShowWindow Restore | "
      "EnableMenuEntry 80 off | EnableMenuEntry 81 on");
  EXPECT_TRUE(run.p.played.empty());
}

TEST(MainPage, FrameIconsHiddenCaptionsAndFontsRoundedFromPoints) {
  // At 90 dpi 14 and 10 points are 17.5 and 12.5 pixels: halves round up.
  struct Row {
    int32_t dpi;
    std::vector<int> heights;
  };
  const Row rows[] = {{96, {19, 19, 16, 16, 13, 13, 13}}, {90, {18, 18, 15, 15, 13, 13, 13}}};
  const char* const styles[] = {"700", "400", "700", "400", "700", "400", "400 underline"};
  for (const Row& row : rows) {
    Program run;
    run.p.dpi = row.dpi;
    run.Run();
    std::string fonts;
    for (int i = 0; i < 7; ++i) {
      fonts += std::string(i == 0 ? "" : " | ") + "LoadFont " + std::to_string(i) + " \"Arial\" " +
               std::to_string(row.heights[i]) + " " + styles[i];
    }
    EXPECT_EQ(run.Trace({"LoadFont"}), fonts);
    for (int32_t shown : {2, 3, 4, 5, 100, 101, 102, 103, 104, 105, 106, 107}) {
      EXPECT_TRUE(run.Shown(shown)) << shown;
    }
    for (int32_t hidden : {110, 120, 130, 140, 150, 200, 300, 400, 500, 600}) {
      EXPECT_FALSE(run.Shown(hidden)) << hidden;
    }
    for (const auto& [number, gadget] : run.p.gadgetsWhenIdle) {
      if (gadget.Kind() != platform::ControlKind::Text) continue;
      EXPECT_EQ(gadget.front, platform::MakeRgb(255, 255, 255)) << platform::Number(number);
      EXPECT_EQ(gadget.back, platform::MakeRgb(40, 40, 40)) << platform::Number(number);
    }
  }
}

TEST(Navigation, IconsOpenTheirPagesAndBackButtonsOrBackspaceBuildTheMainPageAgain) {
  struct Row {
    int32_t icon;
    int32_t back;
    int32_t last;
  };
  for (Row row : {Row{101, 200, 200}, Row{102, 300, 315}, Row{103, 400, 422}, Row{104, 500, 500},
                  Row{105, 600, 619}}) {
    SCOPED_TRACE(row.icon);
    Program open;
    open.Run({MouseAt(200, 450), Click(row.icon)});
    for (int32_t gone = 100; gone <= 106; ++gone)
      EXPECT_FALSE(open.p.gadgetsWhenIdle.contains(platform::GadgetId{gone}));
    for (int32_t caption = 110; caption <= 150; caption += 10) EXPECT_FALSE(open.Shown(caption));
    EXPECT_TRUE(open.Shown(row.back) && open.Shown(row.last));
    EXPECT_EQ(open.p.played.size(), 1u);

    Program back;
    back.Run({Click(row.icon), Click(row.back), Click(row.icon), Click(row.back)});
    EXPECT_FALSE(back.Shown(row.back));
    for (int32_t icon = 101; icon <= 105; ++icon) {
      EXPECT_TRUE(back.Shown(icon));
      EXPECT_EQ(platform::Number(back.At(icon).image), (icon - 100) * 10);
    }
    // Sub-pages are built once and then only shown and hidden.
    EXPECT_EQ(back.Count("CreateImageGadget " + std::to_string(row.back) + " "), 1u);
    EXPECT_EQ(back.p.played.size(), 4u);
  }
  // Backspace plays one click per back button while it rebuilds the Main page.
  for (int32_t icon : {0, 101, 102, 103, 104, 105}) {
    SCOPED_TRACE(icon);
    Program run;
    run.Run({Click(icon), kBackspace});
    for (int32_t back : {200, 300, 400, 500, 600}) EXPECT_FALSE(run.Shown(back));
    for (int32_t gadget = 100; gadget <= 106; ++gadget) EXPECT_TRUE(run.Shown(gadget));
    EXPECT_EQ(run.p.played.size(), icon == 0 ? 5u : 6u);
  }
}

TEST(Hover, IconRectanglesAreHalfOpen) {
  // Icon 103 stands at 560..687 x 400..527.
  struct Row {
    int32_t x;
    int32_t y;
    bool over;
  };
  for (Row row : {Row{560, 400, true}, Row{687, 527, true}, Row{688, 450, false},
                  Row{559, 450, false}, Row{600, 528, false}, Row{600, 399, false}}) {
    SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
    Program run;
    run.Run({MouseAt(row.x, row.y)});
    EXPECT_EQ(platform::Number(run.At(103).image), row.over ? 31 : 30);
    EXPECT_EQ(run.Shown(130), row.over);
    EXPECT_EQ(platform::Number(run.At(102).image), 20);
    EXPECT_FALSE(run.Shown(120));
  }
}

TEST(Hover, FollowsOnlyMovesAndReachesCloseAndHiddenBackButtons) {
  Program run;
  run.Run({MouseAt(1200, 60), platform::Event{platform::EventKind::Other},
           platform::Event{platform::EventKind::Other}, MouseAt(-1, -1)});
  EXPECT_EQ(run.Trace({"SetGadgetImage 107", "SetGadgetImage 400"}),
            "SetGadgetImage 107 71 | SetGadgetImage 400 60 | SetGadgetImage 107 70 | "
            "SetGadgetImage 400 60");
  EXPECT_EQ(Number(run.At(107).image), 70);
}

TEST(StartPage, OptionsIsShownForOneStartAndUnknownPagesShowNothingUntilBackspace) {
  struct Row {
    const char* start;
    int32_t shown;  // 0: nothing but the frame and the close button
  };
  for (Row row : {Row{"Options", 422}, Row{"About", 619}, Row{"options", 0}, Row{"", 0}}) {
    SCOPED_TRACE(row.start);
    const std::string file = WithValue(kCreated, "Key_StartPage", row.start);
    Program run(file);
    run.Run();
    EXPECT_TRUE(row.shown == 0 || run.Shown(row.shown));
    for (int32_t gadget = 100; gadget <= 106; ++gadget) EXPECT_FALSE(run.Shown(gadget));
    EXPECT_TRUE(run.Shown(107));
    EXPECT_EQ(run.Saved(), row.shown == 422 ? CorpusFile("rewritten.xml") : file);
    run.Run({kBackspace});
    EXPECT_TRUE(run.Shown(101));
  }
}

TEST(Information, BoxAndAboutPageShowNameVersionAndTheSizeInWholeKilobytes) {
  struct Row {
    size_t bytes;  // of the executable; 0 for none, 1 for a folder in its place
    const char* size;
  };
  for (Row row : {Row{907776, "886 kb"}, Row{0, "0 kb"}, Row{1, "0 kb"}}) {
    Program run(WithValue(WithValue(kCreated, "Key_Name", "Filmkiste"), "Key_Version", ""));
    run.p.executablePath = row.bytes == 1 ? run.dir.Path() : run.dir / "zelluo";
    if (row.bytes > 1) WriteBytes(run.dir / "zelluo", std::string(row.bytes, 'z'));
    run.Run({Click(106), Click(105)});
    EXPECT_EQ(run.Messages(),
              "Filmkiste: Folgende Informationen stehen bereit:\n\nName: Filmkiste\n"
              "Version: \nGröße: " +
                  std::string(row.size));
    EXPECT_EQ(run.At(605).text, "Filmkiste");
    EXPECT_EQ(run.At(611).text, row.size);
    EXPECT_EQ(run.p.played.size(), 2u);
  }
}

TEST(WayOut, EscapeCloseButtonAndCloseRequestEndTheLoopWithoutAClick) {
  for (platform::Event way :
       {kEscape, Click(107), platform::Event{platform::EventKind::CloseRequest}}) {
    Program run;
    run.Run({Click(101, 1), Click(107, 2), platform::Event{platform::EventKind::LeftButtonPressed},
             way});
    EXPECT_FALSE(run.p.timedOut);
    EXPECT_TRUE(run.p.played.empty());
    EXPECT_TRUE(run.p.desktop.gadgets.All().empty());
    EXPECT_FALSE(run.p.trayIcon);
    EXPECT_EQ(run.Trace({"DragWindow", "SetWindowOpacity", "MoveResizeWindow"}), "DragWindow");
  }
}

TEST(WayOut, FadeOutShrinksAndFadesInFifteenStepsRoundingHalvesToEven) {
  struct Row {
    platform::Size display;
    const char* last;
  };
  for (Row row : {Row{{1280, 1024}, "95,78,1101,881"}, Row{{1152, 864}, "85,64,991,742"},
                  Row{{640, 480}, "48,32,550,414"}}) {
    SCOPED_TRACE(row.last);
    testing::Program run(WithValue(WithValue(kCreated, "Key_Fadeout", "1"), "Key_IgnoreRes", "1"));
    run.p.display = row.display;
    run.Run({testing::Click(107)});
    const auto moves = run.p.TraceOf("MoveResizeWindow");
    ASSERT_EQ(moves.size(), 15u);
    EXPECT_EQ(moves.back(), "MoveResizeWindow " + std::string(row.last));
    EXPECT_EQ(run.Trace({"SetWindowOpacity 255", "SetWindowOpacity 238", "SetWindowOpacity 0"}),
              "SetWindowOpacity 255 | SetWindowOpacity 238 | SetWindowOpacity 0");
    EXPECT_EQ(run.Count("SetWindowOpacity"), 16u);
    EXPECT_EQ(run.Count("Pause 1"), 15u);
  }
}

TEST(OptionChange, ConfirmedClickSoundsShowsAsksSavesThenRestarts) {
  testing::Program run;
  run.p.answers = {platform::MessageAnswer::Yes};
  run.Run({testing::Click(103), testing::Click(406)});
  EXPECT_EQ(run.Saved(), testing::WithValue(testing::WithValue(testing::CorpusFile("rewritten.xml"),
                                                               "Key_StartTray", "1"),
                                            "Key_StartPage", "Options"));
  // After the save the new instance owns the file: shutdown writes nothing.
  EXPECT_EQ(
      run.Trace({"WaitEvent", "PlaySound", "SetGadgetImage 406", "SetGadgetImage 407",
                 "ShowMessage", "Write", "CreateFolder", "Pause", "StartOwnExecutable"}),
      "WaitEvent 5 103 0 | PlaySound 0 | WaitEvent 5 406 0 | PlaySound 0 | "
      "SetGadgetImage 406 7 | SetGadgetImage 407 8 | ShowMessage \"Zelluo\" \"Änderung "
      "übernehmen?\" yes-no | WriteFileAtomic \"Zelluo Files/Zelluo.xml\" 788 ok | Pause 250 | "
      "StartOwnExecutable");
  EXPECT_FALSE(run.p.timedOut);
}

TEST(OptionChange, DeclinedOnlyFlipsTheLookOfRowsDrawnFromTheirValues) {
  // Fadeout 2 counts as off, Log 1 as on.
  testing::Program run(WithValue(WithValue(kCreated, "Key_Fadeout", "2"), "Key_Log", "1"));
  run.p.answers = {platform::MessageAnswer::No, platform::MessageAnswer::No};
  run.Run({testing::Click(103), testing::Click(422), Click(406)});
  EXPECT_EQ(run.Saved(),
            testing::WithValue(testing::WithValue(kCreated, "Key_Fadeout", "2"), "Key_Log", "1"));
  EXPECT_EQ(run.p.processesStarted, 0);
  // The asked-for look first, the old look back after the No.
  EXPECT_EQ(run.Trace({"SetGadgetImage 42", "SetGadgetImage 406", "SetGadgetImage 407"}),
            "SetGadgetImage 421 6 | SetGadgetImage 422 9 | SetGadgetImage 421 7 | "
            "SetGadgetImage 422 8 | SetGadgetImage 406 7 | SetGadgetImage 407 8 | "
            "SetGadgetImage 406 6 | SetGadgetImage 407 9");
  for (auto [gadget, image] :
       {std::pair{415, 7}, {416, 8}, {418, 6}, {419, 9}, {421, 7}, {406, 6}}) {
    EXPECT_EQ(platform::Number(run.At(gadget).image), image) << gadget;
  }
  EXPECT_EQ(run.p.played.size(), 3u);
}

TEST(OptionChange, LogReportsTheChangeKeyByKey) {
  testing::Program run(WithValue(kCreated, "Key_Log", "1"));
  run.p.answers = {platform::MessageAnswer::Yes};
  run.Run({testing::Click(103), testing::Click(416)});
  EXPECT_EQ(run.Trace({"ShowMessage \"Zelluo\""}),
            "ShowMessage \"Zelluo\" \"Änderung übernehmen?\" yes-no | ShowMessage \"Zelluo\" "
            "\"Schlüssel: Key_Log & Key_StartPage wird geändert\" ok | ShowMessage \"Zelluo\" "
            "\"Folgende Werte wurden geändert:\\n\\nSchlüssel: Key_Log\\t\\tWert: 0\\nSchlüssel: "
            "Key_StartPage\\tWert: Options\" ok");
}

TEST(OptionChange, AMissingKeyOrADamagedFileMeansNoWriteAndNoRestart) {
  std::string shortGroup = testing::WithValue(kCreated, "Key_Log", "1");
  shortGroup.erase(shortGroup.find("    <Key_Sound"), 28);
  std::string damaged = kCreated.substr(0, 300);
  struct Row {
    std::string file;
    const char* last;  // the last message box
  };
  for (const Row& row :
       {Row{shortGroup, "Zelluo: Schlüssel:  & Key_StartPage wurde nicht gefunden"},
        Row{damaged, "Zelluo: Änderung übernehmen?"}}) {
    testing::Program run(row.file);
    run.p.answers = {platform::MessageAnswer::Yes};
    run.Run({testing::Click(103), testing::Click(421)});
    EXPECT_EQ(run.Saved(), row.file);
    EXPECT_EQ(run.p.processesStarted, 0);
    EXPECT_TRUE(run.Messages().ends_with(row.last)) << run.Messages();
  }
}

TEST(ClickSound, PlaysOnlyWithSoundExactlyOneAndAnOpenDevice) {
  struct Row {
    const char* sound;
    bool device;
    size_t plays;
  };
  for (Row row : {Row{"0", true, 0}, Row{"2", true, 0}, Row{"1", true, 8}, Row{"1", false, 0}}) {
    SCOPED_TRACE(row.sound);
    testing::Program run(WithValue(kCreated, "Key_Sound", row.sound));
    run.p.audioAvailable = row.device;
    run.Run({testing::Click(101), testing::Click(200), Click(106),
             testing::kBackspace});  // 1 + 1 + 1 + 5
    EXPECT_EQ(run.p.played.size(), row.plays);
    EXPECT_EQ(run.Count("PlaySound"), row.sound == std::string("1") ? 8u : 0u);
  }
}

}  // namespace
}  // namespace zelluo::testing
