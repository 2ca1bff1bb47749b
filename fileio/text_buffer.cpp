#include "fileio/text_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

std::string_view TextLines::const_iterator::view() const {
  return std::string_view(lines_->text_).substr(offset_, lines_->Length(line_));
}

TextLines::const_iterator& TextLines::const_iterator::operator++() {
  offset_ += lines_->Length(line_);
  ++line_;
  return *this;
}

TextLines& TextLines::operator=(const std::vector<std::string>& lines) {
  TextLines made;
  for (const std::string& line : lines) made.push_back(line);
  *this = std::move(made);
  return *this;
}

TextLines::operator std::vector<std::string>() const {
  std::vector<std::string> lines;
  lines.reserve(size());
  for (auto line = begin(); line != end(); ++line) lines.emplace_back(line.view());
  return lines;
}

std::size_t TextLines::Length(std::size_t i) const {
  if (lengths_[i] != kLongLine) return lengths_[i];
  const auto at =
      std::lower_bound(long_.begin(), long_.end(), std::pair<std::size_t, std::size_t>(i, 0));
  return at->second;
}

std::size_t TextLines::Start(std::size_t i) const {
  const std::size_t first = i - i % kBlockLines;
  std::size_t offset = blockStarts_[first / kBlockLines];
  for (std::size_t j = first; j < i; ++j) offset += Length(j);
  return offset;
}

std::string_view TextLines::operator[](std::size_t i) const {
  if (i >= size()) return {};
  return std::string_view(text_).substr(Start(i), Length(i));
}

void TextLines::clear() {
  text_.clear();
  lengths_.clear();
  long_.clear();
  blockStarts_.clear();
}

void TextLines::push_back(std::string_view line) {
  const std::size_t i = size();
  if (i % kBlockLines == 0) blockStarts_.push_back(text_.size());
  if (line.size() >= kLongLine) {
    long_.emplace_back(i, line.size());
    lengths_.push_back(kLongLine);
  } else {
    lengths_.push_back(static_cast<std::uint8_t>(line.size()));
  }
  text_.append(line);
}

void TextLines::AssignSplit(std::string bytes) {
  TextLines made;
  // Exactly as many line lengths as there will be lines, so that a large
  // file is stored without the slack of growing.
  const auto ends = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  const bool openLast = !bytes.empty() && bytes.back() != '\n';
  made.lengths_.reserve(ends + (openLast ? 1 : 0));
  made.blockStarts_.reserve((ends + 1) / kBlockLines + 1);
  // The characters move down over the line ends they lose, in place.
  std::size_t kept = 0;
  std::size_t begin = 0;
  const auto keep = [&](std::size_t from, std::size_t length) {
    const std::size_t i = made.size();
    if (i % kBlockLines == 0) made.blockStarts_.push_back(kept);
    if (length >= kLongLine) {
      made.long_.emplace_back(i, length);
      made.lengths_.push_back(kLongLine);
    } else {
      made.lengths_.push_back(static_cast<std::uint8_t>(length));
    }
    if (kept != from && length > 0) std::memmove(bytes.data() + kept, bytes.data() + from, length);
    kept += length;
  };
  while (begin < bytes.size()) {
    const std::size_t lf = bytes.find('\n', begin);
    if (lf == std::string::npos) {
      keep(begin, bytes.size() - begin);
      break;
    }
    std::size_t end = lf;
    if (end > begin && bytes[end - 1] == '\r') --end;
    keep(begin, end - begin);
    begin = lf + 1;
  }
  bytes.resize(kept);
  // Empty lines leave the characters' storage mostly unused.
  if (bytes.capacity() > 2 * kept) bytes.shrink_to_fit();
  made.text_ = std::move(bytes);
  *this = std::move(made);
}

std::pair<TextLines::const_iterator, std::int64_t> TextLines::LineAtPosition(
    std::int64_t pos) const {
  // Line i starts at Start(i) + 2 i in the count with line ends: the last
  // block starting at or before `pos` holds it, if any line does.
  if (empty()) return {end(), 0};
  const auto blockPosition = [this](std::size_t b) {
    return static_cast<std::int64_t>(blockStarts_[b] + 2 * b * kBlockLines);
  };
  std::size_t low = 0, high = blockStarts_.size();
  while (high - low > 1) {
    const std::size_t mid = low + (high - low) / 2;
    if (blockPosition(mid) <= pos) {
      low = mid;
    } else {
      high = mid;
    }
  }
  const_iterator line(this, low * kBlockLines, blockStarts_[low]);
  std::int64_t lineStart = blockPosition(low);
  for (; line != end(); ++line) {
    const auto lineEnd = lineStart + static_cast<std::int64_t>(Length(line.index())) + 2;
    if (pos < lineEnd) break;
    lineStart = lineEnd;
  }
  return {line, lineStart};
}

bool operator==(const TextLines& a, const TextLines& b) {
  return a.lengths_ == b.lengths_ && a.long_ == b.long_ && a.text_ == b.text_;
}

bool operator==(const TextLines& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  auto line = a.begin();
  for (const std::string& other : b) {
    if (line.view() != other) return false;
    ++line;
  }
  return true;
}

void TextBuffer::SetText(std::string_view bytes) { Lines.AssignSplit(std::string(bytes)); }

void TextBuffer::LoadFromFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) throw Error(FormatMessage(messages::kCannotOpen, path));
  Lines.AssignSplit(std::move(bytes));
}

std::string TextBuffer::Bytes() const {
  std::string out;
  out.reserve(Lines.TextSize() + kLineEnd.size() * Lines.size());
  for (auto line = Lines.begin(); line != Lines.end(); ++line) {
    out += line.view();
    out += kLineEnd;
  }
  return out;
}

void TextBuffer::SaveToFile(const std::string& path) const {
  WriteFileReplacing(path, Bytes(), FormatMessage(messages::kCannotCreate, path),
                     std::string(messages::kStreamWriteFailed));
}

std::int64_t TextBuffer::IndexOfLine(std::string_view line) const {
  for (auto at = Lines.begin(); at != Lines.end(); ++at) {
    if (EqualsIgnoringAsciiCase(at.view(), line)) return static_cast<std::int64_t>(at.index());
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
  auto [line, lineStart] = Lines.LineAtPosition(pos);
  for (; line != Lines.end() && n > 0; ++line) {
    const std::string_view text = line.view();
    const auto textLength = static_cast<std::int64_t>(text.size());
    const std::int64_t lineEnd = lineStart + textLength + 2;
    for (; pos < lineEnd && n > 0; ++pos, --n) {
      const std::int64_t offset = pos - lineStart;
      out += offset < textLength ? text[static_cast<std::size_t>(offset)]
                                 : kLineEnd[static_cast<std::size_t>(offset - textLength)];
    }
    lineStart = lineEnd;
  }
  return out;
}

}  // namespace palorin::fileio
