#pragma once
// The asset files built into the program: the icon file, the 25 PNG pictures
// and the click sound's WAVE file, byte for byte as they are in assets/.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zelluo::assets {

struct EmbeddedAsset {
  int32_t number;  // image number; for the WAVE file its sound number, 0
  const uint8_t* data;
  size_t size;
};

// Every file in storage order: the icon, the pictures in registration order,
// then the WAVE file. Defined by the source that the build generates.
std::span<const EmbeddedAsset> EmbeddedAssetFiles();

// The 26 pictures (the icon first) in the order they are registered:
// 5, 12101, 12102, 12103, 12104, 10, 11, 20, 21, 30, 31, 40, 41, 50, 51,
// 60, 61, 70, 71, 6, 7, 8, 9, 22, 23, 24.
std::span<const EmbeddedAsset> BuiltInImages();

// The click sound's WAVE file.
EmbeddedAsset BuiltInClickSound();

}  // namespace zelluo::assets
