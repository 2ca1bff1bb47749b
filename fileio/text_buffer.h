#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace palorin::fileio {

// The file window's hidden plain-text line buffer. A block text file passes
// through it whole in both directions: a load splits the file into lines, a
// save writes every line followed by CR LF.
//
// Character positions (Search, Read) address the buffer's text as if every
// line were followed by CR LF, so each line end counts as two characters.
class TextBuffer {
 public:
  std::vector<std::string> Lines;

  // The largest file a load reads: block files are at most a few tens of KB,
  // so anything bigger is no picture and is refused before it is read.
  static constexpr std::int64_t kMaxFileBytes = std::int64_t{64} << 20;

  // How many characters Search examines from its start position.
  static constexpr std::int64_t kSearchSpan = 150;

  void Clear() { Lines.clear(); }
  void Add(std::string line) { Lines.push_back(std::move(line)); }

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
