#include "ui/combo_box.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <QStyledItemDelegate>

namespace palorin::ui {

namespace {

// The drop-down list's rows are 12 pixels high, as the form font is.
class ListRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(ComboBoxView::kListRowHeight);
    return size;
  }
};

}  // namespace

ComboBoxView::ComboBoxView(forms::ComboBox& data, QWidget* parent)
    : QComboBox(parent), data_(data) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // Without a completer the text is exactly what was typed. QComboBox would
  // also select the entry that matches the typed text when editing finishes
  // (Return, or the focus leaving): only a choice from the list may select,
  // so the box stops listening to its line edit for that.
  setCompleter(nullptr);
  disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
  disconnect(lineEdit(), &QLineEdit::returnPressed, this, nullptr);
  // The form's boxes keep one pixel between frame and text where a line
  // edit keeps two: with it "1000" fits the 49-pixel step box.
  lineEdit()->setTextMargins(-1, 0, -1, 0);
  setMaxVisibleItems(8);
  setItemDelegate(new ListRowDelegate(this));

  connect(lineEdit(), &QLineEdit::textEdited, this, &ComboBoxView::edited);
  connect(this, &QComboBox::activated, this, [this](int index) {
    // The chosen entry's text shows from its start, like any text the
    // program sets.
    lineEdit()->setCursorPosition(0);
    emit chosen(index);
  });
}

void ComboBoxView::ShowData() {
  const QSignalBlocker blockBox(this);
  const QSignalBlocker blockEdit(lineEdit());
  const QString shownText = lineEdit()->text();
  const int caret = lineEdit()->cursorPosition();
  if (shownItems_ != data_.Items) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(data_.Items.size()));
    for (const std::string& item : data_.Items) items.append(QString::fromStdString(item));
    clear();
    addItems(items);
    shownItems_ = data_.Items;
  }
  // Selecting no entry empties the edit line; the text is put back below.
  if (currentIndex() != data_.ItemIndex) setCurrentIndex(data_.ItemIndex);
  const QString text = QString::fromStdString(data_.Text);
  if (lineEdit()->text() != text) {
    setEditText(text);
    // The caret stays where the user is typing; a text set by the program
    // shows from its start.
    lineEdit()->setCursorPosition(text == shownText ? caret : 0);
  }
  if (isEnabled() != data_.Enabled) setEnabled(data_.Enabled);
}

}  // namespace palorin::ui
