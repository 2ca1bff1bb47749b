#pragma once

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

#include "forms/tform1.h"
#include "forms/tform2.h"
#include "ui/combo_box.h"
#include "ui/drawing_area.h"
#include "ui/form_window.h"
#include "ui/widgets.h"

class QLabel;
class QPushButton;

namespace palorin::ui {

// TForm1 on the desktop: "Palorin Ver" and the version, a fixed client area of
// 500 x 376 with every control at its place. User input goes into the form,
// the handler runs through `run`, and ShowData() shows the form again.
class MainWindow : public FormWindow<forms::TForm1> {
  Q_OBJECT

 public:
  MainWindow(forms::TForm1& form, forms::TForm2& fileForm, RunHandler run);

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

  DrawingArea* image1_ = nullptr;
  std::array<ComboBoxView*, 6> boxes_{};  // ComboBox1 … ComboBox6
  std::array<QLabel*, 3> sizeLabels_{};   // Label1 … Label3
  std::array<QLabel*, 3> panels_{};       // StatusBar1's panels 0 … 2
};

}  // namespace palorin::ui
