#include "ui/editor.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "base/error.h"
#include "forms/dispatch.h"
#include "forms/keys.h"
#include "ui/drawing_area.h"
#include "ui/file_window.h"
#include "ui/key_bindings.h"
#include "ui/main_window.h"
#include "ui/prompts.h"

namespace palorin::ui {

// A change is in the recovery copy at most this long after it was made.
constexpr int kRecoveryDelayMs = 2000;

Editor::Editor(Prompts& prompts, std::string recoveryPath)
    : prompts_(prompts), form1_(*this), form2_(form1_, *this), recovery_(std::move(recoveryPath)) {
  const RunHandler run = [this](QWidget* origin, const std::function<void()>& handler) {
    Run(origin, handler);
  };
  window1_ = std::make_unique<MainWindow>(form1_, form2_, run);
  // A refresh of the drawing area schedules one repaint from the raster;
  // refreshes within one event coalesce into that one paint.
  form1_.scene.canvas.SetRefreshHandler([area = &window1_->Image1()] { area->update(); });
  window1_->onDropFiles = [this](const QStringList& fileNames) { OpenFiles(fileNames); };
  window1_->onClose = [this] {
    // The file window goes with the main window; the program then ends.
    form2_.Visible = false;
    window2_->hide();
    WriteRecovery();
  };
  form1_.FormCreate();
  recovery_.Start(form1_.log());
  recoveryTimer_.setSingleShot(true);
  recoveryTimer_.setInterval(kRecoveryDelayMs);
  QObject::connect(&recoveryTimer_, &QTimer::timeout, [this] { WriteRecovery(); });

  window2_ = std::make_unique<FileWindow>(form2_, run, window1_.get());
  form2_.FormCreate();
  BindKeys(*window1_, *window2_, [this](forms::KeyAction action) {
    Run(window1_.get(), [this, action] { forms::RunKeyAction(action, form1_, form2_); });
  });
  ShowData();
}

Editor::~Editor() {
  // The canvas outlives the drawing area it would otherwise still update.
  form1_.scene.canvas.SetRefreshHandler(nullptr);
}

void Editor::Show() { window1_->show(); }

void Editor::OpenFiles(const QStringList& fileNames) {
  const forms::HandlerRunner run = [this](const std::function<void()>& handler) {
    Run(window2_.get(), handler);
  };
  for (const QString& fileName : fileNames) {
    // The open dialog gives a full name; a name typed on the command line
    // is taken from the current folder, and the messages show it whole.
    const std::string name = QFileInfo(fileName).absoluteFilePath().toStdString();
    forms::LoadByName(form1_, form2_, answer_, name, run);
  }
}

QString Editor::ErrorTitle() {
  return QString::fromStdString(
      forms::ErrorBoxTitle(QCoreApplication::applicationFilePath().toStdString()));
}

void Editor::Run(QWidget* origin, const std::function<void()>& handler) {
  const auto error = forms::Dispatch(handler);
  // Armed by the first change and not pushed back by later ones, so that no
  // change waits more than the delay however busy the user is.
  if (recovery_.Notice(form1_.log()) && !recoveryTimer_.isActive()) recoveryTimer_.start();
  // What the handler changed before an error stays changed, and shows.
  ShowData();
  if (error) prompts_.ShowError(ErrorTitle(), QString::fromStdString(*error), origin);
}

void Editor::ShowData() {
  window1_->ShowData();
  window2_->ShowData();
}

void Editor::CopyToClipboard(const render::Raster& raster) {
  // A deep copy: drawing after the copy must not change what was copied.
  QGuiApplication::clipboard()->setImage(RasterImage(raster).copy(), QClipboard::Clipboard);
}

void Editor::ShowFileWindow() {
  form2_.Visible = true;
  window2_->show();
  window2_->raise();
}

void Editor::CloseMainWindow() { window1_->close(); }

void Editor::WriteRecovery() {
  recoveryTimer_.stop();
  try {
    recovery_.Write();
  } catch (const Error& e) {
    std::fprintf(stderr, "palorin: recovery copy: %s\n", e.message().c_str());
  }
}

std::optional<std::string> Editor::RunOpenDialog(forms::FileDialog& dialog) {
  if (answer_.Armed()) return answer_.Take(dialog);
  return prompts_.Open(dialog, window2_.get());
}

std::optional<std::string> Editor::RunSaveDialog(forms::FileDialog& dialog) {
  return prompts_.Save(dialog, window2_.get());
}

}  // namespace palorin::ui
