#include "forms/layout.h"

#include <algorithm>
#include <array>

#include "forms/tform1.h"
#include "forms/tform2.h"

namespace palorin::forms {

namespace {

using K = ControlKind;
constexpr WindowId M = WindowId::Main;
constexpr WindowId F = WindowId::File;

constexpr std::array kWindows{
    WindowRow{M, "Form1", kMainCaption, 500, 376, 192, 107, "en", "Palorin"},
    WindowRow{F, "Form2", kFileCaption, 208, 210, 557, 106, "ja", "Palorin file window"},
};

ControlRow Control(WindowId w, std::string_view name, std::string_view parent, ControlKind kind,
                   Rect rect, std::string_view caption = {}, std::string_view gloss = {},
                   int tabOrder = -1) {
  return {w,        name,         parent,       kind, rect, caption, gloss,
          tabOrder, std::nullopt, std::nullopt, -1,   {},   {}};
}

ControlRow Button(WindowId w, std::string_view name, std::string_view parent, Rect rect,
                  ActionId action, int tabOrder) {
  const ActionRow& row = ActionOf(action);
  ControlRow c = Control(w, name, parent, K::Button, rect, row.caption, row.gloss, tabOrder);
  c.action = action;
  return c;
}

ControlRow Box(WindowId w, std::string_view name, std::string_view parent, Rect rect, BoxId box,
               int tabOrder, std::string_view accessibleName) {
  ControlRow c = Control(w, name, parent, K::ComboBox, rect, {}, {}, tabOrder);
  c.box = box;
  c.accessibleName = accessibleName;
  return c;
}

ControlRow AxisLabel(std::string_view name, Rect rect, std::string_view caption,
                     std::string_view box) {
  ControlRow c = Control(M, name, "", K::Label, rect, caption);
  c.labelFor = box;
  return c;
}

ControlRow Item(ControlRow c, int item, std::string_view accessibleName = {}) {
  c.item = item;
  c.accessibleName = accessibleName;
  return c;
}

constexpr std::array<std::string_view, 5> kDigits{"１", "２", "３", "４", "５"};
constexpr std::array<std::string_view, 5> kDigitGloss{"1", "2", "3", "4", "5"};
constexpr std::array<std::string_view, 10> kLabelNames{"Label1", "Label2", "Label3", "Label4",
                                                       "Label5", "Label6", "Label7", "Label8",
                                                       "Label9", "Label10"};
constexpr std::array<std::string_view, 10> kShapeNames{"Shape1", "Shape2", "Shape3", "Shape4",
                                                       "Shape5", "Shape6", "Shape7", "Shape8",
                                                       "Shape9", "Shape10"};
constexpr std::array<std::string_view, 5> kSaveBarNames{
    "part 1 saved", "part 2 saved", "part 3 saved", "part 4 saved", "part 5 saved"};
constexpr std::array<std::string_view, 5> kLoadBarNames{
    "part 1 loaded", "part 2 loaded", "part 3 loaded", "part 4 loaded", "part 5 loaded"};

// Five digits "１"…"５" over five bars, part 1 first: labels 9 x 17 at
// `firstLeft` + 24 per part, each bar 17 x 8 five pixels left of its digit.
void AddIndicators(std::vector<ControlRow>& rows, std::string_view parent, int firstName,
                   int firstLeft, const std::array<std::string_view, 5>& barNames) {
  for (int part = 0; part < 5; ++part) {
    const auto i = static_cast<std::size_t>(part);
    const int left = firstLeft + 24 * part;
    rows.push_back(Item(Control(F, kLabelNames[i + static_cast<std::size_t>(firstName - 1)], parent,
                                K::Label, {left, 16, 9, 17}, kDigits[i], kDigitGloss[i]),
                        part + 1));
  }
  for (int part = 0; part < 5; ++part) {
    const auto i = static_cast<std::size_t>(part);
    const int left = firstLeft + 24 * part - 5;
    rows.push_back(Item(Control(F, kShapeNames[i + static_cast<std::size_t>(firstName - 1)], parent,
                                K::Shape, {left, 33, 17, 8}),
                        part + 1, barNames[i]));
  }
}

std::vector<ControlRow> MakeControls() {
  std::vector<ControlRow> rows{
      // The main window, in creation order.
      // The drawing area comes first in the tab order: it has the focus at
      // start, so that keys draw and a Space meant for it clicks no button.
      // The window's other controls keep their order after it.
      Button(M, "Button5", "", {0, 0, 41, 20}, ActionId::File, 4),
      Button(M, "Button4", "", {48, 0, 41, 20}, ActionId::Clip, 2),
      Button(M, "Button3", "", {96, 0, 49, 20}, ActionId::ReSet, 1),
      Control(M, "GroupBox1", "", K::GroupBox, {296, 0, 161, 41}, "URCount", {}, 10),
      Box(M, "ComboBox5", "GroupBox1", {8, 16, 49, 20}, BoxId::Step, 2, "Step"),
      Button(M, "Button1", "GroupBox1", {64, 16, 41, 20}, ActionId::UnDo, 0),
      Button(M, "Button2", "GroupBox1", {112, 16, 41, 20}, ActionId::ReDo, 1),
      Button(M, "Button6", "", {464, 8, 33, 25}, ActionId::End, 6),
      Box(M, "ComboBox6", "", {0, 24, 57, 20}, BoxId::Mode, 11, "Mode"),
      Box(M, "ComboBox1", "", {64, 24, 57, 20}, BoxId::Colour, 3, "Colour"),
      AxisLabel("Label1", {120, 24, 17, 20}, kAxisNames[0], "ComboBox2"),
      Box(M, "ComboBox2", "", {136, 24, 41, 20}, BoxId::SizeX, 7, "Size X"),
      AxisLabel("Label2", {176, 24, 17, 20}, kAxisNames[1], "ComboBox3"),
      Box(M, "ComboBox3", "", {192, 24, 41, 20}, BoxId::SizeY, 8, "Size Y"),
      AxisLabel("Label3", {232, 24, 17, 20}, kAxisNames[2], "ComboBox4"),
      Box(M, "ComboBox4", "", {248, 24, 41, 20}, BoxId::SizeZ, 9, "Size Z"),
      Item(Control(M, "Image1", "", K::DrawingArea, {0, 48, 500, 308}, {}, {}, 0), -1,
           "Drawing area"),
      Item(Control(M, "StatusBar1", "", K::StatusBar, {0, 357, 500, 19}), -1, "Status"),
      Item(Control(M, "Panel0", "StatusBar1", K::StatusPanel, {0, 0, 70, 19}), 0, "Count"),
      Item(Control(M, "Panel1", "StatusBar1", K::StatusPanel, {70, 0, 35, 19}), 1, "Cell X"),
      Item(Control(M, "Panel2", "StatusBar1", K::StatusPanel, {105, 0, 35, 19}), 2, "Cell Y"),

      // The file window.
      Item(Control(F, "PageControl1", "", K::PageControl, {0, 0, 209, 177}, {}, {}, 0), -1,
           "Load and save pages"),
      Item(Control(F, "TabSheet1", "PageControl1", K::TabSheet, {}, "読込", "Load"),
           TForm2::kLoadPage),
      Control(F, "GroupBox3", "TabSheet1", K::GroupBox, {8, 8, 185, 137}, "ヘッダ情報",
              "Header information", 0),
      Item(Control(F, "Memo1", "GroupBox3", K::Memo, {8, 16, 169, 57}, {}, {}, 1), -1, "Header"),
      Control(F, "GroupBox4", "GroupBox3", K::GroupBox, {8, 80, 169, 49}, "Sertafo形式読込情報",
              "Sertafo-format load information", 0),
      Item(Control(F, "Label11", "GroupBox4", K::Label, {16, 24, 17, 17}), -1, "Part number read"),
  };
  AddIndicators(rows, "GroupBox4", 6, 54, kLoadBarNames);
  const std::array<ControlRow, 6> savePage{
      Item(Control(F, "TabSheet2", "PageControl1", K::TabSheet, {}, "保存", "Save"),
           TForm2::kSavePage),
      Control(F, "RadioGroup1", "TabSheet2", K::RadioGroup, {8, 8, 185, 81}, "書き込み設定",
              "Write settings", 0),
      Item(Control(F, "RadioGroup1Item0", "RadioGroup1", K::RadioItem, {8, 16, 169, 20},
                   "Sertafo互換モード", "Sertafo-compatible mode"),
           kCompatibleMode),
      Item(Control(F, "RadioGroup1Item1", "RadioGroup1", K::RadioItem, {8, 36, 169, 20},
                   "Palorin専用モード", "Palorin-only mode"),
           kNativeMode),
      Item(Control(F, "RadioGroup1Item2", "RadioGroup1", K::RadioItem, {8, 56, 169, 20},
                   "Bmp画像モード", "BMP image mode"),
           kBmpMode),
      Control(F, "GroupBox1", "TabSheet2", K::GroupBox, {8, 96, 185, 49}, "Sertafo互換モード設定",
              "Sertafo-compatible mode settings", 1),
  };
  rows.insert(rows.end(), savePage.begin(), savePage.end());
  rows.push_back(Box(F, "ComboBox1", "GroupBox1", {16, 21, 33, 20}, BoxId::Part, 0, "Part number"));
  AddIndicators(rows, "GroupBox1", 1, 62, kSaveBarNames);
  rows.push_back(Button(F, "Button1", "", {16, 184, 81, 25}, ActionId::Execute, 1));
  rows.push_back(Button(F, "Button2", "", {112, 184, 81, 25}, ActionId::Cancel, 2));
  rows.push_back(Control(F, "RichEdit1", "", K::TextBuffer, {224, 8, 185, 89}));
  return rows;
}

const std::vector<ControlRow>& AllControls() {
  static const std::vector<ControlRow> rows = MakeControls();
  return rows;
}

}  // namespace

std::span<const WindowRow> Windows() { return kWindows; }

const WindowRow& WindowOf(WindowId id) { return kWindows[static_cast<std::size_t>(id)]; }

std::span<const ControlRow> Controls() { return AllControls(); }

const ControlRow* ControlOf(WindowId window, std::string_view name) {
  for (const ControlRow& c : AllControls()) {
    if (c.window == window && c.name == name) return &c;
  }
  return nullptr;
}

Rect OuterRect(const ControlRow& control) {
  Rect r = control.rect;
  for (const ControlRow* p = ControlOf(control.window, control.parent);
       p != nullptr && p->kind != K::TabSheet; p = ControlOf(p->window, p->parent)) {
    r.left += p->rect.left;
    r.top += p->rect.top;
  }
  return r;
}

std::vector<const ControlRow*> ChildrenOf(WindowId window, std::string_view parent) {
  std::vector<const ControlRow*> children;
  for (const ControlRow& c : AllControls()) {
    if (c.window == window && c.parent == parent) children.push_back(&c);
  }
  return children;
}

namespace {

void AddTabStops(WindowId window, std::string_view parent, std::vector<const ControlRow*>& chain) {
  std::vector<const ControlRow*> children = ChildrenOf(window, parent);
  // Tab sheets take no focus themselves but hold their page's controls, in
  // page order.
  std::stable_sort(children.begin(), children.end(), [](const ControlRow* a, const ControlRow* b) {
    const auto order = [](const ControlRow* c) {
      return c->kind == K::TabSheet ? c->item : c->tabOrder;
    };
    return order(a) < order(b);
  });
  for (const ControlRow* c : children) {
    if (c->kind == K::TabSheet) {
      AddTabStops(window, c->name, chain);
      continue;
    }
    if (c->tabOrder < 0) continue;
    // A group box takes no focus; its controls come in its place.
    if (c->kind != K::GroupBox) chain.push_back(c);
    AddTabStops(window, c->name, chain);
  }
}

}  // namespace

std::vector<const ControlRow*> TabChain(WindowId window) {
  std::vector<const ControlRow*> chain;
  AddTabStops(window, "", chain);
  return chain;
}

}  // namespace palorin::forms
