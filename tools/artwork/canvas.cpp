#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zelluo::artwork {

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      context_(cairo_create(surface_)) {}

Canvas::~Canvas() {
  cairo_destroy(context_);
  cairo_surface_destroy(surface_);
}

Picture Canvas::TakePicture() const {
  cairo_surface_flush(surface_);
  Picture picture;
  picture.width = width_;
  picture.height = height_;
  picture.rgba.resize(static_cast<size_t>(width_) * height_ * 4);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  for (int y = 0; y < height_; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width_; ++x) {
      const uint32_t argb = row[x];
      const uint32_t alpha = argb >> 24;
      uint8_t* out = picture.PixelAt(x, y);
      const uint32_t premultiplied[3] = {(argb >> 16) & 0xff, (argb >> 8) & 0xff, argb & 0xff};
      for (int c = 0; c < 3; ++c) {
        out[c] = alpha == 0 ? 0
                            : static_cast<uint8_t>(std::min<uint32_t>(
                                  255, (premultiplied[c] * 255 + alpha / 2) / alpha));
      }
      out[3] = static_cast<uint8_t>(alpha);
    }
  }
  return picture;
}

void SetColour(cairo_t* cr, int red, int green, int blue, double alpha) {
  cairo_set_source_rgba(cr, red / 255.0, green / 255.0, blue / 255.0, alpha);
}

void AddColourStop(cairo_pattern_t* pattern, double offset, int red, int green, int blue,
                   double alpha) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, red / 255.0, green / 255.0, blue / 255.0,
                                    alpha);
}

void AddRoundedRectangle(cairo_t* cr, double x, double y, double width, double height,
                         double radius) {
  const double pi = std::numbers::pi;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + width - radius, y + radius, radius, -pi / 2, 0);
  cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, pi / 2);
  cairo_arc(cr, x + radius, y + height - radius, radius, pi / 2, pi);
  cairo_arc(cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
  cairo_close_path(cr);
}

namespace {

// One box pass along rows (horizontal) or columns over the four channels.
void BoxPass(std::vector<float>& values, int width, int height, int radius, bool horizontal) {
  const int length = horizontal ? width : height;
  const int lines = horizontal ? height : width;
  std::vector<float> line(static_cast<size_t>(length) * 4);
  for (int l = 0; l < lines; ++l) {
    auto index = [&](int i) {
      return horizontal ? (static_cast<size_t>(l) * width + i) * 4
                        : (static_cast<size_t>(i) * width + l) * 4;
    };
    for (int i = 0; i < length; ++i) {
      for (int c = 0; c < 4; ++c) line[i * 4 + c] = values[index(i) + c];
    }
    for (int c = 0; c < 4; ++c) {
      float sum = 0;
      for (int i = -radius; i <= radius; ++i) {
        if (i >= 0 && i < length) sum += line[i * 4 + c];
      }
      for (int i = 0; i < length; ++i) {
        values[index(i) + c] = sum / static_cast<float>(2 * radius + 1);
        const int leaving = i - radius;
        const int entering = i + radius + 1;
        if (leaving >= 0) sum -= line[leaving * 4 + c];
        if (entering < length) sum += line[entering * 4 + c];
      }
    }
  }
}

}  // namespace

void BlurSurface(cairo_surface_t* surface, int radius) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  std::vector<float> values(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 4; ++c) {
        values[(static_cast<size_t>(y) * width + x) * 4 + c] =
            static_cast<float>((row[x] >> (8 * c)) & 0xff);
      }
    }
  }
  for (int pass = 0; pass < 3; ++pass) {
    BoxPass(values, width, height, radius, true);
    BoxPass(values, width, height, radius, false);
  }
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      uint32_t argb = 0;
      for (int c = 0; c < 4; ++c) {
        const float v = values[(static_cast<size_t>(y) * width + x) * 4 + c];
        argb |= static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)) << (8 * c);
      }
      row[x] = argb;
    }
  }
  cairo_surface_mark_dirty(surface);
}

void FillBackground(cairo_t* cr, int red, int green, int blue) {
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_reset_clip(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  SetColour(cr, red, green, blue);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace zelluo::artwork
