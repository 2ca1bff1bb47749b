#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/tform2.h"
#include "ui/form_window.h"
#include "ui/widgets.h"

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace palorin::ui {

// Where the file window's frame (of size `frame`) goes beside the main
// window's frame `mainFrame`, within `room` (the screen's available area):
// right of it, its top level with the main window's (moved up or down only
// to stay on the screen); where the right has no room, left of it, then
// below, then above it. Where none of these fits, the place on the screen
// that covers the least of `controls` (the main window's title bar, buttons
// and boxes), and of those the least of the main window. Returns the
// frame's top-left.
QPoint PlaceBeside(const QRect& mainFrame, const QRect& controls, QSize frame, const QRect& room);

// TForm2 on the desktop: "Palorin-File", a fixed client area with the load
// and save pages, every control at its place in the layout table. Closing
// it only hides it; its form keeps every state for the next showing.
class FileWindow : public FormWindow {
  Q_OBJECT

 public:
  // `beside` is the main window: the file window first shows beside it.
  explicit FileWindow(forms::Session& session, QWidget* beside = nullptr);

  // Pushes the form's data into the widgets (signals blocked), including
  // whether the window is shown.
  void ShowData() override;

  // The first showing places the window beside the main window, before the
  // window exists on the screen so that the place is its frame's.
  void setVisible(bool visible) override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Moves the window's frame to PlaceBeside() the main window's frame on
  // the main window's screen.
  void MoveBeside();
  // The first place is taken from the frames as they are known then: one
  // not yet drawn by the window manager counts as none (`palorin FILE`
  // shows this window before the main window has its frame). Once both
  // frames are known the window is placed once more, and never again.
  void Settle();

  QWidget* beside_ = nullptr;
  bool placed_ = false;
  bool settling_ = false;
  QTabWidget* pages_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  QLabel* label11_ = nullptr;
  QButtonGroup* radioGroup1_ = nullptr;
  QWidget* partGroup_ = nullptr;  // GroupBox1, which holds the part-number box
  // A part indicator: its digit over its bar, the data each shows, and the
  // indicator's name for a marked part ("part 2 saved").
  struct Indicator {
    QLabel* digit = nullptr;
    ShapeView* bar = nullptr;
    const forms::Label* digitData = nullptr;
    const forms::Shape* barData = nullptr;
    std::string_view markedName;
  };
  std::vector<Indicator> indicators_;
  QString label11Name_;  // what Label11 is
};

}  // namespace palorin::ui
