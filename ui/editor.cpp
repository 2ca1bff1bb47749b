#include "ui/editor.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <vector>

#include "forms/dispatch.h"
#include "ui/drawing_area.h"
#include "ui/file_window.h"
#include "ui/key_bindings.h"
#include "ui/main_window.h"
#include "ui/prompts.h"

namespace palorin::ui {

Editor::Editor(Prompts& prompts, std::string recoveryPath)
    : prompts_(prompts),
      recovery_(std::move(recoveryPath)),
      session_(*this, recovery_.Path().empty() ? nullptr : &recovery_) {
  window1_ = std::make_unique<MainWindow>(session_);
  // A refresh of the drawing area schedules one repaint from the raster;
  // refreshes within one event coalesce into that one paint.
  Form1().scene.canvas.SetRefreshHandler([area = &window1_->Image1()] { area->update(); });
  window1_->onDropFiles = [this](const QStringList& fileNames) { OpenFiles(fileNames); };
  window1_->onClose = [this] {
    session_.CloseMainWindow();
    return true;
  };
  // The file window's widgets are built when it first shows (or is asked
  // for): its form, TForm2, holds all its state from the start.
  BindKeys(*window1_, session_);
  recoveryTimer_.setSingleShot(true);
  QObject::connect(&recoveryTimer_, &QTimer::timeout, [this] { session_.RecoveryDue(); });
  ShowData();
}

Editor::~Editor() {
  // The canvas outlives the drawing area it would otherwise still update.
  Form1().scene.canvas.SetRefreshHandler(nullptr);
}

void Editor::Show() { window1_->show(); }

void Editor::OpenFiles(const QStringList& fileNames) {
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(fileNames.size()));
  // The open dialog gives a full name; a name typed on the command line is
  // taken from the current folder, and the messages show it whole.
  for (const QString& fileName : fileNames) {
    names.push_back(QFileInfo(fileName).absoluteFilePath().toStdString());
  }
  session_.OpenFiles(names);
}

QString Editor::ErrorTitle() {
  return QString::fromStdString(
      forms::ErrorBoxTitle(QCoreApplication::applicationFilePath().toStdString()));
}

FileWindow& Editor::Window2() {
  if (!window2_) {
    window2_ = std::make_unique<FileWindow>(session_, window1_.get());
    BindKeys(*window2_, *window1_, session_);
    window2_->ShowData();
  }
  return *window2_;
}

void Editor::ShowData() {
  window1_->ShowData();
  // Not yet built, the hidden file window has nothing to show.
  if (window2_ || Form2().Visible) Window2().ShowData();
}

void Editor::Refresh() {
  // The session may ask before the main window exists (never during
  // start-up today, but a refresh then has nothing to show).
  if (window1_) ShowData();
}

QWidget* Editor::Origin() const {
  QWidget* active = QApplication::activeWindow();
  if (!window2_ || !window2_->isVisible()) return window1_.get();
  if (active != window1_.get()) return window2_.get();
  return window1_.get();
}

void Editor::ShowError(const std::string& text) {
  prompts_.ShowError(ErrorTitle(), QString::fromStdString(text), Origin());
}

void Editor::CopyToClipboard(const render::Raster& raster) {
  // A deep copy: drawing after the copy must not change what was copied.
  QGuiApplication::clipboard()->setImage(RasterImage(raster).copy(), QClipboard::Clipboard);
}

void Editor::RaiseFileWindow() {
  FileWindow& window = Window2();
  window.show();
  window.raise();
}

void Editor::Ended() {
  // The file window goes with the main window; closing the main window
  // ends the program. Reached from the main window's own close too.
  if (ending_) return;
  ending_ = true;
  recoveryTimer_.stop();
  if (window2_) window2_->hide();
  window1_->close();
}

void Editor::AskFileName(const forms::FileDialog& dialog, bool save) {
  // The desktop's dialogs remember the name and filter entry chosen in them:
  // they are the form's own dialog settings.
  forms::TForm2& form = Form2();
  forms::FileDialog& settings =
      &dialog == &form.SaveDialog1 || save ? form.SaveDialog1 : form.OpenDialog1;
  std::optional<std::string> name =
      save ? prompts_.Save(settings, &Window2()) : prompts_.Open(settings, &Window2());
  session_.Answer(std::move(name));
}

void Editor::StartRecoveryTimer(int ms) { recoveryTimer_.start(ms); }

}  // namespace palorin::ui
