// Draws the built-in artwork and the click sound and writes them as files:
//   zelluo_artwork <assets folder> <contact sheet file>
// The assets folder receives icon.ico, <number>-<role>.png for every picture
// and click.wav.

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
    const std::string name = std::to_string(entry.number) + "-" + entry.role + ".png";
    ok = WritePng(assets + "/" + name, entry.picture) && ok;
  }

  ok = WriteBytes(assets + "/click.wav", BuildClickWave()) && ok;
  ok = WritePng(argv[2], DrawContactSheet(catalogue, iconEntries)) && ok;
  return ok ? 0 : 1;
}
