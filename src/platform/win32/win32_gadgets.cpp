// Pictures, gadgets (child controls of the main window) and fonts.

#include "platform/win32/win32_internal.h"

#include <commctrl.h>

#include <cstring>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {
namespace {

// A 32-bit top-down DIB section of the picture, colours premultiplied by
// alpha as the alpha-blending paint of the static control expects.
HBITMAP CreatePictureBitmap(const PixelImage& pixels, bool premultiply) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;  // rows top to bottom
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return nullptr;
  auto* out = static_cast<uint8_t*>(bits);
  const size_t count = static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* in = &pixels.rgba[i * 4];
    const unsigned alpha = in[3];
    auto scale = [&](uint8_t channel) {
      return premultiply ? static_cast<uint8_t>((channel * alpha + 127) / 255) : channel;
    };
    out[i * 4 + 0] = scale(in[2]);  // blue
    out[i * 4 + 1] = scale(in[1]);  // green
    out[i * 4 + 2] = scale(in[0]);  // red
    out[i * 4 + 3] = static_cast<uint8_t>(alpha);
  }
  ::GdiFlush();
  return bitmap;
}

// An icon with the picture's alpha channel; icons take straight alpha.
HICON CreatePictureIcon(const PixelImage& pixels) {
  HBITMAP colour = CreatePictureBitmap(pixels, false);
  if (!colour) return nullptr;
  // The mask is ignored for 32-bit icons with alpha, but must be there.
  HBITMAP mask = ::CreateBitmap(pixels.width, pixels.height, 1, 1, nullptr);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour;
  info.hbmMask = mask;
  HICON icon = mask ? ::CreateIconIndirect(&info) : nullptr;
  ::DeleteObject(colour);
  if (mask) ::DeleteObject(mask);
  return icon;
}

HFONT DefaultGuiFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

}  // namespace

// --- pictures -------------------------------------------------------------------

bool Win32Platform::LoadImage(ImageId image, const PixelImage& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0 ||
      pixels.rgba.size() < static_cast<size_t>(pixels.width) * pixels.height * 4) {
    return false;
  }
  Image loaded;
  loaded.width = pixels.width;
  loaded.height = pixels.height;
  loaded.bitmap = CreatePictureBitmap(pixels, true);
  if (!loaded.bitmap) return false;
  if (pixels.isIcon) loaded.icon = CreatePictureIcon(pixels);

  auto old = images_.find(image);
  if (old != images_.end()) {
    // Gadgets showing the old picture are given the new one.
    Image previous = old->second;
    old->second = loaded;
    for (auto& [number, gadget] : core_.gadgets) {
      if (gadget.Kind() == ControlKind::Image && gadget.image == image) ApplyImage(gadget, image);
    }
    ::DeleteObject(previous.bitmap);
    if (previous.icon) ::DestroyIcon(previous.icon);
  } else {
    images_.emplace(image, loaded);
  }
  return true;
}

void Win32Platform::FreeAllImages() {
  // The controls let go of the bitmaps before they are deleted.
  for (auto& [number, gadget] : core_.gadgets) {
    if (gadget.Kind() == ControlKind::Image && gadget.image != kNoImage)
      ApplyImage(gadget, kNoImage);
  }
  for (auto& [number, image] : images_) {
    ::DeleteObject(image.bitmap);
    if (image.icon) ::DestroyIcon(image.icon);
  }
  images_.clear();
}

const Win32Platform::Image* Win32Platform::FindImage(ImageId image) const {
  auto found = images_.find(image);
  return found == images_.end() ? nullptr : &found->second;
}

// --- gadgets ----------------------------------------------------------------------

Win32Platform::Gadget* Win32Platform::FindGadget(GadgetId gadget) {
  return core_.gadgets.Find(gadget);
}

GadgetId Win32Platform::GadgetOfControl(HWND control) const {
  for (const auto& [number, gadget] : core_.gadgets) {
    if (gadget.control == control) return number;
  }
  return kNoGadget;
}

void Win32Platform::PlaceGadget(GadgetId number, Gadget gadget) {
  if (Gadget* old = FindGadget(number)) {
    DestroyGadget(*old);
    core_.gadgets.Erase(number);
  }
  if (!gadget.control) return;
  core_.gadgets.Create(number, std::move(gadget));
}

void Win32Platform::DestroyGadget(Gadget& gadget) {
  // The film stops before the window it draws into goes.
  if (gadget.Kind() == ControlKind::Video) StopVideo();
  if (gadget.Kind() == ControlKind::Image) ApplyImage(gadget, kNoImage);
  if (gadget.control) ::DestroyWindow(gadget.control);
  gadget.control = nullptr;
  if (gadget.backBrush) ::DeleteObject(gadget.backBrush);
  gadget.backBrush = nullptr;
}

void Win32Platform::ApplyImage(Gadget& gadget, ImageId image) {
  const Image* picture = FindImage(image);
  HBITMAP bitmap = picture ? picture->bitmap : nullptr;
  gadget.image = picture ? image : kNoImage;
  if (!gadget.control) return;
  auto previous = reinterpret_cast<HBITMAP>(
      ::SendMessageW(gadget.control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  // A static control of the version 6 common controls keeps its own copy of a
  // 32-bit bitmap and hands it back here; that copy is ours to delete.
  if (gadget.controlCopy && previous == gadget.controlCopy) {
    ::DeleteObject(gadget.controlCopy);
  }
  gadget.controlCopy = nullptr;
  if (bitmap) {
    auto held =
        reinterpret_cast<HBITMAP>(::SendMessageW(gadget.control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (held && held != bitmap) gadget.controlCopy = held;
    // The gadget takes the size of its picture.
    ::SetWindowPos(gadget.control, nullptr, 0, 0, picture->width, picture->height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::InvalidateRect(gadget.control, nullptr, TRUE);
}

void Win32Platform::CreateImageGadget(GadgetId gadget, const Rect& rect, ImageId image) {
  if (!window_) return;
  Gadget made(ControlKind::Image);
  made.control =
      ::CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY,
                        rect.x, rect.y, rect.width, rect.height, window_,
                        reinterpret_cast<HMENU>(static_cast<intptr_t>(gadget)), instance_, nullptr);
  if (made.control) ApplyImage(made, image);
  PlaceGadget(gadget, made);
}

void Win32Platform::CreateTextGadget(GadgetId gadget, const Rect& rect, std::string_view text,
                                     TextAlign align) {
  if (!window_) return;
  // Without SS_NOTIFY a static is transparent to hits: a press on a text
  // reaches the window and drags it.
  DWORD style =
      WS_CHILD | WS_VISIBLE | SS_NOPREFIX | (align == TextAlign::Centre ? SS_CENTER : SS_LEFT);
  Gadget made(ControlKind::Text);
  made.control = ::CreateWindowExW(
      0, L"STATIC", win32::Widen(text).c_str(), style, rect.x, rect.y, rect.width, rect.height,
      window_, reinterpret_cast<HMENU>(static_cast<intptr_t>(gadget)), instance_, nullptr);
  if (made.control)
    ::SendMessageW(made.control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
  PlaceGadget(gadget, made);
}

void Win32Platform::CreateButtonGadget(GadgetId gadget, const Rect& rect, std::string_view text) {
  if (!window_) return;
  Gadget made(ControlKind::Button);
  made.control = ::CreateWindowExW(
      0, L"BUTTON", win32::Widen(text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
      rect.x, rect.y, rect.width, rect.height, window_,
      reinterpret_cast<HMENU>(static_cast<intptr_t>(gadget)), instance_, nullptr);
  if (made.control)
    ::SendMessageW(made.control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
  PlaceGadget(gadget, made);
}

void Win32Platform::SetGadgetImage(GadgetId gadget, ImageId image) {
  Gadget* found = FindGadget(gadget);
  if (!found || found->Kind() != ControlKind::Image) return;
  ApplyImage(*found, image);
}

void Win32Platform::SetGadgetFont(GadgetId gadget, FontId font) {
  Gadget* found = FindGadget(gadget);
  auto loaded = fonts_.find(font);
  if (!found || loaded == fonts_.end()) return;
  found->font = font;
  ::SendMessageW(found->control, WM_SETFONT, reinterpret_cast<WPARAM>(loaded->second), TRUE);
}

void Win32Platform::SetGadgetFrontColour(GadgetId gadget, Rgb colour) {
  Gadget* found = FindGadget(gadget);
  if (!found) return;
  found->front = colour;
  if (found->Kind() == ControlKind::List) {
    ::SendMessageW(found->control, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour));
  }
  ::InvalidateRect(found->control, nullptr, TRUE);
}

void Win32Platform::SetGadgetBackColour(GadgetId gadget, Rgb colour) {
  Gadget* found = FindGadget(gadget);
  if (!found) return;
  found->back = colour;
  if (found->backBrush) ::DeleteObject(found->backBrush);
  found->backBrush = ::CreateSolidBrush(static_cast<COLORREF>(colour));
  if (found->Kind() == ControlKind::List) {
    ::SendMessageW(found->control, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colour));
    ::SendMessageW(found->control, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colour));
  }
  ::InvalidateRect(found->control, nullptr, TRUE);
}

bool Win32Platform::HandleControlColour(HWND control, void* deviceContext, intptr_t* result) {
  GadgetId number = GadgetOfControl(control);
  if (Number(number) < 0) return false;
  const Gadget& gadget = *FindGadget(number);
  auto dc = static_cast<HDC>(deviceContext);
  if (gadget.Kind() == ControlKind::SingleLineField ||
      gadget.Kind() == ControlKind::MultiLineField) {
    if (!gadget.front && !gadget.back) return false;  // the system's colours
    ::SetTextColor(
        dc, gadget.front ? static_cast<COLORREF>(*gadget.front) : ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc,
                 gadget.back ? static_cast<COLORREF>(*gadget.back) : ::GetSysColor(COLOR_WINDOW));
    *result = reinterpret_cast<intptr_t>(gadget.backBrush ? gadget.backBrush
                                                          : ::GetSysColorBrush(COLOR_WINDOW));
    return true;
  }
  if (gadget.Kind() == ControlKind::Text) {
    if (gadget.front) ::SetTextColor(dc, static_cast<COLORREF>(*gadget.front));
    if (gadget.back) {
      ::SetBkColor(dc, static_cast<COLORREF>(*gadget.back));
      ::SetBkMode(dc, OPAQUE);
      *result = reinterpret_cast<intptr_t>(gadget.backBrush);
      return true;
    }
  }
  // Everything else stands on the window's own colour.
  if (!windowBrush_) return false;
  LOGBRUSH brush{};
  ::GetObjectW(windowBrush_, sizeof brush, &brush);
  ::SetBkColor(dc, brush.lbColor);
  *result = reinterpret_cast<intptr_t>(windowBrush_);
  return true;
}

void Win32Platform::ShowGadget(GadgetId gadget) {
  if (Gadget* found = FindGadget(gadget)) ::ShowWindow(found->control, SW_SHOW);
}

void Win32Platform::HideGadget(GadgetId gadget) {
  if (Gadget* found = FindGadget(gadget)) ::ShowWindow(found->control, SW_HIDE);
}

void Win32Platform::FreeGadget(GadgetId gadget) {
  Gadget* found = FindGadget(gadget);
  if (!found) return;
  DestroyGadget(*found);
  core_.gadgets.Erase(gadget);
}

bool Win32Platform::GadgetExists(GadgetId gadget) { return FindGadget(gadget) != nullptr; }

std::optional<Rect> Win32Platform::GadgetRect(GadgetId gadget) {
  Gadget* found = FindGadget(gadget);
  if (!found || !window_) return std::nullopt;
  RECT rect{};
  ::GetWindowRect(found->control, &rect);
  ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return Rect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// --- fonts --------------------------------------------------------------------------

void Win32Platform::LoadFont(FontId font, std::string_view face, int32_t pixelHeight,
                             int32_t weight, bool underline) {
  // A negative height asks for the character height, not the cell height.
  HFONT made =
      ::CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, win32::Widen(face).c_str());
  if (!made) return;
  auto old = fonts_.find(font);
  if (old == fonts_.end()) {
    fonts_.emplace(font, made);
    return;
  }
  // Gadgets with the replaced font move to the new one before it is deleted.
  HFONT previous = old->second;
  old->second = made;
  for (auto& [number, gadget] : core_.gadgets) {
    if (gadget.font == font) {
      ::SendMessageW(gadget.control, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
    }
  }
  ::DeleteObject(previous);
}

void Win32Platform::FreeAllFonts() {
  // Gadgets still alive fall back to the default font first.
  for (auto& [number, gadget] : core_.gadgets) {
    if (gadget.font && Number(*gadget.font) >= 0) {
      ::SendMessageW(gadget.control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
      gadget.font.reset();
    }
  }
  for (auto& [number, font] : fonts_) ::DeleteObject(font);
  fonts_.clear();
}

}  // namespace zelluo::platform
