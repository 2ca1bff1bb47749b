#include "forms/recovery.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "base/error.h"
#include "base/file_write.h"
#include "fileio/block_text.h"
#include "fileio/text_buffer.h"

namespace palorin::forms {

namespace {

constexpr const char* kFolderAndName = "/palorin/recovery.pln";

bool SameLog(const core::PlacementLog& a, const core::PlacementLog& b) {
  return a.LogPos == b.LogPos && a.LastIndex == b.LastIndex && a.AfterStep == b.AfterStep &&
         a.LogX == b.LogX && a.LogY == b.LogY && a.LogColor == b.LogColor;
}

bool Later(const std::timespec& a, const std::timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// Creates every missing folder of the absolute name `folder`, each for the
// user alone, as state folders are meant to be; false when one cannot be made.
bool MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    struct stat info {};
    if (::mkdir(part.c_str(), 0700) != 0 &&
        (::stat(part.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
      return false;
    }
    if (slash == std::string::npos) return true;
  }
}

}  // namespace

std::string RecoveryPath(const char* stateHome, const char* home) {
  if (stateHome != nullptr && stateHome[0] == '/') return stateHome + std::string(kFolderAndName);
  std::string homeFolder = home != nullptr ? home : "";
  if (homeFolder.empty()) {
    const struct passwd* user = ::getpwuid(::getuid());
    if (user != nullptr && user->pw_dir != nullptr) homeFolder = user->pw_dir;
  }
  if (homeFolder.empty()) return {};
  return homeFolder + "/.local/state" + kFolderAndName;
}

std::string RecoveryPath() {
  return RecoveryPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

RecoveryCopy::RecoveryCopy(std::string path) : path_(std::move(path)) {}

void RecoveryCopy::Start(const core::PlacementLog& log) {
  seen_ = log;
  pending_ = false;
}

bool RecoveryCopy::Notice(const core::PlacementLog& log, const std::timespec& now) {
  if (path_.empty() || SameLog(log, seen_)) return false;
  seen_ = log;
  pending_ = true;
  changedAt_ = now;
  return true;
}

bool RecoveryCopy::Notice(const core::PlacementLog& log) {
  std::timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Notice(log, now);
}

void RecoveryCopy::Write() {
  if (!pending_) return;
  Keep(seen_, changedAt_);
  pending_ = false;
}

void RecoveryCopy::Keep(const core::PlacementLog& log, const std::timespec& changedAt) {
  if (path_.empty()) return;
  struct stat existing {};
  if (::stat(path_.c_str(), &existing) == 0 && Later(existing.st_mtim, changedAt)) {
    return;  // another editor's later change is the one to keep
  }
  const std::string cannotCreate = FormatMessage(messages::kCannotCreate, path_);
  const std::size_t slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path_.substr(0, slash))) {
    throw Error(cannotCreate);
  }
  fileio::TextBuffer buffer;
  fileio::AppendNativeFile(buffer, log);
  WriteFileReplacing(path_, buffer.Bytes(), cannotCreate, std::string(messages::kStreamWriteFailed),
                     &changedAt);
}

}  // namespace palorin::forms
