#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/pick.h"
#include "render/raster.h"
#include "render/sprites.h"

namespace palorin::ui {

// The raster's memory as a read-only image: its 0xffRRGGBB pixels are
// Format_RGB32 as they stand, so no pixel is copied or converted. It is valid
// as long as the raster; copy() it to keep the picture.
QImage RasterImage(const render::Raster& raster);

// Image1: shows the raster one to one (raster pixel (x, y) at widget pixel
// (x, y)) straight from its memory, and reports pointer presses and moves in
// those pixels. It keeps no picture of its own: every paint, whether asked
// for by a refresh or by the windowing system, reads the raster. It takes
// the keyboard focus, and while it has it the cell cursor is drawn over the
// picture (never into the raster).
class DrawingArea : public QWidget {
  Q_OBJECT

 public:
  DrawingArea(const render::Raster& raster, QWidget* parent);

  // Pointer position in drawing-area pixels, whichever button; may lie
  // outside the area while a button held since a press inside it drags
  // beyond its edge.
  std::function<void(int x, int y)> onPress;
  std::function<void(int x, int y)> onMove;

  // The cell the cursor marks; repaints where it was and where it is.
  void ShowCursor(core::Cell cell);
  // The widget pixels the cursor covers at `cell`.
  static QRect CursorRect(core::Cell cell);

  // Paint events served so far, to check that each operation repaints once.
  std::uint64_t PaintCount() const { return paints_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  const render::Raster& raster_;
  std::optional<core::Cell> cursor_;
  std::uint64_t paints_ = 0;
};

}  // namespace palorin::ui
