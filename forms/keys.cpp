#include "forms/keys.h"

#include "forms/input.h"
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

const KeyBinding* BindingFor(std::string_view keys) {
  for (const KeyBinding& binding : kKeyBindings) {
    if (binding.keys == keys) return &binding;
  }
  return nullptr;
}

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
      OpenFilePage(form1, form2, TForm2::kLoadPage, RunDirectly);
      return;
    case KeyAction::SavePage:
      OpenFilePage(form1, form2, TForm2::kSavePage, RunDirectly);
      return;
    case KeyAction::End:
      form1.Button6Click();
      return;
  }
}

}  // namespace palorin::forms
