#include "forms/tform1.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "forms/dispatch.h"
#include "render/sprites.h"
#include "tests/support/fake_services.h"

namespace palorin::forms {
namespace {

using test::FakeServices;

std::vector<std::string> Numbers(int last) {
  std::vector<std::string> items;
  for (int n = 1; n <= last; ++n) items.push_back(std::to_string(n));
  return items;
}

class TForm1Test : public testing::Test {
 protected:
  TForm1Test() : form(services) { form.FormCreate(); }

  // A press at the middle of a cell's diamond.
  void PressCell(int x, int y, MouseButton button = MouseButton::Left) {
    form.Image1MouseDown(button, 0, 6 * x + 5, 3 * y + 3);
  }
  // The mode box's entry chosen from its list.
  void ChooseMode(int index) {
    ASSERT_TRUE(form.ComboBox6.Choose(index));
    form.ComboBox6Change();
  }
  // Every slot, position and pixel, to show that nothing changed.
  struct Snapshot {
    core::PlacementLog log;
    render::Raster raster;
    std::array<std::string, 3> panels;
    std::uint64_t refreshes;
    bool operator==(const Snapshot& o) const {
      return log.LogX == o.log.LogX && log.LogY == o.log.LogY && log.LogColor == o.log.LogColor &&
             log.LogPos == o.log.LogPos && log.LastIndex == o.log.LastIndex &&
             log.AfterStep == o.log.AfterStep && raster == o.raster && panels == o.panels &&
             refreshes == o.refreshes;
    }
  };
  Snapshot Take() {
    return {form.log(), form.raster(), form.StatusBar1().Panels, form.scene.canvas.RefreshCount()};
  }

  FakeServices services;
  TForm1 form;
};

TEST_F(TForm1Test, StartState) {
  struct BoxState {
    const char* name;
    const ComboBox& box;
    std::vector<std::string> items;
    const char* text;
    int index;
    bool enabled;
  };
  const BoxState boxes[] = {
      {"colour", form.ComboBox1, {"blue", "green", "red", "yellow", "white"}, "blue", -1, true},
      {"size X", form.ComboBox2, Numbers(50), "1", 0, false},
      {"size Y", form.ComboBox3, Numbers(50), "1", 0, false},
      {"size Z", form.ComboBox4, Numbers(50), "1", 0, false},
      {"step", form.ComboBox5, Numbers(1000), "1", -1, true},
      {"mode",
       form.ComboBox6,
       {"Single", "X", "Y", "Z", "XY", "XZ", "YZ", "XYZ"},
       "Single",
       -1,
       true},
  };
  for (const auto& b : boxes) {
    SCOPED_TRACE(b.name);
    EXPECT_EQ(b.box.Items, b.items);
    EXPECT_EQ(b.box.Text, b.text);
    EXPECT_EQ(b.box.ItemIndex, b.index);
    EXPECT_EQ(b.box.Enabled, b.enabled);
  }
  EXPECT_EQ(form.Label1.Caption, "X");
  EXPECT_EQ(form.Label2.Caption, "Y");
  EXPECT_EQ(form.Label3.Caption, "Z");
  for (const Label* label : form.SizeLabels()) EXPECT_EQ(label->FontColor, kGray);
  EXPECT_EQ(kGray, Color::FromRgb(128, 128, 128));
  EXPECT_EQ(form.StatusBar1().Panels, (std::array<std::string, 3>{"Count:none", "X:", "Y:"}));
  EXPECT_EQ(form.scene.CurColor, 1);
  EXPECT_EQ(form.log().LogPos, 0);
  EXPECT_EQ(form.log().LastIndex, 0);
  EXPECT_EQ(form.log().AfterStep, 0);
  EXPECT_TRUE(form.raster() == render::Raster{});
  EXPECT_EQ(form.scene.canvas.RefreshCount(), 1u) << "the drawing area is repainted once";
  EXPECT_EQ(kMainCaption, "Palorin Ver 1.2");
}

TEST_F(TForm1Test, FirstPressPlacesABlueBlockWithAnyButton) {
  for (const MouseButton button : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
    TForm1 fresh(services);
    fresh.FormCreate();
    fresh.Image1MouseDown(button, 0, 245, 153);  // cell (40, 50)
    EXPECT_EQ(fresh.StatusBar1().Panels, (std::array<std::string, 3>{"Count:0", "X:40", "Y:50"}));
    EXPECT_EQ(fresh.log().LogColor[0], 1);
    render::Raster expected;
    render::DrawBlock(expected, 40, 50, 1);
    EXPECT_TRUE(fresh.raster() == expected);
  }
}

TEST(ComboBox, TypingClearsTheSelectionChoosingSetsIt) {
  ComboBox box;
  box.Items = {"a", "b", "c"};
  EXPECT_TRUE(box.Choose(1));
  EXPECT_EQ(box.Text, "b");
  EXPECT_EQ(box.ItemIndex, 1);
  box.SetText("c");  // typed, even when it matches an entry
  EXPECT_EQ(box.Text, "c");
  EXPECT_EQ(box.ItemIndex, -1);
  EXPECT_TRUE(box.Choose(0));
  for (const int outside : {-1, 3, 100}) {
    EXPECT_FALSE(box.Choose(outside));
    EXPECT_EQ(box.ItemIndex, 0);
    EXPECT_EQ(box.Text, "a");
  }
  box.ClearItems();
  EXPECT_TRUE(box.Items.empty());
  EXPECT_EQ(box.Text, "a") << "clearing the list keeps the text";
}

TEST_F(TForm1Test, ColourBoxWithoutASelectionStopsPresses) {
  form.ComboBox1.SetText("green");  // a colour's name, but typed
  form.ComboBox1Change();
  EXPECT_EQ(form.scene.CurColor, 0);
  const Snapshot before = Take();
  PressCell(40, 50);
  ChooseMode(1);
  form.ComboBox2.SetText("5");
  PressCell(40, 50);  // a stamp is refused as well
  EXPECT_TRUE(Take() == before);
  EXPECT_EQ(form.scene.CellX, 40) << "the refused press still stored its cell";

  for (int index = 0; index < 5; ++index) {
    ASSERT_TRUE(form.ComboBox1.Choose(index));
    form.ComboBox1Change();
    EXPECT_EQ(form.scene.CurColor, index + 1);
  }
  ASSERT_TRUE(form.ComboBox1.Choose(2));  // red
  form.ComboBox1Change();
  ChooseMode(0);
  PressCell(40, 50);
  EXPECT_EQ(form.log().LogColor[0], 3);
}

TEST_F(TForm1Test, MoveShowsTheCellUnderThePointer) {
  form.Image1MouseMove(0, 491, 296);
  EXPECT_EQ(form.StatusBar1().Panels, (std::array<std::string, 3>{"Count:none", "X:81", "Y:97"}));
  form.Image1MouseMove(0, 0, 0);
  form.Image1MouseMove(0, -3, 10);
  EXPECT_EQ(form.StatusBar1().Panels[1], "X:81");
}

TEST_F(TForm1Test, ModeBoxRules) {
  struct Row {
    int index;
    bool x, y, z;  // enabled, window-text caption, text "1" with no entry selected
  };
  const Row rows[] = {
      {0, false, false, false}, {1, true, false, false}, {2, false, true, false},
      {3, false, false, true},  {4, true, true, false},  {5, true, false, true},
      {6, false, true, true},   {7, true, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.index);
    // Sizes left over from before, typed and picked.
    form.ComboBox2.SetText("7");
    ASSERT_TRUE(form.ComboBox3.Choose(11));
    form.ComboBox4.SetText("x");
    ChooseMode(row.index);
    const bool enabled[] = {row.x, row.y, row.z};
    for (int axis = 0; axis < 3; ++axis) {
      const ComboBox& box = *form.SizeBoxes()[static_cast<std::size_t>(axis)];
      EXPECT_EQ(box.Text, "1") << axis;
      EXPECT_EQ(box.Enabled, enabled[axis]) << axis;
      EXPECT_EQ(box.ItemIndex, enabled[axis] ? -1 : 0) << axis;
      EXPECT_EQ(form.SizeLabels()[static_cast<std::size_t>(axis)]->FontColor,
                enabled[axis] ? Color::WindowText() : kGray)
          << axis;
    }
  }
  // With no entry selected (a typed mode text) nothing changes.
  ChooseMode(7);
  ASSERT_TRUE(form.ComboBox2.Choose(3));
  form.ComboBox6.SetText("Single");
  form.ComboBox6Change();
  EXPECT_EQ(form.ComboBox2.Text, "4");
  EXPECT_TRUE(form.ComboBox2.Enabled);
  EXPECT_EQ(form.Label1.FontColor, Color::WindowText());
}

TEST_F(TForm1Test, PickedSizesStampTheShellTypedOnesTheSolidBox) {
  ChooseMode(7);
  for (ComboBox* box : form.SizeBoxes()) ASSERT_TRUE(box->Choose(1));  // "2"
  PressCell(40, 50);
  EXPECT_EQ(form.log().LogPos, 7);
  EXPECT_EQ(form.StatusBar1().Panels[0], "Count:7");

  form.ComboBox3.SetText("2");  // the same size, typed
  PressCell(20, 20);
  EXPECT_EQ(form.log().LogPos, 15);
}

TEST_F(TForm1Test, ABadStepTextChangesNothing) {
  PressCell(10, 10);
  PressCell(11, 11);
  PressCell(12, 12);
  form.ComboBox5.SetText("abc");
  const Snapshot before = Take();
  EXPECT_EQ(Dispatch([&] { form.Button1Click(); }), "'abc' は整数ではありません.");
  EXPECT_TRUE(Take() == before);
  // ReDo in state 0 does not read the box; with nothing ahead it does nothing.
  EXPECT_EQ(Dispatch([&] { form.Button2Click(); }), std::nullopt);

  form.ComboBox5.SetText("2");
  EXPECT_EQ(Dispatch([&] { form.Button1Click(); }), std::nullopt);
  ASSERT_EQ(form.log().LogPos, 0);
  form.ComboBox5.SetText(" 1x");
  const Snapshot undone = Take();
  EXPECT_EQ(Dispatch([&] { form.Button2Click(); }), "' 1x' は整数ではありません.");
  EXPECT_EQ(Dispatch([&] { form.Button1Click(); }), "' 1x' は整数ではありません.");
  EXPECT_TRUE(Take() == undone);

  ASSERT_TRUE(form.ComboBox5.Choose(1));  // "2"
  EXPECT_EQ(Dispatch([&] { form.Button2Click(); }), std::nullopt);
  EXPECT_EQ(form.log().LogPos, 2);
  EXPECT_EQ(form.StatusBar1().Panels[0], "Count:2");
}

TEST_F(TForm1Test, ABadSizeTextStopsTheStampAfterPrepareAppend) {
  PressCell(10, 10);
  PressCell(11, 11);
  form.Button1Click();  // UnDo 1: state 1, LogPos 0
  ChooseMode(7);
  form.ComboBox3.SetText("two");
  const Snapshot before = Take();
  EXPECT_EQ(Dispatch([&] { PressCell(40, 50); }), "'two' は整数ではありません.");
  Snapshot after = Take();
  EXPECT_EQ(after.log.LogPos, 1) << "PrepareAppend already ran";
  EXPECT_EQ(after.log.AfterStep, 1);
  after.log.LogPos = before.log.LogPos;
  EXPECT_TRUE(after == before) << "nothing drawn, logged or shown";
}

TEST_F(TForm1Test, ReSetClearsThePicture) {
  PressCell(10, 10);
  PressCell(11, 11);
  form.Button3Click();
  EXPECT_TRUE(form.raster() == render::Raster{});
  EXPECT_EQ(form.log().LogPos, 0);
  EXPECT_EQ(form.log().LogColor[0], 0);
  EXPECT_EQ(form.StatusBar1().Panels[0], "Count:0");
}

TEST_F(TForm1Test, ClipFileAndEndGoThroughTheServices) {
  PressCell(10, 10);
  form.Button4Click();
  ASSERT_EQ(services.clipboard.size(), 1u);
  EXPECT_TRUE(services.clipboard[0] == form.raster());
  PressCell(20, 20);
  EXPECT_FALSE(services.clipboard[0] == form.raster()) << "the clipboard holds a copy";

  form.Button5Click();
  form.Button5Click();
  EXPECT_EQ(services.fileWindowShows, 2);
  EXPECT_EQ(services.mainWindowCloses, 0);
  form.Button6Click();
  EXPECT_EQ(services.mainWindowCloses, 1);
  EXPECT_EQ(services.DialogsShown(), 0u);
}

}  // namespace
}  // namespace palorin::forms
