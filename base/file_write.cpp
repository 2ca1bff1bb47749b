#include "base/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "base/error.h"

namespace palorin {

namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
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

}  // namespace

void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        const std::string& cannotCreateMessage,
                        const std::string& writeFailedMessage) {
  if (path.empty() || path.back() == '/') throw Error(cannotCreateMessage);

  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && (!S_ISREG(existing.st_mode) || ::access(path.c_str(), W_OK) != 0)) {
    throw Error(cannotCreateMessage);
  }

  std::string tmpl = FolderOf(path) + "/.palorin-XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) throw Error(cannotCreateMessage);
  const std::string tmpName(name.data());

  // mkstemp creates the file 0600; give it the mode a plain create would.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~mask);
  ::fchmod(fd, mode);

  const bool written = WriteAll(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(tmpName.c_str());
    throw Error(writeFailedMessage);
  }
  if (::rename(tmpName.c_str(), path.c_str()) != 0) {
    ::unlink(tmpName.c_str());
    throw Error(cannotCreateMessage);
  }
}

}  // namespace palorin
