#pragma once
// Icon files: one directory and, per entry, a 32-bit device-independent bitmap
// (BITMAPINFOHEADER with doubled height, BGRA rows bottom-up, then the 1-bit
// AND mask, rows padded to four bytes).

#include <cstdint>
#include <vector>

#include "canvas.h"

namespace zelluo::artwork {

// Entries keep their order; each must be square and at most 256 pixels wide.
std::vector<uint8_t> BuildIconFile(const std::vector<Picture>& entries);

}  // namespace zelluo::artwork
