// Build step of the Linux package: writes every picture of the program's icon
// file as a PNG into a freedesktop icon theme folder,
//
//   icon_to_png <icon.ico> <theme-folder>   ->   <theme-folder>/<n>x<n>/apps/zelluo.png
//
// Each entry is decoded by the program's own icon decoder (as a one-entry icon
// file), so the desktop shows exactly the pixels the program shows.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/image_decoding.h"

namespace {

uint32_t ReadLittleEndian(const std::vector<uint8_t>& bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<size_t>(i)];
  return value;
}

bool WritePng(const std::filesystem::path& path, const zelluo::platform::PixelImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&png, path.c_str(), 0, image.rgba.data(), 0, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <icon.ico> <theme-folder>\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<uint8_t> icon((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  constexpr size_t kHeader = 6;
  constexpr size_t kEntry = 16;
  if (icon.size() < kHeader || ReadLittleEndian(icon, 0, 2) != 0 ||
      ReadLittleEndian(icon, 2, 2) != 1) {
    std::fprintf(stderr, "%s: not an icon file\n", argv[1]);
    return 1;
  }
  const size_t count = ReadLittleEndian(icon, 4, 2);
  if (count == 0 || icon.size() < kHeader + count * kEntry) {
    std::fprintf(stderr, "%s: damaged icon directory\n", argv[1]);
    return 1;
  }
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = kHeader + i * kEntry;
    const size_t size = ReadLittleEndian(icon, entry + 8, 4);
    const size_t offset = ReadLittleEndian(icon, entry + 12, 4);
    if (offset > icon.size() || size > icon.size() - offset) {
      std::fprintf(stderr, "%s: entry %zu lies outside the file\n", argv[1], i + 1);
      return 1;
    }
    // A one-entry icon file: the header, this directory entry, its data.
    std::vector<uint8_t> single(icon.begin(), icon.begin() + kHeader);
    single[4] = 1;
    single[5] = 0;
    single.insert(single.end(), icon.begin() + static_cast<std::ptrdiff_t>(entry),
                  icon.begin() + static_cast<std::ptrdiff_t>(entry + 12));
    const uint32_t dataAt = kHeader + kEntry;
    for (int b = 0; b < 4; ++b) single.push_back(static_cast<uint8_t>(dataAt >> (8 * b)));
    single.insert(single.end(), icon.begin() + static_cast<std::ptrdiff_t>(offset),
                  icon.begin() + static_cast<std::ptrdiff_t>(offset + size));

    const auto image = zelluo::assets::DecodeIconFile(single.data(), single.size());
    if (!image || image->width != image->height) {
      std::fprintf(stderr, "%s: entry %zu cannot be decoded\n", argv[1], i + 1);
      return 1;
    }
    const std::string folder = std::to_string(image->width) + "x" + std::to_string(image->height);
    const std::filesystem::path target = std::filesystem::path(argv[2]) / folder / "apps";
    std::error_code error;
    std::filesystem::create_directories(target, error);
    if (error || !WritePng(target / "zelluo.png", *image)) {
      std::fprintf(stderr, "cannot write %s\n", (target / "zelluo.png").c_str());
      return 1;
    }
  }
  return 0;
}
