#include "ui/main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "ui/combo_box.h"
#include "ui/look.h"

namespace palorin::ui {

namespace {

// The local files among dropped data, in the order dropped; web addresses
// and anything else that is no local file are left out.
QStringList DroppedFiles(const QMimeData* data) {
  QStringList files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) files.append(url.toLocalFile());
  }
  return files;
}

}  // namespace

MainWindow::MainWindow(forms::Session& session) : FormWindow(session, forms::WindowId::Main) {
  forms::TForm1& form = session_.form1();
  for (const Built& built : BuiltControls()) {
    const forms::ControlRow& row = *built.row;
    if (row.kind == forms::ControlKind::DrawingArea) {
      image1_ = static_cast<DrawingArea*>(built.widget);
    } else if (row.kind == forms::ControlKind::StatusPanel && row.item >= 0) {
      panels_.push_back({static_cast<QLabel*>(built.widget), static_cast<std::size_t>(row.item),
                         FromUtf8(row.accessibleName)});
    } else if (row.kind == forms::ControlKind::Label) {
      // An axis letter names its size box, and shows that axis's label data.
      const forms::ControlRow* box = forms::ControlOf(row.window, row.labelFor);
      if (box == nullptr || !box->box) continue;
      const int axis = static_cast<int>(*box->box) - static_cast<int>(forms::BoxId::SizeX);
      if (axis < 0 || axis >= static_cast<int>(form.SizeLabels().size())) continue;
      axisLabels_.emplace_back(static_cast<QLabel*>(built.widget),
                               form.SizeLabels()[static_cast<std::size_t>(axis)]);
    }
  }
  AcceptFileDrops();
  // The drawing area's keys, from the action table, for the help a screen
  // reader offers.
  QStringList keys;
  for (const forms::ActionRow& action : forms::Actions()) {
    if (!action.keysOnDrawingArea) continue;
    keys.append(
        QStringLiteral("%1: %2").arg(FromUtf8(forms::KeysText(action)), FromUtf8(action.help)));
  }
  image1_->setWhatsThis(keys.join(QStringLiteral("; ")));
  image1_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::ShowData() {
  for (ComboBoxView* box : Boxes()) box->ShowData();
  for (const auto& [label, data] : axisLabels_) SetTextColor(*label, data->FontColor);
  const auto& texts = session_.form1().StatusBar1().Panels;
  for (const Panel& panel : panels_) {
    if (panel.index >= texts.size()) continue;
    const QString text = QString::fromStdString(texts[panel.index]);
    if (panel.label->text() == text) continue;
    panel.label->setText(text);
    // Read as what the panel is and its value, the text after its colon;
    // a screen reader hears the change as the name changing.
    const QString value = text.mid(text.indexOf(QLatin1Char(':')) + 1);
    panel.label->setAccessibleName(value.isEmpty() ? panel.name
                                                   : panel.name + QStringLiteral(": ") + value);
  }
  image1_->ShowCursor(session_.Cursor());
  const QString description = PictureDescription();
  if (image1_->accessibleDescription() != description) {
    image1_->setAccessibleDescription(description);
  }
}

QString MainWindow::PictureDescription() const {
  const forms::TForm1& form = session_.form1();
  const core::PlacementLog& log = form.scene.log;
  const core::Cell cursor = session_.Cursor();
  // The slots a replay draws; the last block at the cursor's cell is the
  // one on top there.
  const std::int32_t last = std::min(log.LastIndex, core::kLastSlot);
  int blocks = 0;
  int onTop = 0;
  for (std::int32_t slot = 0; slot <= last; ++slot) {
    const auto i = static_cast<std::size_t>(slot);
    if (log.LogColor[i] == 0) continue;
    ++blocks;
    if (log.LogX[i] == cursor.x && log.LogY[i] == cursor.y) onTop = log.LogColor[i];
  }
  const std::vector<std::string>& colours = form.ComboBox1.Items;
  QString cell = QStringLiteral("empty");
  if (onTop > 0 && static_cast<std::size_t>(onTop) <= colours.size()) {
    cell = QString::fromStdString(colours[static_cast<std::size_t>(onTop - 1)]) +
           QStringLiteral(" block");
  }
  return QStringLiteral("%1 %2; cell cursor at X %3, Y %4: %5")
      .arg(blocks)
      .arg(blocks == 1 ? QStringLiteral("block") : QStringLiteral("blocks"))
      .arg(cursor.x)
      .arg(cursor.y)
      .arg(cell);
}

void MainWindow::AcceptFileDrops() {
  // Files dropped anywhere on the window open. The boxes' text fields would
  // take a dropped file's name as typed text; they take no drops, so a drop
  // on any control reaches the window.
  setAcceptDrops(true);
  for (ComboBoxView* box : Boxes()) {
    if (QLineEdit* edit = box->lineEdit()) edit->setAcceptDrops(false);
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QStringList files = DroppedFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  // The files load once the drop has finished: a load may open the error
  // box, and the program the files came from waits until the drop is done.
  QTimer::singleShot(0, this, [this, files] {
    if (onDropFiles) onDropFiles(files);
  });
}

}  // namespace palorin::ui
