// Peak memory of taking over a 100-megapixel picture as a cover. The picture
// (10000 x 10000, colour ramps and squares, written row by row with libpng or
// libjpeg into a temporary folder by a child process, so that its making does
// not count) is made first; the resident set's peak (ru_maxrss) is read
// before and after TakeOverCover.
//
//   cover_memory              a PNG
//   cover_memory interlaced   the same picture as an interlaced PNG (Adam7)
//   cover_memory jpeg         as a baseline JPEG
//   cover_memory progressive  as a progressive JPEG
//
// A second argument sets another width and height than 10000.
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// After <cstdio>: jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "collection/cover.h"

namespace {

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void FillRow(uint32_t side, uint32_t y, uint8_t* row) {
  for (uint32_t x = 0; x < side; ++x) {
    row[x * 3] = static_cast<uint8_t>(x * 255 / side);
    row[x * 3 + 1] = static_cast<uint8_t>(y * 255 / side);
    row[x * 3 + 2] = static_cast<uint8_t>(((x / 500 + y / 500) % 2) * 200);
  }
}

bool WritePng(const std::string& path, uint32_t side, bool interlaced) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t> row(side * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGB,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int passes = interlaced ? png_set_interlace_handling(png) : 1;
  for (int pass = 0; pass < passes; ++pass) {
    for (uint32_t y = 0; y < side; ++y) {
      FillRow(side, y, row.data());
      png_write_row(png, row.data());
    }
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

bool WriteJpeg(const std::string& path, uint32_t side, bool progressive) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = side;
  info.image_height = side;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 85, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(side * 3);
  while (info.next_scanline < side) {
    FillRow(side, info.next_scanline, row.data());
    JSAMPROW rows = row.data();
    jpeg_write_scanlines(&info, &rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

// The picture is made in a child process: a progressive JPEG is held whole
// while it is written.
bool WritePicture(const std::string& path, uint32_t side, const std::string& kind) {
  const pid_t child = fork();
  if (child == 0) {
    const bool written = kind == "jpeg" || kind == "progressive"
                             ? WriteJpeg(path, side, kind == "progressive")
                             : WritePng(path, side, kind == "interlaced");
    _exit(written ? 0 : 1);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc > 1 ? argv[1] : "png";
  const uint32_t side =
      argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 10000;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "zelluo-cover-memory";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string picture = (folder / "bild").string();
  if (!WritePicture(picture, side, kind)) {
    std::fprintf(stderr, "the picture could not be written\n");
    return 1;
  }
  const long before = PeakKilobytes();
  const auto start = std::chrono::steady_clock::now();
  const zelluo::collection::CoverResult cover =
      zelluo::collection::TakeOverCover((folder / "Cover").string(), picture);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long after = PeakKilobytes();
  std::printf("%s %u x %u, %.1f MB: %s in %.2f s\n", kind.c_str(), side, side,
              static_cast<double>(std::filesystem::file_size(picture)) / 1e6,
              cover.error.empty() ? cover.fileName.c_str() : cover.error.c_str(), seconds);
  std::printf("peak RSS: %.1f MB before taking it over, %.1f MB after\n", before / 1024.0,
              after / 1024.0);
  std::filesystem::remove_all(folder);
  return cover.error.empty() ? 0 : 1;
}
