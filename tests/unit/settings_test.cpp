// The settings record and store: lenient numbers, dates, keys read by
// position, and writes that never damage a file.
#include <gtest/gtest.h>

#include <sstream>

#include "../test_support.h"
#include "platform/headless/headless_platform.h"
#include "settings/settings_store.h"

namespace zelluo {
namespace {

using testing::CorpusFile;
using testing::ReadBytes;
using testing::WithValue;

TEST(LenientInteger, ReadsFlagsTheWayHandEditedFilesWriteThem) {
  // clang-format off
  const std::pair<const char*, int32_t> rows[] = {
      {"1", 1},        {"0", 0},     {"", 0},       {"yes", 0},    {" 1", 1},      {"\t 1", 1},
      {"1 ", 1},       {"12abc", 12}, {"+7", 7},     {"-3", -3},    {"--3", 0},     {"- 3", 0},
      {"$1", 1},       {"$ff", 255}, {"$FF", 255},  {"$1G", 1},    {"-$10", -16},  {"%101", 5},
      {"%102", 2},     {"%", 0},     {"$", 0},      {"1.5", 1},    {"007", 7},     {" x1", 0},
      {"$FFFFFFFF", -1}, {"4294967297", 1},  // the low 32 bits
      {"2147483647", 2147483647},    {"-2147483648", INT32_MIN},
  };
  // clang-format on
  for (const auto& [text, value] : rows)
    EXPECT_EQ(settings::ParseLenientInteger(text), value) << '"' << text << '"';
  EXPECT_EQ(settings::FormatDate({6, 12, 2026}), "06/12/2026");
  EXPECT_EQ(settings::FormatDate({31, 1, 999}), "31/01/0999");
}

std::string Describe(const settings::SettingsRecord& r) {
  std::ostringstream out;
  out << r.Name << '|' << r.Version << '|' << r.Update << '|' << r.StartPage << '|' << r.StartTray
      << ',' << r.StartMinimize << ',' << r.AutoUpdate << '|' << r.Language << '|' << r.Theme << '|'
      << r.Log << ',' << r.Fadeout << ',' << r.IgnoreRes << ',' << r.Sound;
  return out.str();
}

// A UTF-16 file with an extra key whose name expat takes in UTF-16 but not in
// UTF-8, the encoding every rewrite uses.
std::string Utf16WithMicroKey() {
  std::string text = CorpusFile("created.xml");
  text.replace(text.find("<Key_StartTray"), 0, "<Key_\xB5 Value=\"1\"/>\r\n    ");
  text.replace(text.find("UTF-8"), 5, "UTF-16");
  std::string utf16 = "\xFF\xFE";
  for (char c : text) utf16 += {c, '\0'};
  return utf16;
}

TEST(SettingsStore, ReadsKeysByPositionAndWritesOnlyWhatReadsBackWhole) {
  const std::string created = CorpusFile("created.xml");
  std::string shifted = WithValue(WithValue(created, "Key_Name", "Filme"), "Key_Fadeout", "1");
  shifted.replace(shifted.find("Key_Name"), 8, "Key_Titel");
  shifted.replace(shifted.find("<Key_StartTray"), 0, "<Key_Extra Value=\"1\"/>\r\n    ");
  std::string values = created;
  // clang-format off
  for (auto [key, value] : {std::pair{"Key_StartTray", "1"}, {"Key_StartMinimize", "2"},
                            {"Key_AutoUpdate", "$10"},  {"Key_Language", "English"},
                            {"Key_Theme", "Blue"},      {"Key_StartPage", "About"}}) {
    values = WithValue(values, key, value);
  }
  // clang-format on
  const std::string sparse =
      "<?xml version=\"1.0\"?>\r\n<Root>\r\n  <HKey_Application>\r\n    <Key_Name "
      "Value=\"Kino\"/>\r\n"
      "    <Key_Version/>\r\n  </HKey_Application>\r\n</Root>\r\n";
  const std::string unread = "Zelluo||07/12/2026|Main|0,0,0|German|Default|0,0,0,1";
  struct Row {
    std::string file;  // empty: none
    std::string record;
    const char* message;
  };
  const Row rows[] = {
      {values, "Zelluo|1.0.0.0|06/12/2026|About|1,2,16|English|Blue|0,0,0,1", ""},
      // An inserted key shifts every later key; a renamed one is still read.
      {shifted, "Filme|1.0.0.0|06/12/2026|Main|1,0,0|0|German|0,0,1,0", ""},
      {Utf16WithMicroKey(), "Zelluo|1.0.0.0|06/12/2026|Main|1,0,0|0|German|0,0,0,0", ""},
      // Missing groups and keys keep what the record holds; no Value is empty.
      {sparse, "Kino||07/12/2026|Main|0,0,0|German|Default|0,0,0,1", ""},
      {created.substr(0, created.rfind("</Root>")), unread, "Error"},
      {"<?xml version=\"1.0\"?>\r\n<!-- nichts -->", unread, "Error"},
      {"", unread, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.record);
    testing::TempDir dir;
    platform::HeadlessPlatform platform(dir.Path());
    if (!row.file.empty()) testing::WriteBytes(dir / "Zelluo Files/Zelluo.xml", row.file);
    settings::SettingsRecord record = settings::DefaultSettings({7, 12, 2026});
    record.Update = record.Today;
    settings::ReadAllSettings(platform, record);
    EXPECT_EQ(Describe(record), row.record);
    EXPECT_EQ(platform.messages.empty() ? "" : platform.messages[0].title, row.message);
    // Every file here but the first two refuses a write of its Sound key and stays as it is.
    const bool writes = settings::WriteSettingsValue(platform, {2, 9}, "0");
    EXPECT_EQ(writes, row.file == values || row.file == shifted);
    EXPECT_TRUE(writes || ReadBytes(dir / "Zelluo Files/Zelluo.xml") == row.file);
  }
}

}  // namespace
}  // namespace zelluo
