#include "win32/gdi_surface.h"

#include <windows.h>

#include <string>

#include "platform/cp932.h"
#include "platform/error.h"
#include "win32/form_window.h"

namespace quillon {
namespace {

using win32::utf16;

COLORREF rgb(Colour c) { return static_cast<COLORREF>(c & 0xFFFFFF); }  // both 0x00BBGGRR

// PatBlt's code for what R2_NOTXORPEN does with a pen: NOT (brush XOR screen).
constexpr DWORD kNotXorBrush = 0x00A50065;

}  // namespace

struct GdiSurface::Gdi {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old_bitmap = nullptr;
  HFONT font = nullptr;
  HGDIOBJ old_font = nullptr;
  const std::uint32_t* bits = nullptr;
};

GdiSurface::GdiSurface(int width, int height, Colour box_color)
    : PictureSurface(width, height, box_color), gdi_(std::make_unique<Gdi>()) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  gdi_->dc = ::CreateCompatibleDC(nullptr);
  gdi_->bitmap = ::CreateDIBSection(gdi_->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (gdi_->dc == nullptr || gdi_->bitmap == nullptr) throw Error(Failed::Display, "picture box: no GDI bitmap");
  gdi_->bits = static_cast<const std::uint32_t*>(bits);
  gdi_->old_bitmap = ::SelectObject(gdi_->dc, gdi_->bitmap);
  ::SetBkMode(gdi_->dc, TRANSPARENT);
  set_font("MS UI Gothic", 12);
  cls();
}

GdiSurface::~GdiSurface() {
  ::SelectObject(gdi_->dc, gdi_->old_font);
  ::SelectObject(gdi_->dc, gdi_->old_bitmap);
  ::DeleteObject(gdi_->font);
  ::DeleteObject(gdi_->bitmap);
  ::DeleteDC(gdi_->dc);
}

void GdiSurface::set_font(const std::string& face, int pixel_height) {
  std::wstring name = utf16(cp932::from_utf8(face));
  HFONT font =
      ::CreateFontW(-pixel_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, name.c_str());
  if (font == nullptr) return;
  HGDIOBJ previous = ::SelectObject(gdi_->dc, font);
  if (gdi_->font == nullptr) gdi_->old_font = previous;
  else ::DeleteObject(gdi_->font);
  gdi_->font = font;
}

void GdiSurface::cls() {
  HBRUSH brush = ::CreateSolidBrush(rgb(box_color()));
  const RECT all{0, 0, width(), height()};
  ::FillRect(gdi_->dc, &all, brush);
  ::DeleteObject(brush);
  home();
}

float GdiSurface::text_width(std::string_view cp932_text) const {
  const std::wstring text = utf16(cp932_text);
  SIZE size{};
  ::GetTextExtentPoint32W(gdi_->dc, text.c_str(), static_cast<int>(text.size()), &size);
  return to_units_x(size.cx);
}

float GdiSurface::text_height(std::string_view) const {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(gdi_->dc, &metrics);
  return to_units_y(metrics.tmHeight);
}

void GdiSurface::print(std::string_view cp932_text) {
  const std::wstring text = utf16(cp932_text);
  ::SetTextColor(gdi_->dc, rgb(fore_color()));
  ::TextOutW(gdi_->dc, static_cast<int>(to_px_x(current_x())), static_cast<int>(to_px_y(current_y())), text.c_str(),
             static_cast<int>(text.size()));
  set_current_x(0);
  set_current_y(current_y() + text_height(cp932_text));
}

void GdiSurface::fill_box(float x1, float y1, float x2, float y2, Colour c) {
  const PixelBox b = box(x1, y1, x2, y2);
  if (b.empty()) return;
  HBRUSH brush = ::CreateSolidBrush(rgb(c));
  HGDIOBJ old = ::SelectObject(gdi_->dc, brush);
  ::PatBlt(gdi_->dc, b.left, b.top, b.right - b.left + 1, b.bottom - b.top + 1,
           draw_mode() == kDrawModeNotXorPen ? kNotXorBrush : PATCOPY);
  ::SelectObject(gdi_->dc, old);
  ::DeleteObject(brush);
}

void* GdiSurface::dc() const { return gdi_->dc; }

Colour GdiSurface::pixel(int x, int y) const {
  ::GdiFlush();
  const std::uint32_t v = gdi_->bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(width()) + x];
  return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);  // 0x00RRGGBB in memory
}

}  // namespace quillon
