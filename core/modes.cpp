#include "core/modes.h"

namespace palorin::core {

std::optional<ModeRule> ModeRuleFor(int index) {
  // Bit 0 X, bit 1 Y, bit 2 Z for the entries "Single" … "XYZ".
  static constexpr std::array<unsigned, kModeNames.size()> kAxes{0b000, 0b001, 0b010, 0b100,
                                                                 0b011, 0b101, 0b110, 0b111};
  if (index < 0 || index >= static_cast<int>(kAxes.size())) return std::nullopt;
  const unsigned axes = kAxes[static_cast<std::size_t>(index)];
  return ModeRule{{(axes & 1u) != 0, (axes & 2u) != 0, (axes & 4u) != 0}};
}

}  // namespace palorin::core
