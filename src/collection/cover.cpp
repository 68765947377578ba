#include "collection/cover.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

// After <cstdio>: jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "assets/image_decoding.h"
#include "platform/invariant.h"
#include "platform/os_services.h"
#include "texts/texts.h"

namespace zelluo::collection {

namespace {

// A stored cover is small; anything much larger in the cover folder is not one.
constexpr int64_t kMaxStoredCoverBytes = 5'000'000;
// libjpeg's own allocations (a progressive file keeps all its coefficients).
constexpr long kMaxJpegWorkingMemory = 256L * 1024 * 1024;
// A progressive file may have any number of scans; real ones have about ten.
constexpr int kMaxJpegScans = 200;

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool IsJpeg(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
}

bool IsPng(const uint8_t* data, size_t size) {
  return size >= sizeof kPngSignature &&
         std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
}

uint32_t ReadBigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Deflate packs at most 1032 bytes into one, so a file too short to hold its
// stated picture is damaged (or a bomb); said before its pixels are allocated.
bool PngDataCanHold(int64_t width, int64_t height, uint8_t bitDepth, uint8_t colourType,
                    size_t fileSize) {
  // Samples per pixel of grey, -, colour, palette, grey and alpha, -, colour and alpha.
  constexpr int64_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  if (colourType > 6 || kChannels[colourType] == 0 || bitDepth == 0 || bitDepth > 16) {
    return false;
  }
  const int64_t rowBytes = (width * kChannels[colourType] * bitDepth + 7) / 8 + 1;
  return rowBytes * height <= static_cast<int64_t>(fileSize) * 1040;
}

bool SizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxCoverSourceSide && height <= kMaxCoverSourceSide &&
         width * height <= kMaxCoverSourcePixels;
}

// ---------------------------------------------------------------------------
// libjpeg with an error manager that jumps back instead of calling exit().

struct JpegErrors {
  jpeg_error_mgr manager;
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Warnings are dropped, except the end of the data before the end of the
// picture: libjpeg would fill the rest with grey, a truncated file is refused.
void OnJpegMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) OnJpegError(info);
}

void OnJpegProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxJpegScans) OnJpegError(info);
}

void InstallJpegErrors(j_common_ptr info, JpegErrors* errors) {
  info->err = jpeg_std_error(&errors->manager);
  errors->manager.error_exit = OnJpegError;
  errors->manager.emit_message = OnJpegMessage;
}

enum class JpegOutcome { Done, Damaged, TooLarge };

struct JpegPicture {
  int32_t sourceWidth = 0;  // as the file states it
  int32_t sourceHeight = 0;
  int32_t width = 0;  // as decoded, possibly scaled down by libjpeg
  int32_t height = 0;
};

// The smallest of libjpeg's scales n/8 whose result still covers the fitted
// size, so that large photographs are decoded at a fraction of their pixels.
int DecodingScale(int64_t width, int64_t height, int64_t fitWidth, int64_t fitHeight) {
  for (int n = 1; n < 8; ++n) {
    if ((width * n + 7) / 8 >= fitWidth && (height * n + 7) / 8 >= fitHeight) return n;
  }
  return 8;
}

struct FittedSize {
  int32_t width;
  int32_t height;
};

FittedSize FitInside(int64_t width, int64_t height) {
  if (width * kCoverHeight >= height * kCoverWidth) {
    const int64_t fitted = (height * kCoverWidth + width / 2) / width;
    return {kCoverWidth, static_cast<int32_t>(std::clamp<int64_t>(fitted, 1, kCoverHeight))};
  }
  const int64_t fitted = (width * kCoverHeight + height / 2) / height;
  return {static_cast<int32_t>(std::clamp<int64_t>(fitted, 1, kCoverWidth)), kCoverHeight};
}

// Receives a JPEG's rows, top to bottom, as opaque RGBA.
class JpegRowReceiver {
 public:
  virtual ~JpegRowReceiver() = default;
  // Once, before the first row, with the sizes stated and decoded.
  virtual void Begin(const JpegPicture& picture) = 0;
  virtual void Row(int32_t y, const uint8_t* rgba) = 0;
};

// Everything that may jump back from an error lives in here; the row buffer
// belongs to the caller, so no destructor is skipped on the way out. fitToCover
// lets libjpeg scale down to the cover's size; otherwise the full size is
// decoded within the given pixel bound.
JpegOutcome ReadJpeg(const uint8_t* data, size_t size, bool fitToCover, int64_t maxPixels,
                     JpegRowReceiver& receiver, std::vector<uint8_t>* row) {
  jpeg_decompress_struct info;
  JpegErrors errors;
  InstallJpegErrors(reinterpret_cast<j_common_ptr>(&info), &errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return JpegOutcome::Damaged;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxJpegWorkingMemory;
  errors.progress.progress_monitor = OnJpegProgress;
  info.progress = &errors.progress;
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);

  const int64_t width = info.image_width;
  const int64_t height = info.image_height;
  if (!SizeAllowed(width, height) || width * height > maxPixels) {
    jpeg_destroy_decompress(&info);
    return JpegOutcome::TooLarge;
  }
  JpegPicture picture;
  picture.sourceWidth = static_cast<int32_t>(width);
  picture.sourceHeight = static_cast<int32_t>(height);
  if (fitToCover) {
    const FittedSize fitted = FitInside(width, height);
    info.scale_num =
        static_cast<unsigned int>(DecodingScale(width, height, fitted.width, fitted.height));
    info.scale_denom = 8;
  }
  // Adobe's CMYK files store the inks inverted; they are turned into RGB below.
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&info);
  picture.width = static_cast<int32_t>(info.output_width);
  picture.height = static_cast<int32_t>(info.output_height);
  receiver.Begin(picture);
  const size_t stride = static_cast<size_t>(info.output_width) * 4;
  row->resize(stride);
  while (info.output_scanline < info.output_height) {
    const auto y = static_cast<int32_t>(info.output_scanline);
    JSAMPROW rows = row->data();
    jpeg_read_scanlines(&info, &rows, 1);
    if (cmyk) {
      for (size_t i = 0; i < stride; i += 4) {
        uint8_t* p = row->data() + i;
        const unsigned black = p[3];
        p[0] = static_cast<uint8_t>((p[0] * black + 127) / 255);
        p[1] = static_cast<uint8_t>((p[1] * black + 127) / 255);
        p[2] = static_cast<uint8_t>((p[2] * black + 127) / 255);
        p[3] = 255;
      }
    }
    receiver.Row(y, row->data());
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return JpegOutcome::Done;
}

bool WriteJpeg(const platform::PixelImage& image, int quality, unsigned char** buffer,
               unsigned long* size) {
  jpeg_compress_struct info;
  JpegErrors errors;
  InstallJpegErrors(reinterpret_cast<j_common_ptr>(&info), &errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 4;
  info.in_color_space = JCS_EXT_RGBA;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  info.dct_method = JDCT_ISLOW;
  jpeg_start_compress(&info, TRUE);
  const size_t stride = static_cast<size_t>(image.width) * 4;
  while (info.next_scanline < info.image_height) {
    // libjpeg only reads the row; its type lacks the const.
    JSAMPROW row = const_cast<uint8_t*>(image.rgba.data()) + stride * info.next_scanline;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

// ---------------------------------------------------------------------------
// Area averaging: each output pixel is the mean of the source area it covers,
// partly covered source pixels counting with their share.

struct Span {
  int32_t first = 0;
  std::vector<float> weights;
};

std::vector<Span> AreaSpans(int32_t from, int32_t to) {
  std::vector<Span> spans(static_cast<size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (int32_t i = 0; i < to; ++i) {
    const double begin = i * step;
    const double end = std::min<double>((i + 1) * step, from);
    Span& span = spans[static_cast<size_t>(i)];
    span.first = std::min(static_cast<int32_t>(begin), from - 1);
    for (int32_t k = span.first; k < from && k < end; ++k) {
      const double overlap = std::min<double>(end, k + 1) - std::max<double>(begin, k);
      if (overlap > 0) span.weights.push_back(static_cast<float>(overlap / step));
    }
    if (span.weights.empty()) span.weights.push_back(1.0f);
  }
  return spans;
}

// The spans turned around: for each source pixel, the output pixels it counts
// for (in their order) and with what share.
class Shares {
 public:
  Shares(int32_t from, int32_t to) : begin_(static_cast<size_t>(from) + 1, 0) {
    const std::vector<Span> spans = AreaSpans(from, to);
    for (const Span& span : spans) {
      for (size_t c = 0; c < span.weights.size(); ++c) {
        ++begin_[static_cast<size_t>(span.first) + c + 1];
      }
    }
    for (size_t k = 1; k < begin_.size(); ++k) begin_[k] += begin_[k - 1];
    shares_.resize(begin_.back());
    std::vector<uint32_t> next(begin_.begin(), begin_.end() - 1);
    for (int32_t i = 0; i < to; ++i) {
      const Span& span = spans[static_cast<size_t>(i)];
      for (size_t c = 0; c < span.weights.size(); ++c) {
        shares_[next[static_cast<size_t>(span.first) + c]++] = {i, span.weights[c]};
      }
    }
  }

  struct Share {
    int32_t target;
    float weight;
  };
  std::span<const Share> SharesOf(int32_t source) const {
    ZELLUO_ASSERT(source >= 0 && static_cast<size_t>(source) + 1 < begin_.size());
    return {shares_.data() + begin_[static_cast<size_t>(source)],
            shares_.data() + begin_[static_cast<size_t>(source) + 1]};
  }

 private:
  std::vector<uint32_t> begin_;
  std::vector<Share> shares_;
};

// Averages a picture that comes row by row into the fitted area of the cover,
// keeping only the cover's sums. Rows top to bottom, each whole, give the same
// sums, in the same order, as averaging the whole picture at once. Rows in
// passes with some of their pixels each (an interlaced PNG) add up the same
// shares in another order, which may round differently in the last place.
class CoverScaler {
 public:
  // width x height is the picture as it comes, sourceWidth x sourceHeight
  // (its own size before libjpeg scaled it) decides the fitting.
  CoverScaler(int32_t width, int32_t height, int32_t sourceWidth, int32_t sourceHeight)
      : width_(width),
        fitted_(FitInside(sourceWidth, sourceHeight)),
        columns_(width, fitted_.width),
        rows_(height, fitted_.height),
        across_(static_cast<size_t>(fitted_.width) * 3),
        sums_(across_.size() * static_cast<size_t>(fitted_.height)) {}

  // count opaque RGBA pixels of row y, for the columns first, first + step, ...
  void AddRow(int32_t y, int32_t first, int32_t step, const uint8_t* rgba, int32_t count) {
    const std::span<const Shares::Share> targetRows = rows_.SharesOf(y);
    if (targetRows.empty() || count <= 0) return;
    // The last pixel lies inside the row.
    ZELLUO_ASSERT(first >= 0 && step > 0 && int64_t{first} + int64_t{count - 1} * step < width_);
    float* const across = across_.data();
    const size_t stride = across_.size();
    std::fill(across, across + stride, 0.0f);
    for (int32_t i = 0; i < count; ++i) {
      const uint8_t* p = rgba + static_cast<size_t>(i) * 4;
      for (const Shares::Share& share : columns_.SharesOf(first + i * step)) {
        float* out = across + static_cast<size_t>(share.target) * 3;
        out[0] += share.weight * p[0];
        out[1] += share.weight * p[1];
        out[2] += share.weight * p[2];
      }
    }
    for (const Shares::Share& share : targetRows) {
      float* sum = sums_.data() + static_cast<size_t>(share.target) * stride;
      for (size_t k = 0; k < stride; ++k) sum[k] += share.weight * across[k];
    }
  }

  // The cover: the averages centred on black.
  platform::PixelImage Finish() const {
    platform::PixelImage cover = BlackCover();
    const int32_t left = (kCoverWidth - fitted_.width) / 2;
    const int32_t top = (kCoverHeight - fitted_.height) / 2;
    const float* sum = sums_.data();
    for (int32_t y = 0; y < fitted_.height; ++y) {
      uint8_t* target =
          cover.rgba.data() +
          (static_cast<size_t>(top + y) * kCoverWidth + static_cast<size_t>(left)) * 4;
      for (int32_t x = 0; x < fitted_.width; ++x, sum += 3, target += 4) {
        target[0] = ToByte(sum[0]);
        target[1] = ToByte(sum[1]);
        target[2] = ToByte(sum[2]);
      }
    }
    return cover;
  }

  static platform::PixelImage BlackCover() {
    platform::PixelImage cover;
    cover.width = kCoverWidth;
    cover.height = kCoverHeight;
    cover.depth = 24;
    cover.rgba.assign(static_cast<size_t>(kCoverWidth) * kCoverHeight * 4, 0);
    for (size_t i = 3; i < cover.rgba.size(); i += 4) cover.rgba[i] = 255;
    return cover;
  }

 private:
  static uint8_t ToByte(float value) {
    return static_cast<uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f));
  }

  int32_t width_;
  FittedSize fitted_;
  Shares columns_;
  Shares rows_;
  std::vector<float> across_;  // one source row averaged across
  std::vector<float> sums_;    // the fitted area, three sums a pixel
};

// A JPEG's rows straight into the cover.
class JpegIntoCover final : public JpegRowReceiver {
 public:
  void Begin(const JpegPicture& picture) override {
    scaler_.emplace(picture.width, picture.height, picture.sourceWidth, picture.sourceHeight);
    width_ = picture.width;
  }
  void Row(int32_t y, const uint8_t* rgba) override { scaler_->AddRow(y, 0, 1, rgba, width_); }
  platform::PixelImage Finish() const { return scaler_->Finish(); }

 private:
  std::optional<CoverScaler> scaler_;
  int32_t width_ = 0;
};

// A JPEG's rows into one picture (a stored cover, for display).
class JpegWhole final : public JpegRowReceiver {
 public:
  void Begin(const JpegPicture& picture) override {
    image_.width = picture.width;
    image_.height = picture.height;
    image_.depth = 24;
    image_.rgba.resize(static_cast<size_t>(picture.width) * picture.height * 4);
  }
  void Row(int32_t y, const uint8_t* rgba) override {
    const size_t stride = static_cast<size_t>(image_.width) * 4;
    std::memcpy(image_.rgba.data() + stride * static_cast<size_t>(y), rgba, stride);
  }
  platform::PixelImage Take() { return std::move(image_); }

 private:
  platform::PixelImage image_;
};

// A PNG's rows (or passes) straight into the cover; transparent parts are
// laid on the black of the cover.
class PngIntoCover final : public assets::PngRowReceiver {
 public:
  bool Begin(int32_t width, int32_t height, bool alpha) override {
    scaler_.emplace(width, height, width, height);
    if (alpha) opaque_.resize(static_cast<size_t>(width) * 4);
    return true;
  }
  void Row(int32_t y, int32_t firstColumn, int32_t columnStep, const uint8_t* rgba,
           int32_t count) override {
    if (!opaque_.empty()) {
      for (size_t i = 0; i < static_cast<size_t>(count) * 4; i += 4) {
        const uint8_t* p = rgba + i;
        uint8_t* q = opaque_.data() + i;
        for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>((p[c] * p[3] + 127) / 255);
        q[3] = 255;
      }
      rgba = opaque_.data();
    }
    scaler_->AddRow(y, firstColumn, columnStep, rgba, count);
  }
  platform::PixelImage Finish() const { return scaler_->Finish(); }

 private:
  std::optional<CoverScaler> scaler_;
  std::vector<uint8_t> opaque_;  // a row with its transparency laid on black
};

}  // namespace

CoverPicture MakeCover(const uint8_t* data, size_t size) {
  CoverPicture result;
  if (data == nullptr || size == 0) {
    result.error = text::kCoverFileEmpty;
    return result;
  }
  if (static_cast<int64_t>(size) > kMaxCoverSourceBytes) {
    result.error = text::kCoverFileTooLarge;
    return result;
  }
  if (IsJpeg(data, size)) {
    JpegIntoCover receiver;
    std::vector<uint8_t> row;
    const JpegOutcome outcome = ReadJpeg(data, size, true, kMaxCoverSourcePixels, receiver, &row);
    if (outcome != JpegOutcome::Done) {
      result.error =
          outcome == JpegOutcome::TooLarge ? text::kCoverTooManyPixels : text::kCoverDamaged;
      return result;
    }
    result.cover = receiver.Finish();
    return result;
  }
  if (IsPng(data, size)) {
    // The header chunk (13 bytes and a checksum) comes first: its size is
    // checked before libpng allocates anything for the pixels.
    if (size < 33 || std::memcmp(data + 12, "IHDR", 4) != 0) {
      result.error = text::kCoverDamaged;
      return result;
    }
    const int64_t width = ReadBigEndian32(data + 16);
    const int64_t height = ReadBigEndian32(data + 20);
    if (width == 0 || height == 0) {
      result.error = text::kCoverDamaged;
      return result;
    }
    if (!SizeAllowed(width, height)) {
      result.error = text::kCoverTooManyPixels;
      return result;
    }
    if (!PngDataCanHold(width, height, data[24], data[25], size)) {
      result.error = text::kCoverDamaged;
      return result;
    }
    const assets::ImageLimits limits{static_cast<size_t>(kMaxCoverSourceBytes), kMaxCoverSourceSide,
                                     kMaxCoverSourcePixels};
    PngIntoCover receiver;
    if (!assets::DecodePngRows(data, size, limits, receiver)) {
      result.error = text::kCoverDamaged;
      return result;
    }
    result.cover = receiver.Finish();
    return result;
  }
  result.error = text::kCoverUnknownFormat;
  return result;
}

platform::PixelImage FitCover(const platform::PixelImage& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgba.size() < static_cast<size_t>(picture.width) * picture.height * 4) {
    return CoverScaler::BlackCover();
  }
  CoverScaler scaler(picture.width, picture.height, picture.width, picture.height);
  const size_t stride = static_cast<size_t>(picture.width) * 4;
  for (int32_t y = 0; y < picture.height; ++y) {
    scaler.AddRow(y, 0, 1, picture.rgba.data() + stride * static_cast<size_t>(y), picture.width);
  }
  return scaler.Finish();
}

std::string EncodeJpeg(const platform::PixelImage& image, int quality) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgba.size() < static_cast<size_t>(image.width) * image.height * 4) {
    return {};
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::string bytes;
  if (WriteJpeg(image, quality, &buffer, &size) && buffer != nullptr) {
    bytes.assign(reinterpret_cast<const char*>(buffer), size);
  }
  std::free(buffer);
  return bytes;
}

std::string ContentHash(std::string_view bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<size_t>(i)] = kDigits[hash & 0xf];
  return hex;
}

namespace {

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

std::string WithoutTrailingSeparator(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder;
}

CoverResult Failure(std::string_view message) { return CoverResult{{}, std::string(message)}; }

}  // namespace

namespace {

// Writes a finished cover under its content name (fileName, the hash of jpeg
// and ".jpg"), unless it is there already.
CoverResult StoreCover(const std::string& coverFolder, const std::string& fileName,
                       std::string_view jpeg, bool syncNow) {
  if (!platform::os::CreateFolder(WithoutTrailingSeparator(coverFolder))) {
    return Failure(text::kCoverFolderMissing);
  }
  const std::string target = JoinPath(coverFolder, fileName);
  if (platform::os::FileSize(target) >= 0) {
    // The same name means the same picture, unless two hashes collide.
    if (platform::os::ReadWholeFile(target) == jpeg) return CoverResult{fileName, {}};
    return Failure(text::kCoverNameTaken);
  }
  const bool written = syncNow ? platform::os::WriteFileAtomic(target, jpeg)
                               : platform::os::WriteFileDeferred(target, jpeg);
  if (!written) return Failure(text::kCoverWriteFailed);
  return CoverResult{fileName, {}};
}

}  // namespace

CoverResult TakeOverCover(const std::string& coverFolder, const std::string& picturePath,
                          bool syncNow) {
  const int64_t size = platform::os::FileSize(picturePath);
  if (size < 0) return Failure(text::kCoverFileMissing);
  // Also what a device or pipe reports: nothing is read from those.
  if (size == 0) return Failure(text::kCoverFileEmpty);
  if (size > kMaxCoverSourceBytes) return Failure(text::kCoverFileTooLarge);
  const std::optional<std::string> bytes = platform::os::ReadWholeFile(picturePath);
  if (!bytes) return Failure(text::kCoverFileMissing);
  return TakeOverCoverBytes(coverFolder, *bytes, syncNow);
}

CoverResult TakeOverCoverBytes(const std::string& coverFolder, std::string_view bytes,
                               bool syncNow) {
  if (bytes.empty()) return Failure(text::kCoverFileEmpty);
  if (static_cast<int64_t>(bytes.size()) > kMaxCoverSourceBytes) {
    return Failure(text::kCoverFileTooLarge);
  }
  const CoverPicture made = MakeCover(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  if (!made.cover) return Failure(made.error);
  const std::string jpeg = EncodeJpeg(*made.cover, kCoverJpegQuality);
  if (jpeg.empty()) return Failure(text::kCoverWriteFailed);
  return StoreCover(coverFolder, ContentHash(jpeg) + ".jpg", jpeg, syncNow);
}

CoverResult KeepFinishedCover(const std::string& coverFolder, std::string_view fileName,
                              std::string_view bytes, bool syncNow) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const std::string name = ContentHash(bytes) + ".jpg";
  if (fileName != name || !IsJpeg(data, bytes.size())) {
    return TakeOverCoverBytes(coverFolder, bytes, syncNow);
  }
  return StoreCover(coverFolder, name, bytes, syncNow);
}

CoverResult CoverCache::TakeOverCover(const std::string& coverFolder,
                                      const std::string& picturePath, bool syncNow) {
  std::string key = coverFolder;
  key += '\0';
  key += picturePath;
  key += '\0';
  key += std::to_string(platform::os::FileSize(picturePath));
  const auto known = covers_.find(key);
  if (known != covers_.end() &&
      (known->second.fileName.empty() ||
       platform::os::FileSize(JoinPath(coverFolder, known->second.fileName)) >= 0)) {
    return known->second;
  }
  ++picturesRead_;
  CoverResult cover = collection::TakeOverCover(coverFolder, picturePath, syncNow);
  covers_.insert_or_assign(std::move(key), cover);
  return cover;
}

std::optional<platform::PixelImage> LoadCover(const std::string& coverFolder,
                                              const std::string& fileName) {
  if (fileName.empty() || fileName == "." || fileName == ".." ||
      fileName.find_first_of("/\\:") != std::string::npos) {
    return std::nullopt;
  }
  const std::string path = JoinPath(coverFolder, fileName);
  const int64_t size = platform::os::FileSize(path);
  if (size <= 0 || size > kMaxStoredCoverBytes) return std::nullopt;
  const std::optional<std::string> bytes = platform::os::ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
  if (!IsJpeg(data, bytes->size())) return std::nullopt;
  JpegWhole whole;
  std::vector<uint8_t> row;
  const int64_t coverPixels = int64_t{kCoverWidth} * kCoverHeight;
  if (ReadJpeg(data, bytes->size(), false, coverPixels, whole, &row) != JpegOutcome::Done) {
    return std::nullopt;
  }
  return whole.Take();
}

}  // namespace zelluo::collection
