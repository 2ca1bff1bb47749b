#include "core/pick.h"

namespace palorin::core {

std::optional<Cell> Pick(PointerPos p) {
  if (p.x < 0 || p.y < 0) return std::nullopt;
  const int a = p.y % 6;
  const int b = p.x % 12;
  const int k = PickTable[static_cast<std::size_t>(b)][static_cast<std::size_t>(a)];
  const auto dx = PickDX[static_cast<std::size_t>(k)];
  const auto dy = PickDY[static_cast<std::size_t>(k)];
  // p.x - b is a multiple of 12 and p.y - a of 6, so both divisions are exact.
  return Cell{(p.x - b + dx) / 6, (p.y - a + dy) / 3};
}

}  // namespace palorin::core
