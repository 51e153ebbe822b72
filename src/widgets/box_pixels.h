#pragma once
// Which pixels of a picture a box in user units covers.
namespace quillon {

struct PixelBox {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
  bool empty() const { return right < left || bottom < top; }
};

// The pixels of a width x height picture that a box from (x1, y1) to
// (x2, y2) in a scale_w x scale_h user scale covers, both corners included.
PixelBox box_pixels(float x1, float y1, float x2, float y2, float scale_w, float scale_h, int width, int height);

}  // namespace quillon
