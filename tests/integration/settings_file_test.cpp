// The settings file through whole starts of the program: the corpus of
// damaged and hand-edited files under tests/data/settings, a ten-megabyte
// file, and every save failing at each step of the atomic write.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "program.h"

namespace zelluo::testing {
namespace {

// The files in the settings folder other than the settings file and the decoys.
std::string StrayFiles(const Program& run) {
  std::string names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(run.dir / "Zelluo Files", error)) {
    const std::string name = entry.path().filename().string();
    if (name != "Zelluo.xml" && name != "geheim.txt" && name != "geheim.dtd") names += name + " ";
  }
  return names;
}

// What the external entities and the external DTD of the corpus point at. If
// the program ever read them, the secret would show up in a value or the DTD
// would switch Key_Log on.
const char* const kSecret = "GEHEIM-1234";

TEST(SettingsCorpus, EachFileGivesItsBoxesAndIsKeptOrRewrittenAsListed) {
  std::ifstream table(std::string(ZELLUO_SOURCE_DIR) + "/tests/data/settings/expected.txt");
  std::set<std::string> listed;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cell;  // file, boxes, afterwards[, message, line, column]
    std::stringstream cells(line);
    for (std::string text; std::getline(cells, text, '\t');) cell.push_back(text);
    cell.resize(6);
    SCOPED_TRACE(cell[0]);
    EXPECT_TRUE(listed.insert(cell[0]).second) << "listed twice";
    const std::string original = CorpusFile(cell[0]);
    Program run(original);
    for (const std::string& folder : {run.dir.Path(), run.dir / "Zelluo Files"}) {
      WriteBytes(folder + "/geheim.txt", kSecret);
      WriteBytes(folder + "/geheim.dtd", "<!ATTLIST Key_Log Value CDATA \"1\">\n");
    }
    run.Run();
    const std::map<std::string, std::string> boxes = {
        {"none", ""},
        {"info", "Info: Zelluo.xml geladen | Info: RootNode gefunden | Info: MainNode gefunden"},
        {"error", "Error: Error in the XML file:\rMessage: " + cell[3] + "\rLine: " + cell[4] +
                      "   Character: " + cell[5]}};
    ASSERT_TRUE(boxes.contains(cell[1]));
    EXPECT_EQ(run.Messages(), boxes.at(cell[1]));
    const std::map<std::string, std::string> after = {
        {"untouched", original},
        {"recreated", CorpusFile("created.xml")},
        {"rewritten", CorpusFile("after/" + cell[0])}};
    ASSERT_TRUE(after.contains(cell[2]));
    const std::string now = run.Saved();
    EXPECT_EQ(now, after.at(cell[2]));
    EXPECT_EQ(run.Count("WriteFileAtomic"), cell[2] == "untouched" ? 0u : 1u);
    EXPECT_EQ(now.find(kSecret), std::string::npos);
    EXPECT_EQ(StrayFiles(run), "");
    if (cell[2] != "untouched") {
      // What the program wrote reads back, and the next start leaves it be.
      Program again(now);
      again.Run();
      EXPECT_EQ(again.Messages().find("Error"), std::string::npos);
      EXPECT_EQ(again.Count("WriteFileAtomic"), 0u);
    }
  }
  std::set<std::string> present;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(ZELLUO_SOURCE_DIR) +
                                                               "/tests/data/settings")) {
    if (entry.path().extension() == ".xml") present.insert(entry.path().filename().string());
  }
  EXPECT_EQ(listed, present);
}

// About 10 MB of 1 KB comments on one line in front of the end tag of Root,
// with Key_Log 1 and the start page Options: read, then reset to Main with
// every comment kept.
TEST(SettingsFile, TenMegabytesOfCommentsAreReadAndSurviveTheStartPageReset) {
  std::string comment = "<!-- ";
  while (comment.size() < 1024) comment += "Filmsammlung mit Ümlauten und <Klammern> & Zeichen. ";
  comment += "-->";
  std::string comments = "  ";
  while (comments.size() < 10 * 1024 * 1024) comments += comment;
  std::string file =
      WithValue(WithValue(CorpusFile("created.xml"), "Key_Log", "1"), "Key_StartPage", "Options");
  file.insert(file.find("</Root>"), comments + "\r\n");
  Program run(file);
  run.Run();
  EXPECT_EQ(run.Messages(),
            "Info: Zelluo.xml geladen | Info: RootNode gefunden | Info: MainNode gefunden");
  const std::string now = run.Saved();
  EXPECT_NE(now.find("<Key_StartPage Value=\"Main\"/>"), std::string::npos);
  auto count = [&comment](const std::string& text) {
    size_t n = 0;
    for (size_t at = text.find(comment); at != std::string::npos; at = text.find(comment, at + 1))
      ++n;
    return n;
  };
  EXPECT_GT(count(file), 9000u);
  EXPECT_EQ(count(now), count(file));
}

// A file that opens but cannot be read to its end did not load: the program
// starts on its defaults, says so like for a file that does not parse, and
// never writes the defaults over the user's settings.
TEST(SettingsFile, AFileThatCannotBeReadIsReportedAndNeverReplaced) {
  const std::string mine =
      WithValue(WithValue(CorpusFile("created.xml"), "Key_Sound", "0"), "Key_StartPage", "Options");
  Program run(mine);
  run.p.readFault = true;
  run.Run({Click(102)});
  EXPECT_EQ(run.Saved(), mine);
  EXPECT_EQ(run.Count("WriteFileAtomic"), 0u);
  EXPECT_EQ(run.Messages(), "Error: Error in the XML file:\rMessage: the file could not be read");
  EXPECT_EQ(run.Count("PlaySound"), 1u);  // the defaults: Sound 1, the Main page
}

TEST(SaveFaults, AFailedStepKeepsThePreviousFileLeavesNoTemporaryFileAndTheProgramGoesOn) {
  using platform::os::WriteStep;
  const std::string created = CorpusFile("created.xml");
  const std::string rewritten = CorpusFile("rewritten.xml");
  const std::string options = WithValue(created, "Key_StartPage", "Options");
  struct SavePath {
    const char* name;
    std::optional<std::string> before;
    size_t failures;  // the first writes that fail
    std::vector<platform::ScriptedEvent> script;
    std::optional<std::string> after;
    size_t failedSaves;
    int restarts;
  };
  const SavePath paths[] = {
      {"creation", std::nullopt, 9, {}, std::nullopt, 2, 0},
      {"creation failing once", std::nullopt, 1, {}, created, 1, 0},
      // A failed save is not noticed: the restart happens as after a good one.
      {"option change", created, 9, {Click(103), Click(406)}, created, 1, 1},
      {"option change after a rewrite", rewritten, 9, {Click(103), Click(406)}, rewritten, 1, 1},
      {"start-page reset", options, 9, {}, options, 1, 0},
  };
  for (platform::os::WriteStep step :
       {WriteStep::Open, WriteStep::Write, WriteStep::Sync, WriteStep::Close, WriteStep::Rename}) {
    for (const SavePath& path : paths) {
      for (bool folder : {false, true}) {
        if (path.before && !folder) continue;  // a file stands in its folder
        SCOPED_TRACE(std::string(path.name) + ", step " + std::to_string(static_cast<int>(step)) +
                     (folder ? ", folder there" : ""));
        Program run(path.before);
        if (folder) std::filesystem::create_directories(run.dir / "Zelluo Files");
        run.p.answers = {platform::MessageAnswer::Yes};
        run.p.writeFault = [&run, step, failures = path.failures](WriteStep at) {
          return at != step || run.Count("WriteFileAtomic") >= failures;
        };
        run.Run(path.script);
        if (path.after) {
          EXPECT_EQ(run.Saved(), *path.after);
        } else {
          EXPECT_FALSE(std::filesystem::exists(run.File()));
        }
        EXPECT_EQ(StrayFiles(run), "");
        const auto saves = run.p.TraceOf("WriteFileAtomic");
        EXPECT_EQ(std::count_if(saves.begin(), saves.end(),
                                [](const std::string& s) { return s.ends_with(" failed"); }),
                  path.failedSaves);
        EXPECT_EQ(run.p.processesStarted, path.restarts);
        EXPECT_EQ(run.Count("OpenWindow"), 1u);
        EXPECT_EQ(run.p.messages.size(), static_cast<size_t>(path.restarts));  // the question
      }
    }
  }
  // Once the new file has its name, a failed sync of the folder loses nothing.
  Program run;
  run.p.answers = {platform::MessageAnswer::Yes};
  run.p.writeFault = [](WriteStep at) { return at != WriteStep::SyncFolder; };
  run.Run({Click(103), Click(422)});
  EXPECT_EQ(run.Saved(),
            WithValue(WithValue(rewritten, "Key_Sound", "0"), "Key_StartPage", "Options"));
  EXPECT_EQ(StrayFiles(run), "");
}

}  // namespace
}  // namespace zelluo::testing
