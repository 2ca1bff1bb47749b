#include "fileio/text_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/ascii.h"
#include "base/error.h"
#include "base/file_write.h"

namespace palorin::fileio {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Reads a whole regular file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out) {
  // A folder, a pipe, a socket or a device is no block text file: opening a
  // pipe with no writer would wait for one forever, a device such as
  // /dev/zero would never end, and opening some devices already does
  // something. So anything else is refused before it is opened.
  // A file over kMaxFileBytes is refused by its size alone, before a byte of
  // it is read.
  struct stat info {};
  const auto fits = [&info] {
    return S_ISREG(info.st_mode) && info.st_size <= TextBuffer::kMaxFileBytes;
  };
  if (::stat(path.c_str(), &info) != 0 || !fits()) return false;
  // Non-blocking and without taking a terminal, in case the name was replaced
  // by something else since the look.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  if (::fstat(fd, &info) != 0 || !fits()) {
    ::close(fd);
    return false;
  }
  std::string bytes;
  if (info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
    // A file still growing while it is read stops at the same size.
    if (bytes.size() > static_cast<std::size_t>(TextBuffer::kMaxFileBytes)) {
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  out = std::move(bytes);
  return true;
}

}  // namespace

void TextBuffer::SetText(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    const std::size_t lf = bytes.find('\n', begin);
    if (lf == std::string_view::npos) {
      lines.emplace_back(bytes.substr(begin));
      break;
    }
    std::size_t end = lf;
    if (end > begin && bytes[end - 1] == '\r') --end;
    lines.emplace_back(bytes.substr(begin, end - begin));
    begin = lf + 1;
  }
  Lines = std::move(lines);
}

void TextBuffer::LoadFromFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) throw Error(FormatMessage(messages::kCannotOpen, path));
  SetText(bytes);
}

std::string TextBuffer::Bytes() const {
  std::size_t size = 0;
  for (const std::string& line : Lines) size += line.size() + kLineEnd.size();
  std::string out;
  out.reserve(size);
  for (const std::string& line : Lines) {
    out += line;
    out += kLineEnd;
  }
  return out;
}

void TextBuffer::SaveToFile(const std::string& path) const {
  WriteFileReplacing(path, Bytes(), FormatMessage(messages::kCannotCreate, path),
                     std::string(messages::kStreamWriteFailed));
}

std::int64_t TextBuffer::IndexOfLine(std::string_view line) const {
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (EqualsIgnoringAsciiCase(Lines[i], line)) return static_cast<std::int64_t>(i);
  }
  return -1;
}

std::int64_t TextBuffer::Search(std::string_view key, std::int64_t start) const {
  if (key.empty() || start < 0) return -1;
  const std::string window = Read(start, kSearchSpan);
  const std::size_t at = window.find(key);
  if (at == std::string::npos) return -1;
  return start + static_cast<std::int64_t>(at);
}

std::string TextBuffer::Read(std::int64_t pos, std::int64_t n) const {
  std::string out;
  if (n <= 0) return out;
  if (pos < 0) {
    // Only the characters from position 0 on exist.
    if (n <= -pos) return out;
    n += pos;
    pos = 0;
  }
  // Walk to the line holding `pos`; every line is at least its two line-end
  // characters long, so this is linear in `pos` at worst.
  std::int64_t lineStart = 0;
  for (const std::string& line : Lines) {
    const auto textLength = static_cast<std::int64_t>(line.size());
    const std::int64_t lineEnd = lineStart + textLength + 2;
    if (pos < lineEnd) {
      for (std::int64_t p = pos; p < lineEnd && n > 0; ++p, --n, ++pos) {
        const std::int64_t offset = p - lineStart;
        out += offset < textLength ? line[static_cast<std::size_t>(offset)]
                                   : kLineEnd[static_cast<std::size_t>(offset - textLength)];
      }
      if (n == 0) break;
    }
    lineStart = lineEnd;
  }
  return out;
}

}  // namespace palorin::fileio
