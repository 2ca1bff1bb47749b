#pragma once

#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QWidget>
#include <functional>

#include "forms/controls.h"

namespace palorin::ui {

// Runs one event handler of either window: through the shared dispatch, with
// the error box for a raised error (over `origin`), after which both windows
// show their forms' data again.
using RunHandler = std::function<void(QWidget* origin, const std::function<void()>& handler)>;

// Places a child at its left/top/width/height inside `parent` and names it
// after its control, so tests and the focus chain can find it by that name.
template <typename W>
W* Place(W* widget, const char* name, QRect geometry) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

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

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, QRect geometry);
QLabel* AddLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                 const QFont& font, Qt::Alignment alignment);

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
