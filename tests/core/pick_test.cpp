#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <optional>
#include <utility>

#include "core_test_util.h"

namespace palorin::core {
namespace {

// The pixels that pick a cell, relative to its sprite origin (6x, 3y): per
// row the first and last column (first > last where the row holds none).
struct RowSpan {
  int first, last;
};
constexpr RowSpan kEvenDiamond[6] = {{5, 6}, {4, 7}, {2, 9}, {0, 11}, {2, 9}, {4, 7}};
constexpr RowSpan kOddDiamond[6] = {{1, 0}, {4, 7}, {2, 9}, {1, 10}, {2, 9}, {4, 7}};

bool InDiamond(int cellX, int cellY, int px, int py) {
  const int column = px - 6 * cellX, row = py - 3 * cellY;
  if (row < 0 || row > 5) return false;
  const RowSpan span = (cellX % 2 == 0) ? kEvenDiamond[row] : kOddDiamond[row];
  return column >= span.first && column <= span.last;
}

TEST(PickDiamonds, SizesAreThirtyEightAndThirtyFour) {
  int even = 0, odd = 0;
  for (int row = 0; row < 6; ++row) {
    even += kEvenDiamond[row].last - kEvenDiamond[row].first + 1;
    odd += kOddDiamond[row].last - kOddDiamond[row].first + 1;
  }
  EXPECT_EQ(even, 38);
  EXPECT_EQ(odd, 34);
}

TEST(Pick, EveryPixelPicksTheOneCellWhoseDiamondHoldsIt) {
  for (int py = 0; py < render::kRasterHeight; ++py) {
    for (int px = 0; px < render::kRasterWidth; ++px) {
      const auto picked = Pick({px, py});
      ASSERT_TRUE(picked.has_value());
      int holders = 0;
      for (int cy = py / 3 - 2; cy <= py / 3 + 1; ++cy) {
        for (int cx = px / 6 - 2; cx <= px / 6 + 1; ++cx) {
          if ((cx + cy) % 2 != 0 || !InDiamond(cx, cy, px, py)) continue;
          ++holders;
          EXPECT_EQ(*picked, (Cell{cx, cy})) << "pixel " << px << "," << py;
        }
      }
      ASSERT_EQ(holders, 1) << "pixel " << px << "," << py;
    }
  }
}

TEST(Pick, EveryAcceptedCellIsPickedByItsWholeDiamond) {
  std::map<std::pair<int, int>, int> picks;
  int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
  for (int py = 0; py < render::kRasterHeight; ++py) {
    for (int px = 0; px < render::kRasterWidth; ++px) {
      const Cell c = *Pick({px, py});
      ASSERT_EQ((c.x + c.y) % 2, 0) << "only cells with x + y even are picked";
      ++picks[{c.x, c.y}];
      minX = std::min(minX, c.x);
      maxX = std::max(maxX, c.x);
      minY = std::min(minY, c.y);
      maxY = std::max(maxY, c.y);
    }
  }
  EXPECT_EQ(minX, -1);
  EXPECT_EQ(maxX, 83);
  EXPECT_EQ(minY, -1);
  EXPECT_EQ(maxY, 102);

  int accepted = 0;
  for (int y = 0; y <= kMaxCellY; ++y) {
    for (int x = (y % 2); x <= kMaxCellX; x += 2) {
      ++accepted;
      EXPECT_EQ((picks[{x, y}]), x % 2 == 0 ? 38 : 34) << "cell " << x << "," << y;
      EXPECT_EQ(Pick(test::PointerFor(x, y)), (Cell{x, y}));
    }
  }
  EXPECT_EQ(accepted, 4059);
}

TEST(Pick, PointerExamples) {
  struct Case {
    PointerPos at;
    std::optional<Cell> cell;
  };
  const Case cases[] = {
      {{0, 0}, Cell{-1, -1}},     {{5, 0}, Cell{0, 0}},       {{6, 0}, Cell{0, 0}},
      {{6, 3}, Cell{0, 0}},       {{11, 5}, Cell{1, 1}},      {{12, 6}, Cell{1, 1}},
      {{491, 296}, Cell{81, 97}}, {{492, 300}, Cell{81, 99}}, {{499, 307}, Cell{82, 102}},
      {{499, 6}, Cell{83, 1}},    {{0, 3}, Cell{0, 0}},       {{11, 3}, Cell{0, 0}},
      {{-1, 0}, std::nullopt},    {{0, -1}, std::nullopt},    {{INT_MIN, 5}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Pick(c.at), c.cell) << c.at.x << "," << c.at.y;
  }
  // Far outside the area the arithmetic still stays in range.
  const auto far = Pick({INT_MAX, INT_MAX});
  ASSERT_TRUE(far.has_value());
  EXPECT_FALSE(Accepted(far->x, far->y));
}

TEST(Move, ShowsAcceptedCellsOnly) {
  struct Case {
    PointerPos at;
    const char* x;  // nullptr: the panels keep their texts
    const char* y;
  };
  const Case cases[] = {
      {{245, 153}, "X:40", "Y:50"},     {{5, 0}, "X:0", "Y:0"},
      {{491, 296}, "X:81", "Y:97"},     {{0, 0}, nullptr, nullptr},
      {{492, 300}, nullptr, nullptr},   {{499, 307}, nullptr, nullptr},
      {{-5, 10}, nullptr, nullptr},     {{10, -5}, nullptr, nullptr},
      {{INT_MAX, 3}, nullptr, nullptr}, {{600, 100}, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y);
    Scene scene;
    scene.status.Panels = {"Count:7", "X:1", "Y:2"};
    scene.CurColor = 0;  // moves show the cell whatever the colour
    const bool shown = Move(scene, c.at);
    EXPECT_EQ(shown, c.x != nullptr);
    EXPECT_EQ(scene.status.Panels[0], "Count:7");
    EXPECT_EQ(scene.status.Panels[1], c.x ? c.x : "X:1");
    EXPECT_EQ(scene.status.Panels[2], c.y ? c.y : "Y:2");
    EXPECT_EQ(scene.CellX, 0);
    EXPECT_EQ(scene.log.LogPos, 0);
    EXPECT_EQ(scene.canvas.RefreshCount(), 0u);
  }
}

}  // namespace
}  // namespace palorin::core
