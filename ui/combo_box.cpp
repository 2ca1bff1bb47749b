#include "ui/combo_box.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QCompleter>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
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

// The box's entries as the list shows them. It keeps the texts as the form
// gives them and makes each entry's QString only when the list or the box
// asks for that row: a box shows one entry, and an open list a few.
class BoxItemsModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // Replaces the entries when they differ from `items`; returns whether
  // they did.
  bool Show(const std::vector<std::string>& items) {
    if (items == items_) return false;
    beginResetModel();
    items_ = items;
    endResetModel();
    return true;
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= items_.size() ||
        (role != Qt::DisplayRole && role != Qt::EditRole)) {
      return {};
    }
    return QString::fromStdString(items_[static_cast<std::size_t>(index.row())]);
  }

 private:
  std::vector<std::string> items_;
};

ComboBoxView::ComboBoxView(forms::ComboBox& data, QWidget* parent)
    : QComboBox(parent), data_(data), items_(new BoxItemsModel(this)) {
  setModel(items_);
  // Editable through its own line edit. Making the box editable would also
  // build the drop-down list (its window, view and scroll bars) at once; the
  // list is built when it is first needed instead: the first frame shows only
  // the line edit and the arrow.
  auto* edit = new QLineEdit(this);
  edit->setPalette(palette());
  // Without a completer the text is exactly what was typed. A line edit that
  // has one keeps the box from making its own for it (six completers, each
  // indexing its box's entries, only to be deleted): the boxes lend their
  // line edits one shared completer for that and take it away at once.
  static QPointer<QCompleter> lent;
  if (lent.isNull()) lent = new QCompleter(QCoreApplication::instance());
  edit->setCompleter(lent);
  setLineEdit(edit);
  edit->setCompleter(nullptr);
  setInsertPolicy(QComboBox::NoInsert);
  // QComboBox would also select the entry that matches the typed text when
  // editing finishes (Return, or the focus leaving): only a choice from the
  // list may select, so the box stops listening to its line edit for that.
  disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
  disconnect(lineEdit(), &QLineEdit::returnPressed, this, nullptr);
  // The form's boxes keep one pixel between frame and text where a line
  // edit keeps two: with it "1000" fits the 49-pixel step box.
  lineEdit()->setTextMargins(-1, 0, -1, 0);
  setMaxVisibleItems(8);

  connect(lineEdit(), &QLineEdit::textEdited, this, &ComboBoxView::edited);
  connect(this, &QComboBox::activated, this, [this](int index) {
    // The chosen entry's text shows from its start, like any text the
    // program sets.
    lineEdit()->setCursorPosition(0);
    emit chosen(index);
  });
}

void ComboBoxView::showPopup() {
  // The list's rows get their height as the list opens (again, should the
  // toolkit have put its own delegate back since).
  QAbstractItemView* const list = view();
  if (dynamic_cast<ListRowDelegate*>(list->itemDelegate()) == nullptr) {
    setItemDelegate(new ListRowDelegate(this));
    // What making the box editable gives its list in a style whose lists
    // are pop-up menus: a scroll bar when the entries need one.
    QStyleOptionComboBox option;
    initStyleOption(&option);
    if (style()->styleHint(QStyle::SH_ComboBox_Popup, &option, this)) {
      list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
  }
  QComboBox::showPopup();
}

void ComboBoxView::ShowData() {
  const QSignalBlocker blockBox(this);
  const QSignalBlocker blockEdit(lineEdit());
  const QString shownText = lineEdit()->text();
  const int caret = lineEdit()->cursorPosition();
  // Skips a long list (the step box's 1000) when nothing changed.
  items_->Show(data_.Items);
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
