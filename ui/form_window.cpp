#include "ui/form_window.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "forms/input.h"
#include "ui/accessibility.h"
#include "ui/combo_box.h"
#include "ui/drawing_area.h"
#include "ui/look.h"
#include "ui/widgets.h"

namespace palorin::ui {

namespace {

using Kind = forms::ControlKind;

// No maximise button: the window manager is told so three ways, by the
// Motif hints these flags give (no maximise function or decoration), by
// the equal minimum and maximum size, and so by its own list of allowed
// actions. (Openbox 3.6 still draws its maximise slot, inert, whenever a
// minimise button stands between it and the title; no hint removes that.)
constexpr Qt::WindowFlags kFixedWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

QRect ToQRect(const forms::Rect& r) { return {r.left, r.top, r.width, r.height}; }

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

const forms::ControlRow* SheetOf(const forms::ControlRow& control) {
  for (const forms::ControlRow* c = forms::ControlOf(control.window, control.parent); c != nullptr;
       c = forms::ControlOf(c->window, c->parent)) {
    if (c->kind == Kind::TabSheet) return c;
  }
  return nullptr;
}

FormWindow::FormWindow(forms::Session& session, forms::WindowId window)
    : QWidget(nullptr, kFixedWindowFlags), session_(session), row_(forms::WindowOf(window)) {
  setObjectName(Latin1(row_.name));
  setWindowTitle(FromUtf8(row_.caption));
  setWindowIcon(WindowIcon());
  setFont(FormFont(12));
  setFixedSize(row_.clientWidth, row_.clientHeight);
  move(row_.firstLeft, row_.firstTop);
  InstallAccessibleRoles();
  setAccessibleName(FromUtf8(row_.accessibleName));
  // Rows come parent first, so each parent exists when its children do.
  for (const forms::ControlRow& row : forms::Controls()) {
    if (row.window != window) continue;
    QWidget* parent = row.parent.empty() ? this : Control(row.parent);
    QWidget* widget = Build(row, parent);
    if (widget == nullptr) continue;
    widget->setObjectName(Latin1(row.name));
    if (row.kind != Kind::TabSheet) widget->setGeometry(ToQRect(row.rect));
    Describe(row, *widget);
    built_.push_back({&row, widget});
    byName_[row.name] = widget;
  }
  // A label names the control it captions, for screen readers and for its
  // mnemonic; that control comes after it.
  for (const Built& built : built_) {
    auto* label = qobject_cast<QLabel*>(built.widget);
    if (label != nullptr && !built.row->labelFor.empty()) {
      label->setBuddy(Control(built.row->labelFor));
    }
  }
  ChainTabs();
}

void FormWindow::Describe(const forms::ControlRow& row, QWidget& widget) {
  if (!row.accessibleName.empty()) {
    widget.setAccessibleName(FromUtf8(row.accessibleName));
  } else if (row.kind == Kind::GroupBox || row.kind == Kind::RadioGroup) {
    // A group is named by its own caption, not by one around it.
    widget.setAccessibleName(FromUtf8(row.caption));
  }

  // A Japanese caption keeps its text; its English shows as the tooltip and
  // is the description screen readers give.
  QString tip = FromUtf8(row.gloss);
  if (row.action) {
    // A button says what it does and which keys do it too.
    const forms::ActionRow& action = forms::ActionOf(*row.action);
    const QString help = FromUtf8(action.help);
    tip = tip.isEmpty() ? help : tip + QStringLiteral(": ") + help;
    const std::string keys = forms::KeysText(action);
    if (!keys.empty()) tip += QStringLiteral(" (%1)").arg(FromUtf8(keys));
  }
  if (tip.isEmpty()) return;
  widget.setAccessibleDescription(tip);
  if (row.kind == Kind::TabSheet) {
    // The tab is what the pointer rests on.
    if (auto* pages = qobject_cast<QTabWidget*>(Control(row.parent))) {
      pages->setTabToolTip(row.item, tip);
    }
    return;
  }
  widget.setToolTip(tip);
}

QWidget* FormWindow::Control(std::string_view name) const {
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

QButtonGroup* FormWindow::RadioGroup(std::string_view name) const {
  const auto it = radioGroups_.find(name);
  return it == radioGroups_.end() ? nullptr : it->second;
}

QWidget* FormWindow::Build(const forms::ControlRow& row, QWidget* parent) {
  const QString caption = FromUtf8(row.caption);
  switch (row.kind) {
    case Kind::Button: {
      auto* button = new QPushButton(caption, parent);
      button->setAutoDefault(false);
      if (row.action) {
        connect(button, &QPushButton::clicked, this,
                [this, action = *row.action] { session_.RunAction(action); });
      }
      return button;
    }
    case Kind::ComboBox: {
      const forms::BoxId box = row.box.value_or(forms::BoxId::Colour);
      auto* view = new ComboBoxView(forms::BoxOf(session_.form1(), session_.form2(), box), parent);
      connect(view, &ComboBoxView::chosen, this,
              [this, box](int index) { session_.Choose(box, index); });
      connect(view, &ComboBoxView::edited, this,
              [this, box](const QString& text) { session_.Type(box, text.toStdString()); });
      boxes_.push_back(view);
      return view;
    }
    case Kind::Label: {
      // The part digits sit at the bottom of their box in the form font,
      // bold; the axis letters and the part read are larger, centred.
      const bool digit = row.item > 0;
      auto* label = new ColourLabel(caption, parent);
      StyleLabel(*label, FormFont(digit ? 12 : 16, true),
                 digit ? Qt::AlignHCenter | Qt::AlignBottom : Qt::AlignCenter);
      return label;
    }
    case Kind::GroupBox:
      return new QGroupBox(caption, parent);
    case Kind::RadioGroup: {
      auto* box = new QGroupBox(caption, parent);
      auto* group = new QButtonGroup(box);
      // The item already chosen runs nothing; the session knows which.
      connect(group, &QButtonGroup::idClicked, this,
              [this](int item) { session_.ClickSaveMode(item); });
      radioGroups_[row.name] = group;
      return box;
    }
    case Kind::RadioItem: {
      auto* radio = new QRadioButton(caption, parent);
      if (QButtonGroup* group = RadioGroup(row.parent)) group->addButton(radio, row.item);
      return radio;
    }
    case Kind::DrawingArea: {
      auto* area = new DrawingArea(session_.raster(), parent);
      area->onPress = [this](int x, int y) { session_.Press(x, y); };
      area->onMove = [this](int x, int y) { session_.Move(x, y); };
      return area;
    }
    case Kind::StatusBar:
      return new StatusBarView(parent);
    case Kind::StatusPanel: {
      auto* panel = new QLabel(parent);
      panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      panel->setIndent(2);
      panel->setTextFormat(Qt::PlainText);
      panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      return panel;
    }
    case Kind::PageControl: {
      auto* pages = new QTabWidget(parent);
      connect(pages, &QTabWidget::currentChanged, this,
              [this](int page) { session_.TakePage(page); });
      return pages;
    }
    case Kind::TabSheet: {
      auto* page = new QWidget;
      // The pages are filled in the button-face colour, so that digits and
      // bars of parts beyond the series vanish against them.
      page->setBackgroundRole(QPalette::Button);
      page->setAutoFillBackground(true);
      if (auto* pages = qobject_cast<QTabWidget*>(parent)) {
        // Adding a page is no user's choice of it.
        const QSignalBlocker quiet(pages);
        pages->insertTab(row.item, page, caption);
      }
      return page;
    }
    case Kind::Memo: {
      auto* memo = new QPlainTextEdit(parent);
      memo->setLineWrapMode(QPlainTextEdit::NoWrap);
      // Tab leaves the memo: a tab is no character of a header.
      memo->setTabChangesFocus(true);
      connect(memo, &QPlainTextEdit::textChanged, this,
              [this, memo] { session_.EditMemo(memo->toPlainText().toStdString()); });
      return memo;
    }
    case Kind::Shape:
      return new ShapeView(parent);
    case Kind::TextBuffer:
      // The form's text buffer is what loads and saves go through; its
      // control is never seen and never reached, so no widget stands for
      // it, not even for a screen reader.
      return nullptr;
  }
  return new QWidget(parent);
}

void FormWindow::ChainTabs() {
  std::vector<QWidget*> chain;
  for (const forms::ControlRow* row : forms::TabChain(row_.id)) {
    if (QButtonGroup* group = RadioGroup(row->name)) {
      // One stop in the table; the toolkit moves among the items itself.
      for (QAbstractButton* item : group->buttons()) chain.push_back(item);
    } else if (QWidget* widget = Control(row->name)) {
      chain.push_back(widget);
    }
  }
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void FormWindow::closeEvent(QCloseEvent* event) { event->setAccepted(!onClose || onClose()); }

}  // namespace palorin::ui
