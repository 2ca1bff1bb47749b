#include "forms/input.h"

#include <string>

namespace palorin::forms {

ComboBox& BoxOf(TForm1& form1, TForm2& form2, BoxId box) {
  switch (box) {
    case BoxId::Colour:
      return form1.ComboBox1;
    case BoxId::SizeX:
      return form1.ComboBox2;
    case BoxId::SizeY:
      return form1.ComboBox3;
    case BoxId::SizeZ:
      return form1.ComboBox4;
    case BoxId::Step:
      return form1.ComboBox5;
    case BoxId::Mode:
      return form1.ComboBox6;
    case BoxId::Part:
      break;
  }
  return form2.ComboBox1;
}

bool BoxReachable(TForm1& form1, TForm2& form2, BoxId box) {
  if (!BoxOf(form1, form2, box).Enabled) return false;
  if (box != BoxId::Part) return true;
  return form2.Visible && form2.ActivePage == TForm2::kSavePage && form2.GroupBox1Enabled;
}

namespace {

// The box's change handler: the colour and mode boxes have one; the others
// are only read when an operation runs.
void BoxChanged(TForm1& form1, BoxId box) {
  if (box == BoxId::Colour) form1.ComboBox1Change();
  if (box == BoxId::Mode) form1.ComboBox6Change();
}

}  // namespace

bool ChooseEntry(TForm1& form1, TForm2& form2, BoxId box, int index) {
  if (!BoxReachable(form1, form2, box)) return false;
  if (!BoxOf(form1, form2, box).Choose(index)) return false;
  BoxChanged(form1, box);
  return true;
}

bool TypeText(TForm1& form1, TForm2& form2, BoxId box, std::string_view text) {
  if (!BoxReachable(form1, form2, box)) return false;
  BoxOf(form1, form2, box).SetText(std::string(text));
  BoxChanged(form1, box);
  return true;
}

}  // namespace palorin::forms
