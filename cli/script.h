#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/actions.h"

namespace palorin::cli {

// One action of a play script: what a user does with a control of either
// window. Names (colours, modes) are kept as written and looked up in the
// boxes' lists when the action runs, so the lists stay the windows' own.
struct Action {
  enum class Kind : std::uint8_t {
    Press,       // press X Y
    Move,        // move X Y
    Colour,      // colour NAME (text = NAME)
    ColourText,  // colour-text TEXT
    Mode,        // mode NAME (text = NAME)
    ModeText,    // mode-text TEXT
    Size,        // size AXIS N (axis, entry = N - 1)
    SizeText,    // size-text AXIS TEXT
    Step,        // step TEXT
    // A verb of the editor's action table ("undo", "file", "cursor-left" ...):
    // its button clicked, or its keys pressed where they act (id).
    Verb,
    Page,      // page load|save (entry = page number)
    SaveMode,  // save-mode compat|native|bmp (entry = radio item)
    Part,      // part TEXT
    Load,      // load PATH (text = PATH)
    Save,      // save PATH
    LoadCancel,
    SaveCancel,
    Key,      // key KEYS (text = KEYS, as "Ctrl+Shift+Z"): no text field has the focus
    AreaKey,  // area-key KEYS: the drawing area has the focus
    Open,     // open NAME;NAME;... (names): files opened by name in one go
  };
  Kind kind = Kind::Verb;
  forms::ActionId id = forms::ActionId::UnDo;  // for Verb
  int x = 0;  // pointer pixel for Press and Move
  int y = 0;
  int axis = 0;   // 0 X, 1 Y, 2 Z
  int entry = 0;  // list entry, page or radio item
  std::string text;
  std::vector<std::string> names;  // for Open, in the order written
};

// The result of reading one script line: an action, nothing (a blank or
// comment line), or the reason the line is not understood.
struct ParsedLine {
  std::optional<Action> action;
  std::string error;  // non-empty when the line is not understood
};

// Reads one line (without its line end; a trailing CR is ignored). Fields are
// separated by one blank; a TEXT or PATH field is everything after the blank
// that follows the keyword (or the axis) and may be empty or hold blanks.
ParsedLine ParseLine(std::string_view line);

// The action table's rows that are play verbs: all but execute, whose dialog
// a script answers with load, save, load-cancel or save-cancel.
bool IsPlayVerb(const forms::ActionRow& row);

// The tool's own strict decimal number: an optional '-' and digits, nothing
// else, within the signed 32-bit range.
bool ParseDecimal(std::string_view text, int& out);

}  // namespace palorin::cli
