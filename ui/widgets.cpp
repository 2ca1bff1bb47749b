#include "ui/widgets.h"

#include <QPainter>
#include <QStyle>

#include "ui/look.h"

namespace palorin::ui {

void StyleLabel(QLabel& label, const QFont& font, Qt::Alignment alignment) {
  // Always the text colour of SetTextColor, whatever background it sits on.
  label.setForegroundRole(QPalette::WindowText);
  label.setFont(font);
  label.setAlignment(alignment);
  label.setMargin(0);
  label.setIndent(0);
}

void ColourLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  // Drawn as enabled whatever the parent: no etched shadow, no gray.
  style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(), true,
                        text(), foregroundRole());
}

void ShapeView::SetBrush(const forms::Color& brush) {
  if (brush == brush_) return;
  brush_ = brush;
  update();
}

void ShapeView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(forms::Color::ButtonFace()));
  painter.fillRect(rect().adjusted(1, 1, -1, -1), ToQColor(brush_));
}

}  // namespace palorin::ui
