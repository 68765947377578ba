#include "assets/wave.h"

#include <algorithm>
#include <cstring>

#include "assets/little_endian.h"

namespace zelluo::assets {

namespace {

bool HasTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

constexpr uint64_t kFormatOffset = 20;
constexpr uint64_t kFormatBytes = 16;

}  // namespace

std::optional<WaveSound> ParseWave(const uint8_t* data, size_t available) {
  if (data == nullptr || available < kFormatOffset) return std::nullopt;
  if (!HasTag(data, "RIFF") || !HasTag(data + 12, "fmt ")) return std::nullopt;
  // The RIFF size counts everything after its own 8-byte header.
  const uint64_t end = std::min<uint64_t>(available, uint64_t{8} + ReadU32(data + 4));
  const uint64_t formatSize = ReadU32(data + 16);
  if (formatSize < kFormatBytes || kFormatOffset + formatSize > end) return std::nullopt;

  WaveSound sound;
  const uint8_t* format = data + kFormatOffset;
  sound.format.formatTag = ReadU16(format);
  sound.format.channels = ReadU16(format + 2);
  sound.format.samplesPerSecond = ReadU32(format + 4);
  sound.format.bytesPerSecond = ReadU32(format + 8);
  sound.format.blockAlign = ReadU16(format + 12);
  sound.format.bitsPerSample = ReadU16(format + 14);

  uint64_t position = kFormatOffset + formatSize;
  while (position + 8 <= end) {
    const uint64_t size = ReadU32(data + position + 4);
    const uint64_t body = position + 8;
    if (size > end - body) return std::nullopt;
    if (HasTag(data + position, "data")) {
      sound.samples = data + body;
      sound.size = static_cast<size_t>(size);
      return sound;
    }
    position = body + size;
  }
  return std::nullopt;
}

}  // namespace zelluo::assets
