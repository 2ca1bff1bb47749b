#include "core/scene.h"

namespace palorin::core {

std::string CountText(std::int64_t slot) { return "Count:" + std::to_string(slot); }

void WriteCellPanels(StatusBar& status, std::int64_t x, std::int64_t y) {
  status.Panels[1] = "X:" + std::to_string(x);
  status.Panels[2] = "Y:" + std::to_string(y);
}

}  // namespace palorin::core
