#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>
#include <array>
#include <string_view>

#include "forms/controls.h"
#include "forms/face.h"

class QWidget;

namespace palorin::ui {

// Picks the form face (forms/face.h), or else the first installed stand-in,
// as the family of every form font and
// of the application font, condensed to the form face's Latin widths. A
// mere substitution is not enough: the family then resolves to a wide Latin
// face for Latin text, which cuts "Count:2250" short. With no stand-in
// installed it keeps the toolkit's default and says once on standard error
// which face it uses. Call once after the application object exists;
// returns the family in use.
QString ResolveFormFont();

// The program's look: the form font, and the classic "Windows" widget
// style, whose compact combo boxes fit the 20-pixel rows of the layout, whose
// group boxes carry their captions on the frame and leave the inside in the
// button-face colour (so that part digits and bars in that colour vanish).
// Call once after the application object exists.
void UseFormLook();

// The form font at a pixel height, regular or bold: the resolved family at
// the form face's widths.
QFont FormFont(int pixelHeight, bool bold = false);

// A control colour as the desktop shows it: fixed RGB values as they are,
// the system colours from the application's palette.
QColor ToQColor(const forms::Color& color);

// Sets the colour a label draws its text in, enabled or disabled alike.
void SetTextColor(QWidget& widget, const forms::Color& color);

// A text of the forms (UTF-8) as Qt shows it.
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The window icon (a 32 x 32, 16-colour image built into the program).
QIcon WindowIcon();

}  // namespace palorin::ui
