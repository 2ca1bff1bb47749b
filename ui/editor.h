#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>

#include "forms/recovery.h"
#include "forms/session.h"

class QWidget;

namespace palorin::ui {

class FileWindow;
class MainWindow;
class Prompts;

// The program on the desktop: one editor session (forms::Session) shown in
// both windows, and what the session asks of the platform — showing, the
// error box, the clipboard, the file dialogs, the recovery timer, the end.
// Construction is the start-up: the session creates both forms (the main
// window's FormCreate, then the file window's), then the main window is built
// from the layout table. The file window's widgets are built when it first
// shows, or when Window2() first asks for them; until then TForm2 holds its
// state. Show() shows the main window.
//
// The session keeps a recovery copy of the picture at `recoveryPath` (none
// when empty) at most two seconds after a change, and when the main window
// closes.
class Editor final : private forms::Shell {
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

  forms::Session& Session() { return session_; }
  forms::TForm1& Form1() { return session_.form1(); }
  forms::TForm2& Form2() { return session_.form2(); }
  MainWindow& Window1() { return *window1_; }
  // The file window, built on first use.
  FileWindow& Window2();

  // Both windows show their forms' data.
  void ShowData();

  // The error box's title: the program file's name, shortened as the
  // dispatch rules say.
  static QString ErrorTitle();

 private:
  // What the session asks of the desktop.
  void Refresh() override;
  void ShowError(const std::string& text) override;
  void CopyToClipboard(const render::Raster& raster) override;
  void RaiseFileWindow() override;
  void Ended() override;
  void AskFileName(const forms::FileDialog& dialog, bool save) override;
  void StartRecoveryTimer(int ms) override;

  // The window an error box or a dialog stands over: the one of the two in
  // use.
  QWidget* Origin() const;

  Prompts& prompts_;
  forms::RecoveryCopy recovery_;
  forms::Session session_;
  std::unique_ptr<MainWindow> window1_;
  std::unique_ptr<FileWindow> window2_;
  QTimer recoveryTimer_;
  bool ending_ = false;
};

}  // namespace palorin::ui
