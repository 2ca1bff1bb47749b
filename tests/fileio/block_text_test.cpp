#include "fileio/block_text.h"
#include "fileio/share_link.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/error.h"
#include "tests/support/error_of.h"

namespace palorin::fileio {
namespace {

using Lines = std::vector<std::string>;
const std::string kSeparator(70, '=');

using test::ErrorOf;

// A log holding `n` entries in slots 0..n-1, each with its own cell, and
// LastIndex n - 1 as after n presses.
core::PlacementLog LogOf(int n) {
  core::PlacementLog log;
  for (int i = 0; i < n; ++i) {
    log.Store(i, static_cast<std::uint8_t>(i % 82), static_cast<std::uint8_t>((i / 82) % 99),
              static_cast<std::uint8_t>(1 + i % 5));
  }
  log.LastIndex = n - 1;
  log.LogPos = n;
  return log;
}

TEST(CountLine, RightAlignedInFiveColumnsWiderNumbersWhole) {
  const std::pair<std::int32_t, std::string> cases[] = {
      {-1, "[Count]:   -1"},
      {0, "[Count]:    0"},
      {15, "[Count]:   15"},
      {10003, "[Count]:10003"},
      {-1234, "[Count]:-1234"},
      {-12345, "[Count]:-12345"},
      {123456, "[Count]:123456"},
      {2147483647, "[Count]:2147483647"},
      {-2147483647 - 1, "[Count]:-2147483648"},
  };
  for (const auto& [value, line] : cases) EXPECT_EQ(CountLine(value), line) << value;
}

TEST(EntryText, TwoDigitCellsOneDigitColour) {
  EXPECT_EQ(EntryText(7, 5, 1), "07051");
  EXPECT_EQ(EntryText(10, 0, 3), "10003");
  EXPECT_EQ(EntryText(3, 17, 2), "03172");
  EXPECT_EQ(EntryText(0, 0, 0), "00000");
  EXPECT_EQ(EntryText(81, 98, 5), "81985");
  EXPECT_EQ(EntryText(251, 100, 12), "25110012");  // loaded values written whole
}

TEST(NativeWriter, EmptyPictureIsSixLines) {
  core::PlacementLog log;
  log.LastIndex = -1;
  TextBuffer b;
  AppendNativeFile(b, log);
  EXPECT_EQ(b.Lines, (Lines{kSeparator, "[Var]:PLN_001", "[Writing OS]:Win32", "[Count]:   -1",
                            "[DSection]", "****"}));
  EXPECT_EQ(b.Bytes().size(), 70 + 13 + 18 + 13 + 10 + 4 + 6 * 2u);
}

TEST(NativeWriter, FifteenEntriesToALine) {
  for (const int n : {1, 14, 15, 16, 30, 31}) {
    TextBuffer b;
    AppendNativeFile(b, LogOf(n));
    ASSERT_EQ(b.Lines[3], CountLine(n - 1));
    const Lines all = b.Lines;
    const Lines data(all.begin() + 5, all.end() - 1);
    ASSERT_EQ(data.size(), static_cast<std::size_t>((n + 14) / 15)) << n;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) EXPECT_EQ(data[i].size(), 75u) << n;
    EXPECT_EQ(data.back().size(), static_cast<std::size_t>(n % 15 == 0 ? 75 : n % 15 * 5)) << n;
    EXPECT_EQ(b.Lines.back(), "****");
  }
  TextBuffer b;
  AppendNativeFile(b, LogOf(16));
  EXPECT_EQ(b.Lines[6], "15001");  // slot 15: cell (15, 0), colour 1
}

TEST(DataLines, SlotsOutsideTheLogAreNotWritten) {
  core::PlacementLog log = LogOf(3);
  TextBuffer b;
  AppendDataLines(b, log, -5, 1);
  EXPECT_EQ(b.Lines, (Lines{"0000101002", "****"}));
  b.Clear();
  AppendDataLines(b, log, 10000, 2147483647);  // a ReDo past the end of the log
  ASSERT_EQ(b.Lines.size(), 2u);
  EXPECT_EQ(b.Lines[0], std::string(20, '0'));
  b.Clear();
  AppendDataLines(b, log, 5, 4);
  EXPECT_EQ(b.Lines, Lines{"****"});
}

TEST(Writers, CountPastTheLogIsWrittenAsTheLastSlot) {
  // After a ReDo typed far past the end; the file must still load back.
  core::PlacementLog log = LogOf(3);
  log.LastIndex = 50000;
  TextBuffer native;
  AppendNativeFile(native, log);
  EXPECT_EQ(native.Lines[3], "[Count]:10003");
  EXPECT_EQ(native.Lines.size(), 5 + (10004 + 14) / 15 + 1u);
  EXPECT_EQ(LoadedCount(native.Lines[3].substr(8, 5), "f"), 10003);
  TextBuffer part;
  AppendCompatibleFile(part, log, "5", FlagsForParts(ClassifyParts(log.LastIndex)));
  EXPECT_EQ(part.Lines[4], "[Count]:10003");
}

TEST(CompatibleWriter, PartHeaderAndSlotRange) {
  core::PlacementLog log = LogOf(2501);  // LastIndex 2500: two parts
  const PartFlags flags = FlagsForParts(ClassifyParts(log.LastIndex));
  TextBuffer b;
  AppendCompatibleFile(b, log, "2", flags);
  ASSERT_GE(b.Lines.size(), 9u);
  const Lines all = b.Lines;
  EXPECT_EQ(Lines(all.begin(), all.begin() + 8),
            (Lines{kSeparator, "[Var]:BRW_001", "[Writing OS]:Win32", "[Browser]:None",
                   "[Count]: 2500", "[No]:2", "[fflug]:1", "[DSection]"}));
  // Slots 2000..2500: 501 entries, 34 lines (the last with 6).
  EXPECT_EQ(b.Lines.size(), 8u + 34 + 1);
  EXPECT_EQ(b.Lines[8].substr(0, 5), EntryText(log.LogX[2000], log.LogY[2000], log.LogColor[2000]));
  EXPECT_EQ(b.Lines[8 + 33].size(), 30u);

  b.Clear();
  AppendCompatibleFile(b, log, "1", flags);
  EXPECT_EQ(b.Lines[6], "[fflug]:2");
  EXPECT_EQ(b.Lines.size(), 8u + 2000 / 15 + 1 + 1);  // slots 0..1999
}

TEST(CompatibleWriter, PartNumbersOutsideTheSeriesGetFlagZero) {
  core::PlacementLog log = LogOf(3);
  const PartFlags flags = FlagsForParts(1);
  for (const std::string text : {"0", "6", "-1", "$7FFFFFFF", " 3"}) {
    TextBuffer b;
    AppendCompatibleFile(b, log, text, flags);
    EXPECT_EQ(b.Lines[5], "[No]:" + text);
    EXPECT_EQ(b.Lines[6], "[fflug]:0") << text;
  }
  // Part 3 of a one-part picture starts at slot 4000, past its last slot.
  TextBuffer b;
  AppendCompatibleFile(b, log, "3", flags);
  EXPECT_EQ(b.Lines.back(), "****");
  EXPECT_EQ(b.Lines[b.Lines.size() - 2], "[DSection]");
  // Part 7 is no part at all: written from slot 0 to LastIndex.
  b.Clear();
  AppendCompatibleFile(b, log, "7", flags);
  EXPECT_EQ(b.Lines[8], "000010100202003");
}

TEST(CompatibleWriter, APartTextThatIsNoIntegerStopsAfterTheNoLine) {
  core::PlacementLog log = LogOf(3);
  TextBuffer b;
  EXPECT_EQ(ErrorOf([&] { AppendCompatibleFile(b, log, "2a", FlagsForParts(1)); }),
            "'2a' は整数ではありません");
  ASSERT_EQ(b.Lines.size(), 6u);
  EXPECT_EQ(b.Lines.back(), "[No]:2a");
}

TEST(PartSlots, RangesPerPart) {
  EXPECT_EQ(PartFirstSlot(1), 0);
  EXPECT_EQ(PartFirstSlot(2), 2000);
  EXPECT_EQ(PartFirstSlot(5), 8000);
  EXPECT_EQ(PartFirstSlot(0), 0);
  EXPECT_EQ(PartFirstSlot(6), 0);
  EXPECT_EQ(PartFirstSlot(-2147483647 - 1), 0);
  EXPECT_EQ(PartLastSlot(1, 2, 9000), 1999);
  EXPECT_EQ(PartLastSlot(4, 2, 9000), 7999);
  EXPECT_EQ(PartLastSlot(5, 1, 9000), 9000);
  EXPECT_EQ(PartLastSlot(3, 0, 9000), 9000);
  EXPECT_EQ(PartLastSlot(2147483647, 2, 9000), 9000);  // no overflow for a stray flag
}

TEST(Classification, Boundaries) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {-2147483647 - 1, 1},
      {-1, 1},
      {0, 1},
      {1999, 1},
      {2000, 2},
      {3999, 2},
      {4000, 3},
      {5999, 3},
      {6000, 4},
      {7999, 4},
      {8000, 5},
      {10003, 5},
      {2147483647, 5},
  };
  for (const auto& [v, n] : cases) EXPECT_EQ(ClassifyParts(v), n) << v;
}

TEST(Classification, FlagsPerSeries) {
  EXPECT_EQ(FlagsForParts(1), (PartFlags{1, 0, 0, 0, 0}));
  EXPECT_EQ(FlagsForParts(2), (PartFlags{2, 1, 0, 0, 0}));
  EXPECT_EQ(FlagsForParts(5), (PartFlags{2, 2, 2, 2, 1}));
  EXPECT_EQ(FlagsForParts(0), PartFlags{});
  EXPECT_EQ(FlagOf(FlagsForParts(2), 2), 1);
  EXPECT_EQ(FlagOf(FlagsForParts(2), 0), 0);
  EXPECT_EQ(FlagOf(FlagsForParts(5), 6), 0);
}

TEST(Classification, ASeriesNeedsEveryPartUpToN) {
  EXPECT_TRUE(SeriesComplete({1, 0, 0, 0, 0}, 1));
  EXPECT_TRUE(SeriesComplete({1, 1, 1, 0, 0}, 2));   // a stray part 3 does no harm
  EXPECT_FALSE(SeriesComplete({1, 0, 1, 0, 0}, 2));  // two marks, part 2 missing
  EXPECT_FALSE(SeriesComplete({0, 1, 0, 0, 0}, 1));
  EXPECT_TRUE(SeriesComplete({1, 1, 1, 1, 1}, 5));
  EXPECT_FALSE(SeriesComplete({1, 1, 1, 1, 1}, 0));
  EXPECT_FALSE(SeriesComplete({1, 1, 1, 1, 1}, 6));
}

TEST(LoadedCount, RangeOfTheLog) {
  EXPECT_EQ(LoadedCount("   -1", "f"), -1);
  EXPECT_EQ(LoadedCount("    0", "f"), 0);
  EXPECT_EQ(LoadedCount("10003", "f"), 10003);
  EXPECT_EQ(LoadedCount("   -3", "f"), -1);  // nothing shown, as -1
  EXPECT_EQ(LoadedCount("$80000000", "f"), -1);
  EXPECT_EQ(ErrorOf([] { LoadedCount("10004", "a.pln"); }), "ﾌｧｲﾙ a.pln のﾃﾞｰﾀ数が範囲外です");
  EXPECT_EQ(ErrorOf([] { LoadedCount("$7FFFFFFF", "a.pln"); }), "ﾌｧｲﾙ a.pln のﾃﾞｰﾀ数が範囲外です");
  EXPECT_EQ(ErrorOf([] { LoadedCount("12\r\n[", "f"); }), "'12\r\n[' は整数ではありません");
  EXPECT_EQ(ErrorOf([] { LoadedCount("", "f"); }), "'' は整数ではありません");
}

struct LoadCase {
  const char* name;
  Lines lines;
  std::int32_t startPos;
  std::string error;    // empty: none
  std::int32_t endPos;  // LoadPos afterwards
};

TEST(DataSection, ReadLoop) {
  const LoadCase cases[] = {
      {"plain", {"x", "[DSection]", "070510000312345", "****", "99999"}, 0, "", 3},
      {"small letters", {"[dsection]", "07051", "****"}, 0, "", 1},
      {"no section line starts at line one", {"07051", "****"}, 0, "", 1},
      {"seven characters give one entry", {"[DSection]", "0705199", "****"}, 0, "", 1},
      {"empty line skipped", {"[DSection]", "07051", "", "07051", "****"}, 0, "", 2},
      {"no end line", {"[DSection]", "07051", "07051"}, 0, "", 2},
      {"end line with a space is data",
       {"[DSection]", "07051", "**** "},
       0,
       "'**' は整数ではありません",
       1},
      {"separator as data", {kSeparator, "[Var]:PLN_001"}, 0, "'==' は整数ではありません", 0},
      {"bad colour", {"[DSection]", "070510705x"}, 0, "'x' は整数ではありません", 1},
      {"from a part's slot", {"[DSection]", "0705107051"}, 4000, "", 4002},
      {"up to the last slot", {"[DSection]", "0705107051"}, 10002, "", 10004},
      {"past the last slot",
       {"[DSection]", "070510705107051"},
       10002,
       "ﾌｧｲﾙ f.txt のﾃﾞｰﾀが多すぎます",
       10004},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TextBuffer b;
    b.Lines = c.lines;
    core::PlacementLog log;
    std::int32_t pos = c.startPos;
    EXPECT_EQ(ErrorOf([&] { LoadDataSection(b, log, pos, "f.txt"); }), c.error);
    EXPECT_EQ(pos, c.endPos);
    if (c.endPos > c.startPos) {
      EXPECT_EQ(log.XAt(c.startPos), 7);
      EXPECT_EQ(log.YAt(c.startPos), 5);
      EXPECT_EQ(log.ColorAt(c.startPos), 1);
    }
  }
}

TEST(DataSection, ValuesAreStoredAsReadInTheirLowByte) {
  TextBuffer b;
  b.Lines = {"[DSection]", "-1 59$F$A9", "****"};
  core::PlacementLog log;
  std::int32_t pos = 0;
  LoadDataSection(b, log, pos, "f");
  ASSERT_EQ(pos, 2);
  EXPECT_EQ(log.LogX[0], 255);
  EXPECT_EQ(log.LogY[0], 5);
  EXPECT_EQ(log.LogColor[0], 9);
  EXPECT_EQ(log.LogX[1], 15);
  EXPECT_EQ(log.LogY[1], 10);
  EXPECT_EQ(log.LogColor[1], 9);
}

TEST(DataSection, WriterOutputReadsBackSlotForSlot) {
  core::PlacementLog out = LogOf(10004);
  out.Store(17, 0, 0, 0);  // an empty slot inside the range
  TextBuffer b;
  AppendNativeFile(b, out);
  core::PlacementLog in;
  std::int32_t pos = 0;
  LoadDataSection(b, in, pos, "f");
  EXPECT_EQ(pos, 10004);
  EXPECT_EQ(in.LogX, out.LogX);
  EXPECT_EQ(in.LogY, out.LogY);
  EXPECT_EQ(in.LogColor, out.LogColor);
}

// A link's packed picture stands for exactly the native file a save writes,
// whatever the log holds; anything else is refused as a whole.
TEST(SharedLink, PackedPictureGivesTheNativeFileBack) {
  struct Case {
    const char* what;
    std::int32_t lastIndex;
    std::uint8_t x, y, colour;  // stored in every slot up to lastIndex
  };
  const Case cases[] = {
      {"start-up", 0, 0, 0, 0},
      {"undone past the start", -7, 0, 0, 0},
      {"bits", 5, 81, 98, 5},
      {"bytes, for loaded values the bits cannot hold", 3, 200, 255, 9},
      {"the whole log", core::kLastSlot, 40, 60, 3},
      {"past the log: written as its last slot", core::kLastSlot + 50, 1, 2, 1},
  };
  for (const Case& c : cases) {
    core::PlacementLog log;
    for (std::int64_t i = 0; i <= c.lastIndex; ++i) {
      log.Store(i, static_cast<std::uint8_t>(c.x - i % 2), c.y, c.colour);
    }
    log.LastIndex = c.lastIndex;
    TextBuffer native;
    AppendNativeFile(native, log);
    const std::vector<std::uint8_t> packed = PackPicture(log);
    EXPECT_EQ(NativeTextOfPacked(packed.data(), packed.size()), native.Bytes()) << c.what;
  }

  core::PlacementLog log;
  log.Store(0, 3, 5, 1);
  log.LastIndex = 1;
  const std::vector<std::uint8_t> good = PackPicture(log);
  std::vector<std::vector<std::uint8_t>> bad = {
      {}, {2, 0, 1}, {good.begin(), good.end() - 1}, good, {1, 0xff, 0xff, 0xff, 0xff, 0x7f},
      {1, 0xa8, 0x9c, 0x01, 0x01},  // a count of 10004, past the log
      {1, 2, 7}};                   // no such packing
  bad[3].push_back(0);              // a byte left over
  for (const auto& bytes : bad) {
    EXPECT_EQ(ErrorOf([&] { NativeTextOfPacked(bytes.data(), bytes.size()); }), kBadLink)
        << bytes.size() << " bytes";
  }
}

}  // namespace
}  // namespace palorin::fileio
