#pragma once

#include <QFrame>
#include <QLabel>
#include <QWidget>

#include "forms/controls.h"

namespace palorin::ui {

// A label whose font colour is its whole state: it draws its text in that
// colour also inside a disabled group box, where the style would otherwise
// etch it with a light shadow and make a digit in the button-face colour
// show faintly.
class ColourLabel : public QLabel {
  Q_OBJECT

 public:
  ColourLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Gives a label its font and alignment, and no margin or indent.
void StyleLabel(QLabel& label, const QFont& font, Qt::Alignment alignment);

// The status bar: a frame holding the panels, which screen readers know as
// a status bar.
class StatusBarView : public QFrame {
  Q_OBJECT

 public:
  explicit StatusBarView(QWidget* parent) : QFrame(parent) {}
};

// A filled rectangle (the part bars): fill in the brush colour, a one-pixel
// outline in the button-face colour.
class ShapeView : public QWidget {
  Q_OBJECT

 public:
  explicit ShapeView(QWidget* parent) : QWidget(parent) {}
  void SetBrush(const forms::Color& brush);
  const forms::Color& Brush() const { return brush_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  forms::Color brush_ = forms::Color::ButtonFace();
};

}  // namespace palorin::ui
