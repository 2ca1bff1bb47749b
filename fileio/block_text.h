#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/placement_log.h"
#include "fileio/parts.h"
#include "fileio/text_buffer.h"

namespace palorin::fileio {

inline constexpr std::string_view kNativeTag = "PLN_001";
inline constexpr std::string_view kCompatibleTag = "BRW_001";
inline constexpr std::string_view kDataSectionLine = "[DSection]";
inline constexpr std::string_view kEndLine = "****";

// The header keys that the reader searches for: the ends of "[Var]:",
// "[Count]:" and "[No]:".
inline constexpr std::string_view kTagKey = "r]:";
inline constexpr std::string_view kCountKey = "t]:";
inline constexpr std::string_view kPartKey = "o]:";

// The reader's refusals of files whose count or data lie outside the log.
inline constexpr std::string_view kCountOutOfRange = "ﾌｧｲﾙ %s のﾃﾞｰﾀ数が範囲外です";
inline constexpr std::string_view kTooManyEntries = "ﾌｧｲﾙ %s のﾃﾞｰﾀが多すぎます";

// ---- Writing --------------------------------------------------------------

// "[Count]:" and the value right-aligned in five columns (wider values whole).
std::string CountLine(std::int32_t lastIndex);

// The five characters of one slot: x and y in two digits each, colour in one.
// A value too wide for its field is written with all its digits.
std::string EntryText(std::uint8_t x, std::uint8_t y, std::uint8_t colour);

// Appends the entries of slots first..last, 15 to a line, then "****".
// Slots outside the log hold nothing and are not written, so the walk never
// leaves the log whatever the bounds.
void AppendDataLines(TextBuffer& buffer, const core::PlacementLog& log, std::int64_t first,
                     std::int64_t last);

// Appends the whole native file: header from LastIndex, slots 0..LastIndex.
void AppendNativeFile(TextBuffer& buffer, const core::PlacementLog& log);

// Appends the compatible part file named by `partText` (the part-number box's
// text, written unchanged). Throws the conversion error for a text that is not
// an integer, after the "[No]:" line has been appended.
void AppendCompatibleFile(TextBuffer& buffer, const core::PlacementLog& log,
                          std::string_view partText, const PartFlags& writeFlag);

// ---- Reading --------------------------------------------------------------

// The header count as the log takes it. A count above the last slot would
// leave the log's position outside the log: refused with kCountOutOfRange and
// `fileName`. Every count below -1 means that no entry is shown, as -1 does,
// and is taken as -1 (such counts are written after an UnDo past the start).
// Throws the conversion error for a text that is not an integer.
std::int32_t LoadedCount(std::string_view countText, std::string_view fileName);

// Reads the data section into the log from slot `loadPos` on, advancing it.
// The section starts after the first "[DSection]" line (any letter case), or
// at the first line when there is none, and ends at a line that is exactly
// "****" or at the end of the buffer; empty lines are skipped. Each whole group
// of five characters is one entry; a field that is not an integer throws the
// conversion error, and an entry that would go past the last slot throws
// kTooManyEntries with `fileName`. Entries stored before either stay stored.
void LoadDataSection(const TextBuffer& buffer, core::PlacementLog& log, std::int32_t& loadPos,
                     std::string_view fileName);

}  // namespace palorin::fileio
