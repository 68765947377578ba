#include <gtest/gtest.h>

#include <filesystem>

#include "../test_support.h"
#include "platform/posix/posix_system.h"

namespace zelluo {
namespace {

using posix::WriteStep;
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
  ASSERT_TRUE(posix::WriteFileAtomic(dir / "a.xml", "new"));
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
    EXPECT_FALSE(posix::WriteFileAtomic(dir / "a.xml", next, hook))
        << "step " << static_cast<int>(failing);
    EXPECT_TRUE(ReadBytes(dir / "a.xml") == previous) << "step " << static_cast<int>(failing);
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << "temporary file left behind";
  }
}

TEST(AtomicWrite, FailsIntoAMissingFolderAndOnAnEmptyPath) {
  TempDir dir;
  EXPECT_FALSE(posix::WriteFileAtomic(dir / "missing/a.xml", "x"));
  EXPECT_FALSE(posix::WriteFileAtomic("", "x"));
}

TEST(PosixFiles, SizeTellsMissingFilesAndFoldersApart) {
  TempDir dir;
  WriteBytes(dir / "f", std::string(2048, 'a'));
  EXPECT_EQ(posix::FileSize(dir / "f"), 2048);
  EXPECT_EQ(posix::FileSize(dir / "nothing"), -1);
  EXPECT_EQ(posix::FileSize(dir.Path()), -2);
  EXPECT_TRUE(posix::CreateFolder(dir / "sub"));
  EXPECT_TRUE(posix::CreateFolder(dir / "sub"));  // an existing folder is fine
  EXPECT_FALSE(posix::CreateFolder(dir / "f"));   // a file stands there
  EXPECT_FALSE(posix::ReadWholeFile(dir.Path()).has_value());
}

}  // namespace
}  // namespace zelluo
