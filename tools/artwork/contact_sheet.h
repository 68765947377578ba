#pragma once
// One overview picture of all artwork, each piece labelled with its number.

#include <vector>

#include "canvas.h"
#include "pictures.h"

namespace zelluo::artwork {

Picture DrawContactSheet(const std::vector<CataloguePicture>& catalogue,
                         const std::vector<Picture>& iconEntries);

}  // namespace zelluo::artwork
