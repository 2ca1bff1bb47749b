#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

#include "forms/named_file.h"
#include "forms/recovery.h"
#include "forms/services.h"
#include "forms/tform1.h"
#include "forms/tform2.h"

class QWidget;

namespace palorin::ui {

class FileWindow;
class MainWindow;
class Prompts;

// The program on the desktop: both forms, both windows, and what the forms
// ask of the platform (clipboard, showing the file window, ending, dialogs).
// Construction is the start-up: the main window is created and its
// FormCreate runs, then the file window is created hidden and its FormCreate
// runs. Show() shows the main window.
//
// The editor keeps a recovery copy of the picture at `recoveryPath` (none
// when empty): every handler run is noticed, and a change arms a two-second
// timer whose end writes the copy; closing the main window writes it too.
class Editor final : private forms::Services {
 public:
  explicit Editor(Prompts& prompts, std::string recoveryPath = forms::RecoveryPath());
  ~Editor() override;
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  void Show();

  // Loads each local file in the order given exactly as the file window's
  // load page would, "File", the load tab and "実行" included; the open
  // dialog answers the file's full name instead of asking. Every error shows
  // in the error box, and the next file is still loaded.
  void OpenFiles(const QStringList& fileNames);

  forms::TForm1& Form1() { return form1_; }
  forms::TForm2& Form2() { return form2_; }
  MainWindow& Window1() { return *window1_; }
  FileWindow& Window2() { return *window2_; }

  // Runs one handler of either window through the shared dispatch; both
  // windows then show their data, and a raised error appears in the error
  // box over `origin`.
  void Run(QWidget* origin, const std::function<void()>& handler);
  // Both windows show their forms' data.
  void ShowData();

  // The error box's title: the program file's name, shortened as the
  // dispatch rules say.
  static QString ErrorTitle();

 private:
  void CopyToClipboard(const render::Raster& raster) override;
  void ShowFileWindow() override;
  void CloseMainWindow() override;
  std::optional<std::string> RunOpenDialog(forms::FileDialog& dialog) override;
  std::optional<std::string> RunSaveDialog(forms::FileDialog& dialog) override;
  // Writes the recovery copy if a change is pending; a failure is reported
  // on the standard error, not in an error box: the user asked for nothing.
  void WriteRecovery();

  Prompts& prompts_;
  forms::DialogAnswer answer_;  // the open dialog's answer while OpenFiles runs
  forms::TForm1 form1_;
  forms::TForm2 form2_;
  std::unique_ptr<MainWindow> window1_;
  std::unique_ptr<FileWindow> window2_;
  forms::RecoveryCopy recovery_;
  QTimer recoveryTimer_;
};

}  // namespace palorin::ui
