#pragma once
// Films inside the window through libmpv, the same on every desktop backend:
// the library's functions looked up and its client interface checked, the
// player made with its options for a native window, the keys' commands, and
// its events read in the main loop (position, duration, the end). The backend
// keeps the native window, loads the library by name and wakes its main loop
// when mpv asks.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform_types.h"

struct mpv_handle;

namespace zelluo::platform {

class MpvPlayer {
 public:
  // A function of the loaded library by its name; null when it has none.
  using FindFunction = std::function<void*(const char* name)>;
  // Called on mpv's thread when events wait; must only wake the main loop.
  using Wake = void (*)(void* data);

  MpvPlayer();
  ~MpvPlayer();
  MpvPlayer(const MpvPlayer&) = delete;
  MpvPlayer& operator=(const MpvPlayer&) = delete;

  // Takes the library's functions; false when one is missing or the client
  // interface is of another major version than the header's.
  bool Load(const FindFunction& find);

  // Plays path in the native window (an X11 window id, a HWND as a number)
  // from startSeconds, the film belonging to gadget. Sets LC_NUMERIC to "C"
  // first (mpv refuses a decimal comma). The outputs come from the
  // environment where set (ZELLUO_MPV_VO, ZELLUO_MPV_AO; tests and other
  // headless runs). False when mpv could not start; nothing is left then.
  bool Start(GadgetId gadget, uint64_t window, std::string_view path, double startSeconds,
             Wake wake, void* wakeData);
  // Ends the film and the player; nothing when none plays.
  void Stop();
  // Pause and seek, for the film of gadget.
  void Control(GadgetId gadget, VideoCommand command, double seconds);
  // Where the film of gadget stands, after reading the waiting events.
  VideoStatus State(GadgetId gadget);
  // Reads the waiting events; true when the film just ended or failed, which
  // the backend then reports as kGadgetVideoEnded of Gadget().
  bool ReadEvents();

  GadgetId Gadget() const { return gadget_; }

 private:
  struct Functions;
  std::unique_ptr<Functions> functions_;
  mpv_handle* handle_ = nullptr;
  GadgetId gadget_ = kNoGadget;
  double position_ = 0;
  double duration_ = 0;
  bool ended_ = false;
};

// The name libmpv is loaded by: ZELLUO_MPV_LIBRARY where set (tests name a
// library that is not there, to see the system's player take over), else
// fallback.
std::string MpvLibraryName(std::string_view fallback);

}  // namespace zelluo::platform
