#include "ui/look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>
#include <QWidget>
#include <cstdio>

// The icon's pixels, as an XPM array compiled into the program.
#include "palorin.xpm"

namespace palorin::ui {

namespace {

// The family FormFont() gives every control; empty until ResolveFormFont().
QString& ResolvedFamily() {
  static QString family;
  return family;
}

// The horizontal stretch (percent) FormFont() gives the resolved family.
int& ResolvedStretch() {
  static int stretch = 100;
  return stretch;
}

// The stretch that condenses `family` to the form face's Latin widths.
int StretchToFormWidths(const QString& family) {
  constexpr int kHeight = 12;
  QFont font(family);
  font.setPixelSize(kHeight);
  return forms::FormFaceStretch(QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')), kHeight);
}

}  // namespace

QString ResolveFormFont() {
  QString& family = ResolvedFamily();
  if (!family.isEmpty()) return family;
  const QStringList installed = QFontDatabase::families();
  QStringList candidates{FromUtf8(forms::kFormFace)};
  for (const std::string_view standIn : forms::kFormFaceStandIns) candidates.append(FromUtf8(standIn));
  for (const QString& name : candidates) {
    if (installed.contains(name, Qt::CaseInsensitive)) {
      family = name;
      break;
    }
  }
  if (family.isEmpty()) {
    // Still start, with the default face: texts may not fit, so say which.
    family = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    std::fprintf(stderr, "palorin: no Japanese gothic installed for \"%s\", using \"%s\"\n",
                 forms::kFormFace.data(), family.toLocal8Bit().constData());
  }
  ResolvedStretch() = StretchToFormWidths(family);
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
  QFont font(family.isEmpty() ? FromUtf8(forms::kFormFace) : family);
  font.setPixelSize(pixelHeight);
  font.setStretch(ResolvedStretch());
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

QIcon WindowIcon() {
  // Decoded once, from the array itself: the toolkit's own XPM reader, so
  // that no image format plugin is looked for or loaded at start-up. The
  // application and both windows share the one image. Never destroyed, so
  // that it does not outlive the application object's end in a static
  // destructor.
  static const QIcon* const icon = new QIcon(QPixmap(palorin_xpm));
  return *icon;
}

}  // namespace palorin::ui
