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
  FileWindow(forms::TForm2& form, RunHandler run);

  // Pushes the form's data into the widgets (signals blocked), including
  // whether the window is shown.
  void ShowData() override;

 private:
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
