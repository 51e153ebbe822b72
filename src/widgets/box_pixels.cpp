#include "widgets/box_pixels.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quillon {
namespace {

// Pixel index holding the point, limited to the image (with one spare either side
// so that a box entirely outside stays outside).
int pixel_index(double p, int size) {
  if (std::isnan(p)) return -1;
  const double f = std::floor(p);
  if (f < -1.0) return -1;
  if (f > size) return size;
  return static_cast<int>(f);
}

}  // namespace

PixelBox box_pixels(float x1, float y1, float x2, float y2, float scale_w, float scale_h, int width, int height) {
  const auto px = [&](float x) { return static_cast<double>(x) * width / static_cast<double>(scale_w); };
  const auto py = [&](float y) { return static_cast<double>(y) * height / static_cast<double>(scale_h); };
  int left = pixel_index(px(x1), width), right = pixel_index(px(x2), width);
  int top = pixel_index(py(y1), height), bottom = pixel_index(py(y2), height);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  return {std::max(left, 0), std::max(top, 0), std::min(right, width - 1), std::min(bottom, height - 1)};
}

}  // namespace quillon
