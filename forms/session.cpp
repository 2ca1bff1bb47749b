#include "forms/session.h"

#include <utility>

#include "base/error.h"
#include "base/file_name.h"
#include "forms/dispatch.h"

namespace palorin::forms {

Session::Session(Shell& shell, RecoveryStore* recovery)
    : shell_(shell), recovery_(recovery), form1_(*this), form2_(form1_, *this) {
  form1_.FormCreate();
  form2_.FormCreate();
  // The start is nothing to recover: an editor that changes nothing leaves
  // an earlier editor's copy alone.
  seen_ = form1_.scene.log;
}

Session::~Session() = default;

std::optional<std::string> Session::Run(const std::function<void()>& handler) {
  std::optional<std::string> error = Dispatch(handler);
  NoticeChange();
  // What the handler changed before an error stays changed, and shows.
  shell_.Refresh();
  if (error) shell_.ShowError(*error);
  return error;
}

bool Session::Press(int x, int y) {
  if (x < 0 || x >= render::kRasterWidth || y < 0 || y >= render::kRasterHeight) return false;
  if (Accepting()) Run([this, x, y] { form1_.Image1MouseDown(MouseButton::Left, 0, x, y); });
  return true;
}

bool Session::Move(int x, int y) {
  if (x < 0 || x >= render::kRasterWidth || y < 0 || y >= render::kRasterHeight) return false;
  if (Accepting()) Run([this, x, y] { form1_.Image1MouseMove(0, x, y); });
  return true;
}

void Session::RunAction(ActionId action) {
  if (Accepting()) ActionOf(action).run(*this);
}

bool Session::Key(std::string_view keys, Focus focus) {
  const ActionRow* row = ActionForKeys(keys);
  if (row == nullptr) return false;
  if (row->keysEditText && focus == Focus::TextField) return false;
  if (row->keysOnDrawingArea && focus != Focus::DrawingArea) return false;
  RunAction(row->id);
  return true;
}

void Session::MoveCursor(int dx, int dy) {
  if (!Accepting()) return;
  // One lattice step is two cells along an axis, which keeps x + y even; a
  // step that would leave the accepted range is not taken.
  const auto clampSteps = [](std::int32_t at, int steps, int max) {
    for (; steps > 0 && at + 2 <= max; --steps) at += 2;
    for (; steps < 0 && at - 2 >= 0; ++steps) at -= 2;
    return at;
  };
  cursor_.x = clampSteps(cursor_.x, dx, core::kMaxCellX);
  cursor_.y = clampSteps(cursor_.y, dy, core::kMaxCellY);
  const core::PointerPos p = core::CellCentre(cursor_);
  Move(p.x, p.y);
}

void Session::PressAtCursor() {
  const core::PointerPos p = core::CellCentre(cursor_);
  Press(p.x, p.y);
}

bool Session::Choose(BoxId box, int index) {
  bool reached = false;
  if (Accepting()) Run([&] { reached = ChooseEntry(form1_, form2_, box, index); });
  return reached;
}

bool Session::Type(BoxId box, std::string_view text) {
  bool reached = false;
  if (Accepting()) Run([&] { reached = TypeText(form1_, form2_, box, text); });
  return reached;
}

void Session::TakePage(int page) {
  if (Accepting()) Run([this, page] { form2_.TakePage(page); });
}

void Session::ClickSaveMode(int item) {
  if (Accepting()) Run([this, item] { form2_.ClickSaveMode(item); });
}

void Session::EditMemo(std::string_view text) {
  // The memo's text is the user's; nothing else changes, nothing runs.
  if (Accepting()) form2_.Memo1Edited(text);
}

void Session::CloseFileWindow() {
  if (Accepting()) Run([this] { form2_.Button2Click(); });
}

void Session::CloseMainWindow() {
  if (ended_) return;
  // The file window goes with the main window; the editor then ends, its
  // last change kept for recovery first.
  ended_ = true;
  form2_.Visible = false;
  KeepRecovery();
  shell_.Ended();
}

void Session::Execute() {
  if (!Accepting()) return;
  FileDialog* dialog = nullptr;
  Run([&] { dialog = form2_.ExecuteAsk(); });
  if (dialog != nullptr) shell_.AskFileName(*dialog, dialog == &form2_.SaveDialog1);
}

void Session::Answer(std::optional<std::string> name) {
  const FileDialog* dialog = form2_.Asking();
  if (dialog == nullptr || ended_) return;
  const bool load = dialog == &form2_.OpenDialog1;
  if (name) name = WithDefaultExt(std::move(*name), dialog->DefaultExt);
  // A load draws over the picture: what it showed is kept first.
  if (load && name) KeepSnapshot();
  const bool failed = Run([&] { form2_.ExecuteAnswer(std::move(name)); }).has_value();
  // A load that failed part of the way is no change of the user's: the
  // copy is not replaced by the half-read picture (it may be the very copy
  // being restored).
  if (load && failed) seen_ = form1_.scene.log;
}

void Session::KeepSnapshot() {
  if (recovery_ == nullptr) return;
  const core::PlacementLog& log = form1_.scene.log;
  bool shows = false;
  for (std::int64_t i = 0; i <= log.LastIndex && i <= core::kLastSlot && !shows; ++i) {
    shows = log.ColorAt(i) != 0;
  }
  if (!shows) return;
  try {
    recovery_->Snapshot(log);
  } catch (const Error& e) {
    shell_.ShowError(ErrorBoxText(e.message()));
  }
}

void Session::ExecuteOn(int page, std::optional<std::string> name) {
  if (!Accepting()) return;
  Run([this] { form1_.Button5Click(); });
  TakePage(page);
  FileDialog* dialog = nullptr;
  Run([&] { dialog = form2_.ExecuteAsk(); });
  if (dialog != nullptr) Answer(std::move(name));
}

void Session::OpenFiles(const std::vector<std::string>& names) {
  for (const std::string& name : names) ExecuteOn(TForm2::kLoadPage, name);
}

void Session::CopyToClipboard(const render::Raster& raster) { shell_.CopyToClipboard(raster); }

void Session::ShowFileWindow() {
  form2_.Visible = true;
  shell_.RaiseFileWindow();
}

std::optional<std::string> Session::RunOpenDialog(FileDialog&) { return std::nullopt; }
std::optional<std::string> Session::RunSaveDialog(FileDialog&) { return std::nullopt; }

namespace {

bool SameLog(const core::PlacementLog& a, const core::PlacementLog& b) {
  return a.LogPos == b.LogPos && a.LastIndex == b.LastIndex && a.AfterStep == b.AfterStep &&
         a.LogX == b.LogX && a.LogY == b.LogY && a.LogColor == b.LogColor;
}

}  // namespace

void Session::NoticeChange() {
  if (recovery_ == nullptr || SameLog(form1_.scene.log, seen_)) return;
  seen_ = form1_.scene.log;
  recoveryPending_ = true;
  ::clock_gettime(CLOCK_REALTIME, &changedAt_);
  // Started by the first change and not pushed back by later ones, so that
  // no change waits longer than the delay however busy the user is.
  if (!timerRunning_) {
    timerRunning_ = true;
    shell_.StartRecoveryTimer(kRecoveryDelayMs);
  }
}

void Session::RecoveryDue() {
  timerRunning_ = false;
  KeepRecovery();
}

void Session::KeepRecovery() {
  if (recovery_ == nullptr || !recoveryPending_) return;
  try {
    recovery_->Keep(seen_, changedAt_);
    recoveryPending_ = false;
    failureShown_ = false;
  } catch (const Error& e) {
    // Said once, not after every try; the change stays pending and is
    // tried again.
    if (!failureShown_) {
      failureShown_ = true;
      shell_.ShowError(ErrorBoxText(e.message()));
    }
    if (!ended_ && !timerRunning_) {
      timerRunning_ = true;
      shell_.StartRecoveryTimer(kRecoveryDelayMs);
    }
  }
}

}  // namespace palorin::forms
