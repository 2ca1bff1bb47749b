#include "ui/file_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

#include "ui/accessibility.h"
#include "ui/combo_box.h"
#include "ui/look.h"

namespace palorin::ui {

namespace {

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

QPoint PlaceBeside(const QRect& mainFrame, const QRect& controls, QSize frame, const QRect& room) {
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
  std::array<QPoint, 8> onScreen{QPoint(),
                                 QPoint(),
                                 QPoint(),
                                 QPoint(),
                                 QPoint(room.left(), room.top()),
                                 QPoint(right, room.top()),
                                 QPoint(room.left(), bottom),
                                 QPoint(right, bottom)};
  for (std::size_t i = 0; i < beside.size(); ++i) {
    onScreen[i] = QPoint(KeepWithin(beside[i].x(), w, room.left(), room.width()),
                         KeepWithin(beside[i].y(), h, room.top(), room.height()));
  }
  const auto harm = [&](const QPoint& at) {
    const QRect place(at, frame);
    return std::pair(Overlap(place, controls), Overlap(place, mainFrame));
  };
  const auto least =
      std::min_element(onScreen.begin(), onScreen.end(),
                       [&harm](const QPoint& a, const QPoint& b) { return harm(a) < harm(b); });
  return *least;
}

FileWindow::FileWindow(forms::Session& session, QWidget* beside)
    : FormWindow(session, forms::WindowId::File), beside_(beside) {
  // The close box only hides the window, as "キャンセル" does; its state
  // lives on.
  onClose = [this] {
    session_.CloseFileWindow();
    return !session_.form2().Visible;
  };
  forms::TForm2& form = session_.form2();
  // The indicator of each part, by the group it stands in and its part.
  std::map<std::pair<std::string_view, int>, std::size_t> indicatorAt;
  const auto indicator = [this, &indicatorAt](const forms::ControlRow& row) -> Indicator& {
    const auto [at, added] = indicatorAt.try_emplace({row.parent, row.item}, indicators_.size());
    if (added) indicators_.emplace_back();
    return indicators_[at->second];
  };
  for (const Built& built : BuiltControls()) {
    const forms::ControlRow& row = *built.row;
    const forms::ControlRow* sheet = SheetOf(row);
    const bool onLoadPage = sheet != nullptr && sheet->item == forms::TForm2::kLoadPage;
    const bool isPart = row.item >= 1 && row.item <= 5;
    const auto part = static_cast<std::size_t>(row.item - 1);
    switch (row.kind) {
      case forms::ControlKind::PageControl:
        pages_ = static_cast<QTabWidget*>(built.widget);
        break;
      case forms::ControlKind::Memo:
        memo1_ = static_cast<QPlainTextEdit*>(built.widget);
        break;
      case forms::ControlKind::RadioGroup:
        radioGroup1_ = RadioGroup(row.name);
        break;
      case forms::ControlKind::ComboBox:
        partGroup_ = Control(row.parent);
        break;
      case forms::ControlKind::Label:
        if (!isPart) {
          label11_ = static_cast<QLabel*>(built.widget);
          label11Name_ = FromUtf8(row.accessibleName);
        } else {
          Indicator& i = indicator(row);
          i.digit = static_cast<QLabel*>(built.widget);
          i.digitData = onLoadPage ? &form.LoadLabels[part] : &form.SaveLabels[part];
        }
        break;
      case forms::ControlKind::Shape:
        if (isPart) {
          Indicator& i = indicator(row);
          i.bar = static_cast<ShapeView*>(built.widget);
          i.barData = onLoadPage ? &form.LoadBars[part] : &form.SaveBars[part];
          i.markedName = row.accessibleName;
        }
        break;
      default:
        break;
    }
  }
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
  const forms::TForm2& form = session_.form2();
  {
    const QSignalBlocker block(pages_);
    if (pages_->currentIndex() != form.ActivePage) pages_->setCurrentIndex(form.ActivePage);
  }
  {
    const QSignalBlocker block(radioGroup1_);
    QAbstractButton* chosen = radioGroup1_->button(form.RadioGroup1ItemIndex);
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
  for (ComboBoxView* box : Boxes()) box->ShowData();
  if (partGroup_->isEnabled() != form.GroupBox1Enabled)
    partGroup_->setEnabled(form.GroupBox1Enabled);
  {
    QStringList lines;
    for (const std::string& line : form.Memo1Lines) lines.append(QString::fromStdString(line));
    const QString text = lines.join(QLatin1Char('\n'));
    if (memo1_->toPlainText() != text) {
      const QSignalBlocker block(memo1_);
      memo1_->setPlainText(text);
    }
  }
  const QString caption = QString::fromStdString(form.Label11.Caption);
  if (label11_->text() != caption) {
    label11_->setText(caption);
    label11_->setAccessibleName(caption.isEmpty() ? label11Name_
                                                  : label11Name_ + QStringLiteral(": ") + caption);
  }
  SetTextColor(*label11_, form.Label11.FontColor);
  for (const Indicator& i : indicators_) {
    if (i.digit != nullptr) SetTextColor(*i.digit, i.digitData->FontColor);
    if (i.bar != nullptr) i.bar->SetBrush(i.barData->Brush);
    // A part beyond the series is drawn in the button face, which hides it
    // on the page: hidden, a screen reader passes it by too. The others are
    // named by whether the part is in.
    const forms::Color bar = i.barData != nullptr ? i.barData->Brush : forms::Color::ButtonFace();
    const PartState state = bar == forms::kDoneGreen            ? PartState::Marked
                            : bar == forms::Color::ButtonFace() ? PartState::Unused
                                                                : PartState::Missing;
    const QString name = PartStateName(i.markedName, state);
    const bool shown = state != PartState::Unused;
    for (QWidget* w : {static_cast<QWidget*>(i.digit), static_cast<QWidget*>(i.bar)}) {
      if (w == nullptr) continue;
      if (w->accessibleName() != name) w->setAccessibleName(name);
      if (w->isHidden() == shown) w->setVisible(shown);
    }
  }
  if (form.Visible != isVisible()) setVisible(form.Visible);
}

}  // namespace palorin::ui
