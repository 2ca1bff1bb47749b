#pragma once

class QWidget;

namespace palorin::forms {
class Session;
}

namespace palorin::ui {

class MainWindow;
class FileWindow;

// Binds every action's keys (forms::Actions()) in both windows; a key goes
// to the session with where the focus is (forms::Focus): a box's text field
// or the memo, the drawing area, or elsewhere. The drawing area's keys are
// bound on the drawing area alone, so that elsewhere the arrows, Space and
// Return stay the controls' own. While a text field has the focus, the keys
// that edit text stay with the field.
void BindKeys(MainWindow& mainWindow, FileWindow& fileWindow, forms::Session& session);

}  // namespace palorin::ui
