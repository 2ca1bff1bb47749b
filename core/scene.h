#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/placement_log.h"
#include "render/raster.h"

namespace palorin::core {

// The three texts of the main window's status bar: panel 0 "Count:" and a
// slot, panels 1 and 2 "X:" and "Y:" and a cell.
struct StatusBar {
  std::array<std::string, 3> Panels{"Count:none", "X:", "Y:"};
};

// Process-wide editing state that both windows share: the log, the drawing
// area, the status bar, the cell of the last press and the current colour.
struct Scene {
  PlacementLog log;
  render::Canvas canvas;
  StatusBar status;
  std::uint8_t CellX = 0;
  std::uint8_t CellY = 0;
  std::uint8_t CurColor = 1;
};

std::string CountText(std::int64_t slot);  // "Count:" and the number

// Panels 1 and 2: "X:" and "Y:" with the cell's coordinates.
void WriteCellPanels(StatusBar& status, std::int64_t x, std::int64_t y);

}  // namespace palorin::core
