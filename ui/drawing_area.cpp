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
  // Reached by Tab, so that the keys draw; a click places and leaves the
  // focus where it was, as it always did.
  setFocusPolicy(Qt::TabFocus);
}

QRect DrawingArea::CursorRect(core::Cell cell) {
  // The block's sprite (12 x 13 from pixel (6x, 3y)) with a pixel around it.
  return {6 * cell.x - 1, 3 * cell.y - 1, render::kSpriteWidth + 2, render::kSpriteHeight + 2};
}

void DrawingArea::ShowCursor(core::Cell cell) {
  if (cursor_ == cell) return;
  if (cursor_ && hasFocus()) update(CursorRect(*cursor_));
  cursor_ = cell;
  if (hasFocus()) update(CursorRect(cell));
}

void DrawingArea::paintEvent(QPaintEvent* event) {
  ++paints_;
  QPainter painter(this);
  const QRect dirty = event->rect() & rect();
  if (raster_.IsUniform()) {
    // A picture of one colour (the empty one, black) holds no pixels yet:
    // the same pixels, filled.
    painter.fillRect(dirty, QColor::fromRgb(raster_.UniformColour()));
  } else {
    // On a scaled screen each raster pixel becomes a block of whole device
    // pixels, or at a fractional factor the nearest ones: never a blend.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(dirty.topLeft(), RasterImage(raster_), dirty);
  }
  if (cursor_ && hasFocus()) {
    // Two rings, black outside white, so that the cursor stands out on the
    // black ground and on every block colour alike.
    const QRect ring = CursorRect(*cursor_);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(ring.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(ring.adjusted(1, 1, -2, -2));
  }
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

void DrawingArea::focusInEvent(QFocusEvent* event) {
  if (cursor_) update(CursorRect(*cursor_));
  QWidget::focusInEvent(event);
}

void DrawingArea::focusOutEvent(QFocusEvent* event) {
  if (cursor_) update(CursorRect(*cursor_));
  QWidget::focusOutEvent(event);
}

}  // namespace palorin::ui
