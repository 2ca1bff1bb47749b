#pragma once

// An independent copy of the block sprites, written out from the grid and the
// colour table, so the tests do not check the built-in set against itself.

#include <array>
#include <cstdint>

#include "render/raster.h"

namespace palorin::test {

inline constexpr std::array<const char*, 13> kGrid{
    ".....TT.....", "...TRRRRT...", ".TTLTTTTRTT.", "TTTLTTTTRTTT", "LTTTLLLLTTTR",
    "LLLTTTTTTRRR", "LLLLLTTRRRRR", "LLLLLLRRRRRR", "LLLLLLRRRRRR", "LLLLLLRRRRRR",
    ".LLLLLRRRRR.", "...LLLRRR...", ".....LR.....",
};

struct Shades {
  render::Pixel t, r, l;
};

// Per sprite index 0..5: top, right, left.
inline constexpr std::array<Shades, 6> kShades{{
    {render::Rgb(0, 0, 255), render::Rgb(0, 0, 206), render::Rgb(0, 0, 156)},
    {render::Rgb(0, 0, 255), render::Rgb(0, 0, 206), render::Rgb(0, 0, 156)},
    {render::Rgb(0, 206, 0), render::Rgb(0, 156, 0), render::Rgb(0, 99, 0)},
    {render::Rgb(255, 0, 0), render::Rgb(206, 0, 0), render::Rgb(156, 0, 0)},
    {render::Rgb(255, 255, 0), render::Rgb(206, 206, 0), render::Rgb(156, 156, 0)},
    {render::Rgb(255, 255, 255), render::Rgb(206, 206, 206), render::Rgb(99, 99, 99)},
}};

// The colour of sprite `index` at (column, row), or nullopt-like 0 when the
// pixel is transparent (no opaque pixel is 0: they all carry alpha 0xff).
inline render::Pixel SpritePixel(int index, int column, int row) {
  const Shades& s = kShades[static_cast<std::size_t>(index)];
  switch (kGrid[static_cast<std::size_t>(row)][column]) {
    case 'T':
      return s.t;
    case 'R':
      return s.r;
    case 'L':
      return s.l;
    default:
      return 0;
  }
}

// The plain per-pixel draw with bounds checks that DrawBlock must match.
inline void ReferenceDraw(render::Raster& raster, std::int64_t x, std::int64_t y, int index) {
  if (index < 0 || index > 5) return;
  for (int row = 0; row < 13; ++row) {
    for (int column = 0; column < 12; ++column) {
      const std::int64_t px = 6 * x + column;
      const std::int64_t py = 3 * y + row;
      const render::Pixel p = SpritePixel(index, column, row);
      if (p == 0 || px < 0 || px >= render::kRasterWidth || py < 0 || py >= render::kRasterHeight)
        continue;
      raster.Row(static_cast<int>(py))[px] = p;
    }
  }
}

}  // namespace palorin::test
