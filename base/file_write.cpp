#include "base/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <random>

#include "base/error.h"

namespace palorin {

namespace {

// The deepest chain of symbolic links a save follows, as the system does.
constexpr int kMaxLinks = 40;
// Names tried for the temporary file before giving up on the folder.
constexpr int kTempNameTries = 100;

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The file a save to `path` ends up in: a name that is a symbolic link is
// followed to the file it points to (which need not exist yet), so the save
// replaces that file and the link stays a link. Empty when the chain of links
// is too long or cannot be read.
std::string FollowLinks(std::string path) {
  for (int depth = 0; depth <= kMaxLinks; ++depth) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(n));
    // A relative link is read from the folder that holds the link.
    path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
  }
  return {};
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// The data reaches the disk; a file system that cannot sync (EINVAL) has
// nothing more to do.
bool Sync(int fd) { return ::fsync(fd) == 0 || errno == EINVAL; }

// Writes, dates (when `modified` is given), syncs and closes `fd`; false when
// any of it failed (fd is closed).
bool WriteSyncClose(int fd, std::string_view bytes, const std::timespec* modified) {
  // The date goes on after the bytes, whose write would set it to now.
  const struct timespec times[2] = {{0, UTIME_OMIT}, modified ? *modified : timespec{}};
  const bool written = WriteAll(fd, bytes) && (!modified || ::futimens(fd, times) == 0) && Sync(fd);
  const bool closed = ::close(fd) == 0;
  return written && closed;
}

// Creates a new temporary file in `folder`, with `mode` as a plain create
// would give it (the umask applies). Returns its descriptor, or -1.
int CreateTemporary(const std::string& folder, mode_t mode, std::string& name) {
  static std::atomic<std::uint64_t> counter{0};
  std::mt19937_64 random(std::random_device{}() ^ (static_cast<std::uint64_t>(::getpid()) << 32) ^
                         counter++);
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; attempt < kTempNameTries; ++attempt) {
    name = folder + "/.palorin-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// Flushes the folder's entry of a renamed file, so the new name survives a
// power cut too. The file is already in place, so a failure here is no
// failure of the save.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Writes `bytes` over the existing file `target` itself, keeping its inode,
// so every hard link, the owner, the group, the mode and anything else the
// file carries stay as they are. The content is complete in memory before the
// file is cut, so only a failing write can leave it short.
void WriteInPlace(const std::string& target, std::string_view bytes,
                  const std::string& cannotCreateMessage, const std::string& writeFailedMessage,
                  const std::timespec* modified) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) throw Error(cannotCreateMessage);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    throw Error(cannotCreateMessage);
  }
  if (::ftruncate(fd, 0) != 0) {
    ::close(fd);
    throw Error(writeFailedMessage);
  }
  if (!WriteSyncClose(fd, bytes, modified)) throw Error(writeFailedMessage);
}

// Gives the temporary file the replaced file's owner, group and mode: owner
// and group first (changing them clears the set-id bits, which the mode then
// brings back). False when any of it is refused — an ordinary user cannot
// give a file to another user, nor to a group they are not in.
bool CarryOwnerGroupMode(int fd, const struct stat& existing) {
  return ::fchown(fd, existing.st_uid, existing.st_gid) == 0 &&
         ::fchmod(fd, existing.st_mode & 07777) == 0;
}

}  // namespace

void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        const std::string& cannotCreateMessage,
                        const std::string& writeFailedMessage, const std::timespec* modified) {
  if (path.empty() || path.back() == '/') throw Error(cannotCreateMessage);
  const std::string target = FollowLinks(path);
  if (target.empty()) throw Error(cannotCreateMessage);

  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
    throw Error(cannotCreateMessage);
  }

  // Mended: a save used to replace every existing file by a new one, which
  // broke hard links, handed a group member's save of someone else's file to
  // the saver (the owner/group copy was all-or-nothing and its result
  // ignored), and failed in a sticky folder such as /tmp, where the rename
  // over another user's file is refused. Now a file is replaced only when it
  // has a single name and the new file can carry its owner, group and mode;
  // every other existing file is written in place.
  if (exists && existing.st_nlink != 1) {
    WriteInPlace(target, bytes, cannotCreateMessage, writeFailedMessage, modified);
    return;
  }

  const std::string folder = FolderOf(target);
  std::string tmpName;
  // A new file gets the usual mode from the umask; a replaced file's mode is
  // set below, so until then the temporary file is the owner's alone.
  const int fd = CreateTemporary(folder, exists ? 0600 : 0666, tmpName);
  if (fd < 0) {
    // Only a folder closed to the user is worth writing in place for: a full
    // disk would leave the old file cut short instead of kept.
    if (!exists || (errno != EACCES && errno != EPERM)) throw Error(cannotCreateMessage);
    WriteInPlace(target, bytes, cannotCreateMessage, writeFailedMessage, modified);
    return;
  }

  if (exists && !CarryOwnerGroupMode(fd, existing)) {
    ::close(fd);
    ::unlink(tmpName.c_str());
    WriteInPlace(target, bytes, cannotCreateMessage, writeFailedMessage, modified);
    return;
  }

  if (!WriteSyncClose(fd, bytes, modified)) {
    ::unlink(tmpName.c_str());
    throw Error(writeFailedMessage);
  }
  if (::rename(tmpName.c_str(), target.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(tmpName.c_str());
    // The folder may still refuse the rename (an append-only folder, a
    // security module) although the file is writable: the file itself then
    // takes the save.
    if (exists && (renameError == EACCES || renameError == EPERM)) {
      WriteInPlace(target, bytes, cannotCreateMessage, writeFailedMessage, modified);
      return;
    }
    throw Error(cannotCreateMessage);
  }
  SyncFolder(folder);
}

}  // namespace palorin
