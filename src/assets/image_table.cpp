#include "assets/image_table.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "assets/image_decoding.h"

namespace zelluo {

bool ImageTable::Register(int32_t number, const uint8_t* data, size_t available) {
  if (images_.erase(number) != 0) {
    order_.erase(std::find(order_.begin(), order_.end(), number));
  }
  std::optional<PixelImage> image = DecodeImage(data, available);
  if (!image) return false;
  images_.emplace(number, std::move(*image));
  order_.push_back(number);
  return true;
}

const PixelImage* ImageTable::Find(int32_t number) const {
  const auto found = images_.find(number);
  return found == images_.end() ? nullptr : &found->second;
}

void ImageTable::Clear() {
  images_.clear();
  order_.clear();
}

}  // namespace zelluo
