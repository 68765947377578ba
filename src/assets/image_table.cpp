#include "assets/image_table.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "assets/image_decoding.h"

namespace zelluo {

namespace {

// Decodes every blob, on as many threads as there are cores; decoding is the
// largest part of the program's own work at start-up.
std::vector<std::optional<PixelImage>> DecodeSideBySide(std::span<const EmbeddedAsset> blobs) {
  std::vector<std::optional<PixelImage>> decoded(blobs.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < blobs.size(); i = next++) {
      decoded[i] = DecodeImage(blobs[i].data, blobs[i].size);
    }
  };
  const size_t cores = std::max(1U, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  for (size_t i = 1; i < std::min(cores, blobs.size()); ++i) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // without a thread the others do its share
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return decoded;
}

}  // namespace

bool ImageTable::Register(int32_t number, const uint8_t* data, size_t available) {
  std::optional<PixelImage> image = DecodeImage(data, available);
  return File(number, std::move(image));
}

void ImageTable::RegisterAll(std::span<const EmbeddedAsset> blobs) {
  std::vector<std::optional<PixelImage>> decoded = DecodeSideBySide(blobs);
  for (size_t i = 0; i < blobs.size(); ++i) File(blobs[i].number, std::move(decoded[i]));
}

bool ImageTable::File(int32_t number, std::optional<PixelImage> image) {
  if (images_.erase(number) != 0) {
    order_.erase(std::find(order_.begin(), order_.end(), number));
  }
  if (!image) return false;
  images_.emplace(number, std::move(*image));
  order_.push_back(number);
  return true;
}

const PixelImage* ImageTable::Find(int32_t number) const {
  const auto found = images_.find(number);
  return found == images_.end() ? nullptr : &found->second;
}

std::optional<PixelImage> ImageTable::Take(int32_t number) {
  const auto found = images_.find(number);
  if (found == images_.end()) return std::nullopt;
  std::optional<PixelImage> image(std::move(found->second));
  images_.erase(found);
  order_.erase(std::find(order_.begin(), order_.end(), number));
  return image;
}

void ImageTable::Clear() {
  images_.clear();
  order_.clear();
}

}  // namespace zelluo
