#pragma once
// A fixed-size box that shows the persistent image of its surface.
#include <QSize>
#include <QWidget>

#include "qt/qimage_surface.h"

class QPaintEvent;

namespace quillon {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  // `size` in pixels, the inner size of the box.
  explicit PictureBox(QSize size, QWidget* parent = nullptr);

  QImageSurface& surface() { return surface_; }
  const QImageSurface& surface() const { return surface_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImageSurface surface_;
};

}  // namespace quillon
