// libFuzzer target: any bytes taken over as a cover picture, in memory: told
// apart by content, decoded by libjpeg or libpng within the size bounds row by
// row into 360 x 450 and encoded as JPEG.
//
// What must hold: a refused input comes with a message; a taken one gives a
// 360 x 450 cover with all its pixels, and that cover is a JPEG that loads
// again at 360 x 450. And nothing crashes, leaks or reads out of bounds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "collection/cover.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void RemoveFolder();

// A folder of this process for the cover written each time, removed at exit.
std::filesystem::path MakeFolder() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zelluo-fuzz-cover-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::atexit(RemoveFolder);
  return folder;
}

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(
      std::filesystem::temp_directory_path() / ("zelluo-fuzz-cover-" + std::to_string(getpid())),
      ignored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelluo;
  const zelluo::collection::CoverPicture made = zelluo::collection::MakeCover(data, size);
  if (!made.cover) {
    if (made.error.empty()) Fail("refused without a message");
    return 0;
  }
  const zelluo::platform::PixelImage& cover = *made.cover;
  if (!made.error.empty()) Fail("a message for a decoded picture");
  if (cover.width != zelluo::collection::kCoverWidth ||
      cover.height != zelluo::collection::kCoverHeight ||
      cover.rgba.size() != static_cast<size_t>(cover.width) * cover.height * 4) {
    Fail("the cover's size or pixel count is wrong");
  }
  const std::string jpeg =
      zelluo::collection::EncodeJpeg(cover, zelluo::collection::kCoverJpegQuality);
  if (jpeg.empty()) Fail("the cover did not encode");
  // Loaded for display as a stored cover would be (not averaged once more,
  // which would halve the inputs tried in a run).
  static const std::filesystem::path folder = MakeFolder();
  std::ofstream(folder / "cover.jpg", std::ios::binary | std::ios::trunc) << jpeg;
  const std::optional<zelluo::platform::PixelImage> again =
      zelluo::collection::LoadCover(folder.string(), "cover.jpg");
  if (!again || again->width != zelluo::collection::kCoverWidth ||
      again->height != zelluo::collection::kCoverHeight) {
    Fail("the cover does not load again at 360 x 450");
  }
  return 0;
}
