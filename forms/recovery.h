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

// The recovery copy of the picture being edited, as a file, so that ending
// without a save, or a killed editor, never loses it. The session decides
// when (a change of the log's slots or positions, kept at most
// kRecoveryDelayMs later and when the main window closes); this writes it:
// the log as a native file — the very bytes a native save of the picture
// writes — replacing the file whole (base/file_write), its folders created
// as needed. The file is dated by the change it holds, so with several
// editors running the last change wins: an editor whose change is older than
// the one already in the file leaves the file alone.
class RecoveryCopy final : public RecoveryStore {
 public:
  // No copy is written when `path` is empty.
  explicit RecoveryCopy(std::string path);
  const std::string& Path() const { return path_; }

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

  std::string path_;
  bool replacedOthers_ = false;  // this editor's copy has replaced the file once
};

}  // namespace palorin::forms
