// GtkPlatform: the sound output through SDL2's audio subsystem (nothing else of
// SDL is used). Sounds are kept as PCM in the device's format; playing one
// clears what is still queued and queues it again, so a click cuts off the
// previous one and starts from the beginning.

#include <SDL.h>

#include <cstring>
#include <limits>

#include "platform/gtk/gtk_platform.h"

namespace zelluo {

namespace {

constexpr int kDeviceRate = 44100;
constexpr SDL_AudioFormat kDeviceFormat = AUDIO_S16LSB;
constexpr Uint8 kDeviceChannels = 2;

}  // namespace

bool GtkPlatform::OpenAudio() {
  if (audioDevice_ != 0) return true;
  if (!audioSubsystem_) {
    // Ctrl+C and SIGTERM must keep their usual effect.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Zelluo");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    audioSubsystem_ = true;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = kDeviceRate;
  wanted.format = kDeviceFormat;
  wanted.channels = kDeviceChannels;
  wanted.samples = 1024;
  wanted.callback = nullptr;  // fed through SDL_QueueAudio
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the hardware wants.
  audioDevice_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (audioDevice_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioSubsystem_ = false;
    return false;
  }
  SDL_PauseAudioDevice(audioDevice_, 0);
  return true;
}

bool GtkPlatform::LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                            size_t byteCount) {
  if (audioDevice_ == 0 || samples == nullptr) return false;
  if (format.formatTag != 1 || format.channels < 1 || format.channels > 8 ||
      format.samplesPerSecond == 0 || format.samplesPerSecond > 384000) {
    return false;
  }
  SDL_AudioFormat sourceFormat = 0;
  if (format.bitsPerSample == 8) {
    sourceFormat = AUDIO_U8;
  } else if (format.bitsPerSample == 16) {
    sourceFormat = AUDIO_S16LSB;
  } else {
    return false;
  }
  // Whole frames only.
  const size_t frameBytes = static_cast<size_t>(format.channels) * (format.bitsPerSample / 8);
  byteCount -= byteCount % frameBytes;
  if (byteCount == 0 || byteCount > std::numeric_limits<int>::max() / 16) return false;

  SDL_AudioCVT cvt{};
  const int built = SDL_BuildAudioCVT(&cvt, sourceFormat, static_cast<Uint8>(format.channels),
                                      static_cast<int>(format.samplesPerSecond), kDeviceFormat,
                                      kDeviceChannels, kDeviceRate);
  if (built < 0) return false;
  std::vector<uint8_t> pcm;
  if (built == 0) {
    pcm.assign(samples, samples + byteCount);
  } else {
    cvt.len = static_cast<int>(byteCount);
    std::vector<uint8_t> work(byteCount * static_cast<size_t>(cvt.len_mult));
    std::memcpy(work.data(), samples, byteCount);
    cvt.buf = work.data();
    if (SDL_ConvertAudio(&cvt) != 0) return false;
    work.resize(static_cast<size_t>(cvt.len_cvt));
    pcm = std::move(work);
  }
  sounds_[sound] = std::move(pcm);
  return true;
}

void GtkPlatform::PlaySound(int32_t sound, bool /*loop*/) {
  if (audioDevice_ == 0) return;
  const auto found = sounds_.find(sound);
  if (found == sounds_.end() || found->second.empty()) return;
  SDL_ClearQueuedAudio(audioDevice_);
  SDL_QueueAudio(audioDevice_, found->second.data(), static_cast<Uint32>(found->second.size()));
}

void GtkPlatform::ReleaseSounds() { sounds_.clear(); }

void GtkPlatform::CloseAudio() {
  ReleaseSounds();
  if (audioDevice_ != 0) {
    SDL_ClearQueuedAudio(audioDevice_);
    SDL_CloseAudioDevice(audioDevice_);
    audioDevice_ = 0;
  }
  if (audioSubsystem_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioSubsystem_ = false;
  }
}

}  // namespace zelluo
