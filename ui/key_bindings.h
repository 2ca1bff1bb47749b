#pragma once

#include <functional>

#include "forms/keys.h"

class QWidget;

namespace palorin::ui {

// Binds the editor's keys (forms::kKeyBindings) in both windows: a key runs
// `run` with its action. While a box's text field has the focus, the keys
// that edit text stay with the field. The main window's buttons name their
// keys in their tooltips.
void BindKeys(QWidget& mainWindow, QWidget& fileWindow,
              const std::function<void(forms::KeyAction)>& run);

}  // namespace palorin::ui
