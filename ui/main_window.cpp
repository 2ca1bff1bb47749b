#include "ui/main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

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
      panels_.emplace_back(static_cast<QLabel*>(built.widget), static_cast<std::size_t>(row.item));
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
}

void MainWindow::ShowData() {
  for (ComboBoxView* box : Boxes()) box->ShowData();
  for (const auto& [label, data] : axisLabels_) SetTextColor(*label, data->FontColor);
  const auto& texts = session_.form1().StatusBar1().Panels;
  for (const auto& [panel, index] : panels_) {
    if (index >= texts.size()) continue;
    const QString text = QString::fromStdString(texts[index]);
    if (panel->text() != text) panel->setText(text);
  }
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
