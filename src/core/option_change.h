#pragma once
// A click on an option switch: confirmed, written into the settings file with
// the start page "Options", and put into force by starting the program anew.

#include <cstdint>

#include "platform/platform_types.h"

namespace zelluo::core {

struct Application;

inline constexpr int32_t kRestartPauseMs = 250;

// gadget is one of the twelve switches of the Options page. Sets quit to 1
// when the change was written and a new instance started.
void ApplyOptionChange(Application& app, platform::GadgetId gadget, int32_t& quit);

}  // namespace zelluo::core
