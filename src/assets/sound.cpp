#include "assets/sound.h"

#include "assets/wave.h"

namespace zelluo::assets {

bool LoadSoundFromMemory(platform::Platform& platform, int32_t number, const uint8_t* data,
                         size_t size) {
  std::optional<WaveSound> wave = ParseWave(data, size);
  if (!wave) return false;
  return platform.LoadSound(number, wave->format, wave->samples, wave->size);
}

}  // namespace zelluo::assets
