// The built-in assets: the committed files, embedded in storage order, decode
// to their sizes and blend into the dark panel of the window.
#include <gtest/gtest.h>

#include "../test_support.h"
#include "assets/embedded_assets.h"
#include "assets/image_decoding.h"
#include "platform/headless/headless_platform.h"

namespace zelluo {
namespace {

struct CatalogueEntry {
  int32_t number;
  const char* file;
  int32_t width;  // 0 for the sound
  int32_t height;
};

constexpr CatalogueEntry kCatalogue[] = {
#define ZELLUO_IMAGE(number, name, file, width, height) {number, file, width, height},
#define ZELLUO_SOUND(number, name, file) {number, file, 0, 0},
#include "assets/asset_catalogue.inc"
#undef ZELLUO_IMAGE
#undef ZELLUO_SOUND
};

TEST(BuiltInAssets, AreTheCommittedFilesAndDecodeToPicturesThatBlendIntoThePanel) {
  const std::span<const assets::EmbeddedAsset> files = assets::EmbeddedAssetFiles();
  ASSERT_EQ(files.size(), std::size(kCatalogue));
  EXPECT_EQ(assets::BuiltInImages().size(), files.size() - 1);
  EXPECT_EQ(assets::BuiltInClickSound().data, files.back().data);
  for (size_t i = 0; i < files.size(); ++i) {
    const CatalogueEntry& expected = kCatalogue[i];
    SCOPED_TRACE(expected.file);
    EXPECT_EQ(files[i].number, expected.number);
    const std::string committed =
        testing::ReadBytes(std::string(ZELLUO_SOURCE_DIR) + "/assets/" + expected.file);
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(files[i].data), files[i].size) ==
                committed);
    if (expected.width == 0) continue;
    const std::optional<platform::PixelImage> image =
        assets::DecodeImage(files[i].data, files[i].size);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width * 10000 + image->height, expected.width * 10000 + expected.height);
    EXPECT_EQ(image->depth, 32);
    EXPECT_EQ(image->isIcon, expected.number == 5);
    // Opaque but for the borders of the switches, with corners of the panel
    // colour: frame pieces and underlines run into the panel and the icon
    // stands on its own.
    const bool isSwitch = expected.number >= 6 && expected.number <= 9;
    const bool ownCorners = expected.number >= 12101 || expected.number == 23 ||
                            expected.number == 24 || expected.number == 5;
    int translucent = 0;
    for (int y = 0; y < image->height; ++y) {
      for (int x = 0; x < image->width; ++x) {
        const uint8_t* p = &image->rgba[(static_cast<size_t>(y) * image->width + x) * 4];
        const bool border = x == 0 || y == 0 || x == image->width - 1 || y == image->height - 1;
        const bool corner = (x == 0 || x == image->width - 1) && (y == 0 || y == image->height - 1);
        EXPECT_TRUE(!corner || ownCorners || (p[0] == 40 && p[1] == 40 && p[2] == 40))
            << x << "," << y;
        if (expected.number != 5 && p[3] != 255 && !(isSwitch && border)) ++translucent;
      }
    }
    EXPECT_EQ(translucent, 0);
  }
}

// A platform that has no use for waiting decodes a picture handed over for
// later at once: a picture is taken, a blob that does not decode is not.
TEST(BuiltInAssets, HandedOverForLaterAreDecodedAtOnceByDefault) {
  testing::TempDir dir;
  platform::HeadlessPlatform platform(dir.Path());
  const assets::EmbeddedAsset play = assets::BuiltInImages()[1];
  EXPECT_TRUE(platform.TakeImageLater(platform::ImageId{play.number}, [play] {
    return assets::DecodeImage(play.data, play.size);
  }));
  EXPECT_FALSE(platform.TakeImageLater(
      platform::ImageId{999}, [play] { return assets::DecodeImage(play.data, play.size / 2); }));
  ASSERT_EQ(platform.images.size(), 1U);
  EXPECT_EQ(platform::Number(platform.images.begin()->first), play.number);
  EXPECT_EQ(platform.images.begin()->second.rgba, assets::DecodeImage(play.data, play.size)->rgba);
}

}  // namespace
}  // namespace zelluo
