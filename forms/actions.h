#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace palorin::forms {

class Session;

// Everything a user can do with a button or a key of the two windows. Each
// action is declared once, in the table below: the buttons, the keys, the
// tooltips, the accessible names and `palorin-cli play`'s verbs all read it.
enum class ActionId : std::uint8_t {
  UnDo,      // main window Button1
  ReDo,      // Button2
  ReSet,     // Button3
  Clip,      // Button4
  File,      // Button5: shows the file window
  End,       // Button6: closes the main window, ending the program
  Execute,   // file window Button1 "実行": load or save by the active page
  Cancel,    // file window Button2 "キャンセル": hides the file window
  LoadPage,  // "File", then the load tab
  SavePage,  // "File", then the save tab
  // The drawing area's cell cursor, while the area has the focus: one
  // lattice step, or five, each way, and a press at the cursor.
  CursorLeft,
  CursorRight,
  CursorUp,
  CursorDown,
  CursorLeft5,
  CursorRight5,
  CursorUp5,
  CursorDown5,
  Place,
};

// Where the keyboard focus is when a key is pressed: the keys of an action
// belong to the windows, to a text field, or to the drawing area.
enum class Focus : std::uint8_t { Other, TextField, DrawingArea };

struct ActionRow {
  ActionId id;
  // The action's name in scripts (`palorin-cli play`) and in the page.
  std::string_view verb;
  // The caption of the button that runs it, as the window shows it; empty
  // for an action only keys reach.
  std::string_view caption;
  // The English of a Japanese caption; empty where the caption is English.
  std::string_view gloss;
  // What it does, in a few words, for tooltips, help texts and screen
  // readers.
  std::string_view help;
  // Portable key texts ("Ctrl+Shift+Z"), as a front end binds them; unused
  // entries are empty.
  std::array<std::string_view, 2> keys;
  // The keys edit text too: while a text field (a box's text, the memo) has
  // the focus they are the field's own (its undo, redo, copy) and run
  // nothing of the windows.
  bool keysEditText;
  // The keys are the drawing area's: they act only while it has the focus.
  bool keysOnDrawingArea;
  // Runs the action in `session`, as a click on its button or its key does.
  void (*run)(Session& session);
};

// The whole table, in the order of ActionId.
std::span<const ActionRow> Actions();
const ActionRow& ActionOf(ActionId id);

// The action whose keys are `keys` ("Ctrl+Shift+Z"), or null.
const ActionRow* ActionForKeys(std::string_view keys);
// The action named `verb` in scripts, or null.
const ActionRow* ActionForVerb(std::string_view verb);

// The action's keys joined by ", " ("Ctrl+Y, Ctrl+Shift+Z"); empty for none.
std::string KeysText(const ActionRow& action);

}  // namespace palorin::forms
