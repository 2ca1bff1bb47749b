#include "forms/tform2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fileio/block_text.h"
#include "forms/dispatch.h"
#include "render/bmp.h"
#include "render/sprites.h"
#include "tests/support/fake_services.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace palorin::forms {
namespace {

namespace fs = std::filesystem;
using test::FakeServices;
using test::ReadBytes;

std::vector<std::string> SplitCrLf(const std::string& bytes) {
  fileio::TextBuffer b;
  b.SetText(bytes);
  return b.Lines;
}

// Fills slots 0..last with distinct entries as if placed one by one.
void FillLog(core::PlacementLog& log, std::int32_t last) {
  for (std::int32_t i = 0; i <= last; ++i) {
    const auto x = static_cast<std::uint8_t>((i * 7) % 82);
    log.Store(i, x, static_cast<std::uint8_t>(((i * 3) % 98) | (x & 1)),
              static_cast<std::uint8_t>(1 + i % 5));
  }
  log.LastIndex = last;
  log.LogPos = last + 1;
}

class FileWindowTest : public testing::Test {
 protected:
  FileWindowTest() : form1(services), form2(form1, services) {
    form1.FormCreate();
    form2.FormCreate();
    form2.Visible = true;  // shown by "File"
  }

  // Places a block the way a press does.
  void Place(std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
    core::PrepareAppend(form1.log());
    core::AppendBlock(form1.scene, x, y, colour);
  }

  std::optional<std::string> Save(int mode, const fs::path& path, std::string part = "1") {
    form2.ActivePage = TForm2::kSavePage;
    form2.RadioGroup1ItemIndex = mode;
    form2.ComboBox1.SetText(std::move(part));
    services.saveDialog.replies.push_back(path.string());
    return Dispatch([&] { form2.Button1Click(); });
  }
  std::optional<std::string> Load(const fs::path& path) {
    form2.ActivePage = TForm2::kLoadPage;
    services.openDialog.replies.push_back(path.string());
    return Dispatch([&] { form2.Button1Click(); });
  }
  fs::path Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return dir / name;
  }
  // The raster that a clear and a replay of slots 0..n of the log give.
  render::Raster Replayed(std::int64_t n) const {
    core::Scene scene;
    scene.log = form1.scene.log;
    core::ReDraw(scene, n);
    return scene.canvas.raster;
  }
  std::vector<Color> Colours(const std::array<Label, 5>& labels) const {
    std::vector<Color> out;
    for (const Label& l : labels) out.push_back(l.FontColor);
    return out;
  }
  std::vector<Color> Colours(const std::array<Shape, 5>& bars) const {
    std::vector<Color> out;
    for (const Shape& b : bars) out.push_back(b.Brush);
    return out;
  }

  FakeServices services;
  TForm1 form1;
  TForm2 form2;
  const test::TempDir tempDir;
  const fs::path dir = tempDir.path();
};

const Color kFace = Color::ButtonFace();
const Color G = kDoneGreen, R = kMissingRed, B = kBlack;
const std::string kSep(70, '=');

TEST_F(FileWindowTest, FirstShowing) {
  EXPECT_EQ(form2.ActivePage, TForm2::kLoadPage);
  EXPECT_TRUE(form2.Memo1Lines.empty());
  EXPECT_EQ(form2.RadioGroup1ItemIndex, kCompatibleMode);
  EXPECT_EQ(form2.ComboBox1.Text, "1");
  EXPECT_EQ(form2.ComboBox1.Items, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(form2.SaveLabels[3].Caption, "４");
  EXPECT_EQ(Colours(form2.SaveLabels), std::vector<Color>(5, kFace));
  EXPECT_EQ(Colours(form2.LoadLabels), std::vector<Color>(5, kFace));
  EXPECT_EQ(Colours(form2.SaveBars), std::vector<Color>(5, kFace));
  EXPECT_EQ(Colours(form2.LoadBars), std::vector<Color>(5, kFace));
  EXPECT_EQ(
      form2.OpenDialog1.Filter,
      (std::vector<std::pair<std::string, std::string>>{
          {"テキストとPalorixファイル(*.txt)(*.pln)", "*.txt;*.pln"}, {"全てのファイル", "*.*"}}));
}

TEST_F(FileWindowTest, SaveModesSetTheDialogAndTheIndicators) {
  struct Row {
    int mode;
    std::string ext, title, filterName, filterPattern;
    bool boxEnabled;
  };
  const Row rows[] = {
      {kNativeMode, "pln", "Palorin形式ファイルを保存する", "Palorin files (*.pln)", "*.pln",
       false},
      {kBmpMode, "bmp", "BMP形式画像を保存する", "Windows BitMap (*.bmp)", "*.bmp", false},
      {kCompatibleMode, "txt", "Sertafo形式データをtxtファイルで保存する", "Text files (*.txt)",
       "*.txt", true},
  };
  FillLog(form1.log(), 4500);  // three parts
  form2.ActivePage = TForm2::kSavePage;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    form2.RadioGroup1ItemIndex = row.mode;
    form2.RadioGroup1Click();
    EXPECT_EQ(form2.SaveDialog1.DefaultExt, row.ext);
    EXPECT_EQ(form2.SaveDialog1.Title, row.title);
    EXPECT_EQ(
        form2.SaveDialog1.Filter,
        (std::vector<std::pair<std::string, std::string>>{{row.filterName, row.filterPattern}}));
    EXPECT_EQ(form2.ComboBox1.Enabled, row.boxEnabled);
    EXPECT_EQ(form2.GroupBox1Enabled, row.boxEnabled);
    const std::vector<Color> shown{B, B, B, kFace, kFace}, hidden(5, kFace);
    EXPECT_EQ(Colours(form2.SaveLabels), row.boxEnabled ? shown : hidden);
    const std::vector<Color> red{R, R, R, kFace, kFace};
    EXPECT_EQ(Colours(form2.SaveBars), row.boxEnabled ? red : hidden);
  }
  EXPECT_EQ(form2.ComboBox1.Items, (std::vector<std::string>{"1", "2", "3"}));
  // Execute on the load page puts the compatible settings back first.
  form2.RadioGroup1ItemIndex = kNativeMode;
  form2.RadioGroup1Click();
  form2.ActivePage = TForm2::kLoadPage;
  form2.Button1Click();  // cancelled
  EXPECT_EQ(form2.SaveDialog1.DefaultExt, "txt");
  ASSERT_EQ(services.openDialog.asked.size(), 1u);
  EXPECT_EQ(services.openDialog.asked[0].Filter, form2.OpenDialog1.Filter);
}

TEST_F(FileWindowTest, CancelledDialogsChangeNothingButTheBuffers) {
  Place(3, 17, 2);
  // Marks left by earlier executes: part 2 of a one-part picture saved, part
  // 4 of a four-part series loaded; neither completes its series.
  ASSERT_EQ(Save(kCompatibleMode, dir / "p2", "2"), std::nullopt);
  ASSERT_EQ(Load(Write("p4.txt",
                       kSep + "\r\n[Var]:BRW_001\r\n[Writing OS]:Win32\r\n[Browser]:None\r\n"
                              "[Count]: 7000\r\n[No]:4\r\n[fflug]:2\r\n[DSection]\r\n****\r\n")),
            std::nullopt);
  ASSERT_EQ(form2.PartSaved()[2], 1);
  ASSERT_EQ(form2.PartLoaded()[4], 1);
  services.saveDialog.asked.clear();
  const core::PlacementLog before = form1.log();
  const auto refreshes = form1.scene.canvas.RefreshCount();
  for (const int page : {TForm2::kLoadPage, TForm2::kSavePage}) {
    form2.Memo1Lines = {"old"};
    form2.RichEdit1.Lines = {"old"};
    form2.ActivePage = page;
    EXPECT_EQ(Dispatch([&] { form2.Button1Click(); }), std::nullopt);
    EXPECT_TRUE(form2.Memo1Lines.empty());
    EXPECT_TRUE(form2.RichEdit1.Lines.empty());
    EXPECT_TRUE(form2.Visible);
  }
  EXPECT_EQ(services.saveDialog.asked.size(), 1u);
  EXPECT_EQ(form1.log().LogX, before.LogX);
  EXPECT_EQ(form1.log().LastIndex, before.LastIndex);
  EXPECT_EQ(form1.log().LogPos, before.LogPos);
  EXPECT_EQ(form1.scene.canvas.RefreshCount(), refreshes);
  EXPECT_EQ(form2.PartSaved()[2], 1);
  EXPECT_EQ(form2.PartLoaded()[4], 1);
}

TEST_F(FileWindowTest, NativeFileBytes) {
  form1.log().LastIndex = -1;  // an UnDo of everything
  ASSERT_EQ(Save(kNativeMode, dir / "empty"), std::nullopt);
  EXPECT_EQ(ReadBytes(dir / "empty.pln"), kSep +
                                              "\r\n[Var]:PLN_001\r\n[Writing OS]:Win32\r\n"
                                              "[Count]:   -1\r\n[DSection]\r\n****\r\n");
  form2.Visible = true;
  Place(7, 5, 1);
  Place(10, 0, 3);
  ASSERT_EQ(Save(kNativeMode, dir / "two.pln"), std::nullopt);
  EXPECT_EQ(SplitCrLf(ReadBytes(dir / "two.pln")),
            (std::vector<std::string>{kSep, "[Var]:PLN_001", "[Writing OS]:Win32", "[Count]:    1",
                                      "[DSection]", "0705110003", "****"}));
  // Loading the empty file sets both positions to -1 and draws nothing.
  const render::Raster picture = form1.raster();
  ASSERT_EQ(Load(dir / "empty.pln"), std::nullopt);
  EXPECT_EQ(form1.log().LogPos, -1);
  EXPECT_EQ(form1.log().LastIndex, -1);
  EXPECT_EQ(form1.raster(), picture);
  EXPECT_EQ(form1.StatusBar1().Panels[0], "Count:-1");
}

TEST_F(FileWindowTest, NativeLoadDrawsOverThePictureAndKeepsLaterSlots) {
  FillLog(form1.log(), 2);
  Place(40, 40, 5);  // slot 3
  const core::PlacementLog mine = form1.log();
  form1.log() = core::PlacementLog{};
  Place(1, 1, 4);
  Place(60, 20, 2);
  ASSERT_EQ(Save(kNativeMode, dir / "other.pln"), std::nullopt);  // count 1

  form1.log() = mine;
  form1.log().AfterStep = core::kLastShown;
  render::Cls(form1.raster());
  form1.ReDraw(3);
  render::Raster expected = form1.raster();
  render::DrawBlock(expected, 1, 1, 4);
  render::DrawBlock(expected, 60, 20, 2);
  form2.Visible = true;
  ASSERT_EQ(Load(dir / "other.pln"), std::nullopt);
  EXPECT_FALSE(form2.Visible);
  EXPECT_EQ(form1.log().LogPos, 1);
  EXPECT_EQ(form1.log().LastIndex, 1);
  EXPECT_EQ(form1.log().AfterStep, 1);
  EXPECT_EQ(form1.log().ColorAt(0), 4);
  EXPECT_EQ(form1.log().ColorAt(3), 5);  // above the count: kept
  EXPECT_EQ(form1.raster(), expected);
  EXPECT_EQ(form2.Memo1Lines, (std::vector<std::string>{"PLN_001 As Palorin Mode", "Count:1"}));
  EXPECT_EQ(form1.StatusBar1().Panels[0], "Count:1");
}

TEST_F(FileWindowTest, ASaveNeverBringsBackAnUndoneBlock) {
  Place(2, 2, 1);
  Place(4, 4, 2);
  Place(6, 6, 3);
  Place(8, 8, 4);  // slot 3
  form1.ComboBox5.SetText("2");
  form1.Button1Click();  // UnDo 2: slots 0, 1 shown
  Place(10, 10, 5);      // slot 2; slot 3 (LogPos) still holds the undone block
  ASSERT_EQ(form1.log().LogPos, 3);
  const render::Raster picture = form1.raster();
  for (const char* name : {"a.pln", "b.pln"}) {
    form2.Visible = true;
    ASSERT_EQ(Save(kNativeMode, dir / name), std::nullopt);
    EXPECT_FALSE(form2.Visible);
    EXPECT_EQ(form1.log().LastIndex, 2);
    EXPECT_EQ(form1.raster(), picture);
  }
  EXPECT_EQ(ReadBytes(dir / "a.pln"), ReadBytes(dir / "b.pln"));
  EXPECT_EQ(SplitCrLf(ReadBytes(dir / "a.pln"))[5], "020210404210105");
}

TEST_F(FileWindowTest, TypicalTwoPartSaveThenLoad) {
  FillLog(form1.log(), 2500);
  form2.ActivePage = TForm2::kSavePage;
  form2.PageControl1Change();
  EXPECT_EQ(form2.ComboBox1.Items, (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(form2.WriteFlag(), (fileio::PartFlags{2, 1, 0, 0, 0}));
  EXPECT_EQ(Colours(form2.SaveBars), (std::vector<Color>{R, R, kFace, kFace, kFace}));

  ASSERT_EQ(Save(kCompatibleMode, dir / "p1", "1"), std::nullopt);
  EXPECT_TRUE(form2.Visible);
  EXPECT_EQ(Colours(form2.SaveBars), (std::vector<Color>{G, R, kFace, kFace, kFace}));
  const auto p1 = SplitCrLf(ReadBytes(dir / "p1.txt"));
  EXPECT_EQ(p1[4], "[Count]: 2500");
  EXPECT_EQ(p1[6], "[fflug]:2");
  EXPECT_EQ(p1.size(), 8u + 134 + 1);  // slots 0..1999

  const auto refreshes = form1.scene.canvas.RefreshCount();
  ASSERT_EQ(Save(kCompatibleMode, dir / "p2", "2"), std::nullopt);
  EXPECT_FALSE(form2.Visible);
  EXPECT_EQ(Colours(form2.SaveBars), (std::vector<Color>{G, G, kFace, kFace, kFace}));
  EXPECT_EQ(form2.PartSaved(), fileio::PartMarks{});
  EXPECT_EQ(form1.log().LastIndex, 2500);
  EXPECT_EQ(form1.scene.canvas.RefreshCount(), refreshes + 1);
  const auto p2 = SplitCrLf(ReadBytes(dir / "p2.txt"));
  EXPECT_EQ(p2[6], "[fflug]:1");
  EXPECT_EQ(p2.size(), 8u + 34 + 1);  // slots 2000..2500

  // Load into a fresh editor, part 2 first.
  const core::PlacementLog saved = form1.log();
  FakeServices services2;
  TForm1 f1(services2);
  f1.FormCreate();
  TForm2 f2(f1, services2);
  f2.FormCreate();
  f2.Visible = true;
  const auto load = [&](const char* name) {
    services2.openDialog.replies.push_back((dir / name).string());
    return Dispatch([&] { f2.Button1Click(); });
  };
  ASSERT_EQ(load("p2.txt"), std::nullopt);
  EXPECT_TRUE(f2.Visible);
  EXPECT_EQ(f2.LoadPos(), 2501);
  EXPECT_EQ(f2.Label11.Caption, "2");
  EXPECT_EQ(f2.Memo1Lines,
            (std::vector<std::string>{"BRW_001 As Sertafo Mode", "Count:2500", "No:2"}));
  EXPECT_EQ(Colours(f2.LoadLabels), (std::vector<Color>{B, B, kFace, kFace, kFace}));
  EXPECT_EQ(Colours(f2.LoadBars), (std::vector<Color>{R, G, kFace, kFace, kFace}));
  EXPECT_EQ(f1.raster(), render::Raster{});  // in the log, not drawn yet
  ASSERT_EQ(load("p1.txt"), std::nullopt);
  EXPECT_FALSE(f2.Visible);
  EXPECT_EQ(Colours(f2.LoadBars), (std::vector<Color>{G, G, kFace, kFace, kFace}));
  EXPECT_EQ(f2.PartLoaded(), fileio::PartMarks{});
  EXPECT_EQ(f1.log().LogPos, 2500);
  EXPECT_EQ(f1.log().LastIndex, 2500);
  EXPECT_EQ(f1.log().LogColor, saved.LogColor);
  EXPECT_EQ(f1.log().LogX, saved.LogX);
  EXPECT_EQ(f1.raster(), Replayed(2500));
}

TEST_F(FileWindowTest, FivePartSeriesLoadsInAnyOrder) {
  FillLog(form1.log(), 9876);
  for (const char* part : {"5", "2", "4", "1", "3"}) {
    EXPECT_TRUE(form2.Visible);
    ASSERT_EQ(Save(kCompatibleMode, dir / ("p" + std::string(part)), part), std::nullopt);
  }
  EXPECT_FALSE(form2.Visible);
  EXPECT_EQ(SplitCrLf(ReadBytes(dir / "p5.txt"))[6], "[fflug]:1");
  EXPECT_EQ(SplitCrLf(ReadBytes(dir / "p4.txt"))[6], "[fflug]:2");

  const core::PlacementLog saved = form1.log();
  std::array<int, 5> order{1, 2, 3, 4, 5};
  int runs = 0;
  do {
    if (++runs % 17 != 1) continue;  // a spread of the 120 orders
    form1.log() = core::PlacementLog{};
    render::Cls(form1.raster());
    form2.Visible = true;
    for (std::size_t i = 0; i < order.size(); ++i) {
      ASSERT_EQ(Load(dir / ("p" + std::to_string(order[i]) + ".txt")), std::nullopt);
      EXPECT_EQ(form2.Visible, i + 1 < order.size());
    }
    EXPECT_EQ(form1.log().LogX, saved.LogX);
    EXPECT_EQ(form1.log().LogColor, saved.LogColor);
    EXPECT_EQ(form1.log().LastIndex, 9876);
    EXPECT_EQ(form1.raster(), Replayed(9876));
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(FileWindowTest, ASeriesCompletesOnlyWithEveryPartUpToItsLast) {
  FillLog(form1.log(), 2500);  // two parts
  ASSERT_EQ(Save(kCompatibleMode, dir / "p3", "3"), std::nullopt);
  EXPECT_EQ(SplitCrLf(ReadBytes(dir / "p3.txt"))[6], "[fflug]:0");
  EXPECT_EQ(form2.PartSaved()[3], 1);
  ASSERT_EQ(Save(kCompatibleMode, dir / "p1", "1"), std::nullopt);
  EXPECT_TRUE(form2.Visible);  // two marks, but part 2 is not written
  ASSERT_EQ(Save(kCompatibleMode, dir / "p9", "9"), std::nullopt);
  EXPECT_TRUE(form2.Visible);
  EXPECT_EQ(SplitCrLf(ReadBytes(dir / "p9.txt"))[6], "[fflug]:0");
  ASSERT_EQ(Save(kCompatibleMode, dir / "p2", "2"), std::nullopt);
  EXPECT_FALSE(form2.Visible);

  form1.log() = core::PlacementLog{};
  form2.Visible = true;
  ASSERT_EQ(Load(dir / "p3.txt"), std::nullopt);
  ASSERT_EQ(Load(dir / "p1.txt"), std::nullopt);
  EXPECT_TRUE(form2.Visible);
  EXPECT_EQ(form1.log().LastIndex, 0);  // not replayed yet
  ASSERT_EQ(Load(dir / "p2.txt"), std::nullopt);
  EXPECT_FALSE(form2.Visible);
  EXPECT_EQ(form1.log().LastIndex, 2500);
}

TEST_F(FileWindowTest, OnePartSeries) {
  form1.log().LastIndex = -1;
  ASSERT_EQ(Save(kCompatibleMode, dir / "e", "1"), std::nullopt);
  EXPECT_FALSE(form2.Visible);
  form2.Visible = true;
  ASSERT_EQ(Load(dir / "e.txt"), std::nullopt);
  EXPECT_FALSE(form2.Visible);
  EXPECT_EQ(form2.ReadParts(), 1);
  EXPECT_EQ(form1.log().LastIndex, -1);
}

TEST_F(FileWindowTest, FourPartLoadShowsFourDigits) {
  FillLog(form1.log(), 7000);
  ASSERT_EQ(Save(kCompatibleMode, dir / "p3", "3"), std::nullopt);
  ASSERT_EQ(Load(dir / "p3.txt"), std::nullopt);
  EXPECT_EQ(form2.ReadParts(), 4);
  EXPECT_EQ(form2.LoadPos(), 6000);
  EXPECT_EQ(Colours(form2.LoadLabels), (std::vector<Color>{B, B, B, B, kFace}));
  EXPECT_EQ(Colours(form2.LoadBars), (std::vector<Color>{R, R, G, R, kFace}));
}

TEST_F(FileWindowTest, BmpSaveLeavesTheWindowAndThePicture) {
  Place(3, 17, 2);
  const auto refreshes = form1.scene.canvas.RefreshCount();
  ASSERT_EQ(Save(kBmpMode, dir / "pic"), std::nullopt);
  EXPECT_TRUE(form2.Visible);
  EXPECT_EQ(fs::file_size(dir / "pic.bmp"), render::kBmpFileSize);
  EXPECT_EQ(ReadBytes(dir / "pic.bmp"), render::EncodeBmp(form1.raster()));
  EXPECT_EQ(form1.scene.canvas.RefreshCount(), refreshes);
}

TEST_F(FileWindowTest, TheSaveDialogNeverOffersAnotherModesFileAsItsOwn) {
  struct Row {
    std::string remembered;
    int mode;
    std::string offered;
  };
  const std::string d = dir.string() + "/";
  const Row rows[] = {
      {d + "house.pln", kBmpMode, d + "house.bmp"},
      // A compatible save offers the part the part-number box shows.
      {d + "house.PLN", kCompatibleMode, d + "house_1.txt"},
      {d + "house.Bmp", kNativeMode, d + "house.pln"},
      {d + "house_2.TXT", kCompatibleMode, d + "house_1.TXT"},  // the mode's own stays
      {d + "house.png", kBmpMode, d + "house.png"},         // no format of a mode
      {d + "v1.2/house", kNativeMode, d + "v1.2/house"},    // no extension
      {d + ".bmp", kNativeMode, d + ".bmp"},                // a hidden file's name
  };
  form2.ActivePage = TForm2::kSavePage;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.remembered);
    form2.SaveDialog1.FileName = row.remembered;
    form2.RadioGroup1ItemIndex = row.mode;
    services.saveDialog.asked.clear();
    EXPECT_EQ(Dispatch([&] { form2.Button1Click(); }), std::nullopt);  // cancelled
    ASSERT_EQ(services.saveDialog.asked.size(), 1u);
    EXPECT_EQ(services.saveDialog.asked[0].FileName, row.offered);
  }
}

TEST_F(FileWindowTest, TakingThePageOrTheSaveModeAlreadyChosenRunsNothing) {
  form2.Memo1Lines = {"x"};
  form2.TakePage(TForm2::kLoadPage);
  EXPECT_EQ(form2.Memo1Lines, std::vector<std::string>{"x"});
  form2.TakePage(TForm2::kSavePage);
  EXPECT_EQ(form2.ActivePage, TForm2::kSavePage);
  form2.ClickSaveMode(kNativeMode);
  EXPECT_FALSE(form2.GroupBox1Enabled);
  form2.GroupBox1Enabled = true;
  form2.ClickSaveMode(kNativeMode);
  EXPECT_TRUE(form2.GroupBox1Enabled);
}

TEST_F(FileWindowTest, AnEditedMemoHoldsOneLineForEachLineFeedPlusOne) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}}, {"a", {"a"}}, {"a\nb", {"a", "b"}}, {"a\n", {"a", ""}}, {"\n\n", {"", "", ""}},
  };
  for (const auto& c : cases) {
    form2.Memo1Edited(c.text);
    EXPECT_EQ(form2.Memo1Lines, c.lines) << c.text;
  }
}

TEST_F(FileWindowTest, WindowHidesAndKeepsItsState) {
  form2.ActivePage = TForm2::kSavePage;
  form2.RadioGroup1ItemIndex = kNativeMode;
  form2.Button2Click();
  EXPECT_FALSE(form2.Visible);
  EXPECT_EQ(form2.RadioGroup1ItemIndex, kNativeMode);
  form2.Memo1Lines = {"x"};
  form2.RichEdit1.Lines = {"y"};
  form2.ActivePage = TForm2::kLoadPage;
  form2.PageControl1Change();
  EXPECT_TRUE(form2.Memo1Lines.empty());
  EXPECT_TRUE(form2.RichEdit1.Lines.empty());
}

// Each file that cannot be loaded: the message and what stays changed.
TEST_F(FileWindowTest, LoadFailures) {
  const std::string native = kSep + "\r\n[Var]:PLN_001\r\n[Writing OS]:Win32\r\n";
  const std::string compat =
      kSep + "\r\n[Var]:BRW_001\r\n[Writing OS]:Win32\r\n[Browser]:None\r\n[Count]: 2500\r\n";
  struct Row {
    const char* name;
    std::string bytes;  // empty name: no file at all
    std::string message;
    std::string headerVar;
    std::int32_t logPos;   // after the failure
    std::int32_t loadPos;  // after the failure
    std::int32_t readParts;
    std::size_t memoLines;
    int mark;  // part whose mark is set, 0 none
  };
  std::string tooMany;
  for (int i = 0; i < 2005; ++i) tooMany += "00001";
  const Row rows[] = {
      {"missing", "", "ﾌｧｲﾙ %s は開けません.", "BRW_001", 7, 99, 4, 0, 0},
      {"empty", "", "'' は整数ではありません.", "", 7, 99, 0, 0, 0},
      {"bad count", native + "[Count]:  1x2\r\n[DSection]\r\n****\r\n",
       "'  1x2' は整数ではありません.", "PLN_001", 7, 99, 0, 0, 0},
      {"short count", native + "[Count]:5\r\n[DSection]\r\n****\r\n",
       "'5\r\n[D' は整数ではありません.", "PLN_001", 7, 99, 0, 0, 0},
      {"count past the log", native + "[Count]:10004\r\n[DSection]\r\n****\r\n",
       "ﾌｧｲﾙ %s のﾃﾞｰﾀ数が範囲外です.", "PLN_001", 7, 99, 0, 0, 0},
      {"bad part", compat + "[No]:x\r\n[fflug]:2\r\n[DSection]\r\n00001\r\n****\r\n",
       "'x' は整数ではありません.", "BRW_001", 2500, 0, 2, 3, 0},
      {"bad data", compat + "[No]:2\r\n[fflug]:1\r\n[DSection]\r\n0000100011001x1\r\n****\r\n",
       "'1x' は整数ではありません.", "BRW_001", 2500, 2002, 2, 3, 2},
      {"no data section", native + "[Count]:    0\r\n****\r\n", "'==' は整数ではありません.",
       "PLN_001", 0, 0, 0, 2, 0},
      {"data past the log", compat + "[No]:5\r\n[DSection]\r\n" + tooMany + "\r\n",
       "ﾌｧｲﾙ %s のﾃﾞｰﾀが多すぎます.", "BRW_001", 2500, 10004, 2, 3, 5},
  };
  // Part 1 of a four-part series with 99 entries leaves LoadPos 99, ReadParts
  // 4 and the tag behind, so a failure that stops before them shows.
  std::string part1 = compat;
  part1.replace(part1.find(" 2500"), 5, " 7000");
  part1 += "[No]:1\r\n[fflug]:2\r\n[DSection]\r\n";
  for (int i = 0; i < 99; ++i) part1 += i % 15 == 14 ? "00001\r\n" : "00001";
  part1 += "\r\n****\r\n";
  const fs::path prime = Write("prime.txt", part1);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(Load(prime), std::nullopt);
    ASSERT_EQ(form2.LoadPos(), 99);
    ASSERT_EQ(form2.ReadParts(), 4);
    form1.log() = core::PlacementLog{};
    form1.log().LogPos = 7;
    form1.log().LastIndex = 7;
    form1.StatusBar1().Panels[0] = "Count:7";
    form2.FormCreate();
    form2.Visible = true;
    const fs::path file =
        std::string(row.name) == "missing" ? dir / "missing.pln" : Write("f.txt", row.bytes);
    const auto refreshes = form1.scene.canvas.RefreshCount();
    EXPECT_EQ(Load(file), FormatMessage(row.message, file.string()));
    EXPECT_TRUE(form2.Visible);
    EXPECT_EQ(form2.HeaderVar(), row.headerVar);
    EXPECT_EQ(form2.ReadParts(), row.readParts);
    EXPECT_EQ(form1.log().LogPos, row.logPos);
    EXPECT_EQ(form1.log().LastIndex, 7);
    EXPECT_EQ(form2.LoadPos(), row.loadPos);
    EXPECT_EQ(form2.Memo1Lines.size(), row.memoLines);
    EXPECT_EQ(form1.scene.canvas.RefreshCount(), refreshes);
    EXPECT_EQ(form1.StatusBar1().Panels[0],
              row.memoLines ? "Count:" + std::to_string(row.logPos) : "Count:7");
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(form2.PartLoaded()[k], k == row.mark ? 1 : 0) << k;
    if (row.mark != 0) {
      EXPECT_EQ(form1.log().ColorAt(fileio::PartFirstSlot(row.mark)), 1);
    }
  }
}

TEST_F(FileWindowTest, SaveFailuresKeepTheOldFileAndSetNoMark) {
  FillLog(form1.log(), 2500);
  const fs::path folder = dir / "folder.txt";
  fs::create_directories(folder);
  const std::string cannotCreate = "ﾌｧｲﾙ " + folder.string() + " を作成できません.";
  for (const int mode : {kNativeMode, kCompatibleMode}) {
    SCOPED_TRACE(mode);
    form2.Visible = true;
    const auto refreshes = form1.scene.canvas.RefreshCount();
    EXPECT_EQ(Save(mode, folder, "1"), cannotCreate);
    EXPECT_EQ(form2.RichEdit1.Lines.back(), "****");  // the buffer holds the lines
    EXPECT_TRUE(form2.Visible);
    EXPECT_EQ(form1.scene.canvas.RefreshCount(), refreshes);
    EXPECT_EQ(form2.PartSaved(), fileio::PartMarks{});
  }

  // The part-number box's text is no integer: the lines up to "[No]:", no file.
  EXPECT_EQ(Save(kCompatibleMode, dir / "bad", "1 "), "'1 ' は整数ではありません.");
  EXPECT_EQ(form2.RichEdit1.Lines.back(), "[No]:1 ");
  EXPECT_FALSE(fs::exists(dir / "bad.txt"));
  EXPECT_EQ(form2.PartSaved(), fileio::PartMarks{});

  // Writing stops part of the way: the file that was there stays as it was
  // and no temporary file is left behind.
  const fs::path old = Write("old.pln", "old picture");
  std::optional<std::string> error;
  {
    const test::ScopedFileSizeLimit limit(1000);
    ASSERT_TRUE(limit.applied());
    error = Save(kNativeMode, old);
  }
  EXPECT_EQ(error, "ｽﾄﾘｰﾑへの書き込みに失敗しました.");
  EXPECT_EQ(ReadBytes(old), "old picture");
  EXPECT_TRUE(form2.Visible);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(FileWindowTest, OtherTagsLoadNothing) {
  for (const char* tag : {"pln_001", "XYZ_001"}) {
    form1.log() = core::PlacementLog{};
    const fs::path file = Write("t.pln", kSep + "\r\n[Var]:" + tag +
                                             "\r\n[Writing OS]:Win32\r\n[Count]:    3\r\n"
                                             "[DSection]\r\n000010000100001\r\n****\r\n");
    EXPECT_EQ(Load(file), std::nullopt);
    EXPECT_TRUE(form2.Visible);
    EXPECT_EQ(form2.HeaderVar(), tag);
    EXPECT_EQ(form2.ReadParts(), 0);
    EXPECT_EQ(form1.log().LogPos, 3);
    EXPECT_EQ(form1.log().LastIndex, 0);
    EXPECT_EQ(form1.log().ColorAt(0), 0);
    EXPECT_TRUE(form2.Memo1Lines.empty());
  }
}

}  // namespace
}  // namespace palorin::forms
