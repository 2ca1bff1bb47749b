#include "ui/file_window.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <utility>

#include "ui/look.h"

namespace palorin::ui {

namespace {

// The fixed client area, and where the window stands until it first shows
// (then it moves beside the main window, whose frame reaches past x 557).
constexpr QSize kClientSize{208, 210};
constexpr QPoint kFirstPosition{557, 106};

// Five digit labels (9 x 17, the digit centred at the bottom) over five bars
// (17 x 8), part 1 first; the bar of part k stands 5 pixels left of its digit.
void AddIndicators(QWidget* parent, int firstLabel, int firstLabelLeft,
                   const std::array<forms::Label, 5>& data, std::array<QLabel*, 5>& labels,
                   std::array<ShapeView*, 5>& bars) {
  const QFont digitFont = FormFont(12, true);
  for (int part = 0; part < 5; ++part) {
    const int left = firstLabelLeft + 24 * part;
    const QByteArray labelName = "Label" + QByteArray::number(firstLabel + part);
    const QByteArray shapeName = "Shape" + QByteArray::number(firstLabel + part);
    const auto i = static_cast<std::size_t>(part);
    labels[i] = AddLabel(parent, labelName.constData(), QString::fromStdString(data[i].Caption),
                         {left, 16, 9, 17}, digitFont, Qt::AlignHCenter | Qt::AlignBottom);
    bars[i] = Place(new ShapeView(parent), shapeName.constData(), {left - 5, 33, 17, 8});
  }
}

// A start `at` on one axis, moved only as far as needed for `extent` pixels
// from it to lie within the `room` pixels from `first` (to `first` when they
// cannot).
int KeepWithin(int at, int extent, int first, int room) {
  return std::max(first, std::min(at, first + room - extent));
}

std::int64_t Overlap(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : std::int64_t{common.width()} * common.height();
}

// Whether the window manager has drawn the window's frame yet.
bool HasFrame(const QWidget& window) { return window.frameGeometry() != window.geometry(); }

bool MayMoveFrame(const QEvent& event) {
  return event.type() == QEvent::Move || event.type() == QEvent::Resize ||
         event.type() == QEvent::Show;
}

}  // namespace

QPoint PlaceBeside(const QRect& mainFrame, const QRect& controls, QSize frame,
                  const QRect& room) {
  const int w = frame.width();
  const int h = frame.height();
  const int levelY = KeepWithin(mainFrame.top(), h, room.top(), room.height());
  const int levelX = KeepWithin(mainFrame.left(), w, room.left(), room.width());
  // Beside the main window, best first.
  const std::array<QPoint, 4> beside{
      QPoint(mainFrame.right() + 1, levelY), QPoint(mainFrame.left() - w, levelY),
      QPoint(levelX, mainFrame.bottom() + 1), QPoint(levelX, mainFrame.top() - h)};
  for (const QPoint& at : beside) {
    const QRect place(at, frame);
    if (room.contains(place) && !place.intersects(mainFrame)) return at;
  }
  // No room beside it: those places pushed onto the screen, then the
  // screen's corners, whichever covers the least of the controls, then of
  // the main window; the first of equals.
  const int right = room.left() + room.width() - w;
  const int bottom = room.top() + room.height() - h;
  std::array<QPoint, 8> onScreen{
      QPoint(), QPoint(), QPoint(), QPoint(), QPoint(room.left(), room.top()),
      QPoint(right, room.top()), QPoint(room.left(), bottom), QPoint(right, bottom)};
  for (std::size_t i = 0; i < beside.size(); ++i) {
    onScreen[i] = QPoint(KeepWithin(beside[i].x(), w, room.left(), room.width()),
                         KeepWithin(beside[i].y(), h, room.top(), room.height()));
  }
  const auto harm = [&](const QPoint& at) {
    const QRect place(at, frame);
    return std::pair(Overlap(place, controls), Overlap(place, mainFrame));
  };
  const auto least = std::min_element(
      onScreen.begin(), onScreen.end(),
      [&harm](const QPoint& a, const QPoint& b) { return harm(a) < harm(b); });
  return *least;
}

FileWindow::FileWindow(forms::TForm2& form, RunHandler run, QWidget* beside)
    : FormWindow(form, std::move(run), "Form2", forms::kFileCaption, kClientSize, kFirstPosition),
      beside_(beside) {
  // The close box only hides the window; its state lives on.
  onClose = [this] { form_.Visible = false; };
  pages_ = Place(new QTabWidget(this), "PageControl1", {0, 0, 209, 177});
  auto* loadPage = new QWidget;
  loadPage->setObjectName(QStringLiteral("TabSheet1"));
  auto* savePage = new QWidget;
  savePage->setObjectName(QStringLiteral("TabSheet2"));
  // The pages are filled in the button-face colour, so that digits and bars
  // of parts beyond the series vanish against them.
  for (QWidget* page : {loadPage, savePage}) {
    page->setBackgroundRole(QPalette::Button);
    page->setAutoFillBackground(true);
  }
  pages_->addTab(loadPage, QStringLiteral("読込"));
  pages_->addTab(savePage, QStringLiteral("保存"));

  // Load page.
  auto* group3 =
      Place(new QGroupBox(QStringLiteral("ヘッダ情報"), loadPage), "GroupBox3", {8, 8, 185, 137});
  memo1_ = Place(new QPlainTextEdit(group3), "Memo1", {8, 16, 169, 57});
  memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* group4 = Place(new QGroupBox(QStringLiteral("Sertafo形式読込情報"), group3), "GroupBox4",
                       {8, 80, 169, 49});
  label11_ =
      AddLabel(group4, "Label11", QString(), {16, 24, 17, 17}, FormFont(16, true), Qt::AlignCenter);
  AddIndicators(group4, 6, 54, form_.LoadLabels, loadLabels_, loadBars_);

  // Save page.
  auto* radioBox = Place(new QGroupBox(QStringLiteral("書き込み設定"), savePage), "RadioGroup1",
                         {8, 8, 185, 81});
  radioGroup1_ = new QButtonGroup(this);
  const std::array<QString, 3> modes{QStringLiteral("Sertafo互換モード"),
                                     QStringLiteral("Palorin専用モード"),
                                     QStringLiteral("Bmp画像モード")};
  for (int item = 0; item < 3; ++item) {
    auto* radio = new QRadioButton(modes[static_cast<std::size_t>(item)], radioBox);
    radio->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(item));
    radio->setGeometry(8, 16 + 20 * item, 169, 20);
    radioGroup1_->addButton(radio, item);
  }
  groupBox1_ = Place(new QGroupBox(QStringLiteral("Sertafo互換モード設定"), savePage), "GroupBox1",
                     {8, 96, 185, 49});
  comboBox1_ = Place(new ComboBoxView(form_.ComboBox1, groupBox1_), "ComboBox1", {16, 21, 33, 20});
  AddIndicators(groupBox1_, 1, 62, form_.SaveLabels, saveLabels_, saveBars_);

  auto* button1 = AddButton(this, "Button1", QStringLiteral("実行"), {16, 184, 81, 25});
  auto* button2 = AddButton(this, "Button2", QStringLiteral("キャンセル"), {112, 184, 81, 25});

  // RichEdit1 lies right of the 208-pixel client area and is never seen; the
  // form's text buffer is what loads and saves go through.
  auto* richEdit1 = Place(new QPlainTextEdit(this), "RichEdit1", {224, 8, 185, 89});
  richEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
  richEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  richEdit1->hide();

  // Tab order among siblings: PageControl1, Button1, Button2, RichEdit1; on
  // the load page GroupBox4 before Memo1; on the save page RadioGroup1
  // before GroupBox1.
  setTabOrder(pages_, button1);
  setTabOrder(button1, button2);
  setTabOrder(button2, richEdit1);
  setTabOrder(group4, memo1_);
  setTabOrder(radioBox, groupBox1_);

  Bind(button1, &forms::TForm2::Button1Click);
  Bind(button2, &forms::TForm2::Button2Click);
  connect(pages_, &QTabWidget::currentChanged, this,
          [this](int index) { run_(this, [form = &form_, index] { form->TakePage(index); }); });
  connect(radioGroup1_, &QButtonGroup::idClicked, this, [this](int id) {
    // A click on the item already chosen changes nothing and runs nothing.
    if (id == form_.RadioGroup1ItemIndex) return;
    run_(this, [form = &form_, id] { form->ClickSaveMode(id); });
  });
  BindInput(*comboBox1_, *this, run_, form_.MainForm(), form_, forms::BoxId::Part);
  connect(memo1_, &QPlainTextEdit::textChanged, this,
          [this] { form_.Memo1Edited(memo1_->toPlainText().toStdString()); });
}

void FileWindow::setVisible(bool visible) {
  // Only the first showing places the window; afterwards it stays where the
  // user moved it.
  const bool first = visible && !placed_ && beside_ != nullptr;
  if (first) {
    placed_ = true;
    settling_ = true;
    beside_->installEventFilter(this);
    MoveBeside();
  }
  FormWindow::setVisible(visible);
  if (first) Settle();
}

bool FileWindow::event(QEvent* event) {
  if (settling_ && MayMoveFrame(*event)) Settle();
  return FormWindow::event(event);
}

bool FileWindow::eventFilter(QObject* watched, QEvent* event) {
  if (settling_ && watched == beside_ && MayMoveFrame(*event)) Settle();
  return FormWindow::eventFilter(watched, event);
}

void FileWindow::Settle() {
  if (!HasFrame(*this) || !HasFrame(*beside_)) return;
  settling_ = false;
  beside_->removeEventFilter(this);
  // The frames are known, but a window just framed may still be moving to
  // its place in the same round of events: the window moves once that
  // round is over, still before the user can move either window.
  QTimer::singleShot(0, this, [this] { MoveBeside(); });
}

void FileWindow::MoveBeside() {
  const QRect mainFrame = beside_->frameGeometry();
  // Not yet framed, this window is taken to get the same decorations as the
  // main window.
  const QSize frame =
      HasFrame(*this) ? frameGeometry().size() : size() + (mainFrame.size() - beside_->size());
  // The controls: all of the main window above its drawing area.
  QRect controls = mainFrame;
  if (const auto* area = beside_->findChild<const QWidget*>(QStringLiteral("Image1"))) {
    controls.setBottom(area->mapToGlobal(QPoint(0, 0)).y() - 1);
  }
  const QScreen* screen = beside_->screen();
  const QPoint at = screen != nullptr
                        ? PlaceBeside(mainFrame, controls, frame, screen->availableGeometry())
                        : QPoint(mainFrame.right() + 1, mainFrame.top());
  if (at != pos()) move(at);
}

void FileWindow::ShowData() {
  {
    const QSignalBlocker block(pages_);
    if (pages_->currentIndex() != form_.ActivePage) pages_->setCurrentIndex(form_.ActivePage);
  }
  {
    const QSignalBlocker block(radioGroup1_);
    QAbstractButton* chosen = radioGroup1_->button(form_.RadioGroup1ItemIndex);
    if (chosen != radioGroup1_->checkedButton()) {
      if (chosen != nullptr) {
        chosen->setChecked(true);
      } else {
        // No item chosen: an exclusive group cannot uncheck its last button.
        radioGroup1_->setExclusive(false);
        for (QAbstractButton* radio : radioGroup1_->buttons()) radio->setChecked(false);
        radioGroup1_->setExclusive(true);
      }
    }
  }
  comboBox1_->ShowData();
  if (groupBox1_->isEnabled() != form_.GroupBox1Enabled) {
    groupBox1_->setEnabled(form_.GroupBox1Enabled);
  }
  {
    QStringList lines;
    for (const std::string& line : form_.Memo1Lines) lines.append(QString::fromStdString(line));
    const QString text = lines.join(QLatin1Char('\n'));
    if (memo1_->toPlainText() != text) {
      const QSignalBlocker block(memo1_);
      memo1_->setPlainText(text);
    }
  }
  const QString caption = QString::fromStdString(form_.Label11.Caption);
  if (label11_->text() != caption) label11_->setText(caption);
  SetTextColor(*label11_, form_.Label11.FontColor);
  for (std::size_t i = 0; i < 5; ++i) {
    SetTextColor(*saveLabels_[i], form_.SaveLabels[i].FontColor);
    SetTextColor(*loadLabels_[i], form_.LoadLabels[i].FontColor);
    saveBars_[i]->SetBrush(form_.SaveBars[i].Brush);
    loadBars_[i]->SetBrush(form_.LoadBars[i].Brush);
  }
  if (form_.Visible != isVisible()) setVisible(form_.Visible);
}

}  // namespace palorin::ui
