#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace palorin::fileio {

// The lines of a text, stored compactly: their characters back to back in
// one string, one byte a line for its length (lines of 255 characters or
// more are listed apart), and every 64th line's offset. A file of empty
// lines so takes little more than a byte a line, where a string a line
// would take 32. Reads like a vector of strings: indexing gives a view into
// the store, valid until the lines change; iterating gives copies.
class TextLines {
 public:
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = std::string;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string;

    const_iterator() = default;
    std::string operator*() const { return std::string(view()); }
    // The line as a view into the store, without a copy.
    std::string_view view() const;
    std::size_t index() const { return line_; }
    const_iterator& operator++();
    const_iterator operator++(int) {
      const const_iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const const_iterator& other) const { return line_ == other.line_; }

   private:
    friend class TextLines;
    const_iterator(const TextLines* lines, std::size_t line, std::size_t offset)
        : lines_(lines), line_(line), offset_(offset) {}
    const TextLines* lines_ = nullptr;
    std::size_t line_ = 0;
    std::size_t offset_ = 0;  // where the line's characters start
  };
  using iterator = const_iterator;
  using value_type = std::string;
  using size_type = std::size_t;

  TextLines() = default;
  TextLines& operator=(const std::vector<std::string>& lines);
  operator std::vector<std::string>() const;  // NOLINT: reads as the vector it stands for

  std::size_t size() const { return lengths_.size(); }
  bool empty() const { return lengths_.empty(); }
  // Line `i`; an empty view for a line that does not exist. It costs up to
  // 64 lines' lengths: a walk over many lines goes with an iterator.
  std::string_view operator[](std::size_t i) const;
  std::string_view front() const { return (*this)[0]; }
  std::string_view back() const { return empty() ? std::string_view() : (*this)[size() - 1]; }
  const_iterator begin() const { return {this, 0, 0}; }
  const_iterator end() const { return {this, size(), text_.size()}; }

  void clear();
  void push_back(std::string_view line);

  // The characters of every line, back to back, without line ends.
  std::size_t TextSize() const { return text_.size(); }

  // Replaces the lines with `bytes` split at line ends (CR LF or LF alone),
  // reusing the bytes' own storage for the lines' characters.
  void AssignSplit(std::string bytes);

  // Character position `pos` (0 or more) of the text with every line
  // followed by two line-end characters: the line holding it and where that
  // line starts in that count; end() when `pos` lies past the text.
  std::pair<const_iterator, std::int64_t> LineAtPosition(std::int64_t pos) const;

  friend bool operator==(const TextLines& a, const TextLines& b);
  friend bool operator==(const TextLines& a, const std::vector<std::string>& b);

 private:
  static constexpr std::size_t kBlockLines = 64;
  static constexpr std::uint8_t kLongLine = 255;

  std::size_t Length(std::size_t i) const;
  std::size_t Start(std::size_t i) const;

  std::string text_;
  std::vector<std::uint8_t> lengths_;                      // kLongLine: see long_
  std::vector<std::pair<std::size_t, std::size_t>> long_;  // (line, length), by line
  std::vector<std::size_t> blockStarts_;  // offset in text_ of line k * kBlockLines
};

// The file window's hidden plain-text line buffer. A block text file passes
// through it whole in both directions: a load splits the file into lines, a
// save writes every line followed by CR LF.
//
// Character positions (Search, Read) address the buffer's text as if every
// line were followed by CR LF, so each line end counts as two characters.
class TextBuffer {
 public:
  TextLines Lines;

  // The largest file a load reads: block files are at most a few tens of KB,
  // so anything bigger is no picture and is refused before it is read.
  static constexpr std::int64_t kMaxFileBytes = std::int64_t{64} << 20;

  // How many characters Search examines from its start position.
  static constexpr std::int64_t kSearchSpan = 150;

  void Clear() { Lines.clear(); }
  void Add(std::string_view line) { Lines.push_back(line); }

  // Replaces the content with `bytes` split into lines. CR LF or LF alone end
  // a line (a lone CR is an ordinary character); a last line without a line
  // end is kept; no bytes give no lines.
  void SetText(std::string_view bytes);

  // Replaces the content with the whole file. Only a regular file of at most
  // kMaxFileBytes is read. Throws palorin::Error "ﾌｧｲﾙ <path> は開けません" when the file cannot be
  // opened or read; the content is then left as it was.
  void LoadFromFile(const std::string& path);

  // The bytes a save writes: every line followed by CR LF, the last included.
  std::string Bytes() const;

  // Writes Bytes() as the whole file `path`, replacing it only once the new
  // content is completely written (an existing file survives every failure).
  // Throws palorin::Error "ﾌｧｲﾙ <path> を作成できません" or
  // "ｽﾄﾘｰﾑへの書き込みに失敗しました".
  void SaveToFile(const std::string& path) const;

  // Index of the first line equal to `line` as a whole, ASCII letters
  // compared without case; -1 when there is none.
  std::int64_t IndexOfLine(std::string_view line) const;

  // Position of the first occurrence of `key` (case matters) lying wholly
  // within the kSearchSpan characters from `start`; -1 when there is none.
  std::int64_t Search(std::string_view key, std::int64_t start) const;

  // Characters pos .. pos + n - 1 of the text; only those that exist, so
  // fewer (or none) where the text ends sooner or `pos` is negative.
  std::string Read(std::int64_t pos, std::int64_t n) const;
};

}  // namespace palorin::fileio
