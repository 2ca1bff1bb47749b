#pragma once

#include "core/pick.h"
#include "core/scene.h"
#include "core/stamp.h"

namespace palorin::core {

// The press on the drawing area: guards, pick, then one block or a stamp.
// Refused silently while LogPos lies above kPressLimit, for a cell outside the
// accepted range and while no colour is chosen.
void Press(Scene& scene, PointerPos pos, const StampInputs& in);

// The pointer move: the cell under the pointer into panels 1 and 2. Returns
// whether the panels were written.
bool Move(Scene& scene, PointerPos pos);

}  // namespace palorin::core
