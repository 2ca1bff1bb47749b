#include "ui/drawing_area.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace palorin::ui {

DrawingArea::DrawingArea(const render::Raster& raster, QWidget* parent)
    : QWidget(parent), raster_(raster) {
  setFixedSize(render::kRasterWidth, render::kRasterHeight);
  // Moves are reported with no button held too.
  setMouseTracking(true);
  // Every pixel is painted from the raster: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::ArrowCursor);
}

void DrawingArea::paintEvent(QPaintEvent* event) {
  ++paints_;
  // The raster's 0xffRRGGBB pixels are Format_RGB32 as they stand: the image
  // wraps the memory read-only, no pixel is copied or converted here.
  const QImage image(reinterpret_cast<const uchar*>(raster_.Data()), render::kRasterWidth,
                     render::kRasterHeight, render::Raster::BytesPerLine(), QImage::Format_RGB32);
  QPainter painter(this);
  const QRect dirty = event->rect() & rect();
  painter.drawImage(dirty.topLeft(), image, dirty);
}

void DrawingArea::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (onPress) onPress(event->button(), event->modifiers(), p.x(), p.y());
}

void DrawingArea::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (onMove) onMove(event->modifiers(), p.x(), p.y());
}

}  // namespace palorin::ui
