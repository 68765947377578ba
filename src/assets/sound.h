#pragma once
// The built-in sounds: a RIFF/WAVE file handed to the platform's audio output
// under its number.

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace zelluo::assets {

#define ZELLUO_IMAGE(number, name, file, width, height)
#define ZELLUO_SOUND(number, name, file) inline constexpr int32_t name = number;
#include "assets/asset_catalogue.inc"
#undef ZELLUO_IMAGE
#undef ZELLUO_SOUND

// Reads a RIFF/WAVE file and keeps it ready to play under number; false for a
// file that is no playable WAVE file.
bool LoadSoundFromMemory(platform::Platform& platform, int32_t number, const uint8_t* data,
                         size_t size);

}  // namespace zelluo::assets
