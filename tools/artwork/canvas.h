#pragma once
// A cairo drawing surface and the straight-alpha pixels taken from it.

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelluo::artwork {

// Straight (not premultiplied) RGBA, rows top to bottom.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;

  uint8_t* PixelAt(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint8_t* PixelAt(int x, int y) const {
    return &rgba[(static_cast<size_t>(y) * width + x) * 4];
  }
};

// An ARGB32 image surface with its drawing context; starts fully transparent.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* Context() const { return context_; }
  cairo_surface_t* Surface() const { return surface_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Cairo keeps premultiplied pixels; this undoes the premultiplication.
  Picture TakePicture() const;

 private:
  int width_;
  int height_;
  cairo_surface_t* surface_;
  cairo_t* context_;
};

// Opaque colour from 0..255 channels; alpha 0..1.
void SetColour(cairo_t* cr, int red, int green, int blue, double alpha = 1.0);
void AddColourStop(cairo_pattern_t* pattern, double offset, int red, int green, int blue,
                   double alpha = 1.0);
void AddRoundedRectangle(cairo_t* cr, double x, double y, double width, double height,
                         double radius);

// Approximates a Gaussian blur of every channel with three box passes.
void BlurSurface(cairo_surface_t* surface, int radius);

// Fills the whole canvas with one opaque colour.
void FillBackground(cairo_t* cr, int red, int green, int blue);

}  // namespace zelluo::artwork
