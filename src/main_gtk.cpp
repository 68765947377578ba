// Entry of the Linux desktop program: one GTK platform, the whole program on it.
// The program takes no command-line options; its arguments are ignored.

#include "core/application.h"
#include "platform/gtk/gtk_platform.h"

int main() {
  zelluo::platform::GtkPlatform platform;
  return zelluo::core::RunApplication(platform);
}
