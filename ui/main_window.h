#pragma once

#include <QStringList>
#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "forms/session.h"
#include "ui/drawing_area.h"
#include "ui/form_window.h"

class QLabel;

namespace palorin::ui {

// TForm1 on the desktop: "Palorin Ver" and the version, a fixed client area
// with every control at its place in the layout table. User input goes to
// the session, and ShowData() shows the form again.
class MainWindow : public FormWindow {
  Q_OBJECT

 public:
  explicit MainWindow(forms::Session& session);

  // Pushes the form's data into the widgets (signals blocked). The drawing
  // area is not repainted here: the raster shows at its refresh.
  void ShowData() override;

  DrawingArea& Image1() { return *image1_; }

  // Local files dropped on the window, in the order dropped.
  std::function<void(const QStringList&)> onDropFiles;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void AcceptFileDrops();
  // What a screen reader says of the drawing area: the blocks the picture
  // holds and the cell under the cursor.
  QString PictureDescription() const;

  DrawingArea* image1_ = nullptr;
  // The size boxes' captions with the label data they show.
  std::vector<std::pair<QLabel*, const forms::Label*>> axisLabels_;
  // The status bar's panels: the widget, the panel it shows and what it is.
  struct Panel {
    QLabel* label;
    std::size_t index;
    QString name;
  };
  std::vector<Panel> panels_;
};

}  // namespace palorin::ui
