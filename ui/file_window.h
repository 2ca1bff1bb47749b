#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "forms/tform2.h"
#include "ui/combo_box.h"
#include "ui/form_window.h"
#include "ui/widgets.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace palorin::ui {

// TForm2 on the desktop: "Palorin-File", a fixed client area of 208 x 210
// with the load and save pages. Closing it only hides it; its form keeps
// every state for the next showing.
class FileWindow : public FormWindow<forms::TForm2> {
  Q_OBJECT

 public:
  // `beside` is the main window: the file window first shows right of it.
  FileWindow(forms::TForm2& form, RunHandler run, const QWidget* beside = nullptr);

  // Pushes the form's data into the widgets (signals blocked), including
  // whether the window is shown.
  void ShowData() override;

  // The first showing places the window beside the main window, before the
  // window exists on the screen so that the place is its frame's.
  void setVisible(bool visible) override;

 private:
  // Puts the window's frame just right of the main window's frame, its top
  // level with the main window's, kept on the main window's screen.
  void PlaceBeside(const QWidget& main);

  const QWidget* beside_ = nullptr;
  bool placed_ = false;
  QTabWidget* pages_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  QLabel* label11_ = nullptr;
  QButtonGroup* radioGroup1_ = nullptr;
  QGroupBox* groupBox1_ = nullptr;
  ComboBoxView* comboBox1_ = nullptr;
  std::array<QLabel*, 5> saveLabels_{};   // Label1 … Label5
  std::array<ShapeView*, 5> saveBars_{};  // Shape1 … Shape5
  std::array<QLabel*, 5> loadLabels_{};   // Label6 … Label10
  std::array<ShapeView*, 5> loadBars_{};  // Shape6 … Shape10
};

}  // namespace palorin::ui
