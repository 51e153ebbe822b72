#pragma once
// The picture box on GDI: a 32-bit DIB section selected into a memory DC,
// which the window blits to Picture1 on refresh.
#include <memory>
#include <string>

#include "widgets/picture_surface.h"

namespace quillon {

class GdiSurface final : public PictureSurface {
 public:
  GdiSurface(int width, int height, Colour box_color = 0xF0F0F0);
  ~GdiSurface() override;
  GdiSurface(const GdiSurface&) = delete;
  GdiSurface& operator=(const GdiSurface&) = delete;

  void cls() override;
  float text_width(std::string_view cp932_text) const override;
  float text_height(std::string_view cp932_text) const override;
  void print(std::string_view cp932_text) override;
  void fill_box(float x1, float y1, float x2, float y2, Colour c) override;

  // A font by face name (UTF-8) and pixel height, Shift-JIS character set.
  void set_font(const std::string& face, int pixel_height);
  // The memory DC (an HDC), for the window to blit from.
  void* dc() const;
  Colour pixel(int x, int y) const;
  int pixel_width() const { return width(); }
  int pixel_height() const { return height(); }

 private:
  struct Gdi;
  std::unique_ptr<Gdi> gdi_;
};

}  // namespace quillon
