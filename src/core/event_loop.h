#pragma once
// The running program: the loop's prologue, the wait for events and their
// dispatch, and the fade-out at its end.

#include <cstdint>

namespace zelluo::core {

struct Application;

struct LoopState {
  int32_t Quit = 0;
  bool SessionEnded = false;  // the loop ends for a logout or shutdown
  int32_t LastMouseX = 0;
  int32_t LastMouseY = 0;
};

inline constexpr int32_t kEventWaitMs = 10;

// Returns when the user quits, after the fade-out when it is on.
void RunEventLoop(Application& app);
// The information box of button 106: name, version and program size.
void ShowInformation(Application& app);

}  // namespace zelluo::core
