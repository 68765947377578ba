// Entry of the Windows desktop program: one Win32 platform, the whole program
// on it. Linked as a GUI program (-mwindows), so no console window opens.

#include "core/application.h"
#include "platform/win32/win32_platform.h"

int main() {
  zelluo::platform::Win32Platform platform;
  return zelluo::core::RunApplication(platform);
}
