#pragma once
// The built-in asset files as the tests expect them: number, file in assets/
// and pixel size, in storage order (the click sound last, without a size).

#include <cstdint>
#include <vector>

namespace zelluo::testing {

struct CatalogueEntry {
  int32_t number;
  const char* file;
  int32_t width;
  int32_t height;
};

// clang-format off
inline const std::vector<CatalogueEntry> kAssetCatalogue = {
    {5, "icon.ico", 16, 16},                   {12101, "12101-frame-top.png", 1280, 50},
    {12102, "12102-frame-right.png", 40, 934}, {12103, "12103-frame-bottom.png", 1280, 40},
    {12104, "12104-frame-left.png", 40, 934},  {10, "10-play.png", 128, 128},
    {11, "11-play-hover.png", 128, 128},       {20, "20-list.png", 128, 128},
    {21, "21-list-hover.png", 128, 128},       {30, "30-options.png", 128, 128},
    {31, "31-options-hover.png", 128, 128},    {40, "40-update.png", 128, 128},
    {41, "41-update-hover.png", 128, 128},     {50, "50-about.png", 128, 128},
    {51, "51-about-hover.png", 128, 128},      {60, "60-back.png", 50, 50},
    {61, "61-back-hover.png", 50, 50},         {70, "70-close.png", 50, 50},
    {71, "71-close-hover.png", 50, 50},        {6, "6-switch-on-grey.png", 24, 24},
    {7, "7-switch-on-green.png", 24, 24},      {8, "8-switch-off-grey.png", 24, 24},
    {9, "9-switch-off-red.png", 24, 24},       {22, "22-cover-placeholder.png", 360, 450},
    {23, "23-underline-short.png", 260, 2},    {24, "24-underline-long.png", 800, 2},
    {0, "click.wav", 0, 0},
};
// clang-format on

}  // namespace zelluo::testing
