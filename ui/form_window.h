#pragma once

#include <QCloseEvent>
#include <QWidget>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

#include "forms/layout.h"
#include "forms/session.h"

class QButtonGroup;

namespace palorin::ui {

class ComboBoxView;

// What both windows share: a fixed-size top-level window with a single
// border, the system menu and minimise only, the form font and the program
// icon, its controls built from the window's rows of the layout table
// (forms/layout.h), every input of theirs going to the session.
class FormWindow : public QWidget {
 public:
  // Runs when the window's close box (or the program) closes it; the window
  // closes when it returns true.
  std::function<bool()> onClose;

  // Pushes the forms' data into the widgets, their signals blocked, so that
  // showing never counts as the user's input.
  virtual void ShowData() = 0;

  // The widget built for the control `name` of this window, or null.
  QWidget* Control(std::string_view name) const;

 protected:
  FormWindow(forms::Session& session, forms::WindowId window);

  void closeEvent(QCloseEvent* event) override;

  // The rows of this window that were built, in creation order, each with
  // its widget.
  struct Built {
    const forms::ControlRow* row;
    QWidget* widget;
  };
  const std::vector<Built>& BuiltControls() const { return built_; }
  // The combo boxes, each showing its box's data.
  const std::vector<ComboBoxView*>& Boxes() const { return boxes_; }
  // The radio group built for the RadioGroup row `name`, or null.
  QButtonGroup* RadioGroup(std::string_view name) const;

  forms::Session& session_;
  const forms::WindowRow& row_;

 private:
  // Creates the widget of one row in its parent, at its rectangle, with its
  // caption, bound to the session.
  QWidget* Build(const forms::ControlRow& row, QWidget* parent);
  // The row's accessible name, and its English, help and keys as tooltip
  // and accessible description.
  void Describe(const forms::ControlRow& row, QWidget& widget);
  // Tab visits the controls in the table's order.
  void ChainTabs();

  std::vector<Built> built_;
  std::map<std::string_view, QWidget*> byName_;
  std::map<std::string_view, QButtonGroup*> radioGroups_;
  std::vector<ComboBoxView*> boxes_;
};

// The tabbed page a control of the file window lies on (its TabSheet row),
// or null for one outside the pages.
const forms::ControlRow* SheetOf(const forms::ControlRow& control);

}  // namespace palorin::ui
