#include "contact_sheet.h"

#include <string>

namespace zelluo::artwork {

namespace {

// A cairo surface holding a copy of a picture (premultiplied again).
cairo_surface_t* MakeSurface(const Picture& picture) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.width, picture.height);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < picture.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < picture.width; ++x) {
      const uint8_t* p = picture.PixelAt(x, y);
      const uint32_t a = p[3];
      auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
      row[x] = (a << 24) | (pre(p[0]) << 16) | (pre(p[1]) << 8) | pre(p[2]);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

void DrawPicture(cairo_t* cr, const Picture& picture, double x, double y, double scale = 1.0) {
  cairo_surface_t* surface = MakeSurface(picture);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr),
                           scale < 1.0 ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(surface);
}

void DrawLabel(cairo_t* cr, const std::string& text, double x, double y) {
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 13);
  SetColour(cr, 235, 235, 235);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

const Picture& Find(const std::vector<CataloguePicture>& catalogue, int number) {
  for (const CataloguePicture& entry : catalogue) {
    if (entry.number == number) return entry.picture;
  }
  return catalogue.front().picture;
}

}  // namespace

Picture DrawContactSheet(const std::vector<CataloguePicture>& catalogue,
                         const std::vector<Picture>& iconEntries) {
  Canvas canvas(1460, 1010);
  cairo_t* cr = canvas.Context();
  FillBackground(cr, 40, 40, 40);
  DrawLabel(cr,
            "Zelluo built-in artwork on RGB(40, 40, 40). Everything at its real size except the "
            "frame pieces 12101-12104, shown assembled at 1/4 scale.",
            20, 26);

  // Navigation icons, normal and mouse-over.
  double x = 20;
  for (int number : {10, 11, 20, 21, 30, 31, 40, 41, 50, 51}) {
    DrawLabel(cr, std::to_string(number), x, 62);
    DrawPicture(cr, Find(catalogue, number), x, 70);
    x += 143;
  }

  // Buttons, switches and the icon entries.
  x = 20;
  for (int number : {60, 61, 70, 71}) {
    DrawLabel(cr, std::to_string(number), x, 236);
    DrawPicture(cr, Find(catalogue, number), x, 244);
    x += 70;
  }
  x += 20;
  for (int number : {6, 7, 8, 9}) {
    DrawLabel(cr, std::to_string(number), x, 236);
    DrawPicture(cr, Find(catalogue, number), x, 244);
    x += 50;
  }
  x += 30;
  DrawLabel(cr, "5 (icon file: 16, 32, 48, 64, 128)", x, 236);
  for (const Picture& entry : iconEntries) {
    DrawPicture(cr, entry, x, 244);
    x += entry.width + 14;
  }

  // Cover placeholder.
  DrawLabel(cr, "22", 20, 406);
  DrawPicture(cr, Find(catalogue, 22), 20, 414);

  // The frame, assembled at a quarter of its size.
  const double fx = 420;
  const double fy = 414;
  DrawLabel(cr, "12101-12104 (frame, 1/4 scale)", fx, 406);
  DrawPicture(cr, Find(catalogue, 12101), fx, fy, 0.25);
  DrawPicture(cr, Find(catalogue, 12102), fx + 1240 * 0.25, fy + 50 * 0.25, 0.25);
  DrawPicture(cr, Find(catalogue, 12103), fx, fy + 984 * 0.25, 0.25);
  DrawPicture(cr, Find(catalogue, 12104), fx, fy + 50 * 0.25, 0.25);
  DrawLabel(cr, "12101 top", fx + 120, fy + 34);
  DrawLabel(cr, "12104 left", fx + 16, fy + 130);
  DrawLabel(cr, "12102 right", fx + 236, fy + 150);
  DrawLabel(cr, "12103 bottom", fx + 116, fy + 238);

  // The frame's top-left and bottom-right corners at full size.
  DrawLabel(cr, "frame corners at 1:1", 780, 406);
  const Picture& top = Find(catalogue, 12101);
  const Picture& left = Find(catalogue, 12104);
  const Picture& bottom = Find(catalogue, 12103);
  const Picture& right = Find(catalogue, 12102);
  cairo_save(cr);
  cairo_rectangle(cr, 780, 414, 120, 120);
  cairo_clip(cr);
  DrawPicture(cr, top, 780, 414);
  DrawPicture(cr, left, 780, 464);
  cairo_restore(cr);
  cairo_save(cr);
  cairo_rectangle(cr, 920, 414, 120, 120);
  cairo_clip(cr);
  DrawPicture(cr, right, 920 + 80, 414 + 120 - 40 - 934 + 50);
  DrawPicture(cr, bottom, 920 - 1160, 414 + 80);
  cairo_restore(cr);

  // Underlines.
  DrawLabel(cr, "23", 420, 720);
  DrawPicture(cr, Find(catalogue, 23), 450, 716);
  DrawLabel(cr, "24", 420, 760);
  DrawPicture(cr, Find(catalogue, 24), 450, 756);

  return canvas.TakePicture();
}

}  // namespace zelluo::artwork
