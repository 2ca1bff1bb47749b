#include "forms/tform2.h"

#include "base/int_parse.h"
#include "fileio/block_text.h"
#include "render/bmp.h"

namespace palorin::forms {

namespace {

struct SaveDialogSettings {
  std::string_view defaultExt;
  std::string_view title;
  std::string_view filterName;
  std::string_view filterPatterns;
};

constexpr SaveDialogSettings kSaveDialogSettings[] = {
    {"txt", "Sertafo形式データをtxtファイルで保存する", "Text files (*.txt)", "*.txt"},
    {"pln", "Palorin形式ファイルを保存する", "Palorin files (*.pln)", "*.pln"},
    {"bmp", "BMP形式画像を保存する", "Windows BitMap (*.bmp)", "*.bmp"},
};

constexpr std::string_view kPartDigits[] = {"１", "２", "３", "４", "５"};

// Index 0..4 of a part's label or bar.
std::size_t PartIndex(std::int32_t part) { return static_cast<std::size_t>(part - 1); }

// Colours one page's bars: parts 1..n green when marked, red when not, the
// rest invisible. Outside 1..5 (no classification yet) nothing changes.
void ColourBars(std::array<Shape, 5>& bars, std::int32_t n, const fileio::PartMarks& marks) {
  if (n < 1 || n > fileio::kMaxParts) return;
  for (std::int32_t k = 1; k <= fileio::kMaxParts; ++k) {
    Color& fill = bars[PartIndex(k)].Brush;
    if (k > n) {
      fill = Color::ButtonFace();
    } else {
      fill = marks[static_cast<std::size_t>(k)] == 1 ? kDoneGreen : kMissingRed;
    }
  }
}

// Digits of parts 1..n black, the rest invisible.
void ColourLabels(std::array<Label, 5>& labels, std::int32_t n) {
  for (std::int32_t k = 1; k <= fileio::kMaxParts; ++k) {
    labels[PartIndex(k)].FontColor = k <= n ? kBlack : Color::ButtonFace();
  }
}

}  // namespace

std::string WithDefaultExt(std::string name, std::string_view ext) {
  if (name.empty() || ext.empty() || name.back() == '/') return name;
  const std::size_t slash = name.rfind('/');
  const std::size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
  // A leading dot names a hidden file, not an extension.
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > fileStart) return name;
  name += '.';
  name += ext;
  return name;
}

TForm2::TForm2(TForm1& form1, Services& services) : form1_(form1), services_(services) {
  // The layout's texts, before FormCreate runs.
  ComboBox1.Items = {"1", "2", "3", "4", "5"};
  ComboBox1.Text = std::string("1");  // not "1": GCC 12 misreads that as an overlapping copy
  for (std::size_t i = 0; i < 5; ++i) {
    SaveLabels[i] = Label{std::string(kPartDigits[i]), Color::ButtonFace()};
    LoadLabels[i] = Label{std::string(kPartDigits[i]), Color::ButtonFace()};
  }
  OpenDialog1.Filter = {{"テキストとPalorixファイル(*.txt)(*.pln)", "*.txt;*.pln"},
                        {"全てのファイル", "*.*"}};
  OpenDialog1.FilterIndex = 0;
  SetSaveDialog(kCompatibleMode);
}

void TForm2::FormCreate() {
  PartSaved.fill(0);
  PartLoaded.fill(0);
}

void TForm2::SetSaveDialog(int mode) {
  const SaveDialogSettings& s = kSaveDialogSettings[mode];
  SaveDialog1.DefaultExt = s.defaultExt;
  SaveDialog1.Title = s.title;
  SaveDialog1.Filter = {{std::string(s.filterName), std::string(s.filterPatterns)}};
}

void TForm2::Button1Click() {
  SetSaveDialog(kCompatibleMode);
  OldWriteInit();
  Memo1Lines.clear();
  RichEdit1.Clear();
  if (ActivePage == kLoadPage) {
    std::optional<std::string> name = services_.RunOpenDialog(OpenDialog1);
    if (!name) return;
    LoadFileName = *name;
    OpenDialog1.FileName = *name;
    LoadChosenFile();
  } else if (ActivePage == kSavePage) {
    WInit0();
    std::optional<std::string> name = services_.RunSaveDialog(SaveDialog1);
    if (!name) return;
    SaveFileName = *name;
    SaveDialog1.FileName = *name;
    SaveChosenFile();
  }
}

void TForm2::LoadChosenFile() {
  RichEdit1.LoadFromFile(LoadFileName);
  HeaderInit();
  if (HeaderVar == fileio::kCompatibleTag) {
    LoaderSectionA();
    CLChk();
  } else if (HeaderVar == fileio::kNativeTag) {
    LoaderSectionA();
    core::PlacementLog& log = form1_.log();
    log.LastIndex = log.LogPos;
    form1_.ReDraw(log.LastIndex);
    Visible = false;
  }
}

void TForm2::SaveChosenFile() {
  switch (RadioGroup1ItemIndex) {
    case kCompatibleMode:
      OldSaver();
      WPSet();
      break;
    case kNativeMode:
      PLSaver();
      // LastIndex stays: the file holds slots 0..LastIndex, and moving it to
      // LogPos would bring back an undone entry lying at LogPos.
      form1_.ReDraw(form1_.log().LastIndex);
      Visible = false;
      break;
    case kBmpMode:
      render::BmpSaver(form1_.raster(), SaveFileName);
      break;
    default:
      break;
  }
}

void TForm2::Button2Click() { Visible = false; }

void TForm2::PageControl1Change() {
  if (ActivePage == kLoadPage) {
    Memo1Lines.clear();
    RichEdit1.Clear();
  } else if (ActivePage == kSavePage) {
    WInit0();
  }
}

void TForm2::RadioGroup1Click() { WInit0(); }

void TForm2::WInit0() {
  switch (RadioGroup1ItemIndex) {
    case kCompatibleMode:
      SetSaveDialog(kCompatibleMode);
      ComboBox1.Enabled = true;
      GroupBox1Enabled = true;
      OldWriteInit();
      break;
    case kNativeMode:
    case kBmpMode:
      SetSaveDialog(RadioGroup1ItemIndex);
      ComboBox1.Enabled = false;
      GroupBox1Enabled = false;
      for (Shape& bar : SaveBars) bar.Brush = Color::ButtonFace();
      for (Label& label : SaveLabels) label.FontColor = Color::ButtonFace();
      break;
    default:
      break;
  }
}

void TForm2::PLSaver() {
  fileio::AppendNativeFile(RichEdit1, form1_.log());
  RichEdit1.SaveToFile(SaveFileName);
}

void TForm2::OldSaver() {
  fileio::AppendCompatibleFile(RichEdit1, form1_.log(), ComboBox1.Text, WriteFlag);
  RichEdit1.SaveToFile(SaveFileName);
}

void TForm2::HeaderInit() {
  core::PlacementLog& log = form1_.log();
  ReadParts = 0;
  // Each search examines 150 characters from a start at most ten past the
  // previous find, so every position here stays far inside 32 bits.
  FoundPos = static_cast<std::int32_t>(RichEdit1.Search(fileio::kTagKey, 0));
  HeaderVar = RichEdit1.Read(std::int64_t{FoundPos} + 3, 7);
  FoundPos =
      static_cast<std::int32_t>(RichEdit1.Search(fileio::kCountKey, std::int64_t{FoundPos} + 10));
  log.LogPos = fileio::LoadedCount(RichEdit1.Read(std::int64_t{FoundPos} + 3, 5), LoadFileName);

  if (HeaderVar == fileio::kCompatibleTag) {
    Memo1Lines.push_back(HeaderVar + " As Sertafo Mode");
    Memo1Lines.push_back(core::CountText(log.LogPos));
    form1_.StatusBar1().Panels[0] = core::CountText(log.LogPos);
    CountInit();
    FoundPos =
        static_cast<std::int32_t>(RichEdit1.Search(fileio::kPartKey, std::int64_t{FoundPos} + 10));
    const std::string part = RichEdit1.Read(std::int64_t{FoundPos} + 3, 1);
    Label11.Caption = part;
    Memo1Lines.push_back("No:" + part);
    LoadPos = 0;
    const std::int32_t p = StrToInt(part);
    if (p >= 1 && p <= fileio::kMaxParts) {
      PartLoaded[static_cast<std::size_t>(p)] = 1;
      LoadPos = fileio::PartFirstSlot(p);
    }
  } else if (HeaderVar == fileio::kNativeTag) {
    Memo1Lines.push_back(HeaderVar + " As Palorin Mode");
    Memo1Lines.push_back(core::CountText(log.LogPos));
    LoadPos = 0;
    form1_.StatusBar1().Panels[0] = core::CountText(log.LogPos);
  }
}

void TForm2::LoaderSectionA() {
  fileio::LoadDataSection(RichEdit1, form1_.log(), LoadPos, LoadFileName);
}

void TForm2::OldWriteInit() {
  WriteFlag.fill(0);
  WriteParts = fileio::ClassifyParts(form1_.log().LastIndex);
  ColourLabels(SaveLabels, WriteParts);
  ComboBox1.ClearItems();
  for (std::int32_t k = 1; k <= WriteParts; ++k) ComboBox1.Items.push_back(std::to_string(k));
  WriteFlag = fileio::FlagsForParts(WriteParts);
  wcol();
}

void TForm2::wcol() { ColourBars(SaveBars, WriteParts, PartSaved); }

void TForm2::WPSet() {
  const std::int32_t k = StrToInt(ComboBox1.Text);
  if (k >= 1 && k <= fileio::kMaxParts) PartSaved[static_cast<std::size_t>(k)] = 1;
  wcol();
  if (!fileio::SeriesComplete(PartSaved, WriteParts)) return;
  // The series is written: the picture is shown up to its last slot, which a
  // save leaves where it was (see SaveChosenFile).
  form1_.ReDraw(form1_.log().LastIndex);
  Visible = false;
  PartSaved.fill(0);
}

void TForm2::CountInit() {
  ReadParts = fileio::ClassifyParts(form1_.log().LogPos);
  ColourLabels(LoadLabels, ReadParts);
}

void TForm2::rcol() { ColourBars(LoadBars, ReadParts, PartLoaded); }

void TForm2::CLChk() {
  rcol();
  if (!fileio::SeriesComplete(PartLoaded, ReadParts)) return;
  core::PlacementLog& log = form1_.log();
  log.LastIndex = log.LogPos;
  form1_.ReDraw(log.LastIndex);
  Visible = false;
  PartLoaded.fill(0);
}

}  // namespace palorin::forms
