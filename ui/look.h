#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>
#include <string_view>

#include "forms/controls.h"

class QWidget;

namespace palorin::ui {

// The face every window and label of the program names. It is a Windows
// font; InstallFontSubstitutes() maps it to an installed Japanese gothic so
// that its Japanese texts never render as boxes.
inline constexpr const char* kFormFontFamily = "ＭＳ Ｐゴシック";

// Maps the form font to IPAPGothic (same metrics), with other Japanese
// gothics behind it. Call once after the application object exists.
void InstallFontSubstitutes();

// The program's look: the font substitutes, and the classic "Windows" widget
// style, whose compact combo boxes fit the 20-pixel rows of the layout, whose
// group boxes carry their captions on the frame and leave the inside in the
// button-face colour (so that part digits and bars in that colour vanish).
// Call once after the application object exists.
void UseFormLook();

// The form font at a pixel height, regular or bold.
QFont FormFont(int pixelHeight, bool bold = false);

// A control colour as the desktop shows it: fixed RGB values as they are,
// the system colours from the application's palette.
QColor ToQColor(const forms::Color& color);

// Sets the colour a label draws its text in.
void SetTextColor(QWidget& widget, const forms::Color& color);

// A text of the forms (UTF-8) as Qt shows it.
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The window icon (a 32 x 32, 16-colour image built into the program).
QIcon WindowIcon();

}  // namespace palorin::ui
