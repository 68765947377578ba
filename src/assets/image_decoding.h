#pragma once
// Decoding of pictures held in memory: PNG (through libpng), icon files and
// device-independent bitmap files. Every decoder is told how many bytes it may
// read and never reads past them; a damaged or unsupported file gives no
// image rather than an error.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace zelluo::assets {

// The most a decoder reads from the start of a blob, whatever it is told.
inline constexpr size_t kMaxImageBytes = 10'000'000;
// Larger pictures are refused rather than allocated.
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 24;

// How much a decoder may read and allocate; larger files are cut off at
// maxBytes, larger pictures refused before their pixels are allocated.
struct ImageLimits {
  size_t maxBytes = kMaxImageBytes;
  int64_t maxSide = 65535;
  int64_t maxPixels = kMaxImagePixels;
};

// Chooses the decoder by content: "BM" starts a bitmap file, an icon header
// (reserved word 0, type 1) an icon file; anything else is read as PNG.
std::optional<platform::PixelImage> DecodeImage(const uint8_t* data, size_t available);

// PNG of any colour type and depth: palette and grey are expanded to colour,
// 16-bit channels reduced to 8, a missing alpha channel filled in opaque.
// depth is 32 when the file has alpha (or a transparency chunk), else 24.
std::optional<platform::PixelImage> DecodePng(const uint8_t* data, size_t available,
                                              const ImageLimits& limits = {});

// Receives a PNG's rows as libpng decodes them, in the form DecodePng gives:
// RGBA, alpha 255 where the file has none.
class PngRowReceiver {
 public:
  virtual ~PngRowReceiver() = default;
  // Once, before the first row; false refuses the picture.
  virtual bool Begin(int32_t width, int32_t height, bool alpha) = 0;
  // count pixels of row y, for the columns firstColumn, firstColumn +
  // columnStep, ... An interlaced picture comes in its seven passes, each row
  // of a pass with only that pass's pixels (rows and columns with a step of
  // up to 8); any other comes row after row, top to bottom, whole.
  virtual void Row(int32_t y, int32_t firstColumn, int32_t columnStep, const uint8_t* rgba,
                   int32_t count) = 0;
};

// A PNG handed over row by row, holding one row at a time; false for a
// damaged or refused picture (rows may have been handed over before).
bool DecodePngRows(const uint8_t* data, size_t available, const ImageLimits& limits,
                   PngRowReceiver& receiver);

// Icon file: one entry is decoded, the one with the most bits per pixel among
// those as large as the first directory entry (the earliest on a tie). The
// entry may be a device-independent bitmap or a PNG. The result is an icon.
std::optional<platform::PixelImage> DecodeIconFile(const uint8_t* data, size_t available);

// Bitmap file ("BM"): uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel,
// and bit-field masks for 16 and 32; bottom-up or top-down.
std::optional<platform::PixelImage> DecodeBitmapFile(const uint8_t* data, size_t available);

}  // namespace zelluo::assets
