#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fileio/text_buffer.h"
#include "forms/controls.h"
#include "forms/services.h"
#include "forms/tform1.h"

namespace palorin::forms {

// The file window's behaviour with its controls held as plain data. It
// reaches the main window's log, status bar and ReDraw through `form1`.
class TForm2 {
 public:
  TForm2(TForm1& form1, Services& services);

  void FormCreate();          // clears the part marks
  void Button1Click();        // "実行": load or save, by the active page
  void Button2Click();        // "キャンセル": hides the window
  void PageControl1Change();  // after ActivePage changed
  void RadioGroup1Click();    // after RadioGroup1ItemIndex changed
  void WInit0();              // the save-mode settings

  // Block text files and part bookkeeping.
  void PLSaver();
  void OldSaver();
  void HeaderInit();
  void LoaderSectionA();
  void OldWriteInit();
  void wcol();
  void WPSet();
  void CountInit();
  void rcol();
  void CLChk();

  // --- Control state ---------------------------------------------------
  bool Visible = false;  // created hidden
  enum Page : int { kLoadPage = 0, kSavePage = 1 };
  int ActivePage = kLoadPage;    // PageControl1: TabSheet1 load, TabSheet2 save
  int RadioGroup1ItemIndex = 0;  // 0 compatible, 1 native, 2 BMP, -1 none
  ComboBox ComboBox1;            // part-number box
  bool GroupBox1Enabled = true;
  std::vector<std::string> Memo1Lines;  // header memo
  Label Label11;                        // part number read
  // Index 0..4 = parts 1..5. Save page: Label1..Label5 / Shape1..Shape5;
  // load page: Label6..Label10 / Shape6..Shape10.
  std::array<Label, 5> SaveLabels;
  std::array<Shape, 5> SaveBars;
  std::array<Label, 5> LoadLabels;
  std::array<Shape, 5> LoadBars;
  fileio::TextBuffer RichEdit1;  // the hidden text buffer
  FileDialog OpenDialog1;
  FileDialog SaveDialog1;
  std::string SaveFileName;  // the name chosen in the last save dialog
  std::string LoadFileName;  // the name chosen in the last open dialog

  // --- Bookkeeping (1-based arrays; index 0 unused) ----------------------
  std::string HeaderVar;
  std::int32_t FoundPos = 0;
  std::int32_t LoadPos = 0;
  std::int32_t WriteParts = 0;
  std::array<std::int32_t, 6> WriteFlag{};
  std::array<std::int32_t, 6> PartSaved{};
  std::int32_t ReadParts = 0;
  std::array<std::int32_t, 6> PartLoaded{};

 private:
  void SetSaveDialog(int mode);  // default extension, title and filter
  void LoadChosenFile();         // execute on the load page after the dialog
  void SaveChosenFile();         // execute on the save page after the dialog

  TForm1& form1_;
  Services& services_;
};

inline constexpr std::string_view kFileCaption = "Palorin-File";

// The save modes of RadioGroup1, by item index.
enum SaveMode : int { kCompatibleMode = 0, kNativeMode = 1, kBmpMode = 2 };

// `name` with ".ext" added when its file name (the part after the last '/')
// has no extension, as a desktop save dialog does with its default extension.
// An empty name or extension, or a name ending in '/', is returned unchanged.
std::string WithDefaultExt(std::string name, std::string_view ext);

}  // namespace palorin::forms
