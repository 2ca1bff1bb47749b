#pragma once

#include <QString>
#include <string_view>

namespace palorin::ui {

// Tells screen readers what the program's own widgets are: the windows
// windows, a box a box named by what it is, the drawing area a canvas, a
// part bar a graphic, the status bar a status bar. Once, before the windows
// are built; later calls do nothing.
void InstallAccessibleRoles();

// A part indicator's state: its part marked (a green bar), in the series but
// not marked (red), or beyond the series (drawn in the button face, unseen).
enum class PartState { Marked, Missing, Unused };

// The name of a part indicator by its state: `markedName` ("part 2 saved")
// for a part marked, the same with "not" before its last word ("part 2 not
// saved") for one missing, and "part 2 unused" for one beyond the series.
QString PartStateName(std::string_view markedName, PartState state);

}  // namespace palorin::ui
