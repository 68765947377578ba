// libFuzzer target: any bytes taken over as a cover picture, in memory: told
// apart by content, decoded by libjpeg or libpng within the size bounds,
// fitted into 360 x 450 and encoded as JPEG.
//
// What must hold: a refused input comes with a message; a decoded picture has
// a sane size and as many pixels as it says; its cover is a JPEG that decodes
// again at 360 x 450. And nothing crashes, leaks or reads out of bounds.
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
  const DecodedPicture decoded = DecodePicture(data, size);
  if (!decoded.image) {
    if (decoded.error.empty()) Fail("refused without a message");
    return 0;
  }
  const PixelImage& picture = *decoded.image;
  if (!decoded.error.empty()) Fail("a message for a decoded picture");
  if (picture.width <= 0 || picture.height <= 0 || picture.width > decoded.sourceWidth ||
      picture.height > decoded.sourceHeight || decoded.sourceWidth > kMaxCoverSourceSide ||
      decoded.sourceHeight > kMaxCoverSourceSide) {
    Fail("decoded size out of bounds");
  }
  if (picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4) {
    Fail("pixel count differs from the size");
  }
  const PixelImage cover = FitCover(picture, decoded.sourceWidth, decoded.sourceHeight);
  const std::string jpeg = EncodeJpeg(cover, kCoverJpegQuality);
  if (jpeg.empty()) Fail("the cover did not encode");
  const DecodedPicture again =
      DecodePicture(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
  if (!again.image || again.image->width != kCoverWidth || again.image->height != kCoverHeight) {
    Fail("the cover does not decode at 360 x 450");
  }
  return 0;
}
