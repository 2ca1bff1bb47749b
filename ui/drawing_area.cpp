#include "ui/drawing_area.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace palorin::ui {

QImage RasterImage(const render::Raster& raster) {
  return QImage(reinterpret_cast<const uchar*>(raster.Data()), render::kRasterWidth,
                render::kRasterHeight, render::Raster::BytesPerLine(), QImage::Format_RGB32);
}

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
  const QImage image = RasterImage(raster_);
  QPainter painter(this);
  // On a scaled screen each raster pixel becomes a block of whole device
  // pixels, or at a fractional factor the nearest ones: never a blend.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const QRect dirty = event->rect() & rect();
  painter.drawImage(dirty.topLeft(), image, dirty);
}

// A drag that leaves the area still sends its moves here, with positions
// outside, which the session turns into no cell.
void DrawingArea::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (onPress) onPress(p.x(), p.y());
}

void DrawingArea::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (onMove) onMove(p.x(), p.y());
}

}  // namespace palorin::ui
