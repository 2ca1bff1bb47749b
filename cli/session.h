#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/script.h"
#include "forms/named_file.h"
#include "forms/services.h"
#include "forms/tform1.h"
#include "forms/tform2.h"

namespace palorin::cli {

// The platform as the tool offers it: no clipboard, no screen. The file dialogs
// answer the name the caller armed them with (or are cancelled), adding the
// dialog's default extension to a name without one, as a desktop dialog does.
class CliServices : public forms::Services {
 public:
  void AttachFileWindow(forms::TForm2& form2) { form2_ = &form2; }

  // The answer of the next dialog that runs. A dialog that runs unarmed is
  // cancelled.
  forms::DialogAnswer& answer() { return answer_; }
  bool MainWindowClosed() const { return mainWindowClosed_; }

  void CopyToClipboard(const render::Raster&) override {}
  void ShowFileWindow() override;
  // The file window goes with the main window, as on the desktop.
  void CloseMainWindow() override;
  std::optional<std::string> RunOpenDialog(forms::FileDialog& dialog) override;
  std::optional<std::string> RunSaveDialog(forms::FileDialog& dialog) override;

 private:
  forms::TForm2* form2_ = nullptr;
  forms::DialogAnswer answer_;
  bool mainWindowClosed_ = false;
};

// What one action left behind: the error boxes its handlers raised, in order,
// or the reason a user could not have done it (a control that is disabled or
// not on the screen, a name that is not in a box's list).
struct Outcome {
  std::vector<std::string> errorBoxes;
  std::string refusal;
};

// Both windows from the editor's start-up state on, driven the way a user
// drives them: every action updates the controls as the user would and runs
// the handlers the windows run, through the one shared dispatch.
class Session {
 public:
  Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  forms::TForm1& form1() { return form1_; }
  forms::TForm2& form2() { return form2_; }
  const forms::TForm1& form1() const { return form1_; }
  const forms::TForm2& form2() const { return form2_; }
  const render::Raster& raster() const { return form1_.scene.canvas.raster; }

  Outcome Apply(const Action& action);

  // "End" was clicked: the main window is closed and the session is over.
  bool Ended() const { return services_.MainWindowClosed(); }

  // The state line of `play`: the status panels, the log's positions, the file
  // window's visibility and the part bookkeeping.
  std::string TraceLine() const;

 private:
  template <typename Handler>
  void Run(Outcome& outcome, Handler&& handler);
  void SwitchPage(Outcome& outcome, int page);
  // Execute on a page, showing the file window and switching to the page
  // first when needed; the dialog answers `answer` (nullopt: cancelled).
  void Execute(Outcome& outcome, int page, std::optional<std::string> answer);
  // The file window's controls can be used only while it is shown, those of
  // the save page only while that page is active.
  bool FileWindowShown(Outcome& outcome, const char* what);
  bool SavePageShown(Outcome& outcome, const char* what);

  CliServices services_;
  forms::TForm1 form1_;
  forms::TForm2 form2_;
};

}  // namespace palorin::cli
