// Damaged and hand-edited settings files through the whole start-up: the
// message boxes each one must produce, and what may become of the file. The
// corpus and its expectations are under tests/data/settings (written by
// tests/data/make_settings_corpus.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../test_support.h"
#include "core/application.h"
#include "platform/headless/headless_platform.h"
#include "settings/xml_document.h"

namespace zelluo {
namespace {

using testing::CreatedSettingsFile;
using testing::ReadBytes;
using testing::TempDir;
using testing::WithValue;
using testing::WriteBytes;

const std::string kCorpus = std::string(ZELLUO_SOURCE_DIR) + "/tests/data/settings/";
const Event kEscape{EventKind::Menu, 1, 0};
const char* const kInfoTexts[] = {"Zelluo.xml geladen", "RootNode gefunden", "MainNode gefunden"};
// What the external entities and the external DTD of the corpus point at. If
// the program ever read them, the secret would show up in a value or the DTD
// would switch Key_Log on.
const char* const kSecret = "GEHEIM-1234";
const char* const kSecretDtd = "<!ATTLIST Key_Log Value CDATA \"1\">\n";

struct Variant {
  std::string file;
  std::string boxes;  // none, info or error
  std::string after;  // untouched, recreated or rewritten
  std::string message;
  int line = 0;
  int column = 0;
};

// Test names and failure messages show the file rather than the bytes.
void PrintTo(const Variant& v, std::ostream* out) { *out << v.file; }

std::vector<Variant> LoadExpectations() {
  std::vector<Variant> variants;
  std::ifstream in(kCorpus + "expected.txt");
  std::string row;
  while (std::getline(in, row)) {
    if (row.empty() || row[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream cellsIn(row);
    for (std::string cell; std::getline(cellsIn, cell, '\t');) cells.push_back(cell);
    // An error row whose message is empty ends in two tabs, which getline
    // drops at the end; pad to the full width.
    cells.resize(std::max<size_t>(cells.size(), 6));
    Variant v{cells[0], cells[1], cells[2], cells[3], 0, 0};
    if (v.boxes == "error") {
      v.line = std::stoi(cells[4]);
      v.column = std::stoi(cells[5]);
    }
    variants.push_back(v);
  }
  return variants;
}

std::string ErrorReport(const std::string& message, int line, int column) {
  return "Error in the XML file:\rMessage: " + message + "\rLine: " + std::to_string(line) +
         "   Character: " + std::to_string(column);
}

// Runs the program once in a fresh folder with bytes as its settings file and
// the decoy files next to it.
class CorpusRun {
 public:
  explicit CorpusRun(const std::string& bytes) {
    WriteBytes(SettingsFile(), bytes);
    for (const std::string& folder : {dir.Path(), dir / "Zelluo Files"}) {
      WriteBytes(folder + "/geheim.txt", kSecret);
      WriteBytes(folder + "/geheim.dtd", kSecretDtd);
    }
    platform.events.push_back(kEscape);
  }

  void Run() {
    EXPECT_EQ(RunApplication(platform), 0);
    EXPECT_FALSE(platform.timedOut) << "Escape did not end the program";
  }

  std::string SettingsFile() { return dir / "Zelluo Files/Zelluo.xml"; }

  // Everything in the settings folder apart from the file and the decoys.
  std::vector<std::string> StrayFiles() {
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "Zelluo Files")) {
      std::string name = entry.path().filename().string();
      if (name != "Zelluo.xml" && name != "geheim.txt" && name != "geheim.dtd") {
        stray.push_back(name);
      }
    }
    return stray;
  }

  TempDir dir;
  HeadlessPlatform platform{dir.Path()};
};

void ExpectBoxes(const HeadlessPlatform& platform, const Variant& v) {
  const auto& messages = platform.messages;
  if (v.boxes == "none") {
    for (const auto& m : messages) ADD_FAILURE() << "unexpected box " << m.title << ": " << m.text;
  } else if (v.boxes == "info") {
    ASSERT_EQ(messages.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(messages[i].title, "Info");
      EXPECT_EQ(messages[i].text, kInfoTexts[i]);
      EXPECT_EQ(messages[i].buttons, MessageButtons::Ok);
    }
  } else {
    ASSERT_EQ(v.boxes, "error") << "bad row in expected.txt";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Error");
    EXPECT_EQ(messages[0].text, ErrorReport(v.message, v.line, v.column));
  }
}

class SettingsCorpus : public ::testing::TestWithParam<Variant> {};

TEST_P(SettingsCorpus, StartUpShowsTheExpectedBoxesAndKeepsTheFile) {
  const Variant& v = GetParam();
  const std::string original = ReadBytes(kCorpus + v.file);
  ASSERT_TRUE(std::filesystem::exists(kCorpus + v.file));
  CorpusRun run(original);
  run.Run();
  ExpectBoxes(run.platform, v);

  const std::string now = ReadBytes(run.SettingsFile());
  const size_t writes = run.platform.TraceOf("WriteFileAtomic").size();
  if (v.after == "untouched") {
    EXPECT_EQ(writes, 0u);
    EXPECT_EQ(now, original);
  } else if (v.after == "recreated") {
    EXPECT_EQ(writes, 1u);
    EXPECT_EQ(now, CreatedSettingsFile());
  } else {
    ASSERT_EQ(v.after, "rewritten") << "bad row in expected.txt";
    EXPECT_EQ(writes, 1u);
    EXPECT_EQ(now, ReadBytes(kCorpus + "after/" + v.file));
  }
  EXPECT_EQ(now.find(kSecret), std::string::npos);
  EXPECT_EQ(run.StrayFiles(), std::vector<std::string>{});

  if (v.after != "untouched") {
    // Whatever the program wrote reads back, and the next start leaves it be.
    auto document = ParseDocument(now, XmlEncoding::Utf8);
    ASSERT_TRUE(document);
    EXPECT_EQ(DocumentStatus(*document), 0);
    CorpusRun again(now);
    again.Run();
    EXPECT_TRUE(again.platform.TraceOf("WriteFileAtomic").empty());
    EXPECT_EQ(ReadBytes(again.SettingsFile()), now);
  }
}

std::string VariantName(const ::testing::TestParamInfo<Variant>& info) {
  std::string name = info.param.file.substr(0, info.param.file.rfind('.'));
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Variants, SettingsCorpus, ::testing::ValuesIn(LoadExpectations()),
                         VariantName);

TEST(SettingsCorpusTable, CoversEveryFileOfTheCorpusOnce) {
  std::vector<Variant> variants = LoadExpectations();
  EXPECT_GE(variants.size(), 40u);
  std::set<std::string> listed;
  std::set<std::string> outcomes;
  for (const Variant& v : variants) {
    EXPECT_TRUE(listed.insert(v.file).second) << v.file << " listed twice";
    outcomes.insert(v.boxes + "/" + v.after);
  }
  std::set<std::string> present;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    if (entry.path().extension() == ".xml") present.insert(entry.path().filename().string());
  }
  EXPECT_EQ(listed, present);
  // Every kind of outcome is represented.
  for (const char* outcome : {"none/untouched", "info/untouched", "error/untouched",
                              "none/recreated", "none/rewritten", "info/rewritten"}) {
    EXPECT_TRUE(outcomes.count(outcome)) << outcome;
  }
}

// ------------------------------------------------------ ten megabytes ----

// The created file with Key_Log 1 and about 10 MB of comments on one line in
// front of the end tag of Root, so that the line numbers stay those of the
// normal file. Many comments of 1 KB rather than one huge one: expat buffers
// an unfinished token and scans it again with every 16 KB chunk, so a single
// 10 MB token costs seconds per load (bench/settings_benchmark measures that).
std::string HugeSettingsFile() {
  std::string file = WithValue(CreatedSettingsFile(), "Key_Log", "1");
  std::string comment = "<!-- ";
  const std::string words = "Filmsammlung mit Ümlauten und <Klammern> & Zeichen. ";
  while (comment.size() < 1024) comment += words;
  comment += "-->";
  std::string comments = "  ";
  while (comments.size() < 10 * 1024 * 1024) comments += comment;
  file.insert(file.find("</Root>"), comments + "\r\n");
  return file;
}

TEST(HugeSettingsFile, TenMegabytesParseAndStayUntouched) {
  const std::string file = HugeSettingsFile();
  ASSERT_GT(file.size(), 10u * 1024 * 1024);
  CorpusRun run(file);
  run.Run();
  ExpectBoxes(run.platform, Variant{"", "info", "untouched", "", 0, 0});
  EXPECT_TRUE(run.platform.TraceOf("WriteFileAtomic").empty());
  EXPECT_TRUE(ReadBytes(run.SettingsFile()) == file);
}

TEST(HugeSettingsFile, TenMegabytesCutBeforeTheEndTagAreReportedAtTheEnd) {
  std::string file = HugeSettingsFile();
  file.resize(file.find("</Root>"));
  CorpusRun run(file);
  run.Run();
  // The comments sit on line 29, so the input ends at the start of line 30.
  ExpectBoxes(run.platform, Variant{"", "error", "untouched", "no element found", 30, 1});
  EXPECT_TRUE(ReadBytes(run.SettingsFile()) == file);
}

TEST(HugeSettingsFile, TenMegabytesWithStartPageOptionsKeepTheCommentsOnReset) {
  std::string file = WithValue(HugeSettingsFile(), "Key_StartPage", "Options");
  CorpusRun run(file);
  run.Run();
  const std::string now = ReadBytes(run.SettingsFile());
  EXPECT_EQ(run.platform.TraceOf("WriteFileAtomic").size(), 1u);
  // The reset changes only the start page and the layout; every comment
  // survives whole.
  const std::string comment =
      file.substr(file.find("<!--"), file.find("-->") + 3 - file.find("<!--"));
  auto count = [&comment](const std::string& text) {
    size_t n = 0;
    for (size_t at = text.find(comment); at != std::string::npos; at = text.find(comment, at + 1)) {
      ++n;
    }
    return n;
  };
  EXPECT_GT(count(file), 9000u);
  EXPECT_EQ(count(now), count(file));
  EXPECT_NE(now.find("<Key_StartPage Value=\"Main\"/>"), std::string::npos);
  EXPECT_EQ(now.find("Value=\"Options\""), std::string::npos);
  EXPECT_EQ(run.StrayFiles(), std::vector<std::string>{});
}

}  // namespace
}  // namespace zelluo
