#include "forms/tform1.h"

#include <string>

#include "core/modes.h"
#include "core/press.h"

namespace palorin::forms {

namespace {

std::vector<std::string> Numbers(int last) {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(last));
  for (int n = 1; n <= last; ++n) items.push_back(std::to_string(n));
  return items;
}

}  // namespace

TForm1::TForm1(Services& services) : services_(services) {
  // The layout's texts and items, before FormCreate runs.
  ComboBox1.Items = {"blue", "green", "red", "yellow", "white"};
  ComboBox1.Text = "blue";
  ComboBox6.Items.assign(core::kModeNames.begin(), core::kModeNames.end());
  ComboBox6.Text = "Single";
  // Move-assigned: GCC 12 at -O3 misreads an assignment from a literal here
  // as an overlapping copy (-Wrestrict).
  for (ComboBox* box : {&ComboBox2, &ComboBox3, &ComboBox4, &ComboBox5}) {
    box->Text = std::string("1");
  }
}

void TForm1::FormCreate() {
  render::Cls(scene.canvas.raster);
  scene.canvas.Refresh();
  for (ComboBox* box : SizeBoxes()) {
    box->Items = Numbers(50);
    box->Choose(0);
    box->Enabled = false;
  }
  for (Label* label : SizeLabels()) label->FontColor = kGray;
  ComboBox5.Items = Numbers(1000);
  // The picking tables are compile-time constants (core/pick.h).
  scene.CurColor = 1;
  scene.log.LogPos = 0;
  scene.log.LastIndex = 0;
  scene.log.AfterStep = core::kNextFree;
}

core::StampInputs TForm1::StampInputsNow() const {
  return {ComboBox6.Text,
          {ComboBox2.Text, ComboBox3.Text, ComboBox4.Text},
          {ComboBox2.ItemIndex, ComboBox3.ItemIndex, ComboBox4.ItemIndex}};
}

void TForm1::Image1MouseDown(MouseButton, ShiftState, int x, int y) {
  core::Press(scene, {x, y}, StampInputsNow());
}

void TForm1::Image1MouseMove(ShiftState, int x, int y) { core::Move(scene, {x, y}); }

void TForm1::Button1Click() { core::UnDo(scene, ComboBox5.Text); }
void TForm1::Button2Click() { core::ReDo(scene, ComboBox5.Text); }
void TForm1::Button3Click() { core::ReSet(scene); }
void TForm1::Button4Click() { services_.CopyToClipboard(scene.canvas.raster); }
void TForm1::Button5Click() { services_.ShowFileWindow(); }
void TForm1::Button6Click() { services_.CloseMainWindow(); }

void TForm1::ComboBox1Change() {
  // Kept in one byte: no entry selected (-1) gives colour 0.
  scene.CurColor = static_cast<std::uint8_t>((ComboBox1.ItemIndex + 1) & 0xff);
}

void TForm1::ComboBox6Change() {
  const auto rule = core::ModeRuleFor(ComboBox6.ItemIndex);
  if (!rule) return;
  const auto boxes = SizeBoxes();
  const auto labels = SizeLabels();
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (!rule->enabled[axis]) boxes[axis]->Choose(0);
  }
  for (std::size_t axis = 0; axis < 3; ++axis) boxes[axis]->Enabled = rule->enabled[axis];
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (rule->enabled[axis]) boxes[axis]->SetText("1");
  }
  for (std::size_t axis = 0; axis < 3; ++axis) {
    labels[axis]->FontColor = rule->enabled[axis] ? Color::WindowText() : kGray;
  }
}

}  // namespace palorin::forms
