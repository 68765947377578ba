#include <gtest/gtest.h>

#include "../test_support.h"
#include "platform/headless/headless_platform.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "settings/xml_document.h"

namespace zelluo {
namespace {

using testing::CreatedSettingsFile;
using testing::ReadBytes;
using testing::RewrittenSettingsFile;
using testing::TempDir;
using testing::WithValue;
using testing::WriteBytes;

TEST(LenientInteger, ReadsFlagsTheWayHandEditedFilesWriteThem) {
  struct Case {
    const char* text;
    int32_t expected;
  };
  const Case cases[] = {
      {"1", 1},          {"0", 0},          {"", 0},          {"yes", 0},
      {" 1", 1},         {"\t 1", 1},       {"1 ", 1},        {"12abc", 12},
      {"+7", 7},         {"-3", -3},        {"--3", 0},       {"- 3", 0},
      {"$1", 1},         {"$ff", 255},      {"$FF", 255},     {"$1G", 1},
      {"-$10", -16},     {"%101", 5},       {"%102", 2},      {"%", 0},
      {"$", 0},          {"1.5", 1},        {"007", 7},       {" x1", 0},
      {"2147483647", 2147483647},           {"-2147483648", INT32_MIN},
      {"4294967297", 1},  // wraps to 32 bits
      {"$FFFFFFFF", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseLenientInteger(c.text), c.expected) << "text: \"" << c.text << "\"";
  }
}

TEST(SettingsDates, AreDayMonthYearWithLeadingZeros) {
  EXPECT_EQ(FormatDate({6, 12, 2026}), "06/12/2026");
  EXPECT_EQ(FormatDate({31, 1, 999}), "31/01/0999");
  EXPECT_EQ(DefaultSettings({1, 2, 2030}).Today, "01/02/2030");
}

TEST(SettingsFile, CreatedFileIsTheTwentyNineLineLayout) {
  SettingsRecord record = DefaultSettings({6, 12, 2026});
  auto document = CreateSettingsDocument(record);
  Reformat(*document);
  std::string bytes = SerializeDocument(*document);
  EXPECT_EQ(bytes, CreatedSettingsFile());
  EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
}

class SettingsFileOnDisk : public ::testing::Test {
 protected:
  TempDir dir;
  HeadlessPlatform platform{dir.Path()};
  std::string File() { return ReadBytes(dir / "Zelluo Files/Zelluo.xml"); }
};

TEST_F(SettingsFileOnDisk, FirstRewriteGivesTheSecondFormAndLaterOnesOnlyTheValue) {
  WriteBytes(dir / "Zelluo Files/Zelluo.xml", CreatedSettingsFile());

  ASSERT_TRUE(WriteSettingsValue(platform, PlaceOfKey(&SettingsRecord::Sound), "0"));
  EXPECT_EQ(File(), WithValue(RewrittenSettingsFile(), "Key_Sound", "0"));

  ASSERT_TRUE(WriteSettingsValue(platform, kStartPageKey, "Options"));
  EXPECT_EQ(File(), WithValue(WithValue(RewrittenSettingsFile(), "Key_Sound", "0"),
                              "Key_StartPage", "Options"));

  ASSERT_TRUE(WriteSettingsValue(platform, kStartPageKey, "Main"));
  EXPECT_EQ(File(), WithValue(RewrittenSettingsFile(), "Key_Sound", "0"));
}

TEST_F(SettingsFileOnDisk, ValuesAreEscapedAndKeepNonAsciiAsUtf8) {
  WriteBytes(dir / "Zelluo Files/Zelluo.xml", CreatedSettingsFile());
  ASSERT_TRUE(WriteSettingsValue(platform, PlaceOfKey(&SettingsRecord::Name), "Zelluo & <Grüße> \"\xF0\x9F\x8E\xAC\""));
  SettingsRecord record = DefaultSettings({6, 12, 2026});
  EXPECT_NE(File().find("Value=\"Zelluo &amp; &lt;Grüße&gt; &quot;\xF0\x9F\x8E\xAC&quot;\""),
            std::string::npos);
  ReadAllSettings(platform, record);
  EXPECT_EQ(record.Name, "Zelluo & <Grüße> \"\xF0\x9F\x8E\xAC\"");
}

TEST_F(SettingsFileOnDisk, WriteRefusesADamagedFileAndLeavesItAlone) {
  std::string damaged = CreatedSettingsFile().substr(0, 400);
  WriteBytes(dir / "Zelluo Files/Zelluo.xml", damaged);
  EXPECT_FALSE(WriteSettingsValue(platform, kStartPageKey, "Main"));
  EXPECT_EQ(File(), damaged);
}

TEST_F(SettingsFileOnDisk, WriteNeverLeavesBytesThatDoNotParseAgain) {
  // A UTF-16 file whose extra key has a name that expat takes in UTF-16 but
  // not in UTF-8, the encoding every rewrite uses.
  std::string text = CreatedSettingsFile();
  text.replace(text.find("<Key_StartTray"), 0, "<Key_\u00B5 Value=\"1\"/>\r\n    ");
  text.replace(text.find("UTF-8"), 5, "UTF-16");
  std::string utf16 = "\xFF\xFE";
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\xC2\xB5") == 0) {
      utf16 += std::string("\xB5\0", 2);
      ++i;
    } else {
      utf16 += text[i];
      utf16 += '\0';
    }
  }
  WriteBytes(dir / "Zelluo Files/Zelluo.xml", utf16);
  SettingsRecord record = DefaultSettings({6, 12, 2026});
  ReadAllSettings(platform, record);
  // It is read (keys go by position: the extra key's value lands in StartTray).
  ASSERT_EQ(record.StartTray, 1);

  EXPECT_FALSE(WriteSettingsValue(platform, kStartPageKey, "Options"));
  EXPECT_EQ(File(), utf16);
}

TEST_F(SettingsFileOnDisk, KeysAreFoundByPositionNotByName) {
  std::string file = CreatedSettingsFile();
  // A renamed key is still read; an inserted key shifts every later key.
  file.replace(file.find("Key_Name"), 8, "Key_Titel");
  file.replace(file.find("<Key_StartTray"), 0, "<Key_Extra Value=\"1\"/>\r\n    ");
  file = WithValue(file, "Key_Titel", "Filme");
  file = WithValue(file, "Key_Fadeout", "1");
  WriteBytes(dir / "Zelluo Files/Zelluo.xml", file);

  SettingsRecord record = DefaultSettings({6, 12, 2026});
  ReadAllSettings(platform, record);
  EXPECT_EQ(record.Name, "Filme");
  EXPECT_EQ(record.StartTray, 1);     // Key_Extra stands first now
  EXPECT_EQ(record.IgnoreRes, 1);     // read from Key_Fadeout's place
  EXPECT_EQ(record.Sound, 0);         // from Key_IgnoreRes
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SettingsFileOnDisk, MissingGroupsAndKeysKeepTheValuesHeld) {
  WriteBytes(dir / "Zelluo Files/Zelluo.xml",
             "<?xml version=\"1.0\"?>\r\n<Root>\r\n  <HKey_Application>\r\n"
             "    <Key_Name Value=\"Kino\"/>\r\n    <Key_Version/>\r\n  </HKey_Application>\r\n"
             "</Root>\r\n");
  SettingsRecord record = DefaultSettings({6, 12, 2026});
  record.Sound = 1;
  record.StartPage = "Main";
  ReadAllSettings(platform, record);
  EXPECT_EQ(record.Name, "Kino");
  EXPECT_EQ(record.Version, "");  // present without Value: empty text
  EXPECT_EQ(record.StartPage, "Main");
  EXPECT_EQ(record.Sound, 1);
  EXPECT_EQ(record.Theme, "Default");
  EXPECT_FALSE(WriteSettingsValue(platform, PlaceOfKey(&SettingsRecord::Sound), "0"));
}

}  // namespace
}  // namespace zelluo
