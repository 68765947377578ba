// Entry of the Linux desktop program: one GTK platform, the whole program on it.

#include "core/application.h"
#include "platform/gtk/gtk_platform.h"

int main(int argc, char** argv) {
  zelluo::GtkPlatform platform(&argc, &argv);
  return zelluo::RunApplication(platform);
}
