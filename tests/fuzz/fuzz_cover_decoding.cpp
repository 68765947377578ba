// libFuzzer target: any bytes taken over as a cover picture, in memory: told
// apart by content, decoded by libjpeg or libpng within the size bounds row by
// row into 360 x 450 and encoded as JPEG.
//
// What must hold: a refused input comes with a message; a taken one gives a
// 360 x 450 cover with all its pixels, and that cover is a JPEG that decodes
// again. And nothing crashes, leaks or reads out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "collection/cover.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelluo;
  const CoverPicture made = MakeCover(data, size);
  if (!made.cover) {
    if (made.error.empty()) Fail("refused without a message");
    return 0;
  }
  const PixelImage& cover = *made.cover;
  if (!made.error.empty()) Fail("a message for a decoded picture");
  if (cover.width != kCoverWidth || cover.height != kCoverHeight ||
      cover.rgba.size() != static_cast<size_t>(cover.width) * cover.height * 4) {
    Fail("the cover's size or pixel count is wrong");
  }
  const std::string jpeg = EncodeJpeg(cover, kCoverJpegQuality);
  if (jpeg.empty()) Fail("the cover did not encode");
  const CoverPicture again = MakeCover(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
  if (!again.cover) Fail("the cover does not decode again");
  return 0;
}
