#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace palorin::core {

// The mode box's entries, in list order.
inline constexpr std::array<std::string_view, 8> kModeNames{"Single", "X",  "Y",  "Z",
                                                            "XY",     "XZ", "YZ", "XYZ"};

// What choosing mode entry `index` does to the size boxes X, Y, Z: the boxes
// of the mode's axes are enabled, get the text "1" and a window-text caption;
// the others get entry 0 selected and a gray caption.
struct ModeRule {
  std::array<bool, 3> enabled{};
};
std::optional<ModeRule> ModeRuleFor(int index);

}  // namespace palorin::core
