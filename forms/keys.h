#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace palorin::forms {

class TForm1;
class TForm2;

// What a key of the editor does: each runs the handlers a click runs.
enum class KeyAction : std::uint8_t {
  UnDo,      // Button1Click, by the step box's count
  ReDo,      // Button2Click
  Clip,      // Button4Click
  LoadPage,  // "File", then the load tab
  SavePage,  // "File", then the save tab
  End,       // Button6Click
};

struct KeyBinding {
  // Portable key text ("Ctrl+Shift+Z"): what a front end binds and what a
  // tooltip names.
  std::string_view keys;
  KeyAction action;
  // A key that edits text: while a box's text field or the memo has the
  // focus it belongs to the text (its undo, redo or copy) and runs nothing
  // of the window.
  bool editsText;
};

inline constexpr std::array<KeyBinding, 7> kKeyBindings{{
    {"Ctrl+Z", KeyAction::UnDo, true},
    {"Ctrl+Y", KeyAction::ReDo, true},
    {"Ctrl+Shift+Z", KeyAction::ReDo, true},
    {"Ctrl+C", KeyAction::Clip, true},
    {"Ctrl+O", KeyAction::LoadPage, false},
    {"Ctrl+S", KeyAction::SavePage, false},
    {"Ctrl+Q", KeyAction::End, false},
}};

// The keys of one action joined by ", " ("Ctrl+Y, Ctrl+Shift+Z").
std::string KeysOf(KeyAction action);

// The binding of the keys written `keys` ("Ctrl+Shift+Z"), or null for keys
// the editor does not bind.
const KeyBinding* BindingFor(std::string_view keys);

// Runs what the key does, through the very handlers of the buttons and the
// tabs: a page key shows the file window as "File" does and then takes the
// page as its tab does (OpenFilePage), so PageControl1Change runs only when
// the page changes. A raised error leaves the handler as a click's would.
void RunKeyAction(KeyAction action, TForm1& form1, TForm2& form2);

}  // namespace palorin::forms
