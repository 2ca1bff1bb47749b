#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/placement_log.h"
#include "forms/session.h"

namespace palorin::forms {

// Where the editor keeps its recovery copy: `stateHome`/palorin/recovery.pln,
// with `stateHome` $XDG_STATE_HOME, or ~/.local/state when that is unset,
// empty or not an absolute name. `home` is $HOME; when it is unset or empty
// the user's home folder from the password database is used. Empty when no
// home folder is known at all.
std::string RecoveryPath(const char* stateHome, const char* home);
// The same from the environment.
std::string RecoveryPath();

// The recovery copy of the picture being edited, so that ending without a
// save, or a killed editor, never loses it. The front end calls Notice after
// every handler, and Write within two seconds of a change (off the path of
// the press: a timer armed by the change) and when the main window closes.
//
// A change is any difference, from what the previous Notice saw, in the
// log's slots or in its positions (LogPos, LastIndex, AfterStep). The copy is
// the log as a native file — the very bytes a native save of the picture
// writes — replacing the file whole (base/file_write), its folders created
// as needed. The file is dated by the change it holds, so with several
// editors running the last change wins: an editor whose change is older than
// the one already in the file leaves the file alone.
// How many snapshots the history beside the recovery copy keeps.
inline constexpr int kMaxSnapshots = 20;

// The history folder beside the recovery copy at `recoveryPath`.
std::string HistoryFolder(const std::string& recoveryPath);

// A picture kept for recovery: the copy itself or a snapshot.
struct KeptPicture {
  std::string path;
  std::timespec time{};       // when its change was made
  std::int64_t blocks = -1;   // the blocks it shows; -1 when it does not load whole
  bool isCopy = false;
};

// The copy and every snapshot, newest first.
std::vector<KeptPicture> ListKept(const std::string& recoveryPath);

// What `palorin --restore [N]` opens: the N-th kept picture, newest first
// (N from 1). A picture that does not load whole is set aside under a new
// name, so that nothing later replaces it, and `error` says so: which file,
// where it now is and what was wrong. No file and no error: nothing is kept.
struct RestoreChoice {
  std::optional<std::string> file;
  std::optional<std::string> error;
};
RestoreChoice ChooseRestore(const std::string& recoveryPath, int n);

class RecoveryCopy final : public RecoveryStore {
 public:
  // No copy is written when `path` is empty.
  explicit RecoveryCopy(std::string path);

  // Takes `log` as the state with nothing to recover (the editor's start):
  // until it changes, nothing is written, so a new editor leaves the copy of
  // an earlier one alone.
  void Start(const core::PlacementLog& log);

  // Compares `log` with what the previous call saw. A change is remembered,
  // dated `now`, and is pending until written; true when this call saw one.
  bool Notice(const core::PlacementLog& log, const std::timespec& now);
  // The same, dated by the system clock.
  bool Notice(const core::PlacementLog& log);

  bool Pending() const { return pending_; }
  const std::string& Path() const { return path_; }

  // Writes the pending change, unless the file already holds a later change
  // of another editor; either way nothing is pending after. Nothing happens
  // when nothing is pending. Throws palorin::Error "ﾌｧｲﾙ <path> を作成できません"
  // or "ｽﾄﾘｰﾑへの書き込みに失敗しました", and the change stays pending.
  void Write();

  // The session's store: `log` written as the copy, dated `changedAt`,
  // unless the file already holds a later change of another editor (a date
  // from the future, left by a clock set back, counts as old). The first
  // copy an editor writes over another editor's copy first keeps that one
  // as a snapshot.
  void Keep(const core::PlacementLog& log, const std::timespec& changedAt) override;

  // Keeps `log` as a dated snapshot in the history folder beside the copy
  // (at most kMaxSnapshots; the oldest go). Throws palorin::Error.
  void Snapshot(const core::PlacementLog& log) override;

 private:
  void SnapshotFile(const std::string& bytes, const std::timespec& at);
  bool replacedOthers_ = false;

 private:
  std::string path_;
  core::PlacementLog seen_;
  bool pending_ = false;
  std::timespec changedAt_{};
};

}  // namespace palorin::forms
