#include "core/press.h"

#include <algorithm>

#include "core/history.h"

namespace palorin::core {

void Press(Scene& scene, PointerPos pos, const StampInputs& in) {
  if (scene.log.LogPos > kPressLimit) return;
  const auto cell = Pick(pos);
  if (!cell) return;
  // On purpose the cell is kept in a byte before the range check, as the
  // program always has: a pointer past x 1535, which the drawing area never
  // reports, wraps to a cell near the left edge.
  scene.CellX = static_cast<std::uint8_t>(cell->x & 0xff);
  scene.CellY = static_cast<std::uint8_t>(cell->y & 0xff);
  if (scene.CellX > kMaxCellX || scene.CellY > kMaxCellY) return;
  if (scene.CurColor == 0) return;
  PrepareAppend(scene.log);
  const bool single = std::all_of(in.sizeText.begin(), in.sizeText.end(),
                                  [](std::string_view t) { return t == "1"; });
  if (single) {
    AppendBlock(scene, scene.CellX, scene.CellY, scene.CurColor);
  } else {
    loopDraw(scene, in);
  }
}

bool Move(Scene& scene, PointerPos pos) {
  const auto cell = Pick(pos);
  if (!cell || !Accepted(cell->x, cell->y)) return false;
  WriteCellPanels(scene.status, cell->x, cell->y);
  return true;
}

}  // namespace palorin::core
