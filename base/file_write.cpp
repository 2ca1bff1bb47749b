#include "base/file_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "base/error.h"

namespace palorin {

namespace {

// The deepest chain of symbolic links a save follows, as the system does.
constexpr int kMaxLinks = 40;
// Names tried for the temporary file before giving up on the folder.
constexpr int kTempNameTries = 100;
// A temporary file this much older than now belongs to a save that ended
// without removing it (killed, or the machine went down): no live save
// takes so long for a picture.
constexpr std::time_t kStaleSeconds = 60;

std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

// The system's randomness for a temporary's name, else the clock's
// nanoseconds: a name taken is only tried again, never written over.
std::uint64_t Seed() {
  std::uint64_t seed = 0;
  if (::getentropy(&seed, sizeof seed) != 0) {
    std::timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    seed = static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(now.tv_nsec);
  }
  return seed;
}

// A save's temporary file. It is locked for as long as it has its name, so
// that no other save takes it for a stale one, and removed when it goes
// unless it took the target's name.
class Temporary {
 public:
  Temporary() = default;
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
    Remove();
    if (lock_ >= 0) ::close(lock_);
  }

  // Creates a new file `prefix` + six random characters in `folder`, with
  // `mode` as a plain create would give it (the umask applies). Returns the
  // descriptor to write it through, or -1 (errno tells why).
  int Create(const std::string& folder, const std::string& prefix, mode_t mode) {
    static std::atomic<std::uint64_t> counter{0};
    std::mt19937_64 random(Seed() ^ (static_cast<std::uint64_t>(::getpid()) << 32) ^ counter++);
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < kTempNameTries; ++attempt) {
      std::string name = folder + "/" + prefix;
      for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
      const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
      if (fd >= 0) {
        name_ = std::move(name);
        // The lock lives on a second descriptor of the same open file, so
        // the written one can be closed (and its errors seen) before the
        // rename while the lock stays.
        lock_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (lock_ >= 0) ::flock(lock_, LOCK_EX | LOCK_NB);
        return fd;
      }
      if (errno != EEXIST) return -1;
    }
    return -1;
  }

  // False when the rename failed (errno tells why); the file is then still
  // there, to be removed.
  bool RenameTo(const std::string& target) {
    if (::rename(name_.c_str(), target.c_str()) != 0) return false;
    name_.clear();
    return true;
  }

  void Remove() {
    if (name_.empty()) return;
    ::unlink(name_.c_str());
    name_.clear();
  }

 private:
  std::string name_;
  int lock_ = -1;
};

// Removes the temporary files of earlier saves of the same target that
// ended without removing theirs: this user's regular files with the
// target's prefix, last written over kStaleSeconds ago and locked by no
// one. Nothing here can fail the save.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::time_t now = std::time(nullptr);
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
    struct stat info {};
    // A save may date its file back (the recovery copy does) while it still
    // holds it, locked; a file just created and not locked yet is new.
    if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        now - info.st_mtime < kStaleSeconds) {
      continue;
    }
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    int fd = ::openat(dirFd, entry->d_name, O_RDONLY | kFlags);
    // A temporary file already has the replaced file's mode, which may
    // allow writing only.
    if (fd < 0 && errno == EACCES) fd = ::openat(dirFd, entry->d_name, O_WRONLY | kFlags);
    if (fd < 0) continue;
    struct stat opened {};
    // Locked: a save still at work on it. Another file by now: leave it.
    if (::fstat(fd, &opened) == 0 && opened.st_dev == info.st_dev && opened.st_ino == info.st_ino &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(dir);
}

// Gives the temporary file every extended attribute the replaced file has:
// the user's own (user.*), its access control list, and whatever else the
// user may set. A name the folder's file system does not take on a new
// file, or the user may not set (security.*, trusted.*), is left out. False
// when an attribute could not be read or carried for any other reason.
bool CarryAttributes(const std::string& from, int fd) {
#ifdef __EMSCRIPTEN__
  // The page's in-memory file system holds no extended attributes (its C
  // library does not even name the calls).
  static_cast<void>(from);
  static_cast<void>(fd);
  return true;
#else
  std::vector<char> names;
  for (;;) {
    const ssize_t size = ::llistxattr(from.c_str(), nullptr, 0);
    if (size < 0) return errno == ENOTSUP;
    if (size == 0) return true;
    names.resize(static_cast<std::size_t>(size));
    const ssize_t got = ::llistxattr(from.c_str(), names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<std::size_t>(got));
      break;
    }
    if (errno != ERANGE) return false;  // grew meanwhile: ask again
  }
  std::vector<char> value;
  for (std::size_t at = 0; at < names.size();) {
    const char* name = names.data() + at;
    at += std::char_traits<char>::length(name) + 1;
    ssize_t size = 0;
    for (;;) {
      size = ::lgetxattr(from.c_str(), name, nullptr, 0);
      if (size < 0) break;
      value.resize(static_cast<std::size_t>(size));
      size = ::lgetxattr(from.c_str(), name, value.data(), value.size());
      if (size >= 0 || errno != ERANGE) break;
    }
    if (size < 0) {
      if (errno == ENODATA) continue;  // removed meanwhile
      return false;
    }
    if (::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(size), 0) != 0 &&
        errno != ENOTSUP && errno != EPERM) {
      return false;
    }
  }
  return true;
#endif
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
// file carries stay as they are. `checked` is what the save found at
// `target`: a file that is no longer that one (the name now leads to another
// file, or is a symbolic link) is not written. The room the longer content
// needs is taken before a byte of the old content changes, so a full disk
// leaves the file as it was; only a write failing after that (a failing
// disk) can leave it part new, part old.
void WriteInPlace(const std::string& target, const struct stat& checked, std::string_view bytes,
                  const std::string& cannotCreateMessage, const std::string& writeFailedMessage,
                  const std::timespec* modified) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) throw Error(cannotCreateMessage);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_dev != checked.st_dev ||
      info.st_ino != checked.st_ino) {
    ::close(fd);
    throw Error(cannotCreateMessage);
  }
  const auto size = static_cast<off_t>(bytes.size());
  if (size > info.st_size) {
    const int reserved = ::posix_fallocate(fd, 0, size);
    // No room (or over the user's file size limit): the file goes back to
    // its size, its content untouched. A file system that cannot reserve
    // room at all is written as it comes.
    if (reserved == ENOSPC || reserved == EDQUOT || reserved == EFBIG || reserved == EIO) {
      if (::ftruncate(fd, info.st_size) != 0) {
        // Nothing more to try: the old content is whole, at most followed
        // by the part of the room that was taken.
      }
      ::close(fd);
      throw Error(writeFailedMessage);
    }
  }
  // The content first, then the old content's excess cut off.
  if (!WriteAll(fd, bytes) || ::ftruncate(fd, size) != 0) {
    ::close(fd);
    throw Error(writeFailedMessage);
  }
  if (!WriteSyncClose(fd, {}, modified)) throw Error(writeFailedMessage);
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

std::string TemporaryPrefix(const std::string& path) {
  // FNV-1a of the file's own name: short whatever the name's length, and
  // the same for every save of that file.
  std::uint32_t hash = 2166136261u;
  for (const char c : BaseName(path)) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  // The hash as eight lowercase hex digits, zero-filled.
  std::string prefix = ".palorin-00000000-";
  for (std::size_t at = 16; hash != 0; hash >>= 4, --at) {
    prefix[at] = "0123456789abcdef"[hash & 0xf];
  }
  return prefix;
}

void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        const std::string& cannotCreateMessage,
                        const std::string& writeFailedMessage, const std::timespec* modified) {
  if (path.empty() || path.back() == '/') throw Error(cannotCreateMessage);
  const std::string target = FollowLinks(path);
  if (target.empty()) throw Error(cannotCreateMessage);

  // The links were followed, so the name itself is looked at: should it be
  // a link again by now, it is no regular file and is refused.
  struct stat existing {};
  const bool exists = ::lstat(target.c_str(), &existing) == 0;
  if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
    throw Error(cannotCreateMessage);
  }

  const std::string folder = FolderOf(target);
  const std::string prefix = TemporaryPrefix(target);
  RemoveStaleTemporaries(folder, prefix);

  // Mended: a save used to replace every existing file by a new one, which
  // broke hard links, handed a group member's save of someone else's file to
  // the saver (the owner/group copy was all-or-nothing and its result
  // ignored), and failed in a sticky folder such as /tmp, where the rename
  // over another user's file is refused. Now a file is replaced only when it
  // has a single name and the new file can carry its owner, group, mode and
  // extended attributes; every other existing file is written in place.
  if (exists && existing.st_nlink != 1) {
    WriteInPlace(target, existing, bytes, cannotCreateMessage, writeFailedMessage, modified);
    return;
  }

  Temporary temporary;
  // A new file gets the usual mode from the umask; a replaced file's mode is
  // set below, so until then the temporary file is the owner's alone.
  const int fd = temporary.Create(folder, prefix, exists ? 0600 : 0666);
  if (fd < 0) {
    // Only a folder closed to the user is worth writing in place for: a full
    // disk would leave the old file cut short instead of kept.
    if (!exists || (errno != EACCES && errno != EPERM)) throw Error(cannotCreateMessage);
    WriteInPlace(target, existing, bytes, cannotCreateMessage, writeFailedMessage, modified);
    return;
  }

  if (exists && (!CarryOwnerGroupMode(fd, existing) || !CarryAttributes(target, fd))) {
    ::close(fd);
    temporary.Remove();
    WriteInPlace(target, existing, bytes, cannotCreateMessage, writeFailedMessage, modified);
    return;
  }

  if (!WriteSyncClose(fd, bytes, modified)) throw Error(writeFailedMessage);
  if (!temporary.RenameTo(target)) {
    const int renameError = errno;
    temporary.Remove();
    // The folder may still refuse the rename (an append-only folder, a
    // security module) although the file is writable: the file itself then
    // takes the save.
    if (exists && (renameError == EACCES || renameError == EPERM)) {
      WriteInPlace(target, existing, bytes, cannotCreateMessage, writeFailedMessage, modified);
      return;
    }
    throw Error(cannotCreateMessage);
  }
  SyncFolder(folder);
}

}  // namespace palorin
