// Draws the built-in artwork and the click sound and writes them as files:
//   zelluo_artwork <assets folder> <contact sheet file>
// The assets folder receives icon.ico, every picture and click.wav under the
// file names and sizes of the asset catalogue (src/assets/asset_catalogue.inc).

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "click_sound.h"
#include "contact_sheet.h"
#include "icon_file.h"
#include "pictures.h"
#include "png_file.h"

namespace {

struct CatalogueFile {
  int number;
  const char* file;
  int width;
  int height;
};

constexpr CatalogueFile kCatalogue[] = {
#define ZELLUO_IMAGE(number, name, file, width, height) {number, file, width, height},
#define ZELLUO_SOUND(number, name, file)
#include "../../src/assets/asset_catalogue.inc"
#undef ZELLUO_IMAGE
#undef ZELLUO_SOUND
};

const CatalogueFile* FindInCatalogue(int number) {
  for (const CatalogueFile& entry : kCatalogue) {
    if (entry.number == number) return &entry;
  }
  return nullptr;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%8zu  %s\n", bytes.size(), path.c_str());
  return true;
}

bool WritePng(const std::string& path, const zelluo::artwork::Picture& picture) {
  const auto png = zelluo::artwork::EncodePng(picture);
  if (!png) {
    std::fprintf(stderr, "cannot encode %s\n", path.c_str());
    return false;
  }
  return WriteBytes(path, *png);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zelluo::artwork;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <assets folder> <contact sheet file>\n", argv[0]);
    return 2;
  }
  const std::string assets = argv[1];
  bool ok = true;

  const std::vector<Picture> iconEntries = DrawIconEntries();
  ok = WriteBytes(assets + "/icon.ico", BuildIconFile(iconEntries)) && ok;

  const std::vector<CataloguePicture> catalogue = DrawCatalogue();
  for (const CataloguePicture& entry : catalogue) {
    const CatalogueFile* file = FindInCatalogue(entry.number);
    if (file == nullptr || file->width != entry.picture.width ||
        file->height != entry.picture.height) {
      std::fprintf(stderr, "picture %d does not match the asset catalogue\n", entry.number);
      ok = false;
      continue;
    }
    ok = WritePng(assets + "/" + file->file, entry.picture) && ok;
  }

  ok = WriteBytes(assets + "/click.wav", BuildClickWave()) && ok;
  ok = WritePng(argv[2], DrawContactSheet(catalogue, iconEntries)) && ok;
  return ok ? 0 : 1;
}
