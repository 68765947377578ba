#include "icon_file.h"

namespace zelluo::artwork {

namespace {

void PutUint16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutUint32(std::vector<uint8_t>& out, uint32_t value) {
  PutUint16(out, value & 0xffff);
  PutUint16(out, value >> 16);
}

std::vector<uint8_t> BuildEntryBitmap(const Picture& picture) {
  const int width = picture.width;
  const int height = picture.height;
  const int maskStride = ((width + 31) / 32) * 4;
  const uint32_t pixelBytes = static_cast<uint32_t>(width * height * 4);
  const uint32_t maskBytes = static_cast<uint32_t>(maskStride * height);
  std::vector<uint8_t> out;
  PutUint32(out, 40);  // biSize
  PutUint32(out, static_cast<uint32_t>(width));
  PutUint32(out, static_cast<uint32_t>(height * 2));  // colour rows and mask rows
  PutUint16(out, 1);                                  // planes
  PutUint16(out, 32);                                 // bits per pixel
  PutUint32(out, 0);                                  // BI_RGB
  PutUint32(out, pixelBytes + maskBytes);
  PutUint32(out, 0);
  PutUint32(out, 0);
  PutUint32(out, 0);
  PutUint32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = picture.PixelAt(x, y);
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  // The AND mask marks the fully transparent pixels for readers without alpha.
  for (int y = height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
    for (int x = 0; x < width; ++x) {
      if (picture.PixelAt(x, y)[3] == 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

std::vector<uint8_t> BuildIconFile(const std::vector<Picture>& entries) {
  std::vector<std::vector<uint8_t>> bitmaps;
  for (const Picture& picture : entries) bitmaps.push_back(BuildEntryBitmap(picture));

  std::vector<uint8_t> out;
  PutUint16(out, 0);  // reserved
  PutUint16(out, 1);  // icon
  PutUint16(out, static_cast<uint32_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    out.push_back(static_cast<uint8_t>(entries[i].width >= 256 ? 0 : entries[i].width));
    out.push_back(static_cast<uint8_t>(entries[i].height >= 256 ? 0 : entries[i].height));
    out.push_back(0);    // colour count
    out.push_back(0);    // reserved
    PutUint16(out, 1);   // planes
    PutUint16(out, 32);  // bits per pixel
    PutUint32(out, static_cast<uint32_t>(bitmaps[i].size()));
    PutUint32(out, offset);
    offset += static_cast<uint32_t>(bitmaps[i].size());
  }
  for (const auto& bitmap : bitmaps) out.insert(out.end(), bitmap.begin(), bitmap.end());
  return out;
}

}  // namespace zelluo::artwork
