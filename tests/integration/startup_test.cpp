// The whole program from its entry on the headless platform: start-up, the
// settings file, the resolution gate and shutdown.
#include <gtest/gtest.h>

#include <filesystem>

#include "../test_support.h"
#include "core/application.h"
#include "platform/headless/headless_platform.h"
#include "settings/settings_store.h"

namespace zelluo {
namespace {

using testing::CreatedSettingsFile;
using testing::ReadBytes;
using testing::TempDir;
using testing::WithValue;
using testing::WriteBytes;

const char* const kRefusal =
    "Für Zelluo ist eine Auflösung von min. 1280x1024 erforderlich.\n\nUnterstützte Auflösungen:\n"
    "1280x1024\n1600x1024\n1600x1200\n\n"
    "Um die Auflösung zu ignorieren, bitte folgenden Schlüssel ändern:\n"
    "\\Zelluo Files\\Zelluo.xml -> Root\\HKey_Options\\Key_IgnoreRes -> 1";

class StartUp : public ::testing::Test {
 protected:
  TempDir dir;
  HeadlessPlatform platform{dir.Path()};

  std::string SettingsFile() { return dir / "Zelluo Files/Zelluo.xml"; }
  void WriteSettings(const std::string& bytes) { WriteBytes(SettingsFile(), bytes); }
  bool Refused() {
    for (const auto& m : platform.messages) {
      if (m.title == "Zelluo Installation") return true;
    }
    return false;
  }
};

TEST_F(StartUp, GateAdmitsExactlyTheThreeSupportedModes) {
  struct Case {
    Size display;
    bool starts;
  };
  const Case cases[] = {
      {{1280, 1024}, true},  {{1600, 1024}, true},  {{1600, 1200}, true},
      {{1920, 1200}, false}, {{1920, 1080}, false}, {{1280, 1200}, false},
      {{1600, 768}, false},  {{800, 600}, false},   {{0, 0}, false},
      {{1024, 1280}, false},
  };
  for (const Case& c : cases) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    p.display = c.display;
    EXPECT_EQ(RunApplication(p), 0);
    bool refused = !p.messages.empty() && p.messages.back().title == "Zelluo Installation";
    EXPECT_EQ(refused, !c.starts) << c.display.width << "x" << c.display.height;
    EXPECT_EQ(p.messages.size(), c.starts ? 0u : 1u);
  }
}

TEST_F(StartUp, RefusalShowsTheFourPiecesInOneOkBox) {
  platform.display = {1920, 1080};
  EXPECT_EQ(RunApplication(platform), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Zelluo Installation");
  EXPECT_EQ(platform.messages[0].text, kRefusal);
  EXPECT_EQ(platform.messages[0].buttons, MessageButtons::Ok);
  // A refused start opens no window and adds no tray icon.
  EXPECT_TRUE(platform.TraceOf("OpenWindow").empty());
  EXPECT_TRUE(platform.TraceOf("AddTrayIcon").empty());
}

TEST_F(StartUp, IgnoreResLetsAnyDisplayPassOnlyWhenItIsOne) {
  struct Case {
    const char* value;
    bool starts;
  };
  for (const Case& c : {Case{"1", true}, Case{" 1", true}, Case{"$1", true}, Case{"2", false},
                        Case{"-1", false}, Case{"", false}, Case{"ja", false}}) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    p.display = {800, 600};
    WriteBytes(run / "Zelluo Files/Zelluo.xml",
               WithValue(CreatedSettingsFile(), "Key_IgnoreRes", c.value));
    RunApplication(p);
    EXPECT_EQ(p.messages.empty(), c.starts) << "Key_IgnoreRes \"" << c.value << "\"";
  }
}

TEST_F(StartUp, FirstStartCreatesTheFileSilentlyAndReadsItBack) {
  platform.date = {6, 12, 2026};
  platform.display = {1920, 1200};
  RunApplication(platform);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Zelluo Files"));
  EXPECT_EQ(ReadBytes(SettingsFile()), CreatedSettingsFile("06/12/2026"));
  // Created once, read by the second pass: the gate applies with IgnoreRes 0.
  EXPECT_EQ(platform.TraceOf("WriteFileAtomic").size(), 1u);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Zelluo Installation");
}

TEST_F(StartUp, LogShowsTheThreeInfoBoxesOfTheSecondPass) {
  WriteSettings(WithValue(CreatedSettingsFile(), "Key_Log", "1"));
  RunApplication(platform);
  ASSERT_EQ(platform.messages.size(), 3u);
  const char* expected[] = {"Zelluo.xml geladen", "RootNode gefunden", "MainNode gefunden"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(platform.messages[i].title, "Info");
    EXPECT_EQ(platform.messages[i].text, expected[i]);
  }
}

TEST_F(StartUp, AnEmptyFileIsReplacedByAFreshOne) {
  WriteSettings("");
  RunApplication(platform);
  EXPECT_EQ(ReadBytes(SettingsFile()), CreatedSettingsFile());
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartUp, ADamagedFileIsLeftUntouchedAndTheDefaultsStay) {
  std::string file = WithValue(CreatedSettingsFile(), "Key_IgnoreRes", "1");
  file.resize(file.find("</Root>"));
  WriteSettings(file);
  platform.display = {800, 600};
  RunApplication(platform);
  EXPECT_EQ(ReadBytes(SettingsFile()), file);
  // IgnoreRes could not be read, so the gate still refuses.
  EXPECT_TRUE(Refused());
}

TEST_F(StartUp, AFolderThatCannotBeWrittenStillStartsOnTheDefaults) {
  platform.writeFault = [](os::WriteStep) { return false; };
  RunApplication(platform);
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
  EXPECT_EQ(platform.TraceOf("CreateFolder").size(), 2u);  // both passes try
  EXPECT_TRUE(platform.messages.empty());                    // 1280 x 1024 passes

  TempDir other;
  HeadlessPlatform small(other.Path());
  small.writeFault = platform.writeFault;
  small.display = {800, 600};
  RunApplication(small);
  EXPECT_EQ(small.messages.size(), 1u);
}

TEST_F(StartUp, ProgramSizeIsTheExecutableInWholeKilobytes) {
  WriteBytes(dir / "zelluo", std::string(5 * 1024 + 1023, 'z'));
  platform.executablePath = dir / "zelluo";
  EXPECT_EQ(ProgramSizeKb(platform), 5);
  platform.executablePath = dir / "missing";
  EXPECT_EQ(ProgramSizeKb(platform), 0);
  platform.executablePath = dir.Path();
  EXPECT_EQ(ProgramSizeKb(platform), 0);
}

TEST_F(StartUp, ShutdownReleasesInItsOrderOnEveryPath) {
  for (Size display : {Size{1280, 1024}, Size{640, 480}}) {
    TempDir run;
    HeadlessPlatform p(run.Path());
    p.display = display;
    RunApplication(p);
    std::vector<std::string> tail(p.trace.end() - 5, p.trace.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"RemoveTrayIcon", "CloseAudio", "FreeAllImages",
                                              "DestroyWindow", "FreeAllFonts"}));
  }
}

class FullRead : public StartUp {};

TEST_F(FullRead, ReportsADamagedFileWithTheParserMessageLineAndColumn) {
  std::string file = CreatedSettingsFile();
  file.resize(file.find("</Root>"));  // cut after a complete tag
  WriteSettings(file);
  SettingsRecord record = DefaultSettings(platform.date);
  ReadAllSettings(platform, record);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Error");
  // The parser stops at the end of the input: the start of line 29.
  EXPECT_EQ(platform.messages[0].text,
            "Error in the XML file:\rMessage: no element found\rLine: 29   Character: 1");
  EXPECT_EQ(ReadBytes(SettingsFile()), file);
}

TEST_F(FullRead, ReadsEveryValueAndReportsAFileWithoutRoot) {
  std::string file = CreatedSettingsFile();
  for (auto [key, value] : {std::pair{"Key_StartTray", "1"}, {"Key_StartMinimize", "2"},
                            {"Key_AutoUpdate", "$10"}, {"Key_Language", "English"},
                            {"Key_Theme", "Blue"}, {"Key_StartPage", "About"}}) {
    file = WithValue(file, key, value);
  }
  WriteSettings(file);
  SettingsRecord record = DefaultSettings(platform.date);
  ReadAllSettings(platform, record);
  EXPECT_EQ(record.StartTray, 1);
  EXPECT_EQ(record.StartMinimize, 2);
  EXPECT_EQ(record.AutoUpdate, 16);
  EXPECT_EQ(record.Language, "English");
  EXPECT_EQ(record.Theme, "Blue");
  EXPECT_EQ(record.StartPage, "About");
  EXPECT_EQ(record.Update, "06/12/2026");
  EXPECT_TRUE(platform.messages.empty());

  WriteSettings("<?xml version=\"1.0\"?>\r\n<!-- nothing here -->");
  ReadAllSettings(platform, record);
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.messages.back().title, "Error");  // no element: a parse error

  platform.messages.clear();
  std::filesystem::remove(SettingsFile());
  ReadAllSettings(platform, record);  // no file: silent
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace zelluo
