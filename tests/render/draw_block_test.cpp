#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "render/raster.h"
#include "render/sprites.h"
#include "sprite_reference.h"

namespace palorin::render {
namespace {

using test::ReferenceDraw;
using test::SpritePixel;

// A raster whose every pixel differs, so that a stray or a missing write shows.
Raster Patterned() {
  Raster r;
  for (int y = 0; y < kRasterHeight; ++y) {
    for (int x = 0; x < kRasterWidth; ++x) r.Row(y)[x] = 0xff000000u | (std::uint32_t(y) << 9) | x;
  }
  return r;
}

int CountDifferent(const Raster& a, const Raster& b) {
  int n = 0;
  for (int y = 0; y < kRasterHeight; ++y) {
    for (int x = 0; x < kRasterWidth; ++x) n += a.At(x, y) != b.At(x, y);
  }
  return n;
}

TEST(Raster, StartsBlackAndClsMakesItBlackAgain) {
  Raster r;
  EXPECT_EQ(r, Raster{});
  for (int y = 0; y < kRasterHeight; ++y) {
    for (int x = 0; x < kRasterWidth; ++x) ASSERT_EQ(r.At(x, y), kBlack);
  }
  Raster drawn = Patterned();
  for (int n = 0; n < 50; ++n) DrawBlock(drawn, n, 2 * n, 1 + n % 5);
  Cls(drawn);
  EXPECT_EQ(drawn, Raster{});
}

// An empty raster holds no pixels until they are asked for; every way of
// reading it sees the same picture either way.
TEST(Raster, OneColourHoldsNoPixelsUntilTheyAreAskedFor) {
  constexpr Pixel kRed = Rgb(255, 0, 0);
  Raster r;
  EXPECT_TRUE(r.IsUniform());
  EXPECT_EQ(r.UniformColour(), kBlack);
  EXPECT_EQ(r.At(499, 307), kBlack);
  r.Fill(kRed);
  const Raster copy = r;
  EXPECT_TRUE(r.IsUniform()) << "reading a pixel or filling makes no pixels";
  EXPECT_TRUE(copy.IsUniform());
  EXPECT_EQ(copy, r);
  EXPECT_NE(r, Raster{});

  // A read through the pixels themselves gets them made, in that colour.
  const Raster& view = copy;
  const Pixel* p = view.Data();
  EXPECT_FALSE(copy.IsUniform());
  EXPECT_EQ(p[0], kRed);
  EXPECT_EQ(p[static_cast<std::size_t>(kRasterWidth) * kRasterHeight - 1], kRed);
  EXPECT_EQ(copy, r) << "held or not, the same picture";
  EXPECT_EQ(r, copy);

  // The first block drawn lands on that colour.
  DrawBlock(r, 0, 0, 3);
  EXPECT_FALSE(r.IsUniform());
  EXPECT_EQ(r.At(499, 307), kRed);
  EXPECT_EQ(r.At(0, 0), kRed) << "the sprite's transparent corner";
  EXPECT_NE(r, copy);
  EXPECT_NE(copy, r);
}

TEST(Raster, ClsKeepsThePixelsARasterHas) {
  Raster r;
  DrawBlock(r, 10, 10, 2);
  const Pixel* before = r.Data();
  Cls(r);
  EXPECT_FALSE(r.IsUniform()) << "a replay clears and draws again: no new pixels each time";
  EXPECT_EQ(r.Data(), before);
  EXPECT_EQ(r, Raster{});
  EXPECT_EQ(Raster{}, r);
  r.Row(kRasterHeight - 1)[kRasterWidth - 1] = Rgb(0, 0, 1);
  EXPECT_NE(r, Raster{}) << "the last pixel counts";
}

TEST(Canvas, RefreshCountsAndCallsTheHandler) {
  Canvas canvas;
  int shown = 0;
  canvas.SetRefreshHandler([&] { ++shown; });
  canvas.Refresh();
  canvas.Refresh();
  EXPECT_EQ(canvas.RefreshCount(), 2u);
  EXPECT_EQ(shown, 2);
  DrawBlock(canvas.raster, 3, 3, 1);
  EXPECT_EQ(canvas.RefreshCount(), 2u) << "drawing never refreshes";
}

TEST(DrawBlock, CellZeroPaintsExactlyTheOpaqueGridPixels) {
  Raster r;
  DrawBlock(r, 0, 0, 3);
  for (int y = 0; y < kRasterHeight; ++y) {
    for (int x = 0; x < kRasterWidth; ++x) {
      const Pixel sprite = (x < 12 && y < 13) ? SpritePixel(3, x, y) : 0;
      ASSERT_EQ(r.At(x, y), sprite != 0 ? sprite : kBlack) << x << "," << y;
    }
  }
  EXPECT_EQ(r.At(0, 0), kBlack);
}

TEST(DrawBlock, LastAcceptedCellStaysInside) {
  Raster r;
  for (int n = 0; n < 3; ++n) DrawBlock(r, 81, 98, 5);
  Raster expected;
  ReferenceDraw(expected, 81, 98, 5);
  EXPECT_EQ(r, expected);
  EXPECT_EQ(r.At(486, 297), SpritePixel(5, 0, 3));
  EXPECT_EQ(r.At(497, 297), SpritePixel(5, 11, 3));
  EXPECT_EQ(r.At(491, 306), SpritePixel(5, 5, 12));
  for (int y = 0; y < kRasterHeight; ++y) {
    EXPECT_EQ(r.At(498, y), kBlack);
    EXPECT_EQ(r.At(499, y), kBlack);
  }
  for (int x = 0; x < kRasterWidth; ++x) EXPECT_EQ(r.At(x, 307), kBlack);
}

TEST(DrawBlock, ClipsAtTheRightAndBottomEdges) {
  struct Case {
    int x, y;
    int firstColumn, columns;  // sprite columns shown
    int firstRow, rows;        // sprite rows shown
  };
  const Case cases[] = {
      {82, 10, 0, 8, 0, 13},                          // columns 0..7 at x 492..499
      {83, 10, 0, 2, 0, 13},                          // columns 0, 1 at x 498, 499
      {84, 10, 0, 0, 0, 13},                          // nothing
      {40, 99, 0, 12, 0, 11},                         // rows 0..10 at y 297..307
      {82, 99, 0, 8, 0, 11},  {-1, 10, 6, 6, 0, 13},  // left of the area: columns 6..11 at x 0..5
      {10, -4, 0, 12, 12, 1},                         // above it: row 12 at y 0
      {10, -5, 0, 12, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "cell " << c.x << "," << c.y);
    Raster r;
    DrawBlock(r, c.x, c.y, 2);
    int painted = 0;
    for (int y = 0; y < kRasterHeight; ++y) {
      for (int x = 0; x < kRasterWidth; ++x) {
        const int column = x - 6 * c.x, row = y - 3 * c.y;
        const bool shown = column >= c.firstColumn && column < c.firstColumn + c.columns &&
                           row >= c.firstRow && row < c.firstRow + c.rows;
        const Pixel sprite = shown ? SpritePixel(2, column, row) : 0;
        ASSERT_EQ(r.At(x, y), sprite != 0 ? sprite : kBlack) << x << "," << y;
        painted += sprite != 0;
      }
    }
    if (c.columns == 0 || c.rows == 0)
      EXPECT_EQ(painted, 0);
    else
      EXPECT_GT(painted, 0);
  }
}

TEST(DrawBlock, MatchesThePlainPerPixelDrawEverywhere) {
  const std::vector<int> xs{INT_MIN, -100, -3, -2, -1, 0,  1,  2,
                            40,      80,   81, 82, 83, 84, 85, INT_MAX};
  const std::vector<int> ys{INT_MIN, -100, -5, -4,  -1,  0,   1,      50,
                            97,      98,   99, 100, 102, 103, INT_MAX};
  for (const int x : xs) {
    for (const int y : ys) {
      SCOPED_TRACE(testing::Message() << "cell " << x << "," << y);
      Raster actual = Patterned();
      Raster expected = actual;
      DrawBlock(actual, x, y, 4);
      ReferenceDraw(expected, x, y, 4);
      ASSERT_EQ(actual, expected);
    }
  }
}

TEST(DrawBlock, IndexesOutsideTheSetDrawNothing) {
  for (const int index : {6, 7, 8, 9, 255, -1, INT_MIN, INT_MAX}) {
    Raster r = Patterned();
    DrawBlock(r, 10, 10, index);
    EXPECT_EQ(r, Patterned()) << index;
  }
}

TEST(DrawBlock, IndexZeroDrawsAsBlue) {
  Raster zero, one;
  DrawBlock(zero, 20, 30, 0);
  DrawBlock(one, 20, 30, 1);
  EXPECT_EQ(zero, one);
  EXPECT_EQ(zero.At(6 * 20 + 5, 3 * 30), Rgb(0, 0, 255));
}

TEST(DrawBlock, OverlapIsSettledByDrawOrder) {
  Raster firstThenSecond, secondThenFirst;
  DrawBlock(firstThenSecond, 10, 10, 1);
  DrawBlock(firstThenSecond, 11, 11, 1);
  DrawBlock(secondThenFirst, 11, 11, 1);
  DrawBlock(secondThenFirst, 10, 10, 1);
  EXPECT_EQ(CountDifferent(firstThenSecond, secondThenFirst), 36);

  Raster expected;
  ReferenceDraw(expected, 10, 10, 1);
  ReferenceDraw(expected, 11, 11, 1);
  EXPECT_EQ(firstThenSecond, expected);
  // The second sprite's corner is at (66, 33); its transparent upper-left
  // pixel lets the first show through, its opaque ones win.
  EXPECT_EQ(firstThenSecond.At(66, 33), SpritePixel(1, 6, 3));
  EXPECT_EQ(firstThenSecond.At(66, 37), SpritePixel(1, 0, 4));  // L over the first's R
  EXPECT_NE(SpritePixel(1, 0, 4), SpritePixel(1, 6, 7));
}

TEST(DrawBlock, DrawingTwiceIsTheSameAsOnce) {
  for (int index = 0; index < kSpriteCount; ++index) {
    Raster once = Patterned();
    DrawBlock(once, 33, 44, index);
    Raster twice = once;
    DrawBlock(twice, 33, 44, index);
    EXPECT_EQ(once, twice) << index;
  }
}

}  // namespace
}  // namespace palorin::render
