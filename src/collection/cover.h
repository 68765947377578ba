#pragma once
// Cover pictures of the films. A picture the user chooses (JPEG or PNG, told
// apart by content) is taken over as a 360 x 450 JPEG in the cover folder:
// the whole picture fitted on black, aspect kept, centred. The file is named
// by its content (FNV-1a 64 of the JPEG bytes, 16 lower-case hex digits, then
// ".jpg"), so the same picture taken over twice gives the same file. The
// user's file is only read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/platform.h"

namespace zelluo::collection {

inline constexpr int32_t kCoverWidth = 360;
inline constexpr int32_t kCoverHeight = 450;
inline constexpr int kCoverJpegQuality = 90;

// Bounds on what is read and decoded; checked before pixels are allocated.
inline constexpr int64_t kMaxCoverSourceBytes = 50'000'000;
inline constexpr int64_t kMaxCoverSourceSide = 16'000;
inline constexpr int64_t kMaxCoverSourcePixels = 100'000'000;

struct CoverResult {
  std::string fileName;  // inside the cover folder; empty on failure
  std::string error;     // German message for the user; empty on success
};

// Reads picturePath, makes the cover and writes it atomically into
// coverFolder (created if missing, one level). An identical cover already
// there is kept as it is. Without syncNow the file reaches the disk later
// (os::SyncFilesIn), for many covers in a row.
CoverResult TakeOverCover(const std::string& coverFolder, const std::string& picturePath,
                          bool syncNow = true);

// The same for a picture's bytes (from inside an archive, say).
CoverResult TakeOverCoverBytes(const std::string& coverFolder, std::string_view bytes,
                               bool syncNow = true);

// A cover that already is one (from a Zelluo backup): kept byte for byte when
// its name is the hash of its bytes and it is a JPEG, otherwise taken over
// like any picture.
CoverResult KeepFinishedCover(const std::string& coverFolder, std::string_view fileName,
                              std::string_view bytes, bool syncNow = true);

// The covers of one import, where many films may name the same picture: each
// picture is read and decoded once. What became of a path (the cover's name or
// the message) is kept, keyed by the cover folder, the path and the file's
// size (a picture is not expected to change while it is imported), and given
// again as long as the cover file is there.
class CoverCache {
 public:
  CoverResult TakeOverCover(const std::string& coverFolder, const std::string& picturePath,
                            bool syncNow);

  // How many pictures were read and decoded.
  int64_t PicturesRead() const { return picturesRead_; }

 private:
  std::unordered_map<std::string, CoverResult> covers_;
  int64_t picturesRead_ = 0;
};

// The cover as RGBA pixels for display; nothing for a missing or damaged file
// or a name that is not a plain file name.
std::optional<platform::PixelImage> LoadCover(const std::string& coverFolder,
                                              const std::string& fileName);

// The steps of TakeOverCover in memory, for tests and the fuzzer.
//
// The 360 x 450 cover of a picture (JPEG or PNG, told apart by content), or a
// German message: the whole picture scaled by area averaging to the largest
// size with its aspect that fits, centred on black, transparent parts laid on
// black. The picture is averaged into the cover as it is decoded, so that
// only a row of it is held at a time (a PNG's row, a JPEG's row decoded at
// the smallest of libjpeg's scales n/8 that still covers the cover's size;
// libjpeg itself keeps the whole picture's coefficients of a progressive
// JPEG, within the 256 MB it may allocate).
struct CoverPicture {
  std::optional<platform::PixelImage> cover;
  std::string error;
};
CoverPicture MakeCover(const uint8_t* data, size_t size);

// The same for a picture already in memory (opaque RGBA).
platform::PixelImage FitCover(const platform::PixelImage& picture);

// RGBA pixels as a baseline JPEG of the given quality; empty if encoding fails.
std::string EncodeJpeg(const platform::PixelImage& image, int quality);

// FNV-1a 64 of bytes as 16 lower-case hex digits.
std::string ContentHash(std::string_view bytes);

}  // namespace zelluo::collection
