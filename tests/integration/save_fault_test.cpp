// Every save of the settings file, from the whole program, against a failure
// at each step of the atomic write: the previous file stays byte for byte (or
// stays absent), no temporary file is left behind, and the program goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../test_support.h"
#include "core/application.h"
#include "platform/headless/headless_platform.h"

namespace zelluo {
namespace {

using os::WriteStep;
using testing::CreatedSettingsFile;
using testing::ReadBytes;
using testing::RewrittenSettingsFile;
using testing::TempDir;
using testing::WithValue;
using testing::WriteBytes;

const Event kEscape{EventKind::Menu, 1, 0};
const WriteStep kFailingSteps[] = {WriteStep::Open, WriteStep::Write, WriteStep::Sync,
                                   WriteStep::Close, WriteStep::Rename};

const char* StepName(WriteStep step) {
  switch (step) {
    case WriteStep::Open:
      return "Open";
    case WriteStep::Write:
      return "Write";
    case WriteStep::Sync:
      return "Sync";
    case WriteStep::Close:
      return "Close";
    case WriteStep::Rename:
      return "Rename";
    case WriteStep::SyncFolder:
      return "SyncFolder";
  }
  return "?";
}

// One run of the program whose writes fail at one step: every time, or only
// once, after that step has come up `skip` times.
class FaultyRun {
 public:
  FaultyRun(WriteStep failing, bool everyTime, int skip = 0) {
    platform.writeFault = [this, failing, everyTime, skip](WriteStep step) mutable {
      steps.push_back(step);
      if (step != failing || (injected > 0 && !everyTime) || skip-- > 0) return true;
      ++injected;
      return false;
    };
  }

  std::string Folder() { return dir / "Zelluo Files"; }
  std::string SettingsFile() { return dir / "Zelluo Files/Zelluo.xml"; }
  bool Exists() { return std::filesystem::exists(SettingsFile()); }

  // Runs the program on the script; it must end by itself with exit code 0.
  void Run(std::vector<ScriptedEvent> script) {
    platform.events.assign(script.begin(), script.end());
    EXPECT_EQ(RunApplication(platform), 0);
    EXPECT_FALSE(platform.timedOut) << "the program did not end";
  }

  // Files in the settings folder other than the settings file.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    if (!std::filesystem::is_directory(Folder())) return names;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
      if (entry.path().filename() != "Zelluo.xml") {
        names.push_back(entry.path().filename().string());
      }
    }
    return names;
  }

  size_t FailedSaves() {
    auto saves = platform.TraceOf("WriteFileAtomic");
    return std::count_if(saves.begin(), saves.end(),
                         [](const std::string& line) { return line.ends_with(" failed"); });
  }

  TempDir dir;
  HeadlessPlatform platform{dir.Path()};
  std::vector<WriteStep> steps;
  int injected = 0;
};

Event Click(int32_t gadget) { return Event{EventKind::Gadget, gadget, 0}; }

// ------------------------------------------------------------- creation ----

TEST(SaveFaults, CreationThatAlwaysFailsLeavesNoFileAndStartsOnTheDefaults) {
  for (bool folderThere : {false, true}) {
    for (WriteStep step : kFailingSteps) {
      SCOPED_TRACE(std::string(StepName(step)) + (folderThere ? ", folder there" : ""));
      FaultyRun run(step, true);
      if (folderThere) std::filesystem::create_directory(run.Folder());
      run.Run({kEscape});
      EXPECT_GT(run.injected, 0);
      EXPECT_FALSE(run.Exists());
      EXPECT_EQ(run.Leftovers(), std::vector<std::string>{});
      // Both passes of start-up try to create the file; nothing else writes.
      EXPECT_EQ(run.platform.TraceOf("WriteFileAtomic").size(), 2u);
      EXPECT_EQ(run.FailedSaves(), 2u);
      // The defaults pass the gate at 1280 x 1024 and the window opens.
      EXPECT_TRUE(run.platform.messages.empty());
      EXPECT_FALSE(run.platform.TraceOf("OpenWindow").empty());
    }
  }
}

TEST(SaveFaults, CreationThatFailsOnceIsDoneByTheSecondPass) {
  for (WriteStep step : kFailingSteps) {
    SCOPED_TRACE(StepName(step));
    // Creating the folder asks for Open too; let that one pass.
    FaultyRun run(step, false, step == WriteStep::Open ? 1 : 0);
    std::filesystem::create_directory(run.Folder());
    run.Run({kEscape});
    EXPECT_EQ(run.injected, 1);
    EXPECT_EQ(ReadBytes(run.SettingsFile()), CreatedSettingsFile());
    EXPECT_EQ(run.Leftovers(), std::vector<std::string>{});
    EXPECT_EQ(run.FailedSaves(), 1u);
  }
}

// -------------------------------------------------------- option change ----

TEST(SaveFaults, FailedOptionSaveKeepsTheFileAndStillRestarts) {
  for (const std::string& before : {CreatedSettingsFile(), RewrittenSettingsFile()}) {
    for (WriteStep step : kFailingSteps) {
      SCOPED_TRACE(StepName(step));
      FaultyRun run(step, true);
      WriteBytes(run.SettingsFile(), before);
      run.platform.answers = {MessageAnswer::Yes};
      // Options icon, then the on switch of "Im Tray starten".
      run.Run({Click(103), Click(406)});
      EXPECT_EQ(run.injected, 1);
      EXPECT_EQ(ReadBytes(run.SettingsFile()), before);
      EXPECT_EQ(run.Leftovers(), std::vector<std::string>{});
      EXPECT_EQ(run.FailedSaves(), 1u);
      // A failed save is not noticed: the restart happens as after a good one.
      EXPECT_EQ(run.platform.processesStarted, 1);
      ASSERT_EQ(run.platform.messages.size(), 1u);
      EXPECT_EQ(run.platform.messages[0].text, "Änderung übernehmen?");
    }
  }
}

// ------------------------------------------------------ start-page reset ----

TEST(SaveFaults, FailedStartPageResetKeepsTheFileAndShowsTheOptionsPage) {
  const std::string before = WithValue(CreatedSettingsFile(), "Key_StartPage", "Options");
  for (WriteStep step : kFailingSteps) {
    SCOPED_TRACE(StepName(step));
    FaultyRun run(step, true);
    WriteBytes(run.SettingsFile(), before);
    run.Run({kEscape});
    EXPECT_EQ(run.injected, 1);
    EXPECT_EQ(ReadBytes(run.SettingsFile()), before);
    EXPECT_EQ(run.Leftovers(), std::vector<std::string>{});
    EXPECT_EQ(run.FailedSaves(), 1u);
    EXPECT_TRUE(run.platform.messages.empty());
    EXPECT_NE(std::find(run.platform.trace.begin(), run.platform.trace.end(), "ShowGadget 400"),
              run.platform.trace.end());
    EXPECT_EQ(run.platform.processesStarted, 0);
  }
}

// ------------------------------------------ after the rename, and no fault ----

// Once the new file has its name, a failed sync of the folder loses nothing:
// every save path then leaves the new content in place.
TEST(SaveFaults, AFailureAfterTheRenameKeepsTheNewFile) {
  {
    FaultyRun run(WriteStep::SyncFolder, true);
    run.Run({kEscape});
    EXPECT_EQ(run.injected, 1);
    EXPECT_EQ(ReadBytes(run.SettingsFile()), CreatedSettingsFile());
    EXPECT_EQ(run.FailedSaves(), 0u);
  }
  {
    FaultyRun run(WriteStep::SyncFolder, true);
    WriteBytes(run.SettingsFile(), CreatedSettingsFile());
    run.platform.answers = {MessageAnswer::Yes};
    run.Run({Click(103), Click(422)});
    EXPECT_EQ(ReadBytes(run.SettingsFile()),
              WithValue(WithValue(RewrittenSettingsFile(), "Key_Sound", "0"), "Key_StartPage",
                        "Options"));
    EXPECT_EQ(run.Leftovers(), std::vector<std::string>{});
  }
  {
    FaultyRun run(WriteStep::SyncFolder, true);
    WriteBytes(run.SettingsFile(), WithValue(CreatedSettingsFile(), "Key_StartPage", "Options"));
    run.Run({kEscape});
    EXPECT_EQ(ReadBytes(run.SettingsFile()), RewrittenSettingsFile());
    EXPECT_EQ(run.Leftovers(), std::vector<std::string>{});
  }
}

// Each save path goes through every step of the atomic write in order, so the
// faults above really hit the write they are meant for.
TEST(SaveFaults, EverySavePathTakesAllStepsInOrder) {
  const std::vector<WriteStep> all = {WriteStep::Open,  WriteStep::Write,  WriteStep::Sync,
                                      WriteStep::Close, WriteStep::Rename, WriteStep::SyncFolder};
  auto stepsOfTheSave = [](const std::vector<WriteStep>& steps) {
    // CreateFolder asks for Open too; keep the run from the last Open on.
    auto last = std::find(steps.rbegin(), steps.rend(), WriteStep::Open);
    return std::vector<WriteStep>(last.base() - 1, steps.end());
  };
  {
    FaultyRun run(WriteStep::SyncFolder, false);
    run.injected = 1;  // no fault, only the record of the steps
    WriteBytes(run.SettingsFile(), WithValue(CreatedSettingsFile(), "Key_StartPage", "Options"));
    run.Run({kEscape});
    EXPECT_EQ(stepsOfTheSave(run.steps), all);
  }
  {
    FaultyRun run(WriteStep::SyncFolder, false);
    run.injected = 1;
    WriteBytes(run.SettingsFile(), CreatedSettingsFile());
    run.platform.answers = {MessageAnswer::Yes};
    run.Run({Click(103), Click(407)});
    EXPECT_EQ(stepsOfTheSave(run.steps), all);
  }
}

}  // namespace
}  // namespace zelluo
