#include "render/sprites.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "sprite_reference.h"

namespace palorin::render {
namespace {

using test::kGrid;
using test::SpritePixel;

TEST(SpriteGrid, ClassCounts) {
  std::map<char, int> counts;
  for (const char* row : kGrid) {
    for (int i = 0; i < kSpriteWidth; ++i) ++counts[row[i]];
  }
  EXPECT_EQ(counts['T'], 36);
  EXPECT_EQ(counts['R'], 42);
  EXPECT_EQ(counts['L'], 42);
  EXPECT_EQ(counts['.'], 36);
}

TEST(SpriteSet, EverySpriteMatchesTheGridAndColourTable) {
  const SpriteSet& set = BlockSprites();
  for (int index = 0; index < kSpriteCount; ++index) {
    const BlockSprite& sprite = set[static_cast<std::size_t>(index)];
    int opaque = 0;
    for (int row = 0; row < kSpriteHeight; ++row) {
      for (int column = 0; column < kSpriteWidth; ++column) {
        SCOPED_TRACE(testing::Message()
                     << "sprite " << index << " at (" << column << ", " << row << ")");
        const Pixel expected = SpritePixel(index, column, row);
        EXPECT_EQ(sprite.Opaque(column, row), expected != 0);
        if (expected != 0) {
          ++opaque;
          EXPECT_EQ(sprite.colour[row][column], expected);
          EXPECT_EQ(sprite.keep[row][column], 0u);
        } else {
          // The row blend keeps every bit of a transparent pixel and adds none.
          EXPECT_EQ(sprite.colour[row][column], 0u);
          EXPECT_EQ(sprite.keep[row][column], 0xffffffffu);
        }
      }
    }
    EXPECT_EQ(opaque, 120);
  }
}

TEST(SpriteSet, IndexZeroIsACopyOfIndexOne) {
  const SpriteSet& set = BlockSprites();
  EXPECT_EQ(set[0].colour, set[1].colour);
  EXPECT_EQ(set[0].keep, set[1].keep);
}

TEST(SpriteSet, MalformedDescriptionsAreRejected) {
  const std::string grid =
      "grid\n.....TT.....\n...TRRRRT...\n.TTLTTTTRTT.\nTTTLTTTTRTTT\nLTTTLLLLTTTR\n"
      "LLLTTTTTTRRR\nLLLLLTTRRRRR\nLLLLLLRRRRRR\nLLLLLLRRRRRR\nLLLLLLRRRRRR\n"
      ".LLLLLRRRRR.\n...LLLRRR...\n.....LR.....\n";
  const std::string colours =
      "colours\n0 0,0,255 0,0,206 0,0,156\n1 0,0,255 0,0,206 0,0,156\n"
      "2 0,206,0 0,156,0 0,99,0\n3 255,0,0 206,0,0 156,0,0\n"
      "4 255,255,0 206,206,0 156,156,0\n";
  const std::string last = "5 255,255,255 206,206,206 99,99,99\n";
  EXPECT_NO_THROW(ParseSpriteSet(grid + colours + last));

  const std::string bad[] = {
      "",
      grid + colours,                                             // a sprite missing
      grid + colours + "5 256,255,255 206,206,206 99,99,99\n",    // channel out of range
      grid + colours + "6 255,255,255 206,206,206 99,99,99\n",    // index out of order
      "grid\n.....TT....\n" + grid.substr(18) + colours + last,   // short row
      "grid\n.....TX.....\n" + grid.substr(18) + colours + last,  // unknown class
  };
  for (const auto& text : bad) {
    EXPECT_THROW(ParseSpriteSet(text), std::runtime_error);
  }
}

}  // namespace
}  // namespace palorin::render
