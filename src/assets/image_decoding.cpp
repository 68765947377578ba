#include "assets/image_decoding.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "assets/little_endian.h"

namespace zelluo::assets {

namespace {

int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

bool SizeAllowed(int64_t width, int64_t height, const ImageLimits& limits = {}) {
  return width > 0 && height > 0 && width <= limits.maxSide && height <= limits.maxSide &&
         width * height <= limits.maxPixels;
}

// ---------------------------------------------------------------------------
// PNG through libpng.

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->size - reader->position) png_error(png, "read past the end of the data");
  std::memcpy(out, reader->data + reader->position, length);
  reader->position += length;
}

[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void OnPngWarning(png_structp, png_const_charp) {}

// Everything that may jump back from an error lives in here; the row buffer
// belongs to the caller, so no destructor is skipped on the way out. An
// interlaced picture is handed over pass by pass, each row of a pass with only
// that pass's pixels, so that nobody needs the whole picture at once.
bool ReadPng(MemoryReader* reader, const ImageLimits& limits, PngRowReceiver& receiver,
             std::vector<uint8_t>* row) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, reader, ReadFromMemory);
  const auto side = static_cast<png_uint_32>(std::min<int64_t>(limits.maxSide, 65535));
  png_set_user_limits(png, side, side);
  png_read_info(png, info);

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colourType = 0;
  int interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
  if (!SizeAllowed(width, height, limits)) png_error(png, "picture too large");
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparency;

  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (transparency) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  if (!alpha) png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
    png_error(png, "unexpected row layout");
  }
  if (!receiver.Begin(static_cast<int32_t>(width), static_cast<int32_t>(height), alpha)) {
    png_error(png, "picture refused");
  }
  row->resize(static_cast<size_t>(width) * 4);
  // Without interlace handling libpng gives each pass's rows as they are
  // stored, and skips the passes without pixels, as this loop does.
  const int passes = interlace == PNG_INTERLACE_ADAM7 ? 7 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const bool adam7 = passes == 7;
    const png_uint_32 columns = adam7 ? PNG_PASS_COLS(width, pass) : width;
    const png_uint_32 rows = adam7 ? PNG_PASS_ROWS(height, pass) : height;
    if (columns == 0 || rows == 0) continue;
    const int32_t firstColumn = adam7 ? PNG_PASS_START_COL(pass) : 0;
    const int32_t columnStep = adam7 ? PNG_PASS_COL_OFFSET(pass) : 1;
    if (static_cast<int>(png_get_current_pass_number(png)) != (adam7 ? pass : 0)) {
      png_error(png, "passes out of step");
    }
    for (png_uint_32 r = 0; r < rows; ++r) {
      png_read_row(png, row->data(), nullptr);
      const png_uint_32 y = adam7 ? PNG_ROW_FROM_PASS_ROW(r, pass) : r;
      receiver.Row(static_cast<int32_t>(y), firstColumn, columnStep, row->data(),
                   static_cast<int32_t>(columns));
    }
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

// The whole picture, pass by pass put together.
class WholePng final : public PngRowReceiver {
 public:
  bool Begin(int32_t width, int32_t height, bool alpha) override {
    image_.width = width;
    image_.height = height;
    image_.depth = alpha ? 32 : 24;
    image_.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    return true;
  }

  void Row(int32_t y, int32_t firstColumn, int32_t columnStep, const uint8_t* rgba,
           int32_t count) override {
    uint8_t* target = image_.rgba.data() + static_cast<size_t>(y) * image_.width * 4;
    if (columnStep == 1) {
      std::memcpy(target + static_cast<size_t>(firstColumn) * 4, rgba,
                  static_cast<size_t>(count) * 4);
      return;
    }
    for (int32_t i = 0; i < count; ++i) {
      std::memcpy(target + static_cast<size_t>(firstColumn + i * columnStep) * 4, rgba + i * 4, 4);
    }
  }

  platform::PixelImage Take() { return std::move(image_); }

 private:
  platform::PixelImage image_;
};

// ---------------------------------------------------------------------------
// Device-independent bitmaps, shared by bitmap files and icon entries.

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitFields = 3;
constexpr uint32_t kBiAlphaBitFields = 6;

struct DibHeader {
  int32_t width = 0;
  int32_t height = 0;  // rows of colour data
  bool topDown = false;
  uint16_t bitCount = 0;
  uint32_t compression = kBiRgb;
  uint32_t masks[4] = {};  // red, green, blue, alpha
  bool hasMasks = false;
  const uint8_t* palette = nullptr;
  uint32_t paletteEntries = 0;
  uint32_t paletteEntrySize = 4;
  size_t bytes = 0;  // header, masks and palette together
};

size_t RowStride(int32_t width, uint32_t bitCount) {
  return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
}

// heightDivisor is 2 for icon entries, whose stated height counts the rows of
// the AND mask as well.
std::optional<DibHeader> ParseDibHeader(const uint8_t* data, size_t available, int heightDivisor) {
  if (available < 4) return std::nullopt;
  const uint32_t headerSize = ReadU32(data);
  DibHeader dib;
  int64_t height = 0;
  uint32_t coloursUsed = 0;
  size_t position = 0;
  if (headerSize == 12) {
    if (available < 12) return std::nullopt;
    dib.width = ReadU16(data + 4);
    height = ReadU16(data + 6);
    dib.bitCount = ReadU16(data + 10);
    dib.paletteEntrySize = 3;
    position = 12;
  } else if (headerSize >= 40 && headerSize <= available) {
    dib.width = ReadI32(data + 4);
    height = ReadI32(data + 8);
    dib.bitCount = ReadU16(data + 14);
    dib.compression = ReadU32(data + 16);
    coloursUsed = ReadU32(data + 32);
    position = headerSize;
    if (dib.compression == kBiBitFields || dib.compression == kBiAlphaBitFields) {
      const size_t maskCount = dib.compression == kBiAlphaBitFields ? 4 : 3;
      const uint8_t* masks = data + 40;
      if (headerSize == 40) {
        // The masks follow the short header.
        if (available < 40 + 4 * maskCount) return std::nullopt;
        position = 40 + 4 * maskCount;
      } else if (headerSize < 40 + 4 * maskCount) {
        return std::nullopt;
      }
      for (size_t i = 0; i < maskCount; ++i) dib.masks[i] = ReadU32(masks + 4 * i);
      if (maskCount == 3 && headerSize >= 56) dib.masks[3] = ReadU32(data + 52);
      dib.hasMasks = true;
    }
  } else {
    return std::nullopt;
  }

  if (height < 0) {
    dib.topDown = true;
    height = -height;
  }
  height /= heightDivisor;
  if (!SizeAllowed(dib.width, height)) return std::nullopt;
  dib.height = static_cast<int32_t>(height);

  switch (dib.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      if (dib.compression != kBiRgb) return std::nullopt;
      break;
    case 16:
    case 32:
      if (dib.compression != kBiRgb && !dib.hasMasks) return std::nullopt;
      break;
    default:
      return std::nullopt;
  }
  if (dib.bitCount <= 8) {
    const uint32_t most = 1u << dib.bitCount;
    if (coloursUsed > most) return std::nullopt;
    dib.paletteEntries = coloursUsed == 0 ? most : coloursUsed;
  } else {
    // A palette is allowed here too, as a hint for display; it is skipped.
    if (coloursUsed > 256) return std::nullopt;
    dib.paletteEntries = coloursUsed;
  }
  const size_t paletteBytes = static_cast<size_t>(dib.paletteEntries) * dib.paletteEntrySize;
  if (paletteBytes > available - position) return std::nullopt;
  dib.palette = data + position;
  dib.bytes = position + paletteBytes;
  return dib;
}

// Takes the bits of mask out of value and scales them to 0..255.
uint8_t ExtractChannel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  const uint32_t top = mask >> shift;
  const uint32_t bits = (value & mask) >> shift;
  return static_cast<uint8_t>((static_cast<uint64_t>(bits) * 255 + top / 2) / top);
}

// Fills image (already sized) from rows of the given layout; pixels must hold
// RowStride * height bytes. Alpha comes from the data only for 32 bits per
// pixel without masks or with an alpha mask; everything else is opaque.
void ConvertDibPixels(const DibHeader& dib, const uint8_t* pixels, platform::PixelImage& image) {
  const size_t stride = RowStride(dib.width, dib.bitCount);
  uint32_t masks[4] = {dib.masks[0], dib.masks[1], dib.masks[2], dib.masks[3]};
  if (!dib.hasMasks && dib.bitCount == 16) {
    masks[0] = 0x7c00;
    masks[1] = 0x03e0;
    masks[2] = 0x001f;
  }
  for (int32_t row = 0; row < dib.height; ++row) {
    const int32_t y = dib.topDown ? row : dib.height - 1 - row;
    const uint8_t* in = pixels + static_cast<size_t>(row) * stride;
    uint8_t* out = image.rgba.data() + static_cast<size_t>(y) * dib.width * 4;
    for (int32_t x = 0; x < dib.width; ++x, out += 4) {
      out[3] = 255;
      if (dib.bitCount <= 8) {
        const uint32_t bitOffset = static_cast<uint32_t>(x) * dib.bitCount;
        const uint32_t shift = 8 - dib.bitCount - bitOffset % 8;
        const uint32_t index = (in[bitOffset / 8] >> shift) & ((1u << dib.bitCount) - 1);
        if (index < dib.paletteEntries) {
          const uint8_t* entry = dib.palette + static_cast<size_t>(index) * dib.paletteEntrySize;
          out[0] = entry[2];
          out[1] = entry[1];
          out[2] = entry[0];
        } else {
          out[0] = out[1] = out[2] = 0;
        }
      } else if (dib.bitCount == 24) {
        const uint8_t* p = in + static_cast<size_t>(x) * 3;
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
      } else if (dib.bitCount == 16 || dib.hasMasks) {
        const uint32_t value = dib.bitCount == 16 ? ReadU16(in + static_cast<size_t>(x) * 2)
                                                  : ReadU32(in + static_cast<size_t>(x) * 4);
        out[0] = ExtractChannel(value, masks[0]);
        out[1] = ExtractChannel(value, masks[1]);
        out[2] = ExtractChannel(value, masks[2]);
        if (masks[3] != 0) out[3] = ExtractChannel(value, masks[3]);
      } else {
        const uint8_t* p = in + static_cast<size_t>(x) * 4;
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
        out[3] = p[3];
      }
    }
  }
}

bool AllTransparent(const platform::PixelImage& image) {
  for (size_t i = 3; i < image.rgba.size(); i += 4) {
    if (image.rgba[i] != 0) return false;
  }
  return true;
}

void MakeOpaque(platform::PixelImage& image) {
  for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;
}

platform::PixelImage MakeImage(int32_t width, int32_t height) {
  platform::PixelImage image;
  image.width = width;
  image.height = height;
  image.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
  return image;
}

// The part of the icon file that the directory entry describes.
struct IconEntry {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t bitCount = 0;
  const uint8_t* data = nullptr;
  size_t size = 0;
};

bool IsPng(const uint8_t* data, size_t size) {
  return size >= sizeof kPngSignature &&
         std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
}

// Bits per pixel of an entry whose directory leaves the field 0.
uint32_t EntryBitCount(const IconEntry& entry) {
  if (IsPng(entry.data, entry.size)) return 32;
  if (entry.size >= 16) return ReadU16(entry.data + 14);
  return 0;
}

std::optional<platform::PixelImage> DecodeIconBitmap(const IconEntry& entry) {
  const std::optional<DibHeader> header = ParseDibHeader(entry.data, entry.size, 2);
  if (!header || header->compression != kBiRgb || header->topDown) return std::nullopt;
  const DibHeader& dib = *header;
  const size_t colourBytes = RowStride(dib.width, dib.bitCount) * dib.height;
  const size_t maskStride = RowStride(dib.width, 1);
  const size_t maskBytes = maskStride * dib.height;
  if (colourBytes > entry.size - dib.bytes) return std::nullopt;
  const uint8_t* pixels = entry.data + dib.bytes;
  const bool hasMask = maskBytes <= entry.size - dib.bytes - colourBytes;

  platform::PixelImage image = MakeImage(dib.width, dib.height);
  ConvertDibPixels(dib, pixels, image);
  const bool alphaFromData = dib.bitCount == 32 && !AllTransparent(image);
  if (!alphaFromData) {
    MakeOpaque(image);
    if (hasMask) {
      const uint8_t* mask = pixels + colourBytes;
      for (int32_t row = 0; row < dib.height; ++row) {
        const uint8_t* bits = mask + static_cast<size_t>(row) * maskStride;
        uint8_t* out =
            image.rgba.data() + static_cast<size_t>(dib.height - 1 - row) * dib.width * 4;
        for (int32_t x = 0; x < dib.width; ++x) {
          if ((bits[x / 8] >> (7 - x % 8)) & 1) out[static_cast<size_t>(x) * 4 + 3] = 0;
        }
      }
    }
  }
  image.depth = dib.bitCount == 32 ? 32 : 24;
  image.isIcon = true;
  return image;
}

}  // namespace

bool DecodePngRows(const uint8_t* data, size_t available, const ImageLimits& limits,
                   PngRowReceiver& receiver) {
  if (data == nullptr) return false;
  MemoryReader reader{data, std::min(available, limits.maxBytes), 0};
  std::vector<uint8_t> row;
  return ReadPng(&reader, limits, receiver, &row);
}

std::optional<platform::PixelImage> DecodePng(const uint8_t* data, size_t available,
                                              const ImageLimits& limits) {
  WholePng whole;
  if (!DecodePngRows(data, available, limits, whole)) return std::nullopt;
  return whole.Take();
}

std::optional<platform::PixelImage> DecodeIconFile(const uint8_t* data, size_t available) {
  if (data == nullptr) return std::nullopt;
  available = std::min(available, kMaxImageBytes);
  if (available < 6 || ReadU16(data) != 0 || ReadU16(data + 2) != 1) return std::nullopt;
  const size_t count = ReadU16(data + 4);
  const size_t directoryEnd = 6 + 16 * count;
  if (count == 0 || directoryEnd > available) return std::nullopt;

  std::vector<IconEntry> entries;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* record = data + 6 + 16 * i;
    IconEntry entry;
    entry.width = record[0] == 0 ? 256 : record[0];
    entry.height = record[1] == 0 ? 256 : record[1];
    entry.bitCount = ReadU16(record + 6);
    const size_t size = ReadU32(record + 8);
    const size_t offset = ReadU32(record + 12);
    // An entry that overlaps the directory or runs past the data makes the
    // whole file suspect.
    if (size == 0 || offset < directoryEnd || offset > available || size > available - offset) {
      return std::nullopt;
    }
    entry.data = data + offset;
    entry.size = size;
    if (entry.bitCount == 0) entry.bitCount = EntryBitCount(entry);
    entries.push_back(entry);
  }

  const IconEntry* chosen = &entries.front();
  for (const IconEntry& entry : entries) {
    if (entry.width == entries.front().width && entry.height == entries.front().height &&
        entry.bitCount > chosen->bitCount) {
      chosen = &entry;
    }
  }

  if (IsPng(chosen->data, chosen->size)) {
    std::optional<platform::PixelImage> image = DecodePng(chosen->data, chosen->size);
    if (image) image->isIcon = true;
    return image;
  }
  return DecodeIconBitmap(*chosen);
}

std::optional<platform::PixelImage> DecodeBitmapFile(const uint8_t* data, size_t available) {
  if (data == nullptr) return std::nullopt;
  available = std::min(available, kMaxImageBytes);
  constexpr size_t kFileHeaderBytes = 14;
  if (available < kFileHeaderBytes || data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const size_t pixelOffset = ReadU32(data + 10);
  const std::optional<DibHeader> header =
      ParseDibHeader(data + kFileHeaderBytes, available - kFileHeaderBytes, 1);
  if (!header) return std::nullopt;
  const DibHeader& dib = *header;
  const size_t pixelBytes = RowStride(dib.width, dib.bitCount) * dib.height;
  if (pixelOffset > available || pixelBytes > available - pixelOffset) return std::nullopt;

  platform::PixelImage image = MakeImage(dib.width, dib.height);
  ConvertDibPixels(dib, data + pixelOffset, image);
  const bool alphaFromData =
      dib.bitCount == 32 && (!dib.hasMasks || dib.masks[3] != 0) && !AllTransparent(image);
  if (!alphaFromData) MakeOpaque(image);
  image.depth = dib.bitCount == 32 ? 32 : 24;
  return image;
}

std::optional<platform::PixelImage> DecodeImage(const uint8_t* data, size_t available) {
  if (data == nullptr || available == 0) return std::nullopt;
  available = std::min(available, kMaxImageBytes);
  if (available >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBitmapFile(data, available);
  if (available >= 4 && ReadU16(data) == 0 && ReadU16(data + 2) == 1) {
    return DecodeIconFile(data, available);
  }
  return DecodePng(data, available);
}

}  // namespace zelluo::assets
