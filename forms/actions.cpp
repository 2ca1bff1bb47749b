#include "forms/actions.h"

#include "forms/session.h"

namespace palorin::forms {

namespace {

void Click(Session& s, void (TForm1::*button)()) {
  s.Run([&s, button] { (s.form1().*button)(); });
}

void OpenPage(Session& s, int page) {
  s.Run([&s] { s.form1().Button5Click(); });
  s.TakePage(page);
}

constexpr bool kEditsText = true;
constexpr bool kOnArea = true;

void Step(Session& s, int dx, int dy) { s.MoveCursor(dx, dy); }

const ActionRow kActions[] = {
    {ActionId::UnDo,
     "undo",
     "UnDo",
     {},
     "Hide the last entries, as many as the step box says",
     {"Ctrl+Z", {}},
     kEditsText,
     false,
     [](Session& s) { Click(s, &TForm1::Button1Click); }},
    {ActionId::ReDo,
     "redo",
     "ReDo",
     {},
     "Show undone entries again, as many as the step box says",
     {"Ctrl+Y", "Ctrl+Shift+Z"},
     kEditsText,
     false,
     [](Session& s) { Click(s, &TForm1::Button2Click); }},
    {ActionId::ReSet,
     "reset",
     "ReSet",
     {},
     "Clear the picture and empty the log up to its position",
     {},
     false,
     false,
     [](Session& s) {
       s.KeepSnapshot();  // ReSet empties the log: the picture goes to the history first
       Click(s, &TForm1::Button3Click);
     }},
    {ActionId::Clip,
     "clip",
     "Clip",
     {},
     "Copy the picture to the clipboard",
     {"Ctrl+C", {}},
     kEditsText,
     false,
     [](Session& s) { Click(s, &TForm1::Button4Click); }},
    {ActionId::File,
     "file",
     "File",
     {},
     "Show the file window",
     {},
     false,
     false,
     [](Session& s) { Click(s, &TForm1::Button5Click); }},
    {ActionId::End,
     "end",
     "End",
     {},
     "End the program",
     {"Ctrl+Q", {}},
     false,
     false,
     [](Session& s) { Click(s, &TForm1::Button6Click); }},
    {ActionId::Execute,
     "execute",
     "実行",
     "Execute",
     "Load or save, by the page shown",
     {},
     false,
     false,
     [](Session& s) { s.Execute(); }},
    {ActionId::Cancel,
     "cancel",
     "キャンセル",
     "Cancel",
     "Hide the file window",
     {},
     false,
     false,
     [](Session& s) { s.CloseFileWindow(); }},
    {ActionId::LoadPage,
     "load-page",
     {},
     {},
     "Show the file window's load page",
     {"Ctrl+O", {}},
     false,
     false,
     [](Session& s) { OpenPage(s, TForm2::kLoadPage); }},
    {ActionId::SavePage,
     "save-page",
     {},
     {},
     "Show the file window's save page",
     {"Ctrl+S", {}},
     false,
     false,
     [](Session& s) { OpenPage(s, TForm2::kSavePage); }},
    {ActionId::CursorLeft,
     "cursor-left",
     {},
     {},
     "Move the cell cursor one step left",
     {"Left", {}},
     false,
     kOnArea,
     [](Session& s) { Step(s, -1, 0); }},
    {ActionId::CursorRight,
     "cursor-right",
     {},
     {},
     "Move the cell cursor one step right",
     {"Right", {}},
     false,
     kOnArea,
     [](Session& s) { Step(s, 1, 0); }},
    {ActionId::CursorUp,
     "cursor-up",
     {},
     {},
     "Move the cell cursor one step up",
     {"Up", {}},
     false,
     kOnArea,
     [](Session& s) { Step(s, 0, -1); }},
    {ActionId::CursorDown,
     "cursor-down",
     {},
     {},
     "Move the cell cursor one step down",
     {"Down", {}},
     false,
     kOnArea,
     [](Session& s) { Step(s, 0, 1); }},
    {ActionId::CursorLeft5,
     "cursor-left-5",
     {},
     {},
     "Move the cell cursor five steps left",
     {"Shift+Left", {}},
     false,
     kOnArea,
     [](Session& s) { Step(s, -5, 0); }},
    {ActionId::CursorRight5,
     "cursor-right-5",
     {},
     {},
     "Move the cell cursor five steps right",
     {"Shift+Right", {}},
     false,
     kOnArea,
     [](Session& s) { Step(s, 5, 0); }},
    {ActionId::CursorUp5,
     "cursor-up-5",
     {},
     {},
     "Move the cell cursor five steps up",
     {"Shift+Up", {}},
     false,
     kOnArea,
     [](Session& s) { Step(s, 0, -5); }},
    {ActionId::CursorDown5,
     "cursor-down-5",
     {},
     {},
     "Move the cell cursor five steps down",
     {"Shift+Down", {}},
     false,
     kOnArea,
     [](Session& s) { Step(s, 0, 5); }},
    {ActionId::Place,
     "place",
     {},
     {},
     "Place at the cell cursor, as a click there does",
     {"Space", "Return"},
     false,
     kOnArea,
     [](Session& s) { s.PressAtCursor(); }},
};

}  // namespace

std::span<const ActionRow> Actions() { return kActions; }

const ActionRow& ActionOf(ActionId id) { return kActions[static_cast<std::size_t>(id)]; }

const ActionRow* ActionForKeys(std::string_view keys) {
  if (keys.empty()) return nullptr;
  for (const ActionRow& row : kActions) {
    for (const std::string_view k : row.keys) {
      if (k == keys) return &row;
    }
  }
  return nullptr;
}

const ActionRow* ActionForVerb(std::string_view verb) {
  for (const ActionRow& row : kActions) {
    if (row.verb == verb) return &row;
  }
  return nullptr;
}

std::string KeysText(const ActionRow& action) {
  std::string text;
  for (const std::string_view k : action.keys) {
    if (k.empty()) continue;
    if (!text.empty()) text += ", ";
    text += k;
  }
  return text;
}

}  // namespace palorin::forms
