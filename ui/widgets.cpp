#include "ui/widgets.h"

#include <QPainter>
#include <QStyle>

#include "ui/look.h"

namespace palorin::ui {

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  auto* button = Place(new QPushButton(caption, parent), name, geometry);
  button->setAutoDefault(false);
  return button;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                 const QFont& font, Qt::Alignment alignment) {
  auto* label = Place(new ColourLabel(caption, parent), name, geometry);
  // Always the text colour of SetTextColor, whatever background it sits on.
  label->setForegroundRole(QPalette::WindowText);
  label->setFont(font);
  label->setAlignment(alignment);
  label->setMargin(0);
  label->setIndent(0);
  return label;
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
