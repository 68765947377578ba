// GtkPlatform: the sound output through SDL2's audio subsystem (nothing else of
// SDL is used). SDL is loaded by name at run time on a worker thread, together
// with everything it pulls in (PulseAudio, ALSA and their codecs, some thirty
// libraries, about 3 MB), and the device is opened there too: neither delays
// the window, and a machine without libSDL2 or without a sound device simply
// plays nothing. The worker starts with the user's first move of the mouse,
// press or key in the window or on the tray icon (a click sound can only
// follow one of these), or at the latest when a sound is played; until then
// a program that nobody touches carries none of it. Everything else waits
// for that thread before it touches SDL.
//
// Sounds are kept as the caller's PCM until the device is open, then converted
// once to the device's format; playing one clears what is still queued and
// queues it again, so a click cuts off the previous one and starts from the
// beginning.

#include <SDL.h>
#include <dlfcn.h>

#include <cstring>
#include <future>
#include <limits>
#include <map>
#include <vector>

#include "platform/gtk/gtk_platform.h"

namespace zelluo::platform {

namespace {

constexpr const char* kSdlLibrary = "libSDL2-2.0.so.0";
constexpr int kDeviceRate = 44100;
constexpr SDL_AudioFormat kDeviceFormat = AUDIO_S16LSB;
constexpr Uint8 kDeviceChannels = 2;

// The SDL functions the output uses, looked up in the loaded library.
struct SdlFunctions {
  decltype(&SDL_SetHint) SetHint = nullptr;
  decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
  decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
  decltype(&SDL_OpenAudioDevice) OpenAudioDevice = nullptr;
  decltype(&SDL_PauseAudioDevice) PauseAudioDevice = nullptr;
  decltype(&SDL_CloseAudioDevice) CloseAudioDevice = nullptr;
  decltype(&SDL_BuildAudioCVT) BuildAudioCVT = nullptr;
  decltype(&SDL_ConvertAudio) ConvertAudio = nullptr;
  decltype(&SDL_ClearQueuedAudio) ClearQueuedAudio = nullptr;
  decltype(&SDL_QueueAudio) QueueAudio = nullptr;
  decltype(&SDL_TLSCleanup) TLSCleanup = nullptr;

  bool Load(void* library) {
    return Find(library, "SDL_SetHint", SetHint) &&
           Find(library, "SDL_InitSubSystem", InitSubSystem) &&
           Find(library, "SDL_QuitSubSystem", QuitSubSystem) &&
           Find(library, "SDL_OpenAudioDevice", OpenAudioDevice) &&
           Find(library, "SDL_PauseAudioDevice", PauseAudioDevice) &&
           Find(library, "SDL_CloseAudioDevice", CloseAudioDevice) &&
           Find(library, "SDL_BuildAudioCVT", BuildAudioCVT) &&
           Find(library, "SDL_ConvertAudio", ConvertAudio) &&
           Find(library, "SDL_ClearQueuedAudio", ClearQueuedAudio) &&
           Find(library, "SDL_QueueAudio", QueueAudio) &&
           Find(library, "SDL_TLSCleanup", TLSCleanup);
  }

 private:
  template <typename Function>
  static bool Find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
  }
};

}  // namespace

class GtkPlatform::AudioOutput {
 public:
  AudioOutput() = default;
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  ~AudioOutput() {
    if (!begun_ || !Ready()) return;
    sdl_.ClearQueuedAudio(device_);
    sdl_.CloseAudioDevice(device_);
    sdl_.QuitSubSystem(SDL_INIT_AUDIO);
    // The library stays loaded: its own threads may still be winding down.
  }

  // Keeps a copy of 8- or 16-bit PCM until it can be converted; false for
  // any other format.
  bool Load(int32_t sound, const PcmFormat& format, const uint8_t* samples, size_t byteCount) {
    if (samples == nullptr || format.formatTag != 1 || format.channels < 1 || format.channels > 8 ||
        format.samplesPerSecond == 0 || format.samplesPerSecond > 384000 ||
        (format.bitsPerSample != 8 && format.bitsPerSample != 16)) {
      return false;
    }
    // Whole frames only.
    const size_t frameBytes = static_cast<size_t>(format.channels) * (format.bitsPerSample / 8);
    byteCount -= byteCount % frameBytes;
    if (byteCount == 0 || byteCount > std::numeric_limits<int>::max() / 16) return false;
    ready_.erase(sound);
    waiting_[sound] = {format, std::vector<uint8_t>(samples, samples + byteCount)};
    return true;
  }

  // Starts loading SDL and opening the device on the worker, once.
  void Begin() {
    if (begun_) return;
    begun_ = true;
    opening_ = std::async(std::launch::async, [this] { return Open(); });
  }

  void Play(int32_t sound) {
    Begin();
    if (!Ready()) return;
    if (const auto waiting = waiting_.find(sound); waiting != waiting_.end()) {
      ready_[sound] = Convert(waiting->second);
      waiting_.erase(waiting);
    }
    const auto found = ready_.find(sound);
    if (found == ready_.end() || found->second.empty()) return;
    sdl_.ClearQueuedAudio(device_);
    sdl_.QueueAudio(device_, found->second.data(), static_cast<Uint32>(found->second.size()));
  }

 private:
  struct Waiting {
    PcmFormat format;
    std::vector<uint8_t> samples;
  };

  // On the worker thread: loads SDL, starts its audio subsystem and opens the
  // default device. Touches nothing but library_, sdl_ and device_.
  bool Open() {
    library_ = ::dlopen(kSdlLibrary, RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr || !sdl_.Load(library_)) return false;
    const bool open = OpenDevice();
    // SDL frees the thread-local data (its error message) of threads it did
    // not start only when asked.
    sdl_.TLSCleanup();
    return open;
  }

  bool OpenDevice() {
    // Ctrl+C and SIGTERM must keep their usual effect.
    sdl_.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    sdl_.SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Zelluo");
    if (sdl_.InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = kDeviceRate;
    wanted.format = kDeviceFormat;
    wanted.channels = kDeviceChannels;
    wanted.samples = 1024;
    wanted.callback = nullptr;  // fed through SDL_QueueAudio
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants.
    device_ = sdl_.OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device_ == 0) {
      sdl_.QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    sdl_.PauseAudioDevice(device_, 0);
    return true;
  }

  // Waits for the worker once; true when the device is open.
  bool Ready() {
    if (opening_.valid()) open_ = opening_.get();
    return open_;
  }

  // The samples in the device's format; empty when SDL cannot convert them.
  std::vector<uint8_t> Convert(const Waiting& sound) {
    SDL_AudioCVT cvt{};
    const int built = sdl_.BuildAudioCVT(
        &cvt, sound.format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB,
        static_cast<Uint8>(sound.format.channels), static_cast<int>(sound.format.samplesPerSecond),
        kDeviceFormat, kDeviceChannels, kDeviceRate);
    if (built < 0) return {};
    if (built == 0) return sound.samples;
    std::vector<uint8_t> work(sound.samples.size() * static_cast<size_t>(cvt.len_mult));
    std::memcpy(work.data(), sound.samples.data(), sound.samples.size());
    cvt.len = static_cast<int>(sound.samples.size());
    cvt.buf = work.data();
    if (sdl_.ConvertAudio(&cvt) != 0) return {};
    work.resize(static_cast<size_t>(cvt.len_cvt));
    return work;
  }

  void* library_ = nullptr;
  SdlFunctions sdl_;
  SDL_AudioDeviceID device_ = 0;
  bool begun_ = false;
  bool open_ = false;
  std::map<int32_t, Waiting> waiting_;
  std::map<int32_t, std::vector<uint8_t>> ready_;
  std::future<bool> opening_;  // last: the worker uses the members above
};

void GtkPlatform::AudioOutputDeleter::operator()(AudioOutput* output) const { delete output; }

bool GtkPlatform::OpenAudio() {
  if (!audio_) audio_.reset(new AudioOutput);
  return true;
}

bool GtkPlatform::LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                            size_t byteCount) {
  return audio_ && audio_->Load(sound, format, samples, byteCount);
}

void GtkPlatform::PlaySound(int32_t sound, bool /*loop*/) {
  if (audio_) audio_->Play(sound);
}

void GtkPlatform::CloseAudio() { audio_.reset(); }

void GtkPlatform::NoteUserInput() {
  if (audio_) audio_->Begin();
}

}  // namespace zelluo::platform
