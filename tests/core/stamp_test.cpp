#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "base/error.h"
#include "core_test_util.h"

namespace palorin::core {
namespace {

using test::Block;
using test::PressCell;
using test::SlotOf;

// Blocks already in the picture and the log before each stamp.
constexpr Block kEarlier[] = {{40, 50, 5}, {39, 51, 4}, {41, 47, 3}};

Scene SceneWithEarlierBlocks(int afterStep) {
  Scene scene;
  for (const Block& b : kEarlier) PressCell(scene, b.x, b.y, b.colour);
  if (afterStep == 1) UnDo(scene, "1");  // LogPos 1 in state 1: the next block goes to slot 2
  return scene;
}

struct StampCase {
  const char* what;
  test::Boxes in;
  int cellX, cellY;
  std::vector<std::pair<int, int>> blocks;  // cells in stamping order
};

// The shell of a 3 x 2 x 2 box pressed at (40, 50): the X end face, the Y
// end face, then the top.
const std::vector<std::pair<int, int>> kShell322Cells{{38, 52}, {41, 51}, {40, 52}, {39, 53},
                                                      {40, 48}, {41, 49}, {39, 49}, {40, 50},
                                                      {38, 50}, {39, 51}};

void ExpectStamp(const StampCase& c, int afterStep) {
  SCOPED_TRACE(testing::Message() << c.what << ", state " << afterStep);
  Scene scene = SceneWithEarlierBlocks(afterStep);
  const int first = afterStep == 0 ? 3 : 2;
  const render::Raster before = scene.canvas.raster;
  const auto refreshes = scene.canvas.RefreshCount();
  const auto slotsBefore = scene.log.LogColor;

  if ((c.cellX + c.cellY) % 2 == 0) {
    PressCell(scene, c.cellX, c.cellY, 2, c.in);
  } else {
    // No pointer picks a cell with x + y odd, but stamping takes whatever
    // cell it is handed: the press's steps after the pick.
    scene.CellX = static_cast<std::uint8_t>(c.cellX);
    scene.CellY = static_cast<std::uint8_t>(c.cellY);
    scene.CurColor = 2;
    PrepareAppend(scene.log);
    loopDraw(scene, c.in.In());
  }

  const int n = static_cast<int>(c.blocks.size());
  render::Raster expected = before;
  for (int b = 0; b < n; ++b) {
    const auto [x, y] = c.blocks[static_cast<std::size_t>(b)];
    EXPECT_EQ(SlotOf(scene.log, first + b), (Block{x, y, 2})) << "block " << b;
    render::DrawBlock(expected, x, y, 2);
  }
  for (int slot = 0; slot < kLogSlots; ++slot) {
    if (slot >= first && slot < first + n) continue;
    ASSERT_EQ(scene.log.LogColor[static_cast<std::size_t>(slot)],
              slotsBefore[static_cast<std::size_t>(slot)])
        << "slot " << slot;
  }
  EXPECT_EQ(scene.log.LogPos, first + n);
  EXPECT_EQ(scene.log.LastIndex, first + n - 1);
  EXPECT_EQ(scene.log.AfterStep, 0);
  EXPECT_EQ(scene.status.Panels[0], "Count:" + std::to_string(first + n));
  EXPECT_EQ(scene.status.Panels[1], "X:" + std::to_string(c.cellX));
  EXPECT_EQ(scene.status.Panels[2], "Y:" + std::to_string(c.cellY));
  EXPECT_TRUE(scene.canvas.raster == expected);
  EXPECT_EQ(scene.canvas.RefreshCount() - refreshes, 1u);
}

TEST(Stamp, BlocksOfSmallShapesInPlacementOrder) {
  const StampCase cases[] = {
      {"shell 2,2,2",
       test::Shell("2", "2", "2"),
       40,
       50,
       {{39, 51}, {41, 51}, {40, 52}, {40, 48}, {41, 49}, {39, 49}, {40, 50}}},
      {"solid 2,2,2",
       test::Solid("XYZ", "2", "2", "2"),
       40,
       50,
       {{40, 50}, {40, 48}, {41, 51}, {41, 49}, {39, 51}, {39, 49}, {40, 52}, {40, 50}}},
      {"XYZ with one size at entry 0 is solid",
       {"XYZ", {"2", "2", "2"}, {1, 0, 1}},
       40,
       50,
       {{40, 50}, {40, 48}, {41, 51}, {41, 49}, {39, 51}, {39, 49}, {40, 52}, {40, 50}}},
      {"entries picked but mode text not XYZ is solid",
       {"xyz", {"2", "2", "2"}, {1, 1, 1}},
       40,
       50,
       {{40, 50}, {40, 48}, {41, 51}, {41, 49}, {39, 51}, {39, 49}, {40, 52}, {40, 50}}},
      {"shell 3,2,2", test::Shell("3", "2", "2"), 40, 50, kShell322Cells},
      {"shell sizes come from the texts",
       {"XYZ", {"3", "2", "2"}, {49, 1, 7}},
       40,
       50,
       kShell322Cells},
      {"shell with a size of 1 holds the whole box",
       {"XYZ", {"1", "2", "2"}, {1, 1, 1}},
       40,
       50,
       {{40, 50}, {41, 51}, {40, 48}, {41, 49}}},
      {"X 5 at the left edge", test::Solid("X", "5", "1", "1"), 1, 50, {{1, 50}, {0, 51}}},
      {"Z 3 at the top", test::Solid("Z", "1", "1", "3"), 40, 3, {{40, 3}, {40, 1}}},
      {"Y 3 at the bottom right", test::Solid("Y", "1", "3", "1"), 80, 96, {{80, 96}, {81, 97}}},
      {"XY 2,2", test::Solid("XY", "2", "2", "1"), 10, 20, {{10, 20}, {11, 21}, {9, 21}, {10, 22}}},
      {"a typed size in mode Single stamps one block",
       test::Solid("Single", "2", "1", "1"),
       40,
       50,
       {{40, 50}}},
      {"size 01 is a stamp of one", test::Solid("X", "01", "1", "1"), 40, 50, {{40, 50}}},
      {"size with a leading blank", test::Solid("X", " 2", "1", "1"), 40, 50, {{40, 50}, {39, 51}}},
      {"hex size", test::Solid("Y", "1", "$2", "1"), 40, 50, {{40, 50}, {41, 51}}},
  };
  for (const auto& c : cases) {
    ExpectStamp(c, 0);
    ExpectStamp(c, 1);
  }
}

TEST(Stamp, SizesOfZeroOrLessOrAllBlocksSkippedLogNothing) {
  const StampCase cases[] = {
      {"size 0", test::Solid("X", "0", "1", "1"), 40, 50, {}},
      {"negative size", test::Solid("XYZ", "3", "-2", "3"), 40, 50, {}},
      {"most negative size", test::Solid("XYZ", "3", "$80000000", "3"), 40, 50, {}},
      {"shell with sizes 0", {"XYZ", {"0", "0", "0"}, {1, 1, 1}}, 40, 50, {}},
  };
  for (const auto& c : cases) {
    for (const int afterStep : {0, 1}) {
      SCOPED_TRACE(testing::Message() << c.what << ", state " << afterStep);
      Scene scene = SceneWithEarlierBlocks(afterStep);
      const Scene before = scene;
      PressCell(scene, c.cellX, c.cellY, 2, c.in);
      const int pos = afterStep == 0 ? 3 : 2;  // PrepareAppend has moved on in state 1
      EXPECT_EQ(scene.log.LogPos, pos);
      EXPECT_EQ(scene.log.LastIndex, before.log.LastIndex);
      EXPECT_EQ(scene.log.AfterStep, afterStep);
      EXPECT_EQ(scene.log.LogColor, before.log.LogColor);
      EXPECT_EQ(scene.status.Panels[0], "Count:" + std::to_string(pos));
      EXPECT_EQ(scene.status.Panels[1], "X:40");
      EXPECT_TRUE(scene.canvas.raster == before.canvas.raster);
      EXPECT_EQ(scene.canvas.RefreshCount(), before.canvas.RefreshCount() + 1);
    }
  }
}

TEST(Stamp, AllSizesOneIsASingleBlockNotAStamp) {
  // Mode "X" with its size back at "1": the slot written is shown, not the next.
  Scene scene = SceneWithEarlierBlocks(0);
  PressCell(scene, 30, 30, 1, {"X", {"1", "1", "1"}, {-1, 0, 0}});
  EXPECT_EQ(scene.status.Panels[0], "Count:3");
  EXPECT_EQ(scene.log.LogPos, 4);
}

TEST(Stamp, AMalformedSizeStopsBeforeAnythingIsDrawnOrLogged) {
  const test::Boxes cases[] = {
      test::Solid("XYZ", "2", "abc", "2"),
      test::Solid("XYZ", "2", "2", "2 "),
      {"XYZ", {"2", "2", "x"}, {1, 1, 1}},  // shell
      {"XYZ", {"", "2", "2"}, {1, 1, 1}},
  };
  for (const auto& in : cases) {
    for (const int afterStep : {0, 1}) {
      SCOPED_TRACE(afterStep);
      Scene scene = SceneWithEarlierBlocks(afterStep);
      const Scene before = scene;
      EXPECT_THROW(PressCell(scene, 40, 50, 2, in), Error);
      // PrepareAppend has run: in state 1 LogPos moved on by one.
      EXPECT_EQ(scene.log.LogPos, before.log.LogPos + afterStep);
      EXPECT_EQ(scene.log.AfterStep, afterStep);
      EXPECT_EQ(scene.log.LastIndex, before.log.LastIndex);
      EXPECT_EQ(scene.log.LogColor, before.log.LogColor);
      EXPECT_EQ(scene.status.Panels, before.status.Panels);
      EXPECT_TRUE(scene.canvas.raster == before.canvas.raster);
      EXPECT_EQ(scene.canvas.RefreshCount(), before.canvas.RefreshCount());

      // So in state 1 the next accepted press leaves that slot empty.
      PressCell(scene, 20, 20, 3);
      const int written = before.log.LogPos + 2 * afterStep;
      EXPECT_EQ(written, 3);
      EXPECT_EQ(SlotOf(scene.log, written), (Block{20, 20, 3}));
      // In state 1 slot 2 is skipped: it keeps the entry undone before.
      EXPECT_EQ(SlotOf(scene.log, 2), kEarlier[2]);
    }
  }
}

TEST(Stamp, AtTheCapEveryFurtherBlockOverwritesSlot9999) {
  for (const int afterStep : {0, 1}) {
    Scene scene;
    scene.log.LogPos = 9998 - afterStep;
    scene.log.AfterStep = LogState(afterStep);
    PressCell(scene, 40, 50, 4, test::Shell("3", "2", "2"));
    EXPECT_EQ(SlotOf(scene.log, 9998), (Block{38, 52, 4}));
    EXPECT_EQ(SlotOf(scene.log, 9999), (Block{39, 51, 4}));
    EXPECT_EQ(SlotOf(scene.log, 10000), Block{});
    EXPECT_EQ(scene.log.LogPos, 9999);
    EXPECT_EQ(scene.log.LastIndex, 9999);
    EXPECT_EQ(scene.status.Panels[0], "Count:9999");
    // Every block was drawn, although only the last one stays in slot 9999.
    EXPECT_TRUE(scene.canvas.raster == test::Picture({{38, 52, 4},
                                                      {41, 51, 4},
                                                      {40, 52, 4},
                                                      {39, 53, 4},
                                                      {40, 48, 4},
                                                      {41, 49, 4},
                                                      {39, 49, 4},
                                                      {40, 50, 4},
                                                      {38, 50, 4},
                                                      {39, 51, 4}}));
  }
}

TEST(Stamp, TypedSizesOfAHundredThousandKeepTheLogExact) {
  // The blocks of a solid box in loop order, skipped ones left out: i, then
  // only the j and k whose cell can be accepted, all ascending.
  const std::int64_t last = 99999, ox = 40, oy = 50;
  std::vector<Block> firstBlocks;
  for (std::int64_t i = 0; i <= last && firstBlocks.size() < 9999; ++i) {
    for (std::int64_t j = std::max<std::int64_t>(0, i - ox);
         j <= std::min<std::int64_t>(last, i - ox + kMaxCellX) && firstBlocks.size() < 9999; ++j) {
      const std::int64_t s = oy + i + j;
      for (std::int64_t k = std::max<std::int64_t>(0, (s - kMaxCellY + 1) / 2);
           k <= std::min<std::int64_t>(last, s / 2) && firstBlocks.size() < 9999; ++k) {
        const std::int64_t x = ox - i + j, y = s - 2 * k;
        ASSERT_TRUE(Accepted(x, y));
        firstBlocks.push_back({static_cast<int>(x), static_cast<int>(y), 5});
      }
    }
  }
  ASSERT_EQ(firstBlocks.size(), 9999u);

  Scene scene;
  PressCell(scene, 40, 50, 5, test::Solid("XYZ", "100000", "100000", "100000"));
  for (int slot = 0; slot < 9999; ++slot) {
    ASSERT_EQ(SlotOf(scene.log, slot), firstBlocks[static_cast<std::size_t>(slot)]) << slot;
  }
  // The very last block, (99999, 99999, 99999), lies on the pressed cell.
  EXPECT_EQ(SlotOf(scene.log, 9999), (Block{40, 50, 5}));
  EXPECT_EQ(scene.log.LogPos, 9999);
  EXPECT_EQ(scene.log.LastIndex, 9999);
  EXPECT_EQ(scene.status.Panels[0], "Count:9999");
}

TEST(ModeRule, EachModeEnablesTheSizeBoxesOfItsAxes) {
  struct Case {
    int index;
    bool x, y, z;
  };
  const Case cases[] = {
      {0, false, false, false}, {1, true, false, false}, {2, false, true, false},
      {3, false, false, true},  {4, true, true, false},  {5, true, false, true},
      {6, false, true, true},   {7, true, true, true},
  };
  for (const auto& c : cases) {
    const auto rule = ModeRuleFor(c.index);
    ASSERT_TRUE(rule.has_value()) << c.index;
    EXPECT_EQ(rule->enabled, (std::array<bool, 3>{c.x, c.y, c.z})) << kModeNames[c.index];
  }
  for (const int index : {-1, 8, 1000, INT_MIN}) EXPECT_FALSE(ModeRuleFor(index).has_value());
}

}  // namespace
}  // namespace palorin::core
