#include "forms/keys.h"

#include "forms/tform1.h"
#include "forms/tform2.h"

namespace palorin::forms {

std::string KeysOf(KeyAction action) {
  std::string keys;
  for (const KeyBinding& binding : kKeyBindings) {
    if (binding.action != action) continue;
    if (!keys.empty()) keys += ", ";
    keys += binding.keys;
  }
  return keys;
}

namespace {

void ShowPage(TForm1& form1, TForm2& form2, int page) {
  form1.Button5Click();
  if (form2.ActivePage == page) return;
  form2.ActivePage = page;
  form2.PageControl1Change();
}

}  // namespace

void RunKeyAction(KeyAction action, TForm1& form1, TForm2& form2) {
  switch (action) {
    case KeyAction::UnDo:
      form1.Button1Click();
      return;
    case KeyAction::ReDo:
      form1.Button2Click();
      return;
    case KeyAction::Clip:
      form1.Button4Click();
      return;
    case KeyAction::LoadPage:
      ShowPage(form1, form2, TForm2::kLoadPage);
      return;
    case KeyAction::SavePage:
      ShowPage(form1, form2, TForm2::kSavePage);
      return;
    case KeyAction::End:
      form1.Button6Click();
      return;
  }
}

}  // namespace palorin::forms
