#pragma once
// The borderless main window: opening, show, hide, restore, drag, the
// closing animation, and the release of every platform resource at the end.

#include <cstdint>

#include "platform/platform.h"

namespace zelluo::core {

struct Application;

// Where the window stands on a screen of the given size: the client size cut
// to the screen, then centred (integer division).
platform::Rect CentredWindowRect(int32_t width, int32_t height, int32_t screenWidth,
                                 int32_t screenHeight);

void OpenMainWindow(Application& app);
void ShowMainWindow(platform::Platform& platform);
void HideMainWindow(platform::Platform& platform);
void RestoreMainWindow(platform::Platform& platform);
// Moves the window with the mouse as if by its caption until the button is released.
void DragMainWindow(platform::Platform& platform);
// Shrinks and fades the window in 15 steps, then destroys it.
void FadeOutAndClose(platform::Platform& platform);
// Releases all platform resources, in a fixed order.
void Shutdown(Application& app);

}  // namespace zelluo::core
