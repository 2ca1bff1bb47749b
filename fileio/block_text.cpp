#include "fileio/block_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "base/error.h"
#include "base/int_parse.h"

namespace palorin::fileio {

namespace {

constexpr std::size_t kEntryLength = 5;
constexpr int kEntriesPerLine = 15;

// The header lines both variants share up to the count.
void AppendHeaderStart(TextBuffer& buffer, std::string_view tag) {
  buffer.Add(std::string(70, '='));
  buffer.Add("[Var]:" + std::string(tag));
  buffer.Add("[Writing OS]:Win32");
}

// Decimal digits of a byte value, at least `width` of them (zero-filled).
void AppendDecimal(std::string& out, unsigned value, unsigned width) {
  char digits[3];
  unsigned n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (; n < width; ++n) digits[n] = '0';
  while (n > 0) out += digits[--n];
}

void AppendEntry(std::string& out, std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
  AppendDecimal(out, x, 2);
  AppendDecimal(out, y, 2);
  AppendDecimal(out, colour, 1);
}

std::uint8_t LowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xff); }

}  // namespace

std::string CountLine(std::int32_t lastIndex) {
  // Right-aligned in five columns, a wider number whole.
  char digits[16];
  const char* end = std::to_chars(digits, digits + sizeof digits, lastIndex).ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  return "[Count]:" + std::string(length < 5 ? 5 - length : 0, ' ') + std::string(digits, length);
}

std::string EntryText(std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
  std::string out;
  AppendEntry(out, x, y, colour);
  return out;
}

void AppendDataLines(TextBuffer& buffer, const core::PlacementLog& log, std::int64_t first,
                     std::int64_t last) {
  first = std::max<std::int64_t>(first, 0);
  last = std::min<std::int64_t>(last, core::kLastSlot);
  std::string line;
  int count = 0;
  for (std::int64_t slot = first; slot <= last; ++slot) {
    AppendEntry(line, log.XAt(slot), log.YAt(slot), log.ColorAt(slot));
    if (++count == kEntriesPerLine) {
      buffer.Add(std::move(line));
      line.clear();
      count = 0;
    }
  }
  if (!line.empty()) buffer.Add(std::move(line));
  buffer.Add(std::string(kEndLine));
}

// The count a file carries. Mended: a step typed far past the end can leave
// LastIndex above the last slot; the file then names the last slot, the last
// one it holds, so that everything written can be loaded back.
static std::int32_t WrittenCount(const core::PlacementLog& log) {
  return std::min<std::int32_t>(log.LastIndex, core::kLastSlot);
}

void AppendNativeFile(TextBuffer& buffer, const core::PlacementLog& log) {
  AppendHeaderStart(buffer, kNativeTag);
  buffer.Add(CountLine(WrittenCount(log)));
  buffer.Add(std::string(kDataSectionLine));
  AppendDataLines(buffer, log, 0, log.LastIndex);
}

void AppendCompatibleFile(TextBuffer& buffer, const core::PlacementLog& log,
                          std::string_view partText, const PartFlags& writeFlag) {
  AppendHeaderStart(buffer, kCompatibleTag);
  buffer.Add("[Browser]:None");
  buffer.Add(CountLine(WrittenCount(log)));
  buffer.Add("[No]:" + std::string(partText));
  const std::int32_t k = StrToInt(partText);
  const std::int32_t flag = FlagOf(writeFlag, k);
  buffer.Add("[fflug]:" + std::to_string(flag));
  buffer.Add(std::string(kDataSectionLine));
  AppendDataLines(buffer, log, PartFirstSlot(k), PartLastSlot(k, flag, log.LastIndex));
}

std::int32_t LoadedCount(std::string_view countText, std::string_view fileName) {
  const std::int32_t count = StrToInt(countText);
  // Mended: a count past the last slot would leave LogPos outside the log.
  if (count > core::kLastSlot) throw Error(FormatMessage(kCountOutOfRange, fileName));
  return std::max(count, -1);
}

void LoadDataSection(const TextBuffer& buffer, core::PlacementLog& log, std::int32_t& loadPos,
                     std::string_view fileName) {
  const std::int64_t header = buffer.IndexOfLine(kDataSectionLine);
  auto at = buffer.Lines.begin();
  if (header >= 0) {
    for (std::int64_t i = 0; i <= header; ++i) ++at;
  }
  for (; at != buffer.Lines.end(); ++at) {
    const std::string_view line = at.view();
    if (line == kEndLine) break;
    const std::size_t groups = line.size() / kEntryLength;
    for (std::size_t g = 0; g < groups; ++g) {
      // Mended: an entry past the last slot is refused rather than written
      // outside the log.
      if (loadPos < 0 || loadPos >= core::kLogSlots) {
        throw Error(FormatMessage(kTooManyEntries, fileName));
      }
      const std::string_view entry = line.substr(g * kEntryLength, kEntryLength);
      std::int32_t x, y, colour;
      if (std::all_of(entry.begin(), entry.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Five digits, as every writer puts them: read directly, the same
        // values the integer parse gives, without its general path.
        x = (entry[0] - '0') * 10 + (entry[1] - '0');
        y = (entry[2] - '0') * 10 + (entry[3] - '0');
        colour = entry[4] - '0';
      } else {
        x = StrToInt(entry.substr(0, 2));
        y = StrToInt(entry.substr(2, 2));
        colour = StrToInt(entry.substr(4, 1));
      }
      // Stored as read, each value in its byte: a file may hold cells and
      // colours that no press makes, and they load as they always have.
      log.Store(loadPos, LowByte(x), LowByte(y), LowByte(colour));
      ++loadPos;
    }
  }
}

}  // namespace palorin::fileio
