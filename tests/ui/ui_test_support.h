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
#include <QTabWidget>
#include <QTest>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/layout.h"
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
  if (auto* button = qobject_cast<QAbstractButton*>(&widget)) return button->text();
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

inline QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The window as the layout table has it: its frame, and every control of it
// at its rectangle with its caption (a tab sheet: its tab's place and text),
// except the text buffer, which has no widget.
inline void CheckAgainstTable(QWidget& window, forms::WindowId id) {
  const forms::WindowRow& w = forms::WindowOf(id);
  CheckFixedFrame(window, FromView(w.caption), QSize(w.clientWidth, w.clientHeight),
                  QPoint(w.firstLeft, w.firstTop));
  for (const forms::ControlRow& row : forms::Controls()) {
    if (row.window != id) continue;
    const QString name = FromView(row.name);
    auto* widget = window.findChild<QWidget*>(name);
    if (row.kind == forms::ControlKind::TextBuffer) {
      // Never seen, never reached: no widget at all, so that no screen
      // reader finds it either.
      QVERIFY2(widget == nullptr, qPrintable(name));
      continue;
    }
    QVERIFY2(widget != nullptr, qPrintable(name));
    if (row.kind == forms::ControlKind::TabSheet) {
      QTabWidget* pages = nullptr;
      for (QWidget* p = widget->parentWidget(); p != nullptr && pages == nullptr;
           p = p->parentWidget()) {
        pages = qobject_cast<QTabWidget*>(p);
      }
      QVERIFY2(pages != nullptr, qPrintable(name));
      QCOMPARE(pages->indexOf(widget), row.item);
      QCOMPARE(pages->tabText(row.item), FromView(row.caption));
      continue;
    }
    const forms::Rect& r = row.rect;
    QVERIFY2(widget->geometry() == QRect(r.left, r.top, r.width, r.height), qPrintable(name));
    if (!row.caption.empty()) QCOMPARE(ShownText(*widget), FromView(row.caption));
  }
}

// The controls Tab visits in `window`, by their rows' names, from the first
// of the table's chain on: only enabled controls that can be seen with the
// window; a line edit counts as its box, a radio item as its group.
inline QStringList TabVisits(QWidget& window, forms::WindowId id) {
  const auto rowOf = [id, &window](QWidget* w) -> const forms::ControlRow* {
    for (; w != nullptr && w != &window; w = w->parentWidget()) {
      const forms::ControlRow* row = forms::ControlOf(id, w->objectName().toStdString());
      if (row == nullptr) continue;
      if (row->kind == forms::ControlKind::RadioItem) row = forms::ControlOf(id, row->parent);
      return row;
    }
    return nullptr;
  };
  QStringList visited;
  QWidget* w = &window;
  do {
    w = w->nextInFocusChain();
    if (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(&window)) {
      continue;
    }
    const forms::ControlRow* row = rowOf(w);
    if (row == nullptr) continue;
    const QString name = FromView(row->name);
    if (visited.isEmpty() || visited.back() != name) visited.append(name);
  } while (w != &window);
  const auto chain = forms::TabChain(id);
  if (!chain.empty()) {
    const auto first = visited.indexOf(FromView(chain.front()->name));
    if (first > 0) visited = visited.mid(first) + visited.mid(0, first);
  }
  return visited;
}

// The table's tab chain of `window`, less the controls Tab cannot reach now
// (disabled, or on a page not shown).
inline QStringList ReachableTabChain(QWidget& window, forms::WindowId id) {
  QStringList names;
  for (const forms::ControlRow* row : forms::TabChain(id)) {
    const QString name = FromView(row->name);
    auto* widget = window.findChild<QWidget*>(name);
    if (widget != nullptr && widget->isEnabled() && widget->isVisibleTo(&window)) {
      names.append(name);
    }
  }
  return names;
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
