#include "core/main_window.h"

#include <cmath>

#include "assets/colours.h"
#include "assets/image_numbers.h"
#include "core/application.h"
#include "texts/texts.h"

namespace zelluo::core {
namespace {

constexpr int32_t kFadeSteps = 15;
constexpr int32_t kFadePauseMs = 1;
constexpr double kFadeShrink = 0.99;
constexpr double kFadeShownOffset = 0.01;
constexpr double kFadeCarriedOffset = 0.005;
constexpr int32_t kFadeAlphaStep = 17;

// Nearest integer, a half going to the even neighbour.
int32_t RoundHalfEven(double value) {
  double lower = std::floor(value);
  double fraction = value - lower;
  if (fraction > 0.5) return static_cast<int32_t>(lower + 1);
  if (fraction < 0.5) return static_cast<int32_t>(lower);
  return static_cast<int32_t>(std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1);
}

}  // namespace

platform::Rect CentredWindowRect(int32_t width, int32_t height, int32_t screenWidth,
                                 int32_t screenHeight) {
  // A screen that could not be measured (0 x 0) leaves the size alone rather
  // than making the window vanish.
  if (screenWidth > 0 && width > screenWidth) width = screenWidth;
  if (screenHeight > 0 && height > screenHeight) height = screenHeight;
  return platform::Rect{(screenWidth - width) / 2, (screenHeight - height) / 2, width, height};
}

void OpenMainWindow(Application& app) {
  const WindowGeometry& geometry = app.geometry;
  platform::WindowRequest request;
  request.title = std::string(text::kWindowTitle);
  request.clientRect =
      geometry.Centred
          ? CentredWindowRect(geometry.Width, geometry.Height, app.ScreenWidth, app.ScreenHeight)
          : platform::Rect{geometry.X, geometry.Y, geometry.Width, geometry.Height};
  request.background = assets::kWindowColour;
  request.minimised = geometry.Minimised;
  request.iconImage = assets::image::kProgramIcon;
  if (!app.platform.OpenWindow(request)) return;
  // The region keeps the full design size even on a smaller screen: the part
  // beyond the clipped window is simply not there.
  app.platform.SetWindowRegion(geometry.Width, geometry.Height, geometry.CornerWidth,
                               geometry.CornerHeight);
}

void ShowMainWindow(platform::Platform& platform) {
  platform.ShowWindow(platform::WindowShow::Show);
}
void HideMainWindow(platform::Platform& platform) {
  platform.ShowWindow(platform::WindowShow::Hide);
}
void RestoreMainWindow(platform::Platform& platform) {
  platform.ShowWindow(platform::WindowShow::Restore);
}
void DragMainWindow(platform::Platform& platform) { platform.DragWindow(); }

void FadeOutAndClose(platform::Platform& platform) {
  std::optional<platform::Rect> start = platform.WindowRect();
  if (start) {
    double x = start->x, y = start->y, w = start->width, h = start->height;
    int32_t alpha = 255;
    platform.SetWindowOpacity(alpha);
    for (int32_t step = 0; step < kFadeSteps; ++step) {
      platform.Pause(kFadePauseMs);
      // The shown position moves by 0.01 of the size, the carried one by 0.005.
      platform.MoveResizeWindow(platform::Rect{
          RoundHalfEven(x + kFadeShownOffset * w), RoundHalfEven(y + kFadeShownOffset * h),
          RoundHalfEven(kFadeShrink * w), RoundHalfEven(kFadeShrink * h)});
      x = RoundHalfEven(x + kFadeCarriedOffset * w);
      y = RoundHalfEven(y + kFadeCarriedOffset * h);
      w = RoundHalfEven(kFadeShrink * w);
      h = RoundHalfEven(kFadeShrink * h);
      alpha -= kFadeAlphaStep;
      platform.SetWindowOpacity(alpha);
    }
  }
  platform.DestroyWindow();
}

void Shutdown(Application& app) {
  platform::Platform& platform = app.platform;
  platform.RemoveTrayIcon();
  app.trayIconInstalled = false;
  platform.CloseAudio();
  platform.FreeAllImages();
  platform.DestroyWindow();
  platform.FreeAllFonts();
}

}  // namespace zelluo::core
