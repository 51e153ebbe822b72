#include "widgets/picture_surface.h"

#include <cmath>
#include <string>

#include "platform/error.h"

namespace quillon {
namespace {

void check_scale(float value, const char* what) {
  if (value == 0.0f || !std::isfinite(value))
    throw Error(Failed::Display, std::string("picture box: invalid ") + what + " " + std::to_string(value));
}

}  // namespace

PictureSurface::PictureSurface(int width, int height, Colour box_color)
    : width_(width),
      height_(height),
      box_color_(box_color),
      scale_w_(static_cast<float>(width)),
      scale_h_(static_cast<float>(height)) {
  if (width <= 0 || height <= 0) throw Error(Failed::Display, "picture box: the size must be positive");
}

void PictureSurface::set_scale_width(float w) {
  check_scale(w, "scale width");
  scale_w_ = w;
}

void PictureSurface::set_scale_height(float h) {
  check_scale(h, "scale height");
  scale_h_ = h;
}

void PictureSurface::set_draw_mode(int mode) {
  if (mode != kDrawModeCopyPen && mode != kDrawModeNotXorPen)
    throw Error(Failed::Display, "picture box: unsupported draw mode " + std::to_string(mode));
  draw_mode_ = mode;
}

}  // namespace quillon
