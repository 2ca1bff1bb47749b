#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "core/history.h"
#include "core/modes.h"
#include "core/pick.h"
#include "core/placement_log.h"
#include "core/press.h"
#include "core/stamp.h"
#include "render/raster.h"
#include "render/sprites.h"

namespace palorin::core {
inline void PrintTo(const Cell& c, std::ostream* os) { *os << "(" << c.x << ", " << c.y << ")"; }
}  // namespace palorin::core

namespace palorin::test {

// One log entry or one drawn block.
struct Block {
  int x = 0, y = 0, colour = 0;
  friend bool operator==(const Block&, const Block&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Block& b) {
  return os << "(" << b.x << ", " << b.y << ", colour " << b.colour << ")";
}

// A pointer pixel inside the diamond of an accepted cell: row 3 of the
// diamond spans columns 1..10 for both parities.
inline core::PointerPos PointerFor(int cellX, int cellY) { return {6 * cellX + 5, 3 * cellY + 3}; }

// What the mode and size boxes hold at a press. It owns the texts that the
// StampInputs it hands out look at, so keep it alive across the press.
struct Boxes {
  std::string mode = "Single";
  std::array<std::string, 3> sizes{"1", "1", "1"};
  std::array<int, 3> indexes{0, 0, 0};
  core::StampInputs In() const { return {mode, {sizes[0], sizes[1], sizes[2]}, indexes}; }
};

inline Boxes SingleBoxes() { return {}; }

// Sizes typed, no entry selected: a solid box (or one block in "Single").
inline Boxes Solid(std::string mode, std::string x, std::string y, std::string z) {
  return {std::move(mode), {std::move(x), std::move(y), std::move(z)}, {-1, -1, -1}};
}

// Mode "XYZ" with the sizes picked from the lists (entry n - 1 for size n):
// the shell.
inline Boxes Shell(std::string x, std::string y, std::string z) {
  const std::array<int, 3> indexes{std::stoi(x) - 1, std::stoi(y) - 1, std::stoi(z) - 1};
  return {"XYZ", {std::move(x), std::move(y), std::move(z)}, indexes};
}

inline render::Raster Picture(std::initializer_list<Block> blocks) {
  render::Raster r;
  for (const Block& b : blocks) render::DrawBlock(r, b.x, b.y, b.colour);
  return r;
}

inline Block SlotOf(const core::PlacementLog& log, int slot) {
  return {log.LogX[static_cast<std::size_t>(slot)], log.LogY[static_cast<std::size_t>(slot)],
          log.LogColor[static_cast<std::size_t>(slot)]};
}

// A press on the cell through the real press handler, in the given colour.
inline void PressCell(core::Scene& scene, int x, int y, int colour,
                      const Boxes& boxes = SingleBoxes()) {
  scene.CurColor = static_cast<std::uint8_t>(colour);
  core::Press(scene, PointerFor(x, y), boxes.In());
}

}  // namespace palorin::test
