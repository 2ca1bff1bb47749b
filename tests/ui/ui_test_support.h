#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "render/raster.h"
#include "tests/support/dialog_answers.h"
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

template <typename W = QWidget>
W* Child(QWidget& window, const char* name) {
  auto* widget = window.findChild<W*>(QString::fromLatin1(name));
  if (widget == nullptr) qFatal("no control %s", name);
  return widget;
}

// Chooses entry `index` the way a user does: opens the drop-down list and
// clicks the row.
// The text a control shows: a button's or label's text, a combo box's
// current text, a group box's title; empty for anything else.
inline QString ShownText(QWidget& widget) {
  if (auto* button = qobject_cast<QPushButton*>(&widget)) return button->text();
  if (auto* box = qobject_cast<QComboBox*>(&widget)) return box->currentText();
  if (auto* label = qobject_cast<QLabel*>(&widget)) return label->text();
  if (auto* group = qobject_cast<QGroupBox*>(&widget)) return group->title();
  return {};
}

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
