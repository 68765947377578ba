#pragma once
// The click: a RIFF/WAVE file of 110,200 bytes, 16-bit stereo PCM at 44,100
// frames per second, a "fmt " chunk directly followed by the "data" chunk.

#include <cstdint>
#include <vector>

namespace zelluo::artwork {

inline constexpr int kClickFrames = 27539;

// Always the same bytes: the noise comes from a fixed-seed generator of our own.
std::vector<uint8_t> BuildClickWave();

}  // namespace zelluo::artwork
