#pragma once
// PNG encoding of the pictures: 8-bit RGBA, not interlaced, with exactly the
// chunks IHDR, pHYs, cHRM, one IDAT and IEND.

#include <cstdint>
#include <optional>
#include <vector>

#include "canvas.h"

namespace zelluo::artwork {

std::optional<std::vector<uint8_t>> EncodePng(const Picture& picture);

}  // namespace zelluo::artwork
