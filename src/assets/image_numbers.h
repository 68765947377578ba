#pragma once
// The numbers of the built-in pictures, named as in the asset catalogue.

#include <cstdint>

#include "platform/platform_types.h"

namespace zelluo::assets::image {

#define ZELLUO_IMAGE(number, name, file, width, height) \
  inline constexpr platform::ImageId name{number};
#define ZELLUO_SOUND(number, name, file)
#include "assets/asset_catalogue.inc"
#undef ZELLUO_IMAGE
#undef ZELLUO_SOUND

}  // namespace zelluo::assets::image
