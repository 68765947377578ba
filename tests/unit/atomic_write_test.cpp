// Files through the system's services: the atomic write against a failure at
// each step, sizes, folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "../test_support.h"
#include "platform/os_services.h"

namespace zelluo {
namespace {

using platform::os::WriteStep;
using testing::ReadBytes;
using testing::TempDir;

size_t FilesIn(const std::string& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(AtomicWrite, ReplacesTheWholeFileOrOnAFailedStepKeepsItByteForByte) {
  const std::string previous = "<Root>\r\n  <Key Value=\"1\"/>\r\n</Root>\r\n";
  for (std::optional<platform::os::WriteStep> failing :
       std::initializer_list<std::optional<WriteStep>>{std::nullopt, WriteStep::Open,
                                                       WriteStep::Write, WriteStep::Sync,
                                                       WriteStep::Close, WriteStep::Rename}) {
    SCOPED_TRACE(failing ? static_cast<int>(*failing) : -1);
    TempDir dir;
    testing::WriteBytes(dir / "a.xml", previous);
    const std::string next(failing ? 100000 : 3, 'x');
    EXPECT_EQ(platform::os::WriteFileAtomic(dir / "a.xml", next,
                                            [&](WriteStep step) { return step != failing; }),
              !failing);
    EXPECT_TRUE(ReadBytes(dir / "a.xml") == (failing ? previous : next));
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << "a temporary file was left behind";
  }
}

TEST(FileServices, RefuseMissingFoldersAndFoldersInPlaceOfFiles) {
  TempDir dir;
  EXPECT_FALSE(platform::os::WriteFileAtomic(dir / "missing/a.xml", "x"));
  EXPECT_FALSE(platform::os::WriteFileAtomic("", "x"));
  EXPECT_FALSE(platform::os::ReadWholeFile(dir.Path()).has_value());
  EXPECT_EQ(platform::os::FileSize(dir.Path()), -2);
  EXPECT_EQ(platform::os::FileSize(dir / "missing"), -1);
  EXPECT_FALSE(platform::os::FileReader(dir.Path()).IsOpen());
  EXPECT_FALSE(platform::os::FileReader(dir / "missing").IsOpen());
}

#ifdef _WIN32
// A share named by its UNC path is on the network whatever the drives are; the
// temporary folder lies on a local drive.
TEST(FileServices, UncPathsAreOnANetworkFileSystem) {
  TempDir dir;
  const struct {
    std::string folder;
    bool onNetwork;
  } cases[] = {
      {R"(\\server\share\Zelluo Files)", true},
      {"//server/share/Zelluo Files", true},
      {R"(\\?\UNC\server\share\Zelluo Files)", true},
      {dir.Path(), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::os::IsOnNetworkFileSystem(c.folder), c.onNetwork) << c.folder;
  }
}
#endif

}  // namespace
}  // namespace zelluo
