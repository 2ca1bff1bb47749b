#include "forms/tform2.h"

#include <utility>

#include "base/ascii.h"
#include "base/file_name.h"
#include "base/int_parse.h"
#include "fileio/block_text.h"
#include "render/bmp.h"

namespace palorin::forms {

namespace {

struct SaveDialogSettings {
  std::string_view defaultExt;
  std::string_view title;
  std::string_view titleGloss;
  std::string_view filterName;
  std::string_view filterPatterns;
};

constexpr SaveDialogSettings kSaveDialogSettings[] = {
    {"txt", "Sertafo形式データをtxtファイルで保存する", "Save Sertafo-format data as a txt file",
     "Text files (*.txt)", "*.txt"},
    {"pln", "Palorin形式ファイルを保存する", "Save a Palorin-format file", "Palorin files (*.pln)",
     "*.pln"},
    {"bmp", "BMP形式画像を保存する", "Save a BMP-format image", "Windows BitMap (*.bmp)", "*.bmp"},
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
      fill = marks[k] == fileio::kMarked ? kDoneGreen : kMissingRed;
    }
  }
}

// Digits of parts 1..n black, the rest invisible.
void ColourLabels(std::array<Label, 5>& labels, std::int32_t n) {
  for (std::int32_t k = 1; k <= fileio::kMaxParts; ++k) {
    labels[PartIndex(k)].FontColor = k <= n ? kBlack : Color::ButtonFace();
  }
}

// The text after "[fflug]:" on the first line that starts with it.
std::optional<std::string> FlagText(const fileio::TextBuffer& buffer) {
  constexpr std::string_view kKey = "[fflug]:";
  for (const std::string& line : buffer.Lines) {
    if (line.rfind(kKey, 0) == 0) return line.substr(kKey.size());
  }
  return std::nullopt;
}

// The name the save dialog offers: the one last chosen, except that a name
// ending in the extension of another mode's format gets this mode's instead.
// The dialog replaces a file without asking, so after a native save of
// "house.pln" the BMP mode must offer "house.bmp", never the picture itself.
std::string OfferedSaveName(const std::string& remembered, std::string_view modeExt) {
  const std::size_t dot = ExtensionDot(remembered);
  if (dot == std::string::npos) return remembered;
  const std::string_view ext = std::string_view(remembered).substr(dot + 1);
  if (EqualsIgnoringAsciiCase(ext, modeExt)) return remembered;
  for (const SaveDialogSettings& s : kSaveDialogSettings) {
    if (EqualsIgnoringAsciiCase(ext, s.defaultExt)) {
      return remembered.substr(0, dot + 1) + std::string(modeExt);
    }
  }
  return remembered;
}

// The name the save dialog offers for part `part` of a compatible series:
// the series name (the offered name without a part number "_1".."_5" before
// its extension) with this part's number, as `palorin-cli convert` names
// parts. The dialog replaces without asking, so offering the name last
// saved would have part 2 written over part 1.
std::string OfferedPartName(const std::string& offered, std::string_view partText) {
  if (offered.empty() || offered.back() == '/') return offered;
  if (partText.size() != 1 || partText[0] < '1' || partText[0] > '5') return offered;
  const std::size_t dot = ExtensionDot(offered);
  const std::size_t stemEnd = dot == std::string::npos ? offered.size() : dot;
  std::string series = offered;
  if (stemEnd >= 2 && offered[stemEnd - 2] == '_' && offered[stemEnd - 1] >= '1' &&
      offered[stemEnd - 1] <= '5') {
    series.erase(stemEnd - 2, 2);
  }
  return InsertBeforeExtension(series, std::string("_").append(partText));
}

}  // namespace

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
  partSaved_.Clear();
  partLoaded_.Clear();
}

void TForm2::SetSaveDialog(int mode) {
  const SaveDialogSettings& s = kSaveDialogSettings[mode];
  SaveDialog1.DefaultExt = s.defaultExt;
  SaveDialog1.Title = s.title;
  SaveDialog1.TitleGloss = s.titleGloss;
  SaveDialog1.Filter = {{std::string(s.filterName), std::string(s.filterPatterns)}};
}

void TForm2::Button1Click() {
  FileDialog* dialog = ExecuteAsk();
  if (dialog == nullptr) return;
  ExecuteAnswer(dialog == &OpenDialog1 ? services_.RunOpenDialog(OpenDialog1)
                                       : services_.RunSaveDialog(SaveDialog1));
}

FileDialog* TForm2::ExecuteAsk() {
  asking_ = nullptr;
  lastLoad_.reset();
  lastSave_.reset();
  SetSaveDialog(kCompatibleMode);
  OldWriteInit();
  Memo1Lines.clear();
  RichEdit1.Clear();
  if (ActivePage == kLoadPage) {
    asking_ = &OpenDialog1;
  } else if (ActivePage == kSavePage) {
    WInit0();
    SaveDialog1.FileName = OfferedSaveName(SaveDialog1.FileName, SaveDialog1.DefaultExt);
    if (RadioGroup1ItemIndex == kCompatibleMode) {
      SaveDialog1.FileName = OfferedPartName(SaveDialog1.FileName, ComboBox1.Text);
    }
    asking_ = &SaveDialog1;
  }
  return asking_;
}

void TForm2::ExecuteAnswer(std::optional<std::string> name) {
  FileDialog* const dialog = std::exchange(asking_, nullptr);
  if (dialog == nullptr || !name) return;
  dialog->FileName = *name;
  if (dialog == &OpenDialog1) {
    loadFileName_ = *name;
    LoadChosenFile();
  } else {
    saveFileName_ = *name;
    SaveChosenFile();
  }
}

void TForm2::LoadChosenFile() {
  RichEdit1.LoadFromFile(loadFileName_);
  HeaderInit();
  const std::int32_t firstSlot = loadPos_;
  LoadResult result;
  result.fileName = loadFileName_;
  result.tag = headerVar_;
  result.count = form1_.log().LogPos;
  if (headerVar_ == fileio::kCompatibleTag) {
    result.part = Label11.Caption;
    result.flag = FlagText(RichEdit1);
    LoaderSectionA();
    seriesCompleted_ = false;
    CLChk();
    result.completed = seriesCompleted_;
  } else if (headerVar_ == fileio::kNativeTag) {
    LoaderSectionA();
    ShowLoadedPicture();
    Visible = false;
    result.completed = true;
  }
  result.entries = std::int64_t{loadPos_} - firstSlot;
  lastLoad_ = std::move(result);
}

void TForm2::SaveChosenFile() {
  SaveResult result;
  result.fileName = saveFileName_;
  result.mode = RadioGroup1ItemIndex;
  switch (RadioGroup1ItemIndex) {
    case kCompatibleMode:
      OldSaver();
      seriesCompleted_ = false;
      WPSet();
      result.parts = writeParts_;
      result.completed = seriesCompleted_;
      break;
    case kNativeMode:
      PLSaver();
      // Mended: LastIndex stays. The file holds slots 0..LastIndex, and
      // moving LastIndex to LogPos would bring back an undone entry lying at
      // LogPos.
      form1_.ReDraw(form1_.log().LastIndex);
      Visible = false;
      result.completed = true;
      break;
    case kBmpMode:
      render::BmpSaver(form1_.raster(), saveFileName_);
      break;
    default:
      return;
  }
  lastSave_ = std::move(result);
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

void TForm2::TakePage(int page) {
  if (page == ActivePage) return;
  ActivePage = page;
  PageControl1Change();
}

void TForm2::ClickSaveMode(int item) {
  if (item == RadioGroup1ItemIndex) return;
  RadioGroup1ItemIndex = item;
  RadioGroup1Click();
}

void TForm2::Memo1Edited(std::string_view text) {
  Memo1Lines.clear();
  if (text.empty()) return;
  for (;;) {
    const auto end = text.find('\n');
    Memo1Lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

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
  RichEdit1.SaveToFile(saveFileName_);
}

void TForm2::OldSaver() {
  fileio::AppendCompatibleFile(RichEdit1, form1_.log(), ComboBox1.Text, writeFlag_);
  RichEdit1.SaveToFile(saveFileName_);
}

void TForm2::HeaderInit() {
  core::PlacementLog& log = form1_.log();
  readParts_ = 0;
  // Each search examines 150 characters from a start at most ten past the
  // previous find, so every position here stays far inside 32 bits.
  foundPos_ = static_cast<std::int32_t>(RichEdit1.Search(fileio::kTagKey, 0));
  headerVar_ = RichEdit1.Read(std::int64_t{foundPos_} + 3, 7);
  foundPos_ =
      static_cast<std::int32_t>(RichEdit1.Search(fileio::kCountKey, std::int64_t{foundPos_} + 10));
  // Taken before the tag is looked at, on purpose: a file of neither variant
  // still sets LogPos from its count, as it always has, though it stores no
  // entry.
  log.LogPos = fileio::LoadedCount(RichEdit1.Read(std::int64_t{foundPos_} + 3, 5), loadFileName_);

  if (headerVar_ == fileio::kCompatibleTag) {
    Memo1Lines.push_back(headerVar_ + " As Sertafo Mode");
    Memo1Lines.push_back(core::CountText(log.LogPos));
    form1_.StatusBar1().Panels[0] = core::CountText(log.LogPos);
    CountInit();
    foundPos_ =
        static_cast<std::int32_t>(RichEdit1.Search(fileio::kPartKey, std::int64_t{foundPos_} + 10));
    const std::string part = RichEdit1.Read(std::int64_t{foundPos_} + 3, 1);
    Label11.Caption = part;
    Memo1Lines.push_back("No:" + part);
    loadPos_ = 0;
    const std::int32_t p = StrToInt(part);
    // Marked here, before its data is read, on purpose: a part whose data
    // fails half-way still counts as loaded, as it always has; loading it
    // again overwrites the same slots.
    if (fileio::PartValues::IsPart(p)) {
      partLoaded_.Set(p, fileio::kMarked);
      loadPos_ = fileio::PartFirstSlot(p);
    }
  } else if (headerVar_ == fileio::kNativeTag) {
    Memo1Lines.push_back(headerVar_ + " As Palorin Mode");
    Memo1Lines.push_back(core::CountText(log.LogPos));
    loadPos_ = 0;
    form1_.StatusBar1().Panels[0] = core::CountText(log.LogPos);
  }
}

void TForm2::LoaderSectionA() {
  fileio::LoadDataSection(RichEdit1, form1_.log(), loadPos_, loadFileName_);
}

void TForm2::OldWriteInit() {
  writeFlag_.Clear();
  writeParts_ = fileio::ClassifyParts(form1_.log().LastIndex);
  ColourLabels(SaveLabels, writeParts_);
  ComboBox1.ClearItems();
  for (std::int32_t k = 1; k <= writeParts_; ++k) ComboBox1.Items.push_back(std::to_string(k));
  writeFlag_ = fileio::FlagsForParts(writeParts_);
  wcol();
}

void TForm2::wcol() { ColourBars(SaveBars, writeParts_, partSaved_); }

void TForm2::WPSet() {
  const std::int32_t k = StrToInt(ComboBox1.Text);
  partSaved_.Set(k, fileio::kMarked);
  wcol();
  if (!fileio::SeriesComplete(partSaved_, writeParts_)) return;
  // The series is written: the picture is shown up to its last slot, which a
  // save leaves where it was (see SaveChosenFile).
  form1_.ReDraw(form1_.log().LastIndex);
  Visible = false;
  partSaved_.Clear();
  seriesCompleted_ = true;
}

void TForm2::CountInit() {
  readParts_ = fileio::ClassifyParts(form1_.log().LogPos);
  ColourLabels(LoadLabels, readParts_);
}

void TForm2::rcol() { ColourBars(LoadBars, readParts_, partLoaded_); }

void TForm2::ShowLoadedPicture() {
  core::PlacementLog& log = form1_.log();
  log.LastIndex = log.LogPos;
  // Mended: the header's count is the last slot of the picture, so the log
  // now shows up to LogPos. Left in the state "next free slot", the next
  // press would write over the picture's last block (still drawn, gone
  // from the log and every later save) and UnDo 1 would hide two blocks.
  log.AfterStep = core::kLastShown;
  form1_.ReDraw(log.LastIndex);
}

void TForm2::CLChk() {
  rcol();
  if (!fileio::SeriesComplete(partLoaded_, readParts_)) return;
  ShowLoadedPicture();
  Visible = false;
  partLoaded_.Clear();
  seriesCompleted_ = true;
}

}  // namespace palorin::forms
