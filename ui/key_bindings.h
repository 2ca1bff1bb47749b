#pragma once

class QWidget;

namespace palorin::forms {
class Session;
}

namespace palorin::ui {

class MainWindow;
class FileWindow;

// Binds every action's keys (forms::Actions()) in a window; a key goes
// to the session with where the focus is (forms::Focus): a box's text field
// or the memo, the drawing area, or elsewhere. The drawing area's keys are
// bound on the drawing area alone, so that elsewhere the arrows, Space and
// Return stay the controls' own. While a text field has the focus, the keys
// that edit text stay with the field.
// The main window's keys are bound when it is built, the file window's when
// it is built (on its first showing).
void BindKeys(MainWindow& mainWindow, forms::Session& session);
void BindKeys(FileWindow& fileWindow, MainWindow& mainWindow, forms::Session& session);

}  // namespace palorin::ui
