#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace palorin::core {

// A pointer position in drawing-area pixels (the raster one to one).
struct PointerPos {
  int x = 0;
  int y = 0;
};

// A lattice cell; the sprite of its block has its corner at pixel (6x, 3y).
struct Cell {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Cell&, const Cell&) = default;
};

inline constexpr int kMaxCellX = 81;
inline constexpr int kMaxCellY = 98;

// Which of five cells a pixel of a 12 x 6 tile picks, drawn as the tile:
// row y mod 6, column x mod 12. 0 is the tile's own cell, 1 to 4 its upper
// left, upper right, lower left and lower right neighbours.
inline constexpr std::array<std::string_view, 6> kPickTile{
    "111110022222",  //
    "111100002222",  //
    "110000000022",  //
    "000000000000",  //
    "330000000044",  //
    "333300004444",  //
};
// The same choices indexed [x mod 12][y mod 6].
inline constexpr auto PickTable = [] {
  std::array<std::array<std::uint8_t, 6>, 12> table{};
  for (std::size_t a = 0; a < 6; ++a) {
    for (std::size_t b = 0; b < 12; ++b)
      table[b][a] = static_cast<std::uint8_t>(kPickTile[a][b] - '0');
  }
  return table;
}();
// Pixel offsets of the five choices: the tile's own cell and its four
// diagonal neighbours.
inline constexpr std::array<std::int32_t, 5> PickDX{0, -6, 6, -6, 6};
inline constexpr std::array<std::int32_t, 5> PickDY{0, -3, -3, 3, 3};

// The cell under a pointer pixel; nullopt for a negative coordinate, which
// lies in no cell.
std::optional<Cell> Pick(PointerPos p);

// The pixel a cell is picked at, in the middle of its block's sprite: a
// press there places the block at that very cell. For cells with x + y even
// (the lattice) in the accepted range; it lies inside the drawing area.
constexpr PointerPos CellCentre(Cell c) { return {6 * c.x + 6, 3 * c.y + 3}; }

// Whether a cell lies in the accepted range x 0..81, y 0..98.
constexpr bool Accepted(std::int64_t x, std::int64_t y) {
  return x >= 0 && x <= kMaxCellX && y >= 0 && y <= kMaxCellY;
}

}  // namespace palorin::core
