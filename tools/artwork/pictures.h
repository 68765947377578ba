#pragma once
// The drawings of every built-in picture, by image number.

#include <string>
#include <vector>

#include "canvas.h"

namespace zelluo::artwork {

struct CataloguePicture {
  int number = 0;  // its file name and size are the asset catalogue's
  Picture picture;
};

// The 25 pictures in registration order: 12101 to 12104, 10 to 71, 6 to 9,
// 22, 23, 24.
std::vector<CataloguePicture> DrawCatalogue();

// The program icon's entries: 16, 32, 48, 64 and 128 pixels, transparent
// around the clapperboard.
std::vector<Picture> DrawIconEntries();

}  // namespace zelluo::artwork
