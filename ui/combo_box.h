#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "forms/controls.h"

namespace palorin::ui {

// An editable drop-down box that shows one forms::ComboBox. The user's input
// is reported, not applied: chosen() for a choice from the list (also of the
// entry already shown), edited() for every edit of the text; the window hands
// it to the session (Choose, Type), which changes the data and runs the box's
// handler. The box never inserts typed text as an item and
// never selects an entry by itself.
class BoxItemsModel;

class ComboBoxView : public QComboBox {
  Q_OBJECT

 public:
  static constexpr int kListRowHeight = 12;

  ComboBoxView(forms::ComboBox& data, QWidget* parent);

  // Shows the data: items, selected entry, text and enabled state. Signals
  // are blocked, so showing never counts as the user's input.
  void ShowData();

  forms::ComboBox& data() { return data_; }

  // Opens the list, giving its rows the form's height first.
  void showPopup() override;

 signals:
  void chosen(int index);
  void edited(const QString& text);

 private:
  forms::ComboBox& data_;
  // The list's entries: the step box has 1000, so they are handed to the
  // list as it asks for them, not made into items when the box is built.
  BoxItemsModel* items_;
};

}  // namespace palorin::ui
