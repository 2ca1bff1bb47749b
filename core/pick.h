#pragma once

#include <array>
#include <cstdint>
#include <optional>

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

// Which of five cells a pixel of a 12 x 6 tile picks: [x mod 12][y mod 6].
inline constexpr std::array<std::array<std::uint8_t, 6>, 12> PickTable{{
    {1, 1, 1, 0, 3, 3},
    {1, 1, 1, 0, 3, 3},
    {1, 1, 0, 0, 0, 3},
    {1, 1, 0, 0, 0, 3},
    {1, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0},
    {2, 0, 0, 0, 0, 0},
    {2, 2, 0, 0, 0, 4},
    {2, 2, 0, 0, 0, 4},
    {2, 2, 2, 0, 4, 4},
    {2, 2, 2, 0, 4, 4},
}};
// Pixel offsets of the five choices: the tile's own cell and its four
// diagonal neighbours.
inline constexpr std::array<std::int32_t, 5> PickDX{0, -6, 6, -6, 6};
inline constexpr std::array<std::int32_t, 5> PickDY{0, -3, -3, 3, 3};

// The cell under a pointer pixel; nullopt for a negative coordinate, which
// lies in no cell.
std::optional<Cell> Pick(PointerPos p);

// Whether a cell lies in the accepted range x 0..81, y 0..98.
constexpr bool Accepted(std::int64_t x, std::int64_t y) {
  return x >= 0 && x <= kMaxCellX && y >= 0 && y <= kMaxCellY;
}

}  // namespace palorin::core
