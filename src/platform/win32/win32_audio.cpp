// The sound output through DirectSound, loaded by name at run time so that
// the program starts on systems without it.

#include "platform/win32/win32_internal.h"
#include <mmreg.h>
#include <dsound.h>

#include <cstring>

#include "platform/win32/win32_platform.h"

namespace zelluo::platform {
namespace {

using DirectSoundCreateFunction = HRESULT(WINAPI*)(const GUID*, IDirectSound**, IUnknown*);

}  // namespace

bool Win32Platform::OpenAudio() {
  if (device_) return true;
  // The device's cooperation level needs a window, and the main window does
  // not exist yet when the sound output opens: a hidden 1 x 1 one of its own.
  if (!deviceWindow_) {
    WNDCLASSEXW deviceClass{};
    deviceClass.cbSize = sizeof deviceClass;
    deviceClass.lpfnWndProc = ::DefWindowProcW;
    deviceClass.hInstance = instance_;
    deviceClass.lpszClassName = win32::kDeviceWindowClass;
    deviceClassRegistered_ = ::RegisterClassExW(&deviceClass) != 0;
    if (!deviceClassRegistered_) return false;
    deviceWindow_ = ::CreateWindowExW(0, win32::kDeviceWindowClass, nullptr, WS_POPUP, 0, 0, 1, 1,
                                      nullptr, nullptr, instance_, nullptr);
    if (!deviceWindow_) {
      CloseAudio();
      return false;
    }
  }
  if (!dsound_) dsound_ = ::LoadLibraryW(L"dsound.dll");
  if (!dsound_) return false;
  auto create = reinterpret_cast<DirectSoundCreateFunction>(
      reinterpret_cast<void*>(::GetProcAddress(dsound_, "DirectSoundCreate")));
  if (!create) {
    CloseAudio();
    return false;
  }
  if (FAILED(create(nullptr, &device_, nullptr)) || !device_) {
    device_ = nullptr;
    CloseAudio();
    return false;
  }
  if (FAILED(device_->SetCooperativeLevel(deviceWindow_, DSSCL_PRIORITY))) {
    CloseAudio();
    return false;
  }
  DSBUFFERDESC primary{};
  primary.dwSize = sizeof primary;
  primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
  if (FAILED(device_->CreateSoundBuffer(&primary, &primaryBuffer_, nullptr))) {
    primaryBuffer_ = nullptr;
    CloseAudio();
    return false;
  }
  return true;
}

bool Win32Platform::LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                              size_t byteCount) {
  if (!device_ || !samples || byteCount == 0 || byteCount > 0x0FFFFFFF) return false;
  WAVEFORMATEX wave{};
  wave.wFormatTag = format.formatTag;
  wave.nChannels = format.channels;
  wave.nSamplesPerSec = format.samplesPerSecond;
  wave.nAvgBytesPerSec = format.bytesPerSecond;
  wave.nBlockAlign = format.blockAlign;
  wave.wBitsPerSample = format.bitsPerSample;
  wave.cbSize = 0;

  // A static buffer holding the whole sound; it stays audible while another
  // program has the focus.
  DSBUFFERDESC description{};
  description.dwSize = sizeof description;
  description.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                        DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
  description.dwBufferBytes = static_cast<DWORD>(byteCount);
  description.lpwfxFormat = &wave;
  IDirectSoundBuffer* buffer = nullptr;
  if (FAILED(device_->CreateSoundBuffer(&description, &buffer, nullptr)) || !buffer) return false;

  void* first = nullptr;
  void* second = nullptr;
  DWORD firstBytes = 0;
  DWORD secondBytes = 0;
  if (FAILED(buffer->Lock(0, static_cast<DWORD>(byteCount), &first, &firstBytes, &second,
                          &secondBytes, 0))) {
    buffer->Release();
    return false;
  }
  std::memcpy(first, samples, firstBytes);
  if (second && secondBytes) std::memcpy(second, samples + firstBytes, secondBytes);
  buffer->Unlock(first, firstBytes, second, secondBytes);

  Sound loaded;
  loaded.buffer = buffer;
  buffer->GetPan(&loaded.pan);
  DWORD frequency = 0;
  buffer->GetFrequency(&frequency);
  loaded.frequency = frequency;
  buffer->GetVolume(&loaded.volume);

  auto old = sounds_.find(sound);
  if (old != sounds_.end()) {
    old->second.buffer->Release();
    sounds_.erase(old);
  }
  sounds_.emplace(sound, loaded);
  return true;
}

void Win32Platform::PlaySound(int32_t sound, bool loop) {
  auto found = sounds_.find(sound);
  if (found == sounds_.end()) return;
  // Stopped, rewound and started: a second click cuts off the first.
  IDirectSoundBuffer* buffer = found->second.buffer;
  buffer->Stop();
  buffer->SetCurrentPosition(0);
  buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
}

void Win32Platform::ReleaseSounds() {
  for (auto& [number, sound] : sounds_) sound.buffer->Release();
  sounds_.clear();
}

void Win32Platform::CloseAudio() {
  ReleaseSounds();
  if (primaryBuffer_) {
    primaryBuffer_->Release();
    primaryBuffer_ = nullptr;
  }
  if (device_) {
    device_->Release();
    device_ = nullptr;
  }
  if (dsound_) {
    ::FreeLibrary(dsound_);
    dsound_ = nullptr;
  }
  if (deviceWindow_) {
    ::DestroyWindow(deviceWindow_);
    deviceWindow_ = nullptr;
  }
  if (deviceClassRegistered_) {
    ::UnregisterClassW(win32::kDeviceWindowClass, instance_);
    deviceClassRegistered_ = false;
  }
}

}  // namespace zelluo::platform
