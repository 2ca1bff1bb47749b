#include "ui/look.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>
#include <QWidget>

namespace palorin::ui {

void InstallFontSubstitutes() {
  QFont::insertSubstitutions(QString::fromUtf8(kFormFontFamily),
                             {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                              QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});
}

void UseFormLook() {
  InstallFontSubstitutes();
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) {
    QApplication::setStyle(style);
  }
}

QFont FormFont(int pixelHeight, bool bold) {
  QFont font(QString::fromUtf8(kFormFontFamily));
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return font;
}

QColor ToQColor(const forms::Color& color) {
  switch (color.kind) {
    case forms::Color::Kind::Rgb:
      return QColor(color.r, color.g, color.b);
    case forms::Color::Kind::ButtonFace:
      return QApplication::palette().color(QPalette::Button);
    case forms::Color::Kind::WindowText:
      break;
  }
  return QApplication::palette().color(QPalette::WindowText);
}

void SetTextColor(QWidget& widget, const forms::Color& color) {
  QPalette palette = widget.palette();
  const QColor wanted = ToQColor(color);
  if (palette.color(QPalette::WindowText) == wanted) return;
  // A disabled parent must not gray the colour out: the colour is the state.
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::WindowText, wanted);
  }
  widget.setPalette(palette);
}

QIcon WindowIcon() { return QIcon(QStringLiteral(":/palorin.xpm")); }

}  // namespace palorin::ui
