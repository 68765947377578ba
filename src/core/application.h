#pragma once
// The application object: all process-wide state of one run, created by
// RunApplication and passed by reference, so that a test can run the whole
// program many times in one process.

#include <cstdint>
#include <string>

#include "core/list_page_controller.h"
#include "core/play_page_controller.h"
#include "core/statistics_page.h"
#include "core/update_page_controller.h"
#include "platform/platform.h"
#include "settings/settings_record.h"
#include "ui/pages.h"

namespace zelluo::core {

// The main window's geometry; X and Y are overridden by centring.
struct WindowGeometry {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 1280;
  int32_t Height = 1024;
  bool Borderless = true;
  bool Minimised = true;
  bool Centred = true;
  int32_t CornerWidth = 0;
  int32_t CornerHeight = 0;
};

struct Application {
  explicit Application(platform::Platform& platform)
      : platform(platform),
        listPage(platform),
        playPage(platform, listPage),
        updatePage(platform, listPage),
        statisticsPage(platform, listPage) {}

  platform::Platform& platform;
  settings::SettingsRecord settings;
  WindowGeometry geometry;
  std::string Author;
  int32_t ProgramSizeKb = 0;
  int32_t ScreenWidth = 0;
  int32_t ScreenHeight = 0;
  bool trayIconInstalled = false;
  std::optional<ui::Page> shownPage;  // none before the loop and for an unknown start page
  ListPageController listPage;
  PlayPageController playPage;      // after listPage, whose collection it reads
  UpdatePageController updatePage;  // after listPage, whose collection it reads
  StatisticsPage statisticsPage;    // after listPage, whose collection it counts
};

// The program's entry: starts up, runs, shuts down; returns the exit code, 0.
int RunApplication(platform::Platform& platform);

// The size of the executable in kilobytes, truncated toward zero (0 when the
// size cannot be determined).
int32_t ProgramSizeKb(platform::Platform& platform);

// Sets ScreenWidth and ScreenHeight from the primary display (0 without one).
void MeasureScreen(Application& app);

// True when ignoreRes is 1 or width x height is one of the supported modes.
bool ResolutionSupported(int32_t width, int32_t height, int32_t ignoreRes);

// The modal refusal of an unsupported display.
void ShowResolutionMessage(platform::Platform& platform);

// Fonts, then the built-in pictures, then the click sound.
void LoadBuiltInAssets(platform::Platform& platform);

}  // namespace zelluo::core
