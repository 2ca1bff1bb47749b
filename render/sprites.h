#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "render/raster.h"

namespace palorin::render {

inline constexpr int kSpriteWidth = 12;
inline constexpr int kSpriteHeight = 13;
inline constexpr int kSpriteCount = 6;

// One masked block sprite, stored so that a row is drawn without branches:
// raster = (raster & keep) | colour, where keep is all ones on transparent
// pixels (colour 0 there) and zero on opaque ones.
struct BlockSprite {
  std::array<std::array<Pixel, kSpriteWidth>, kSpriteHeight> colour{};
  std::array<std::array<Pixel, kSpriteWidth>, kSpriteHeight> keep{};

  constexpr bool Opaque(int column, int row) const {
    return keep[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] == 0;
  }
};

using SpriteSet = std::array<BlockSprite, kSpriteCount>;

// The sprite set built into the program from assets/block_sprites.txt.
const SpriteSet& BlockSprites();

// Parses a sprite description in the asset's format: a "grid" line, 13 rows
// of 12 classes (T top, R right, L left, '.' transparent), a "colours" line,
// then sprites 0..5 as "n r,g,b r,g,b r,g,b" for T, R and L. Blank lines and
// '#' comments are skipped. Throws std::runtime_error on a malformed
// description; the built-in one is read at compile time, so it cannot be.
SpriteSet ParseSpriteSet(std::string_view text);

// Draws sprite `index` with its top-left corner at raster pixel (6*x, 3*y),
// clipped to the raster. An index outside 0..5 draws nothing.
void DrawBlock(Raster& raster, int x, int y, int index);

// The raster pixels DrawBlock(raster, x, y, ...) may write: the sprite's box
// clipped to the raster, width and height 0 when nothing of it is inside.
struct PixelBox {
  int left = 0, top = 0, width = 0, height = 0;
};
PixelBox BlockBox(int x, int y);

}  // namespace palorin::render
