#pragma once

#include <QCloseEvent>
#include <QPoint>
#include <QPushButton>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <string_view>

#include "ui/look.h"
#include "ui/widgets.h"

namespace palorin::ui {

// What both windows share: a fixed-size top-level window with a single
// border, the system menu and minimise only, the form font and the program
// icon, bound to one form whose handlers run through `run`.
template <typename Form>
class FormWindow : public QWidget {
 public:
  // Runs when the window closes (its close box, or the program closing it),
  // before it hides.
  std::function<void()> onClose;

  // Pushes the form's data into the widgets, their signals blocked, so that
  // showing never counts as the user's input.
  virtual void ShowData() = 0;

 protected:
  FormWindow(Form& form, RunHandler run, const char* objectName, std::string_view caption,
             QSize client, QPoint at)
      : QWidget(nullptr, kFixedWindowFlags), form_(form), run_(std::move(run)) {
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(FromUtf8(caption));
    setWindowIcon(WindowIcon());
    setFont(FormFont(12));
    setFixedSize(client);
    move(at);
  }

  // A click on `button` runs the form's `handler`.
  void Bind(QPushButton* button, void (Form::*handler)()) {
    connect(button, &QPushButton::clicked, this,
            [this, handler] { run_(this, [form = &form_, handler] { (form->*handler)(); }); });
  }

  void closeEvent(QCloseEvent* event) override {
    if (onClose) onClose();
    event->accept();
  }

  Form& form_;
  RunHandler run_;

 private:
  // No maximise button: the window manager is told so three ways, by the
  // Motif hints these flags give (no maximise function or decoration), by
  // the equal minimum and maximum size, and so by its own list of allowed
  // actions. (Openbox 3.6 still draws its maximise slot, inert, whenever a
  // minimise button stands between it and the title; no hint removes that.)
  static constexpr Qt::WindowFlags kFixedWindowFlags =
      Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
};

}  // namespace palorin::ui
