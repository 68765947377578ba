#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace zelluo::artwork {

namespace {

constexpr double kPi = std::numbers::pi;
// The window and panel colour, painted wherever a picture has nothing of its own.
constexpr int kPanel = 40;

using Painter = std::function<void(cairo_t*)>;

// ---------------------------------------------------------------------------
// The clapperboard, drawn in a 128 x 128 design space.
//
// Body 16..112 x 58..118 with the blue screen 23..105 x 64..112 (centre 64, 88);
// the fixed lower stick 16..112 x 45..57; the clapper stick above it, opened
// by 12 degrees about the hinge at the left.

constexpr double kScreenX = 23;
constexpr double kScreenY = 64;
constexpr double kScreenWidth = 82;
constexpr double kScreenHeight = 48;
constexpr double kScreenCentreX = 64;
constexpr double kScreenCentreY = 88;

void AddStickPath(cairo_t* cr) { AddRoundedRectangle(cr, 16, 45, 96, 12, 2); }

// Diagonal black and white stripes on a stick lying between y top and y top + 12.
void DrawStick(cairo_t* cr, double top, double slant, double period) {
  cairo_save(cr);
  AddRoundedRectangle(cr, 16, top, 96, 12, 2);
  cairo_clip_preserve(cr);
  SetColour(cr, 236, 236, 232);
  cairo_fill(cr);
  SetColour(cr, 24, 24, 26);
  for (double x = 4; x < 124; x += period) {
    cairo_move_to(cr, x, top + 12);
    cairo_line_to(cr, x + period / 2, top + 12);
    cairo_line_to(cr, x + period / 2 + slant, top);
    cairo_line_to(cr, x + slant, top);
    cairo_close_path(cr);
  }
  cairo_fill(cr);
  // A soft top light and a shade along the bottom give the stick some volume.
  cairo_pattern_t* shade = cairo_pattern_create_linear(0, top, 0, top + 12);
  AddColourStop(shade, 0.0, 255, 255, 255, 0.30);
  AddColourStop(shade, 0.45, 255, 255, 255, 0.0);
  AddColourStop(shade, 1.0, 0, 0, 0, 0.35);
  cairo_set_source(cr, shade);
  cairo_paint(cr);
  cairo_pattern_destroy(shade);
  cairo_restore(cr);
  AddRoundedRectangle(cr, 16, top, 96, 12, 2);
  SetColour(cr, 8, 8, 10);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

void OpenClapper(cairo_t* cr) {
  cairo_translate(cr, 16, 45);
  cairo_rotate(cr, -12 * kPi / 180);
  cairo_translate(cr, -16, -45);
}

// The board's outline, filled: used for the glow around it.
void FillClapperboardShape(cairo_t* cr) {
  AddRoundedRectangle(cr, 16, 58, 96, 60, 7);
  AddStickPath(cr);
  cairo_fill(cr);
  cairo_save(cr);
  OpenClapper(cr);
  AddRoundedRectangle(cr, 16, 33, 96, 12, 2);
  cairo_fill(cr);
  cairo_restore(cr);
}

void AddScreenPath(cairo_t* cr) {
  AddRoundedRectangle(cr, kScreenX, kScreenY, kScreenWidth, kScreenHeight, 5);
}

void DrawScreen(cairo_t* cr, const Painter& content) {
  cairo_save(cr);
  AddScreenPath(cr);
  cairo_clip(cr);
  cairo_pattern_t* blue = cairo_pattern_create_linear(0, kScreenY, 0, kScreenY + kScreenHeight);
  AddColourStop(blue, 0.0, 120, 190, 250);
  AddColourStop(blue, 0.5, 40, 118, 222);
  AddColourStop(blue, 1.0, 14, 58, 160);
  cairo_set_source(cr, blue);
  cairo_paint(cr);
  cairo_pattern_destroy(blue);
  // A faint bright spot low in the middle, as on a lit screen.
  cairo_pattern_t* spot = cairo_pattern_create_radial(64, 104, 2, 64, 104, 40);
  AddColourStop(spot, 0.0, 140, 210, 255, 0.45);
  AddColourStop(spot, 1.0, 140, 210, 255, 0.0);
  cairo_set_source(cr, spot);
  cairo_paint(cr);
  cairo_pattern_destroy(spot);
  if (content) content(cr);
  // Gloss: the upper part of the glass catches the light.
  cairo_move_to(cr, kScreenX - 1, kScreenY - 1);
  cairo_line_to(cr, kScreenX + kScreenWidth + 1, kScreenY - 1);
  cairo_line_to(cr, kScreenX + kScreenWidth + 1, kScreenY + 17);
  cairo_curve_to(cr, 84, kScreenY + 23, 44, kScreenY + 19, kScreenX - 1, kScreenY + 25);
  cairo_close_path(cr);
  cairo_pattern_t* gloss = cairo_pattern_create_linear(0, kScreenY, 0, kScreenY + 25);
  AddColourStop(gloss, 0.0, 255, 255, 255, 0.55);
  AddColourStop(gloss, 1.0, 255, 255, 255, 0.10);
  cairo_set_source(cr, gloss);
  cairo_fill(cr);
  cairo_pattern_destroy(gloss);
  cairo_restore(cr);
  AddScreenPath(cr);
  SetColour(cr, 6, 28, 78);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

// stripePeriod: width of one black and one white stripe; small icons use
// fewer, wider stripes.
void DrawClapperboard(cairo_t* cr, const Painter& screenContent, double stripePeriod = 24) {
  // Body.
  AddRoundedRectangle(cr, 16, 58, 96, 60, 7);
  cairo_pattern_t* body = cairo_pattern_create_linear(0, 58, 0, 118);
  AddColourStop(body, 0.0, 70, 70, 76);
  AddColourStop(body, 1.0, 18, 18, 20);
  cairo_set_source(cr, body);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(body);
  SetColour(cr, 6, 6, 8);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  AddRoundedRectangle(cr, 17.5, 59.5, 93, 57, 6);
  SetColour(cr, 255, 255, 255, 0.12);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);

  DrawScreen(cr, screenContent);

  DrawStick(cr, 45, 6, stripePeriod);
  cairo_save(cr);
  OpenClapper(cr);
  DrawStick(cr, 33, -6, stripePeriod);
  cairo_restore(cr);

  // Hinge.
  cairo_arc(cr, 20, 45, 3.2, 0, 2 * kPi);
  cairo_pattern_t* hinge = cairo_pattern_create_radial(19, 44, 0.5, 20, 45, 3.2);
  AddColourStop(hinge, 0.0, 245, 245, 245);
  AddColourStop(hinge, 1.0, 110, 110, 115);
  cairo_set_source(cr, hinge);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(hinge);
  SetColour(cr, 20, 20, 22);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
}

// ---------------------------------------------------------------------------
// The symbols on the screen, centred on (64, 88).

void SetDarkGlyphSource(cairo_t* cr, double top, double bottom) {
  cairo_pattern_t* dark = cairo_pattern_create_linear(0, top, 0, bottom);
  AddColourStop(dark, 0.0, 36, 58, 100);
  AddColourStop(dark, 1.0, 8, 16, 38);
  cairo_set_source(cr, dark);
  cairo_pattern_destroy(dark);
}

void DrawPlayGlyph(cairo_t* cr) {
  cairo_move_to(cr, 55, 72);
  cairo_line_to(cr, 80, 88);
  cairo_line_to(cr, 55, 104);
  cairo_close_path(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetDarkGlyphSource(cr, 72, 104);
  cairo_fill_preserve(cr);
  SetColour(cr, 4, 10, 28);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
}

void DrawFilmReelGlyph(cairo_t* cr) {
  const double cx = 58;
  const double cy = 87;
  // The film running off the bottom of the reel to the right, with its
  // perforation along both edges.
  cairo_rectangle(cr, cx, cy + 9, 40, 8);
  SetDarkGlyphSource(cr, cy + 9, cy + 17);
  cairo_fill(cr);
  SetColour(cr, 130, 190, 245);
  for (int i = 0; i < 6; ++i) {
    cairo_rectangle(cr, cx + 16 + 4 * i, cy + 10, 2, 1.5);
    cairo_rectangle(cr, cx + 16 + 4 * i, cy + 14.5, 2, 1.5);
  }
  cairo_fill(cr);
  // The reel with five windows and the hub.
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_arc(cr, cx, cy, 16, 0, 2 * kPi);
  for (int i = 0; i < 5; ++i) {
    const double angle = -kPi / 2 + i * 2 * kPi / 5;
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx + 9.2 * std::cos(angle), cy + 9.2 * std::sin(angle), 4.1, 0, 2 * kPi);
  }
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, 1.8, 0, 2 * kPi);
  SetDarkGlyphSource(cr, cy - 16, cy + 16);
  cairo_fill_preserve(cr);
  SetColour(cr, 4, 10, 28);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_arc(cr, cx, cy, 13.3, 0, 2 * kPi);
  SetColour(cr, 255, 255, 255, 0.18);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
}

void DrawGearGlyph(cairo_t* cr) {
  const double cx = kScreenCentreX;
  const double cy = kScreenCentreY;
  const int teeth = 9;
  const double outer = 18;
  const double root = 13.5;
  const double step = 2 * kPi / teeth;
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  for (int i = 0; i < teeth; ++i) {
    const double a = -kPi / 2 + i * step;
    const double points[4][2] = {{root, a - 0.30 * step},
                                 {outer, a - 0.17 * step},
                                 {outer, a + 0.17 * step},
                                 {root, a + 0.30 * step}};
    for (const auto& p : points) {
      const double x = cx + p[0] * std::cos(p[1]);
      const double y = cy + p[0] * std::sin(p[1]);
      if (i == 0 && &p == &points[0]) {
        cairo_move_to(cr, x, y);
      } else {
        cairo_line_to(cr, x, y);
      }
    }
    cairo_arc(cr, cx, cy, root, a + 0.30 * step, a + 0.70 * step);
  }
  cairo_close_path(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, 5.5, 0, 2 * kPi);
  SetDarkGlyphSource(cr, cy - outer, cy + outer);
  cairo_fill_preserve(cr);
  SetColour(cr, 4, 10, 28);
  cairo_set_line_width(cr, 1.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_arc(cr, cx, cy, 9.5, 0, 2 * kPi);
  SetColour(cr, 255, 255, 255, 0.16);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
}

// A curved arrow along a circle from angle start to end, head at the end.
void DrawCircleArrow(cairo_t* cr, double cx, double cy, double radius, double start, double end) {
  cairo_arc(cr, cx, cy, radius, start, end - 0.25);
  const double hx = cx + radius * std::cos(end);
  const double hy = cy + radius * std::sin(end);
  // Tangent direction of travel at the head.
  const double tx = -std::sin(end);
  const double ty = std::cos(end);
  const double nx = std::cos(end);
  const double ny = std::sin(end);
  cairo_set_line_width(cr, 2.6);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
  cairo_move_to(cr, hx + 1.5 * tx, hy + 1.5 * ty);
  cairo_line_to(cr, hx - 5.0 * tx + 4.2 * nx, hy - 5.0 * ty + 4.2 * ny);
  cairo_line_to(cr, hx - 5.0 * tx - 4.2 * nx, hy - 5.0 * ty - 4.2 * ny);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void DrawGlobeGlyph(cairo_t* cr) {
  const double cx = kScreenCentreX;
  const double cy = kScreenCentreY;
  const double r = 11.5;
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_pattern_t* sea = cairo_pattern_create_radial(cx - 4, cy - 4, 1, cx, cy, r);
  AddColourStop(sea, 0.0, 60, 96, 150);
  AddColourStop(sea, 1.0, 10, 22, 52);
  cairo_set_source(cr, sea);
  cairo_fill(cr);
  // Meridians and parallels.
  cairo_save(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_clip(cr);
  SetColour(cr, 150, 205, 255, 0.9);
  cairo_set_line_width(cr, 0.9);
  for (double w : {0.0, 0.5, 0.85}) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, std::max(w, 0.02), 1.0);
    cairo_arc(cr, 0, 0, r, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_stroke(cr);
  }
  for (double dy : {-6.0, 0.0, 6.0}) {
    cairo_move_to(cr, cx - r, cy + dy);
    cairo_line_to(cr, cx + r, cy + dy);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  SetColour(cr, 4, 10, 28);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  // Two arrows chasing each other round the globe.
  SetColour(cr, 250, 250, 250);
  DrawCircleArrow(cr, cx, cy, 17, kPi * 0.95, kPi * 1.85);
  SetColour(cr, 250, 250, 250);
  DrawCircleArrow(cr, cx, cy, 17, kPi * -0.05, kPi * 0.85);
}

void DrawInfoGlyph(cairo_t* cr) {
  const double cx = kScreenCentreX;
  const double cy = kScreenCentreY;
  cairo_arc(cr, cx, cy, 17.5, 0, 2 * kPi);
  SetColour(cr, 4, 20, 60, 0.6);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy, 16.5, 0, 2 * kPi);
  cairo_pattern_t* disc = cairo_pattern_create_radial(cx - 5, cy - 7, 1, cx, cy, 17);
  AddColourStop(disc, 0.0, 95, 165, 255);
  AddColourStop(disc, 0.6, 20, 90, 215);
  AddColourStop(disc, 1.0, 6, 44, 150);
  cairo_set_source(cr, disc);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(disc);
  SetColour(cr, 235, 245, 255);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  // The letter i.
  SetColour(cr, 255, 255, 255);
  cairo_arc(cr, cx, cy - 8.5, 2.8, 0, 2 * kPi);
  cairo_fill(cr);
  AddRoundedRectangle(cr, cx - 2.6, cy - 3.5, 5.2, 15.0, 1.2);
  cairo_fill(cr);
  // Gloss on the disc.
  cairo_save(cr);
  cairo_translate(cr, cx, cy - 8);
  cairo_scale(cr, 12, 7);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  cairo_pattern_t* gloss = cairo_pattern_create_linear(0, cy - 15, 0, cy - 1);
  AddColourStop(gloss, 0.0, 255, 255, 255, 0.45);
  AddColourStop(gloss, 1.0, 255, 255, 255, 0.0);
  cairo_set_source(cr, gloss);
  cairo_fill(cr);
  cairo_pattern_destroy(gloss);
}

// Two lines of white text centred on the screen.
void DrawNoCoverText(cairo_t* cr) {
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 12.5);
  const char* lines[2] = {"No Cover", "available"};
  const double baselines[2] = {85, 100};
  for (int i = 0; i < 2; ++i) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, lines[i], &extents);
    const double x = kScreenCentreX - extents.width / 2 - extents.x_bearing;
    cairo_move_to(cr, x + 0.6, baselines[i] + 0.8);
    SetColour(cr, 0, 20, 60, 0.55);
    cairo_show_text(cr, lines[i]);
    cairo_move_to(cr, x, baselines[i]);
    SetColour(cr, 255, 255, 255);
    cairo_show_text(cr, lines[i]);
  }
}

// ---------------------------------------------------------------------------
// Pictures.

Picture DrawNavigationIcon(const Painter& glyph, bool glowing) {
  Canvas canvas(128, 128);
  cairo_t* cr = canvas.Context();
  FillBackground(cr, kPanel, kPanel, kPanel);
  if (glowing) {
    Canvas glow(128, 128);
    cairo_t* g = glow.Context();
    SetColour(g, 255, 255, 255);
    FillClapperboardShape(g);
    BlurSurface(glow.Surface(), 4);
    SetColour(cr, 222, 222, 226);
    cairo_mask_surface(cr, glow.Surface(), 0, 0);
    cairo_mask_surface(cr, glow.Surface(), 0, 0);
  }
  DrawClapperboard(cr, glyph);
  return canvas.TakePicture();
}

enum class ButtonMark { BackArrow, Cross };

Picture DrawRoundButton(ButtonMark mark, bool silverRim) {
  Canvas canvas(50, 50);
  cairo_t* cr = canvas.Context();
  FillBackground(cr, kPanel, kPanel, kPanel);
  const double c = 25;
  // Rim.
  cairo_arc(cr, c, c, 23, 0, 2 * kPi);
  cairo_pattern_t* rim = cairo_pattern_create_linear(0, 2, 0, 48);
  if (silverRim) {
    AddColourStop(rim, 0.0, 255, 255, 255);
    AddColourStop(rim, 0.5, 200, 204, 210);
    AddColourStop(rim, 1.0, 240, 242, 246);
  } else {
    AddColourStop(rim, 0.0, 92, 92, 96);
    AddColourStop(rim, 1.0, 12, 12, 14);
  }
  cairo_set_source(cr, rim);
  cairo_fill(cr);
  cairo_pattern_destroy(rim);
  // White face.
  cairo_arc(cr, c, c, 20, 0, 2 * kPi);
  cairo_pattern_t* face = cairo_pattern_create_radial(c - 5, c - 7, 2, c, c, 21);
  AddColourStop(face, 0.0, 255, 255, 255);
  AddColourStop(face, 0.7, 236, 236, 240);
  AddColourStop(face, 1.0, 188, 190, 198);
  cairo_set_source(cr, face);
  cairo_fill(cr);
  cairo_pattern_destroy(face);
  cairo_arc(cr, c, c, 20, 0, 2 * kPi);
  SetColour(cr, 0, 0, 0, silverRim ? 0.25 : 0.45);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);

  if (mark == ButtonMark::BackArrow) {
    cairo_move_to(cr, 11.5, 25);
    cairo_line_to(cr, 24, 13.5);
    cairo_line_to(cr, 24, 20.5);
    cairo_line_to(cr, 37, 20.5);
    cairo_line_to(cr, 37, 29.5);
    cairo_line_to(cr, 24, 29.5);
    cairo_line_to(cr, 24, 36.5);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_pattern_t* blue = cairo_pattern_create_linear(0, 13, 0, 37);
    AddColourStop(blue, 0.0, 100, 170, 250);
    AddColourStop(blue, 1.0, 12, 70, 190);
    cairo_set_source(cr, blue);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(blue);
    SetColour(cr, 6, 40, 120);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  } else {
    cairo_save(cr);
    cairo_translate(cr, c, c);
    for (double angle : {kPi / 4, -kPi / 4}) {
      cairo_save(cr);
      cairo_rotate(cr, angle);
      AddRoundedRectangle(cr, -13, -3.4, 26, 6.8, 1.6);
      cairo_restore(cr);
    }
    cairo_restore(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_pattern_t* red = cairo_pattern_create_linear(0, 12, 0, 38);
    AddColourStop(red, 0.0, 190, 30, 30);
    AddColourStop(red, 1.0, 104, 0, 0);
    cairo_set_source(cr, red);
    cairo_fill(cr);
    cairo_pattern_destroy(red);
  }

  // Gloss over the upper half of the face.
  cairo_save(cr);
  cairo_translate(cr, c, c - 9);
  cairo_scale(cr, 16, 10);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  cairo_pattern_t* gloss = cairo_pattern_create_linear(0, 6, 0, 25);
  AddColourStop(gloss, 0.0, 255, 255, 255, 0.85);
  AddColourStop(gloss, 1.0, 255, 255, 255, 0.0);
  cairo_set_source(cr, gloss);
  cairo_fill(cr);
  cairo_pattern_destroy(gloss);
  return canvas.TakePicture();
}

enum class SwitchMark { GreyTick, GreenTick, GreyCross, RedCross };

Picture DrawSwitch(SwitchMark mark) {
  Canvas canvas(24, 24);
  cairo_t* cr = canvas.Context();
  FillBackground(cr, kPanel, kPanel, kPanel);
  const bool tick = mark == SwitchMark::GreyTick || mark == SwitchMark::GreenTick;
  const bool coloured = mark == SwitchMark::GreenTick || mark == SwitchMark::RedCross;
  auto addMark = [&](double dx, double dy) {
    if (tick) {
      cairo_move_to(cr, 5.0 + dx, 12.5 + dy);
      cairo_line_to(cr, 10.0 + dx, 17.5 + dy);
      cairo_line_to(cr, 19.0 + dx, 6.0 + dy);
    } else {
      cairo_move_to(cr, 6.5 + dx, 6.5 + dy);
      cairo_line_to(cr, 17.5 + dx, 17.5 + dy);
      cairo_move_to(cr, 17.5 + dx, 6.5 + dy);
      cairo_line_to(cr, 6.5 + dx, 17.5 + dy);
    }
  };
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  // Shadow.
  addMark(0.6, 0.8);
  SetColour(cr, 0, 0, 0, 0.5);
  cairo_set_line_width(cr, 4.0);
  cairo_stroke(cr);
  addMark(0, 0);
  cairo_pattern_t* paint = cairo_pattern_create_linear(0, 5, 0, 19);
  switch (mark) {
    case SwitchMark::GreenTick:
      AddColourStop(paint, 0.0, 130, 235, 110);
      AddColourStop(paint, 1.0, 20, 150, 30);
      break;
    case SwitchMark::RedCross:
      AddColourStop(paint, 0.0, 255, 110, 100);
      AddColourStop(paint, 1.0, 170, 10, 10);
      break;
    default:
      AddColourStop(paint, 0.0, 150, 150, 150);
      AddColourStop(paint, 1.0, 95, 95, 95);
      break;
  }
  cairo_set_source(cr, paint);
  cairo_set_line_width(cr, 3.4);
  cairo_stroke(cr);
  cairo_pattern_destroy(paint);
  if (coloured) {
    // A glossy streak along the upper edge of the strokes.
    addMark(-0.3, -0.7);
    SetColour(cr, 255, 255, 255, 0.45);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  }
  Picture picture = canvas.TakePicture();
  // The outermost ring is the background colour, slightly translucent, softer
  // still in the corners.
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 24; ++x) {
      if (x != 0 && y != 0 && x != 23 && y != 23) continue;
      uint8_t* p = picture.PixelAt(x, y);
      const bool corner = (x == 0 || x == 23) && (y == 0 || y == 23);
      p[0] = p[1] = p[2] = kPanel;
      p[3] = corner ? 228 : 240;
    }
  }
  return picture;
}

Picture DrawCoverPlaceholder() {
  Canvas canvas(360, 450);
  cairo_t* cr = canvas.Context();
  FillBackground(cr, kPanel, kPanel, kPanel);
  AddRoundedRectangle(cr, 0.75, 0.75, 358.5, 448.5, 12);
  SetColour(cr, 0, 0, 0);
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_pattern_t* glow = cairo_pattern_create_radial(180, 222, 0, 180, 222, 190);
  AddColourStop(glow, 0.0, 255, 255, 255, 0.62);
  AddColourStop(glow, 0.35, 255, 255, 255, 0.30);
  AddColourStop(glow, 0.7, 255, 255, 255, 0.07);
  AddColourStop(glow, 1.0, 255, 255, 255, 0.0);
  cairo_set_source(cr, glow);
  cairo_fill(cr);
  cairo_pattern_destroy(glow);
  cairo_restore(cr);
  AddRoundedRectangle(cr, 1.25, 1.25, 357.5, 447.5, 12);
  SetColour(cr, 196, 196, 200);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);

  const double scale = 1.25;
  cairo_save(cr);
  cairo_translate(cr, 180 - 64 * scale, 222 - 72 * scale);
  cairo_scale(cr, scale, scale);
  DrawClapperboard(cr, DrawNoCoverText);
  cairo_restore(cr);
  return canvas.TakePicture();
}

Picture DrawUnderline(int width) {
  Picture picture;
  picture.width = width;
  picture.height = 2;
  picture.rgba.resize(static_cast<size_t>(width) * 2 * 4);
  for (int x = 0; x < width; ++x) {
    const int value = kPanel + static_cast<int>(std::lround((255.0 - kPanel) * x / (width - 1)));
    for (int y = 0; y < 2; ++y) {
      uint8_t* p = picture.PixelAt(x, y);
      p[0] = p[1] = p[2] = static_cast<uint8_t>(value);
      p[3] = 255;
    }
  }
  return picture;
}

// ---------------------------------------------------------------------------
// The window frame, drawn whole at 1280 x 1024 and cut into its four pieces.

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 1024;
// The panel outline's pixel rows and columns in window coordinates.
constexpr int kOutlineLeft = 20;
constexpr int kOutlineRight = 1257;
constexpr int kOutlineTop = 22;
constexpr int kOutlineBottom = 998;

double SmoothStep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Grey level of the outer band at a window pixel.
int BandLevel(int x, int y) {
  const double fromCentre = std::fabs(x - (kWindowWidth - 1) / 2.0) / ((kWindowWidth - 1) / 2.0);
  const double side = (x == 0 || x == kWindowWidth - 1) ? 50 : 18;
  // Top: mid-grey at both ends, near-black in the middle, a little lighter
  // along the upper edge, running into the side bands below the panel's top.
  const double top = (14 + 106 * std::pow(fromCentre, 1.6)) * (1.0 + 0.14 * (1.0 - y / 22.0));
  // Bottom: black in the middle, silver-grey toward the ends, the last row lighter.
  double bottom = 172 * std::pow(fromCentre, 1.8);
  if (y == kWindowHeight - 1) bottom = std::min(255.0, bottom + 36);
  double level = side;
  if (y < 50) {
    const double f = SmoothStep(kOutlineTop, 50, y);
    level = (1 - f) * std::min(top, 255.0) + f * side;
  } else if (y >= 984) {
    const double f = SmoothStep(984, kOutlineBottom + 2, y);
    level = (1 - f) * side + f * bottom;
  }
  return static_cast<int>(std::lround(level));
}

Picture DrawWholeFrame() {
  Canvas canvas(kWindowWidth, kWindowHeight);
  cairo_surface_t* surface = canvas.Surface();
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < kWindowHeight; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < kWindowWidth; ++x) {
      const uint32_t v = static_cast<uint32_t>(BandLevel(x, y));
      row[x] = 0xff000000u | (v << 16) | (v << 8) | v;
    }
  }
  cairo_surface_mark_dirty(surface);
  cairo_t* cr = canvas.Context();
  AddRoundedRectangle(cr, kOutlineLeft + 0.5, kOutlineTop + 0.5, kOutlineRight - kOutlineLeft,
                      kOutlineBottom - kOutlineTop, 12);
  SetColour(cr, kPanel, kPanel, kPanel);
  cairo_fill_preserve(cr);
  SetColour(cr, 255, 255, 255);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  return canvas.TakePicture();
}

Picture Crop(const Picture& whole, int left, int top, int width, int height) {
  Picture piece;
  piece.width = width;
  piece.height = height;
  piece.rgba.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    std::copy_n(whole.PixelAt(left, top + y), width * 4, piece.PixelAt(0, y));
  }
  return piece;
}

}  // namespace

std::vector<CataloguePicture> DrawCatalogue() {
  std::vector<CataloguePicture> out;
  const Picture frame = DrawWholeFrame();
  out.push_back({12101, Crop(frame, 0, 0, 1280, 50)});
  out.push_back({12102, Crop(frame, 1240, 50, 40, 934)});
  out.push_back({12103, Crop(frame, 0, 984, 1280, 40)});
  out.push_back({12104, Crop(frame, 0, 50, 40, 934)});

  struct Navigation {
    int number;
    Painter glyph;
  };
  const Navigation navigation[] = {{10, DrawPlayGlyph},
                                   {20, DrawFilmReelGlyph},
                                   {30, DrawGearGlyph},
                                   {40, DrawGlobeGlyph},
                                   {50, DrawInfoGlyph}};
  for (const Navigation& n : navigation) {
    out.push_back({n.number, DrawNavigationIcon(n.glyph, false)});
    out.push_back({n.number + 1, DrawNavigationIcon(n.glyph, true)});
  }
  out.push_back({60, DrawRoundButton(ButtonMark::BackArrow, false)});
  out.push_back({61, DrawRoundButton(ButtonMark::BackArrow, true)});
  out.push_back({70, DrawRoundButton(ButtonMark::Cross, false)});
  out.push_back({71, DrawRoundButton(ButtonMark::Cross, true)});
  out.push_back({6, DrawSwitch(SwitchMark::GreyTick)});
  out.push_back({7, DrawSwitch(SwitchMark::GreenTick)});
  out.push_back({8, DrawSwitch(SwitchMark::GreyCross)});
  out.push_back({9, DrawSwitch(SwitchMark::RedCross)});
  out.push_back({22, DrawCoverPlaceholder()});
  out.push_back({23, DrawUnderline(260)});
  out.push_back({24, DrawUnderline(800)});
  return out;
}

std::vector<Picture> DrawIconEntries() {
  std::vector<Picture> entries;
  for (int size : {16, 32, 48, 64, 128}) {
    Canvas canvas(size, size);
    cairo_t* cr = canvas.Context();
    const double scale = size / 128.0;
    cairo_scale(cr, scale, scale);
    // The board fills more of the small entries, where every pixel counts.
    const double grow = size <= 32 ? 1.12 : 1.0;
    cairo_translate(cr, 64, 64);
    cairo_scale(cr, grow, grow);
    cairo_translate(cr, -64, -65);
    DrawClapperboard(cr, nullptr, size == 16 ? 48 : size == 32 ? 32 : 24);
    entries.push_back(canvas.TakePicture());
  }
  return entries;
}

}  // namespace zelluo::artwork
