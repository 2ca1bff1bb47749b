#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/script.h"
#include "forms/session.h"
#include "forms/tform1.h"
#include "forms/tform2.h"

namespace palorin::cli {

// What one action left behind: the error boxes its handlers raised, in order,
// or the reason a user could not have done it (a control that is disabled or
// not on the screen, a name that is not in a box's list).
struct Outcome {
  std::vector<std::string> errorBoxes;
  std::string refusal;
};

// The editor's session as the tool shows it: no screen and no clipboard; the
// error boxes are recorded into the action's outcome; a file dialog is
// answered by the name the script's line carries.
class Session {
 public:
  Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  forms::TForm1& form1() { return editor_.form1(); }
  forms::TForm2& form2() { return editor_.form2(); }
  const forms::TForm1& form1() const { return editor_.form1(); }
  const forms::TForm2& form2() const { return editor_.form2(); }
  const render::Raster& raster() const { return editor_.raster(); }

  Outcome Apply(const Action& action);

  // The main window was closed ("End", its key): the session is over.
  bool Ended() const { return editor_.Ended(); }

  // The state line of `play`: the status panels, the log's positions, the file
  // window's visibility and the part bookkeeping.
  std::string TraceLine() const;

 private:
  // What the editor asks of the tool.
  class Shell final : public forms::Shell {
   public:
    void Refresh() override {}
    void ShowError(const std::string& text) override;
    void CopyToClipboard(const render::Raster&) override {}
    void AskFileName(const forms::FileDialog& dialog, bool save) override;

    forms::Session* editor = nullptr;
    Outcome* outcome = nullptr;  // the action's, while one runs
  };

  // The refusals of play's own: the controls a user could not reach at this
  // point, each naming the line's keyword.
  bool FileWindowShown(Outcome& outcome, const char* what) const;
  bool SavePageShown(Outcome& outcome, const char* what) const;
  void Run(Outcome& outcome, const Action& action);

  Shell shell_;
  forms::Session editor_;
};

}  // namespace palorin::cli
