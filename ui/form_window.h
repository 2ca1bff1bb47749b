#pragma once

#include <QPoint>
#include <QPushButton>
#include <QSize>
#include <QString>
#include <QWidget>
#include <string_view>

#include "ui/look.h"
#include "ui/widgets.h"

namespace palorin::ui {

// What both windows share: a fixed-size top-level window with a single
// border, the system menu and minimise only, the form font and the program
// icon, bound to one form whose handlers run through `run`.
template <typename Form>
class FormWindow : public QWidget {
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

  Form& form_;
  RunHandler run_;

 private:
  static constexpr Qt::WindowFlags kFixedWindowFlags =
      Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
};

}  // namespace palorin::ui
