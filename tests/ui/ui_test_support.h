#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QSignalSpy>
#include <QTest>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "render/raster.h"
#include "tests/support/dialog_answers.h"
#include "ui/editor.h"
#include "ui/look.h"
#include "ui/prompts.h"

namespace palorin::test {

// Answers the file dialogs from queues and records what was asked: the
// dialogs' settings at the moment they ran, and every error box.
class FakePrompts final : public ui::Prompts {
 public:
  DialogAnswers openDialog;
  DialogAnswers saveDialog;
  std::vector<std::pair<QString, QString>> errors;  // title, text

  std::optional<std::string> Open(forms::FileDialog& dialog, QWidget*) override {
    return openDialog.Answer(dialog);
  }
  std::optional<std::string> Save(forms::FileDialog& dialog, QWidget*) override {
    return saveDialog.Answer(dialog);
  }
  void ShowError(const QString& title, const QString& text, QWidget*) override {
    errors.emplace_back(title, text);
  }
};

// The editor with both windows, its dialogs and error boxes answered by a
// FakePrompts.
struct FakedEditor {
  FakePrompts prompts;
  ui::Editor editor{prompts};
};

template <typename W = QWidget>
W* Child(QWidget& window, const char* name) {
  auto* widget = window.findChild<W*>(QString::fromLatin1(name));
  if (widget == nullptr) qFatal("no control %s", name);
  return widget;
}

// The text a control shows: a button's or label's text, a combo box's
// current text, a group box's title; empty for anything else.
inline QString ShownText(QWidget& widget) {
  if (auto* button = qobject_cast<QPushButton*>(&widget)) return button->text();
  if (auto* box = qobject_cast<QComboBox*>(&widget)) return box->currentText();
  if (auto* label = qobject_cast<QLabel*>(&widget)) return label->text();
  if (auto* group = qobject_cast<QGroupBox*>(&widget)) return group->title();
  return {};
}

// A label's font colour.
inline QColor TextColor(QWidget& window, const char* name) {
  return Child<QLabel>(window, name)->palette().color(QPalette::WindowText);
}

// A window of fixed size at a fixed place: its title, its size (neither
// smaller nor larger), its place, an icon, and a minimize but no maximize
// button.
inline void CheckFixedFrame(QWidget& window, const QString& title, QSize size, QPoint pos) {
  QCOMPARE(window.windowTitle(), title);
  QCOMPARE(window.size(), size);
  QCOMPARE(window.minimumSize(), size);
  QCOMPARE(window.maximumSize(), size);
  QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  QCOMPARE(window.pos(), pos);
  QVERIFY(!window.windowIcon().isNull());
}

// A control's place in its window and the text it shows: a row of a
// controlPlaces test.
struct ControlPlace {
  const char* row;
  const char* name;  // the control's object name
  const char* text;  // as ShownText gives it
  QRect geometry;
};

// The data of a controlPlaces test.
inline void AddControlPlaces(std::initializer_list<ControlPlace> places) {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QRect>("geometry");
  for (const ControlPlace& place : places) {
    QTest::newRow(place.row) << QString::fromUtf8(place.name) << QString::fromUtf8(place.text)
                             << place.geometry;
  }
}

// Checks the current row of AddControlPlaces against `window`.
inline void CheckControlPlace(QWidget& window) {
  QFETCH(QString, name);
  QFETCH(QString, text);
  QFETCH(QRect, geometry);
  auto* widget = Child(window, name.toLatin1().constData());
  QCOMPARE(widget->geometry(), geometry);
  QCOMPARE(ShownText(*widget), text);
}

// Chooses entry `index` the way a user does: opens the drop-down list and
// clicks the row.
inline bool ChooseFromList(QComboBox& box, int index) {
  box.showPopup();
  QAbstractItemView* view = box.view();
  if (!QTest::qWaitForWindowExposed(view->window())) return false;
  const QModelIndex row = view->model()->index(index, box.modelColumn(), view->rootIndex());
  view->scrollTo(row);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(row).center());
  return !view->isVisible();
}

// The raster as the widget would show it.
inline QImage RasterImage(const render::Raster& raster) {
  return QImage(reinterpret_cast<const uchar*>(raster.Data()), render::kRasterWidth,
                render::kRasterHeight, render::Raster::BytesPerLine(), QImage::Format_RGB32)
      .copy();
}

}  // namespace palorin::test

// A test main that runs under the offscreen platform unless told otherwise
// and uses the program's look (style and fonts).
#define PALORIN_QTEST_MAIN(TestClass)                                                            \
  int main(int argc, char** argv) {                                                              \
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
    QApplication app(argc, argv);                                                                \
    palorin::ui::UseFormLook();                                                                  \
    TestClass test;                                                                              \
    return QTest::qExec(&test, argc, argv);                                                      \
  }
