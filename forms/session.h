#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pick.h"
#include "core/placement_log.h"
#include "forms/actions.h"
#include "forms/input.h"
#include "forms/services.h"
#include "forms/tform1.h"
#include "forms/tform2.h"

namespace palorin::forms {

// What a front end does for the editor: it shows, the session decides. The
// desktop implements it with Qt, the page with the browser, `palorin-cli
// play` from its script, tests with a recording fake.
class Shell {
 public:
  virtual ~Shell() = default;

  // After every input: both windows show their forms' data again (the file
  // window shown or hidden by TForm2::Visible).
  virtual void Refresh() = 0;
  // The error box with `text` (ErrorBoxText already applied). A desktop's
  // box is modal and returns when closed; a page's may return at once.
  virtual void ShowError(const std::string& text) = 0;
  virtual void CopyToClipboard(const render::Raster& raster) = 0;
  // "File" was clicked: the file window, now shown, comes to the front.
  virtual void RaiseFileWindow() {}
  // The main window was closed: the program (the page's editor) ends.
  virtual void Ended() {}
  // Execute asks for a file name with `dialog` (an open dialog unless
  // `save`). The front end answers with Session::Answer, at once or once the
  // user has chosen; until then the session takes no other input, as a
  // modal dialog allows none.
  virtual void AskFileName(const FileDialog& dialog, bool save) = 0;
  // Calls Session::RecoveryDue once `ms` milliseconds have passed.
  virtual void StartRecoveryTimer(int ms) { static_cast<void>(ms); }
};

// Where the recovery copy of the picture is kept: a file for the desktop, the
// browser's storage for the page.
class RecoveryStore {
 public:
  virtual ~RecoveryStore() = default;
  // Keeps `log` as the copy to recover, `changedAt` the time of the change it
  // holds. Throws palorin::Error when it cannot; the session then tries
  // again later.
  virtual void Keep(const core::PlacementLog& log, const std::timespec& changedAt) = 0;
  // Keeps `log` apart from the copy, dated now, before something replaces
  // the picture (ReSet, a load over it). Throws palorin::Error.
  virtual void Snapshot(const core::PlacementLog& log) { static_cast<void>(log); }
};

// A change is in the recovery copy at most this long after it was made.
inline constexpr int kRecoveryDelayMs = 2000;

// The whole editor for a front end: both forms with their start-up, the close
// rules, the dialogs' answers, the one dispatch of every handler, opening
// files by name and the recovery copy. A front end turns its platform's
// events into these calls and shows the forms' data when asked to.
//
// Every input runs its handlers through forms::Dispatch: a raised error ends
// that handler, what it changed stays changed, both windows show their data
// (Shell::Refresh) and then the error box shows the error's text. An ended
// editor takes no input; neither does one waiting for a file name.
class Session : private Services {
 public:
  // Start-up: the main window is created and its FormCreate runs, then the
  // file window is created hidden and its FormCreate runs. `recovery` may be
  // null (no copy is kept).
  explicit Session(Shell& shell, RecoveryStore* recovery = nullptr);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() override;

  TForm1& form1() { return form1_; }
  TForm2& form2() { return form2_; }
  const TForm1& form1() const { return form1_; }
  const TForm2& form2() const { return form2_; }
  const core::PlacementLog& log() const { return form1_.scene.log; }
  const render::Raster& raster() const { return form1_.scene.canvas.raster; }

  // The main window has been closed: the editor takes no more input.
  bool Ended() const { return ended_; }
  // Execute waits for a file name (Shell::AskFileName asked for it).
  bool Asking() const { return form2_.Asking() != nullptr; }
  // Input is taken: the editor runs and no dialog waits.
  bool Accepting() const { return !ended_ && !Asking(); }

  // --- Input ---------------------------------------------------------------
  // A pointer press or move at pixel (x, y) of the drawing area; which
  // button makes no difference. False, and nothing runs, outside the area.
  bool Press(int x, int y);
  bool Move(int x, int y);
  // A button's click or a key's action.
  void RunAction(ActionId action);
  // The keys `keys` ("Ctrl+Shift+Z") pressed in either window with the focus
  // at `focus`. True when they ran an action; false for keys the editor does
  // not bind, for keys that then belong to a text field, and for the drawing
  // area's keys anywhere else.
  bool Key(std::string_view keys, Focus focus);

  // The drawing area's cell cursor: a lattice cell (x + y even) in the
  // accepted range, (40, 50) at start. Moving it `dx`, `dy` lattice steps
  // (two cells each) moves it as far as the range allows and shows its cell
  // in the status panels as a pointer move there does; a press at the
  // cursor is a press at its cell's centre, exactly as a click there.
  core::Cell Cursor() const { return cursor_; }
  void MoveCursor(int dx, int dy);
  void PressAtCursor();
  // A box's list entry chosen (its change handler runs, also for the entry
  // already shown) or its text edited; false for a box out of reach.
  bool Choose(BoxId box, int index);
  bool Type(BoxId box, std::string_view text);
  // A tab of the file window; taking the page shown runs nothing.
  void TakePage(int page);
  // A save mode's radio item; the item already chosen runs nothing.
  void ClickSaveMode(int item);
  // The header memo now holds `text`.
  void EditMemo(std::string_view text);
  // A window's close box: the main window's ends the editor as "End" does;
  // the file window's hides it as "キャンセル" does.
  // (The main window's close is also what "End" asks of the platform.)
  void CloseMainWindow() override;
  void CloseFileWindow();

  // --- Execute and its dialog ---------------------------------------------
  // "実行": the steps before the dialog, then Shell::AskFileName.
  void Execute();
  // The asked dialog's answer: the chosen name (the dialog's default
  // extension is added when it has none) or nullopt for a cancel. Nothing
  // happens when no dialog was asked.
  void Answer(std::optional<std::string> name);

  // Files opened by name — named on the command line, dropped, linked,
  // chosen in a page's picker — each loaded exactly as the load page loads
  // it: "File", the load tab, "実行" with the dialog answering the name. An
  // error shows in the error box and the next file still loads.
  void OpenFiles(const std::vector<std::string>& names);
  // "実行" on `page` reached as a user reaches it ("File", the tab), the
  // dialog answering `name` (nullopt: cancelled). A script's load and save.
  void ExecuteOn(int page, std::optional<std::string> name);

  // --- The recovery copy ----------------------------------------------------
  // The timer Shell::StartRecoveryTimer started has run out: the pending
  // change is kept now. A failure shows in the error box once, and the copy
  // is tried again after the same delay.
  void RecoveryDue();
  bool RecoveryPending() const { return recoveryPending_; }

  // Keeps the picture as a snapshot when it shows any block: before ReSet,
  // before a load over it. A failure shows in the error box.
  void KeepSnapshot();

  // Runs `handler` as one input: dispatch, recovery, refresh, error box.
  // Returns the error box's text, if one showed.
  std::optional<std::string> Run(const std::function<void()>& handler);

 private:
  // Services the forms call.
  void CopyToClipboard(const render::Raster& raster) override;
  void ShowFileWindow() override;
  // Execute runs in two steps here; a dialog the forms run themselves
  // (TForm2::Button1Click) is cancelled.
  std::optional<std::string> RunOpenDialog(FileDialog& dialog) override;
  std::optional<std::string> RunSaveDialog(FileDialog& dialog) override;

  void NoticeChange();
  void KeepRecovery();

  Shell& shell_;
  RecoveryStore* recovery_;
  TForm1 form1_;
  TForm2 form2_;
  bool ended_ = false;
  core::Cell cursor_{40, 50};
  // The recovery copy: the log as last kept or seen, whether a change waits,
  // when it was made, whether the timer runs and whether a failure showed.
  core::PlacementLog seen_;
  bool recoveryPending_ = false;
  bool timerRunning_ = false;
  bool failureShown_ = false;
  std::timespec changedAt_{};
};

}  // namespace palorin::forms
