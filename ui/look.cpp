#include "ui/look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPalette>
#include <QStyleFactory>
#include <QWidget>
#include <cstdio>

namespace palorin::ui {

namespace {

// The family FormFont() gives every control; empty until ResolveFormFont().
QString& ResolvedFamily() {
  static QString family;
  return family;
}

}  // namespace

QString ResolveFormFont() {
  QString& family = ResolvedFamily();
  if (!family.isEmpty()) return family;
  const QStringList installed = QFontDatabase::families();
  for (const char* standIn : kFormFontStandIns) {
    const QString name = QString::fromUtf8(standIn);
    if (installed.contains(name, Qt::CaseInsensitive)) {
      family = name;
      break;
    }
  }
  if (family.isEmpty()) {
    // Still start, with the default face: texts may not fit, so say which.
    family = QFontInfo(QApplication::font()).family();
    std::fprintf(stderr, "palorin: no Japanese gothic installed for \"%s\", using \"%s\"\n",
                 kFormFontFamily, family.toLocal8Bit().constData());
  }
  // Tooltips, the error box and the dialogs speak in the same face.
  QApplication::setFont(FormFont(12));
  return family;
}

void UseFormLook() {
  ResolveFormFont();
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) {
    QApplication::setStyle(style);
  }
}

QFont FormFont(int pixelHeight, bool bold) {
  const QString& family = ResolvedFamily();
  QFont font(family.isEmpty() ? QString::fromUtf8(kFormFontFamily) : family);
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
