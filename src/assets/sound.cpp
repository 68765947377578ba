#include "assets/sound.h"

#include "assets/wave.h"
#include "core/application.h"

namespace zelluo {

bool InitSoundOutput(Application& app) { return app.platform.OpenAudio(); }

bool LoadSoundFromMemory(Application& app, int32_t number, const uint8_t* data, size_t size) {
  std::optional<WaveSound> wave = ParseWave(data, size);
  if (!wave) return false;
  return app.platform.LoadSound(number, wave->format, wave->samples, wave->size);
}

void PlayClickSound(Application& app) {
  if (app.settings.Sound == 1) app.platform.PlaySound(kClickSound, false);
}

void ReleaseSounds(Application& app) { app.platform.CloseAudio(); }

}  // namespace zelluo
