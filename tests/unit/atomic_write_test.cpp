#include <gtest/gtest.h>

#include <filesystem>

#include "../test_support.h"
#include "platform/os_services.h"

namespace zelluo {
namespace {

using os::WriteStep;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

size_t FilesIn(const std::string& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(AtomicWrite, ReplacesTheWholeFile) {
  TempDir dir;
  WriteBytes(dir / "a.xml", "old content that is longer than the new one");
  ASSERT_TRUE(os::WriteFileAtomic(dir / "a.xml", "new"));
  EXPECT_EQ(ReadBytes(dir / "a.xml"), "new");
  EXPECT_EQ(FilesIn(dir.Path()), 1u);
}

TEST(AtomicWrite, AFailureAtAnyStepKeepsThePreviousFileByteIdentical) {
  const std::string previous = "<Root>\r\n  <Key Value=\"1\"/>\r\n</Root>\r\n";
  const std::string next(100000, 'x');
  for (WriteStep failing : {WriteStep::Open, WriteStep::Write, WriteStep::Sync, WriteStep::Close,
                            WriteStep::Rename}) {
    TempDir dir;
    WriteBytes(dir / "a.xml", previous);
    auto hook = [&](WriteStep step) { return step != failing; };
    EXPECT_FALSE(os::WriteFileAtomic(dir / "a.xml", next, hook))
        << "step " << static_cast<int>(failing);
    EXPECT_TRUE(ReadBytes(dir / "a.xml") == previous) << "step " << static_cast<int>(failing);
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << "temporary file left behind";
  }
}

TEST(AtomicWrite, FailsIntoAMissingFolderAndOnAnEmptyPath) {
  TempDir dir;
  EXPECT_FALSE(os::WriteFileAtomic(dir / "missing/a.xml", "x"));
  EXPECT_FALSE(os::WriteFileAtomic("", "x"));
}

TEST(FileServices, SizeTellsMissingFilesAndFoldersApart) {
  TempDir dir;
  WriteBytes(dir / "f", std::string(2048, 'a'));
  EXPECT_EQ(os::FileSize(dir / "f"), 2048);
  EXPECT_EQ(os::FileSize(dir / "nothing"), -1);
  EXPECT_EQ(os::FileSize(dir.Path()), -2);
  EXPECT_TRUE(os::CreateFolder(dir / "sub"));
  EXPECT_TRUE(os::CreateFolder(dir / "sub"));  // an existing folder is fine
  EXPECT_FALSE(os::CreateFolder(dir / "f"));   // a file stands there
  EXPECT_FALSE(os::ReadWholeFile(dir.Path()).has_value());
}

}  // namespace
}  // namespace zelluo
