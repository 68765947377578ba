// GtkPlatform: chart gadgets, drawn with cairo and Pango in a GtkDrawingArea;
// chart_layout.h places the parts and finds the bar a click hits.

#include <gtk/gtk.h>
#include <pango/pangocairo.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/chart_layout.h"
#include "platform/gtk/gtk_helpers.h"
#include "platform/gtk/gtk_platform.h"

namespace zelluo::platform {
namespace {

constexpr const char* kChartKey = "zelluo-gadget";

void SetColour(cairo_t* cairo, Rgb colour) {
  cairo_set_source_rgb(cairo, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                       ((colour >> 16) & 0xFF) / 255.0);
}

// One line of text in rect, left or centred, vertically in the middle, cut
// off with an ellipsis where it is too long.
void DrawText(cairo_t* cairo, PangoLayout* layout, const std::string& text, const Rect& rect,
              TextAlign align) {
  if (rect.width <= 0) return;
  pango_layout_set_text(layout, gtk::ValidUtf8(text).c_str(), -1);
  pango_layout_set_width(layout, rect.width * PANGO_SCALE);
  pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  pango_layout_set_alignment(layout,
                             align == TextAlign::Centre ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  cairo_move_to(cairo, rect.x, rect.y + (rect.height - height) / 2.0);
  pango_cairo_show_layout(cairo, layout);
}

}  // namespace

int32_t GtkPlatform::ChartLineHeight(const Chart& chart) const {
  const auto font = fonts_.find(chart.font);
  return font != fonts_.end() ? font->second.pixelHeight : 16;
}

void GtkPlatform::CreateChartGadget(GadgetId gadget, const Rect& rect, const Chart& chart) {
  if (layout_ == nullptr) return;
  Gadget record(ControlKind::Chart);
  record.rect = rect;
  record.font = chart.font;
  record.front = chart.text;
  record.back = chart.back;
  auto drawn = std::make_shared<const Chart>(chart);
  record.chart = drawn;
  DeferGadget(gadget, record,
              [this, gadget, rect, drawn] { MakeChartGadget(gadget, rect, drawn); });
}

void GtkPlatform::MakeChartGadget(GadgetId gadget, const Rect& rect,
                                  std::shared_ptr<const Chart> chart) {
  if (layout_ == nullptr) return;
  Gadget entry(ControlKind::Chart);
  entry.rect = rect;
  entry.chart = std::move(chart);
  entry.widget = gtk_drawing_area_new();
  entry.content = entry.widget;
  gtk_widget_add_events(entry.widget,
                        GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
  g_signal_connect(entry.widget, "draw", G_CALLBACK(OnChartDraw), this);
  g_signal_connect(entry.widget, "button-press-event", G_CALLBACK(OnChartButton), this);
  g_signal_connect(entry.widget, "button-release-event", G_CALLBACK(OnChartButton), this);
  PlaceGadget(gadget, entry);
}

int GtkPlatform::OnChartDraw(GtkWidget* widget, cairo_t* cairo, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  const GadgetId number{GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kChartKey))};
  const Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || entry->widget != widget || !entry->chart) return FALSE;
  const Chart& chart = *entry->chart;
  SetColour(cairo, chart.back);
  cairo_paint(cairo);

  PangoLayout* layout = pango_cairo_create_layout(cairo);
  PangoFontDescription* description = pango_font_description_new();
  if (const auto font = platform->fonts_.find(chart.font); font != platform->fonts_.end()) {
    pango_font_description_set_family(description, font->second.face.c_str());
    pango_font_description_set_absolute_size(description, font->second.pixelHeight * PANGO_SCALE);
    pango_font_description_set_weight(description, static_cast<PangoWeight>(font->second.weight));
  }
  pango_layout_set_font_description(layout, description);
  const std::vector<ChartPiece> pieces =
      LayOutChart(chart, {entry->rect.width, entry->rect.height}, platform->ChartLineHeight(chart));
  for (size_t i = 0; i < pieces.size(); ++i) {
    const ChartPiece& piece = pieces[i];
    if (piece.bar.width > 0 && piece.bar.height > 0) {
      SetColour(cairo, chart.bar);
      cairo_rectangle(cairo, piece.bar.x, piece.bar.y, piece.bar.width, piece.bar.height);
      cairo_fill(cairo);
    }
    SetColour(cairo, chart.text);
    DrawText(cairo, layout, chart.bars[i].label, piece.label, piece.align);
    DrawText(cairo, layout, chart.bars[i].figure, piece.figure, piece.align);
  }
  pango_font_description_free(description);
  g_object_unref(layout);
  return TRUE;
}

// A press and a release of the left button on the same bar is a click on it.
int GtkPlatform::OnChartButton(GtkWidget* widget, GdkEventButton* event, void* self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  const GadgetId number{GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kChartKey))};
  Gadget* entry = platform->FindGadget(number);
  if (entry == nullptr || entry->widget != widget || !entry->chart) return TRUE;
  if (event->button != GDK_BUTTON_PRIMARY) return TRUE;
  const Point point{static_cast<int32_t>(event->x), static_cast<int32_t>(event->y)};
  const int32_t bar = ChartBarAt(*entry->chart, {entry->rect.width, entry->rect.height},
                                 platform->ChartLineHeight(*entry->chart), point);
  if (event->type == GDK_BUTTON_PRESS) {
    platform->NoteUserInput();
    entry->leftPressed = bar >= 0;
    entry->pressedBar = bar;
  } else if (event->type == GDK_BUTTON_RELEASE && entry->leftPressed) {
    entry->leftPressed = false;
    if (bar >= 0 && bar == entry->pressedBar) {
      platform->core_.events.Push(Event::OfGadget(number, kGadgetChartBar + bar));
    }
  }
  return TRUE;
}

}  // namespace zelluo::platform
