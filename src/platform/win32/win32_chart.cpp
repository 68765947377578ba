// Chart gadgets: a child window of the program's own class, painted with GDI
// in the chart's font and colours; chart_layout.h places the parts and finds
// the bar a click hits.

#include "platform/win32/win32_internal.h"

#include <memory>
#include <string>

#include "platform/chart_layout.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {
namespace {

constexpr wchar_t kChartWindowClass[] = L"ZelluoChart";

COLORREF ColourOf(Rgb colour) {
  return RGB(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

RECT RectOf(const Rect& rect) {
  return RECT{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

LRESULT CALLBACK ChartWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* platform = reinterpret_cast<Win32Platform*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (platform != nullptr) {
    intptr_t result = 0;
    if (platform->HandleChartMessage(window, message, wParam, lParam, &result)) return result;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool Win32Platform::HandleChartMessage(HWND__* control, unsigned message, uintptr_t wParam,
                                       intptr_t lParam, intptr_t* result) {
  (void)wParam;
  switch (message) {
    case WM_PAINT:
      PaintChart(control);
      *result = 0;
      return true;
    case WM_ERASEBKGND:
      *result = 1;  // the paint fills the whole gadget
      return true;
    case WM_LBUTTONUP:
      ClickChart(control,
                 Point{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))});
      *result = 0;
      return true;
    default:
      return false;
  }
}

int32_t Win32Platform::ChartLineHeight(const Chart& chart) const {
  const auto font = fonts_.find(chart.font);
  LOGFONTW description{};
  if (font == fonts_.end() || ::GetObjectW(font->second, sizeof description, &description) == 0) {
    return 16;
  }
  return description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
}

void Win32Platform::CreateChartGadget(GadgetId gadget, const Rect& rect, const Chart& chart) {
  if (!window_) return;
  if (!chartClassRegistered_) {
    WNDCLASSEXW chartClass{};
    chartClass.cbSize = sizeof chartClass;
    chartClass.lpfnWndProc = ChartWindowProc;
    chartClass.hInstance = instance_;
    chartClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    chartClass.lpszClassName = kChartWindowClass;
    chartClassRegistered_ = ::RegisterClassExW(&chartClass) != 0;
    if (!chartClassRegistered_) return;
  }
  Gadget made(ControlKind::Chart);
  made.chart = std::make_shared<const Chart>(chart);
  made.font = chart.font;
  made.front = chart.text;
  made.back = chart.back;
  made.control = ::CreateWindowExW(
      0, kChartWindowClass, nullptr, WS_CHILD | WS_VISIBLE, rect.x, rect.y, rect.width, rect.height,
      window_, reinterpret_cast<HMENU>(static_cast<intptr_t>(gadget)), instance_, nullptr);
  if (made.control) {
    ::SetWindowLongPtrW(made.control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  PlaceGadget(gadget, made);
}

void Win32Platform::PaintChart(HWND__* control) {
  PAINTSTRUCT paint{};
  HDC context = ::BeginPaint(control, &paint);
  if (!context) return;
  const Gadget* gadget = FindGadget(GadgetOfControl(control));
  RECT client{};
  ::GetClientRect(control, &client);
  if (gadget != nullptr && gadget->chart) {
    const Chart& chart = *gadget->chart;
    HBRUSH back = ::CreateSolidBrush(ColourOf(chart.back));
    ::FillRect(context, &client, back);
    ::DeleteObject(back);
    HBRUSH barBrush = ::CreateSolidBrush(ColourOf(chart.bar));
    HGDIOBJ oldFont = nullptr;
    if (const auto font = fonts_.find(chart.font); font != fonts_.end()) {
      oldFont = ::SelectObject(context, font->second);
    }
    ::SetTextColor(context, ColourOf(chart.text));
    ::SetBkMode(context, TRANSPARENT);
    const std::vector<ChartPiece> pieces =
        LayOutChart(chart, {client.right, client.bottom}, ChartLineHeight(chart));
    for (size_t i = 0; i < pieces.size(); ++i) {
      const ChartPiece& piece = pieces[i];
      if (piece.bar.width > 0 && piece.bar.height > 0) {
        const RECT bar = RectOf(piece.bar);
        ::FillRect(context, &bar, barBrush);
      }
      const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                          (piece.align == TextAlign::Centre ? DT_CENTER : DT_LEFT);
      RECT label = RectOf(piece.label);
      ::DrawTextW(context, win32::Widen(chart.bars[i].label).c_str(), -1, &label, format);
      RECT figure = RectOf(piece.figure);
      ::DrawTextW(context, win32::Widen(chart.bars[i].figure).c_str(), -1, &figure, format);
    }
    if (oldFont) ::SelectObject(context, oldFont);
    ::DeleteObject(barBrush);
  }
  ::EndPaint(control, &paint);
}

void Win32Platform::ClickChart(HWND__* control, Point point) {
  const GadgetId number = GadgetOfControl(control);
  const Gadget* gadget = FindGadget(number);
  if (gadget == nullptr || !gadget->chart) return;
  RECT client{};
  ::GetClientRect(control, &client);
  const int32_t bar = ChartBarAt(*gadget->chart, {client.right, client.bottom},
                                 ChartLineHeight(*gadget->chart), point);
  if (bar >= 0) core_.events.Push(Event::OfGadget(number, kGadgetChartBar + bar));
}

}  // namespace zelluo::platform
