#include "assets/embedded_assets.h"

namespace zelluo::assets {

// The WAVE file is stored last, after the pictures.
std::span<const EmbeddedAsset> BuiltInImages() {
  const std::span<const EmbeddedAsset> files = EmbeddedAssetFiles();
  return files.first(files.size() - 1);
}

EmbeddedAsset BuiltInClickSound() { return EmbeddedAssetFiles().back(); }

}  // namespace zelluo::assets
