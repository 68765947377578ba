#pragma once
// The click sound: opened once at start-up, played on the program's own
// buttons and switches while Sound is 1, released at shutdown.

#include <cstddef>
#include <cstdint>

namespace zelluo {

struct Application;

inline constexpr int32_t kClickSound = 0;

// Opens the audio output; without a device the click simply does not play.
bool InitSoundOutput(Application& app);
// Reads a RIFF/WAVE file and keeps it ready to play under number.
bool LoadSoundFromMemory(Application& app, int32_t number, const uint8_t* data, size_t size);
// Plays the click from its start, cutting off one still sounding, when Sound is 1.
void PlayClickSound(Application& app);
void ReleaseSounds(Application& app);

}  // namespace zelluo
