#include "qt/picture_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

namespace quillon {

PictureBox::PictureBox(QSize size, QWidget* parent)
    : QWidget(parent), surface_(size, QImageSurface::from_qrgb(palette().color(QPalette::Window).rgb())) {
  setFixedSize(size);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Synchronous: an upload blocks the event loop while the bar moves.
  surface_.set_refresh_callback([this] { repaint(); });
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.drawImage(event->rect(), surface_.image(), event->rect());
}

}  // namespace quillon
