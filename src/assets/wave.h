#pragma once
// Reading a RIFF/WAVE file held in memory: its PCM format and where its
// samples are. Nothing is copied; the samples point into the given data.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace zelluo::assets {

struct WaveSound {
  platform::PcmFormat format;
  const uint8_t* samples = nullptr;
  size_t size = 0;  // bytes of sample data
};

// The file must start with "RIFF" and have its "fmt " chunk at offset 12 (the
// form type at offset 8 is not examined); the format is read from the chunk
// body at offset 20. From the end of the "fmt " chunk the chunks are stepped
// over, each an 8-byte header and its body (odd sizes are not padded), until
// the "data" chunk. Reads stay inside both available and the size that the
// RIFF header states. Gives nothing when there is no "data" chunk or a chunk
// runs past the end.
std::optional<WaveSound> ParseWave(const uint8_t* data, size_t available);

}  // namespace zelluo::assets
