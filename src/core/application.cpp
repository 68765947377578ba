#include "core/application.h"

#include <array>
#include <optional>
#include <utility>

#include "assets/embedded_assets.h"
#include "assets/image_decoding.h"
#include "assets/sound.h"
#include "core/event_loop.h"
#include "core/main_window.h"
#include "core/navigation.h"
#include "core/tray.h"
#include "settings/settings_store.h"
#include "texts/texts.h"
#include "ui/pages.h"

namespace zelluo::core {
namespace {

struct Resolution {
  int32_t width;
  int32_t height;
};

// The display modes the window is made for, tested in this order.
constexpr std::array kSupportedResolutions = {
    Resolution{1280, 1024},
    Resolution{1600, 1024},
    Resolution{1600, 1200},
};

void SetDefaults(Application& app) {
  app.settings = settings::DefaultSettings(app.platform.Today());
  app.Author = std::string(text::kAuthor);
  app.ProgramSizeKb = ProgramSizeKb(app.platform);
  app.geometry = WindowGeometry{};
  app.ScreenWidth = 0;
  app.ScreenHeight = 0;
}

}  // namespace

int32_t ProgramSizeKb(platform::Platform& platform) {
  // -1 (missing) and -2 (a folder) divide to 0.
  int64_t bytes = platform.FileSize(platform.ExecutablePath());
  return static_cast<int32_t>(bytes / 1024);
}

void MeasureScreen(Application& app) {
  platform::Size size = app.platform.PrimaryDisplaySize();
  app.ScreenWidth = size.width;
  app.ScreenHeight = size.height;
}

bool ResolutionSupported(int32_t width, int32_t height, int32_t ignoreRes) {
  if (ignoreRes == 1) return true;
  for (const Resolution& mode : kSupportedResolutions) {
    if (mode.width == width && mode.height == height) return true;
  }
  return false;
}

void ShowResolutionMessage(platform::Platform& platform) {
  platform.ShowMessage(text::kResolutionTitle, text::kResolutionMessage,
                       platform::MessageButtons::Ok);
}

void LoadBuiltInAssets(platform::Platform& platform) {
  ui::LoadFonts(platform);
  // Each picture is decoded when the platform first needs it: decoding them
  // all would be most of the program's own work before the window opens.
  for (const assets::EmbeddedAsset& asset : assets::BuiltInImages()) {
    platform.TakeImageLater(platform::ImageId{asset.number},
                            [asset] { return assets::DecodeImage(asset.data, asset.size); });
  }
  assets::EmbeddedAsset click = assets::BuiltInClickSound();
  assets::LoadSoundFromMemory(platform, assets::kClickSound, click.data, click.size);
}

int RunApplication(platform::Platform& platform) {
  Application app(platform);
  // Without a device the click simply does not play.
  platform.OpenAudio();
  SetDefaults(app);
  LoadOrCreateSettings(platform, app.settings);
  LoadOrCreateSettings(platform, app.settings);
  LoadBuiltInAssets(platform);
  MeasureScreen(app);
  if (ResolutionSupported(app.ScreenWidth, app.ScreenHeight, app.settings.IgnoreRes)) {
    OpenMainWindow(app);
    AddShortcuts(platform);
    CreateTrayIcon(app);
    CreateTrayMenu(platform);
    ui::BuildWindowFrame(platform);
    ui::BuildCloseButton(platform);
    RunEventLoop(app);
  } else {
    ShowResolutionMessage(platform);
  }
  Shutdown(app);
  return 0;
}

}  // namespace zelluo::core
