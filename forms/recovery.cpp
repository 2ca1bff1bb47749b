#include "forms/recovery.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "base/error.h"
#include "base/file_write.h"
#include "fileio/block_text.h"
#include "fileio/text_buffer.h"

namespace palorin::forms {

namespace {

constexpr const char* kFolderAndName = "/palorin/recovery.pln";

bool Later(const std::timespec& a, const std::timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

std::string ReadWhole(const std::string& path) {
  std::string bytes;
  if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.append(chunk, n);
    std::fclose(in);
  }
  return bytes;
}

std::timespec Now() {
  std::timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// `value` in decimal, zero-filled to `width` characters after its sign.
void AppendZeroFilled(std::string& out, std::int64_t value, std::size_t width) {
  char digits[24];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const char* first = digits;
  if (value < 0) {
    out += '-';
    ++first;
    width = width > 0 ? width - 1 : 0;
  }
  const auto length = static_cast<std::size_t>(end - first);
  if (length < width) out.append(width - length, '0');
  out.append(first, length);
}

// "20261208T093512.123Z": the time in UTC, to the millisecond, so that names
// sort as times do.
std::string Stamp(const std::timespec& at) {
  std::tm utc{};
  ::gmtime_r(&at.tv_sec, &utc);
  std::string text;
  AppendZeroFilled(text, std::int64_t{utc.tm_year} + 1900, 4);
  AppendZeroFilled(text, utc.tm_mon + 1, 2);
  AppendZeroFilled(text, utc.tm_mday, 2);
  text += 'T';
  AppendZeroFilled(text, utc.tm_hour, 2);
  AppendZeroFilled(text, utc.tm_min, 2);
  AppendZeroFilled(text, utc.tm_sec, 2);
  text += '.';
  AppendZeroFilled(text, (at.tv_nsec / 1000000) % 1000, 3);
  text += 'Z';
  return text;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// The snapshots in `folder`, oldest first (their names are their times).
std::vector<std::string> SnapshotNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".pln") == 0 && name[0] != '.') {
      names.push_back(name);
    }
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// Shows nothing and records the first error box's text.
struct CheckShell final : Shell {
  std::optional<std::string> error;
  void Refresh() override {}
  void ShowError(const std::string& text) override {
    if (!error) error = text;
  }
  void CopyToClipboard(const render::Raster&) override {}
  void AskFileName(const FileDialog&, bool) override {}
};

// Loads `path` into an editor of its own: the blocks it shows, or the error
// box's text of a load that does not go through whole.
std::int64_t BlocksOf(const std::string& path, std::optional<std::string>* error = nullptr) {
  CheckShell shell;
  Session session(shell);
  session.OpenFiles({path});
  if (error != nullptr) *error = shell.error;
  const auto& load = session.form2().LastLoad();
  if (shell.error || !load || !load->completed) return -1;
  const core::PlacementLog& log = session.log();
  std::int64_t blocks = 0;
  for (std::int64_t i = 0; i <= log.LastIndex && i <= core::kLastSlot; ++i) {
    blocks += log.ColorAt(i) != 0 ? 1 : 0;
  }
  return blocks;
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

void RecoveryCopy::Keep(const core::PlacementLog& log, const std::timespec& changedAt) {
  if (path_.empty()) return;
  struct stat existing {};
  const bool exists = ::stat(path_.c_str(), &existing) == 0;
  // Another editor's later change is the one to keep; a date after now was
  // left by a clock set back and is no later change.
  if (exists && Later(existing.st_mtim, changedAt) && !Later(existing.st_mtim, Now())) return;
  if (exists && !replacedOthers_) {
    // This editor's first copy replaces one an earlier editor left: that
    // one goes to the history first.
    SnapshotFile(ReadWhole(path_), existing.st_mtim);
  }
  replacedOthers_ = true;
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

void RecoveryCopy::Snapshot(const core::PlacementLog& log) {
  if (path_.empty()) return;
  fileio::TextBuffer buffer;
  fileio::AppendNativeFile(buffer, log);
  SnapshotFile(buffer.Bytes(), Now());
}

void RecoveryCopy::SnapshotFile(const std::string& bytes, const std::timespec& at) {
  const std::string folder = HistoryFolder(path_);
  std::string path = folder + "/" + Stamp(at) + ".pln";
  if (!MakeFolders(folder)) throw Error(FormatMessage(messages::kCannotCreate, path));
  for (int n = 2; Exists(path); ++n) {
    path = folder + "/" + Stamp(at) + "-" + std::to_string(n) + ".pln";
  }
  WriteFileReplacing(path, bytes, FormatMessage(messages::kCannotCreate, path),
                     std::string(messages::kStreamWriteFailed), &at);
  std::vector<std::string> names = SnapshotNames(folder);
  for (std::size_t i = 0; i + kMaxSnapshots < names.size(); ++i) {
    ::unlink((folder + "/" + names[i]).c_str());
  }
}

std::string HistoryFolder(const std::string& recoveryPath) {
  return FolderOf(recoveryPath) + "/history";
}

std::vector<KeptPicture> ListKept(const std::string& recoveryPath) {
  std::vector<KeptPicture> kept;
  const auto add = [&kept](const std::string& path, bool isCopy) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    kept.push_back({path, info.st_mtim, BlocksOf(path), isCopy});
  };
  if (recoveryPath.empty()) return kept;
  add(recoveryPath, true);
  const std::string folder = HistoryFolder(recoveryPath);
  for (const std::string& name : SnapshotNames(folder)) add(folder + "/" + name, false);
  std::stable_sort(kept.begin(), kept.end(), [](const KeptPicture& a, const KeptPicture& b) {
    return Later(a.time, b.time);
  });
  return kept;
}

RestoreChoice ChooseRestore(const std::string& recoveryPath, int n) {
  const std::vector<KeptPicture> kept = ListKept(recoveryPath);
  if (kept.empty()) {
    return {std::nullopt, "No picture is kept for recovery in " + FolderOf(recoveryPath)};
  }
  if (n < 1 || static_cast<std::size_t>(n) > kept.size()) {
    return {std::nullopt, "There is no kept picture " + std::to_string(n) + ": there are " +
                              std::to_string(kept.size()) + " (palorin --restore --list)"};
  }
  const std::string& path = kept[static_cast<std::size_t>(n - 1)].path;
  std::optional<std::string> wrong;
  if (BlocksOf(path, &wrong) >= 0) return {path, std::nullopt};
  // Set aside under a name no copy or snapshot takes, so that nothing
  // written later replaces it.
  const std::string aside = path + ".damaged-" + Stamp(Now());
  const bool moved = ::rename(path.c_str(), aside.c_str()) == 0;
  std::string text = "The recovery copy " + path + " could not be read";
  if (wrong) text += " (" + *wrong + ")";
  text += moved ? ". It is kept as " + aside + "; nothing was restored"
                : ". It was left as it is; nothing was restored";
  return {std::nullopt, text};
}

}  // namespace palorin::forms
