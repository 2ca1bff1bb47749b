#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fileio/parts.h"
#include "fileio/text_buffer.h"
#include "forms/controls.h"
#include "forms/services.h"
#include "forms/tform1.h"

namespace palorin::forms {

// What the last execute on the load page found, for callers that report on
// a load (the command-line tool, the fuzz target) without reading the
// window's insides.
struct LoadResult {
  std::string fileName;
  std::string tag;         // the seven characters after "[Var]:" (HeaderVar)
  std::int32_t count = 0;  // the header's count as the log took it (LogPos)
  std::string part;        // compatible files: the part number's text
  // Compatible files: the text after the first line's "[fflug]:", as the
  // file says it; the reader itself goes by the count alone.
  std::optional<std::string> flag;
  std::int64_t entries = 0;  // entries the data section stored
  // The picture now shows whole: a native file, or the part that completed
  // its series (the window hid).
  bool completed = false;
};

// What the last execute on the save page wrote.
struct SaveResult {
  std::string fileName;
  int mode = 0;            // the save mode (SaveMode)
  std::int32_t parts = 0;  // compatible mode: the parts the series needs
  bool completed = false;  // native, or the part that completed its series
};

// The file window's behaviour with its controls held as plain data. It
// reaches the main window's log, status bar and ReDraw through `form1`.
// The part bookkeeping is the window's own: callers read it, only the
// window's handlers change it.
class TForm2 {
 public:
  TForm2(TForm1& form1, Services& services);

  void FormCreate();          // clears the part marks
  void Button1Click();        // "実行": load or save, by the active page

  // "実行" in the two steps a front end with its own dialogs takes, so that
  // nothing of execute runs twice: ExecuteAsk runs every step before the
  // dialog and returns the dialog to ask (its title, filter, extension and
  // the name it offers), or null when execute ends before one; then
  // ExecuteAnswer runs the rest with the chosen full name (nullopt: the
  // dialog was cancelled). An answer with no dialog asked does nothing.
  // Button1Click is the two with the services' own dialog between them.
  FileDialog* ExecuteAsk();
  void ExecuteAnswer(std::optional<std::string> name);
  // The dialog ExecuteAsk returned and no answer has completed yet.
  const FileDialog* Asking() const { return asking_; }
  void Button2Click();        // "キャンセル": hides the window
  void PageControl1Change();  // after ActivePage changed
  void RadioGroup1Click();    // after RadioGroup1ItemIndex changed
  void WInit0();              // the save-mode settings

  // The user's input as every front end turns it into handler runs.
  // Taking a page of PageControl1 runs PageControl1Change; taking the page
  // already shown changes nothing.
  void TakePage(int page);
  // A click on save mode `item` runs RadioGroup1Click; a click on the item
  // already chosen changes nothing and runs nothing.
  void ClickSaveMode(int item);
  // The user edited the header memo, which now holds `text`: its lines split
  // at line feeds, none for an empty memo.
  void Memo1Edited(std::string_view text);

  // The main window this window reaches.
  TForm1& MainForm() { return form1_; }

  // The outcome of the last execute that read or wrote a file to its end;
  // nullopt after a cancelled dialog or a failure.
  const std::optional<LoadResult>& LastLoad() const { return lastLoad_; }
  const std::optional<SaveResult>& LastSave() const { return lastSave_; }

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

  // --- Bookkeeping, read-only from outside ------------------------------
  const std::string& SaveFileName() const { return saveFileName_; }  // last save dialog's name
  const std::string& LoadFileName() const { return loadFileName_; }  // last open dialog's name
  const std::string& HeaderVar() const { return headerVar_; }
  std::int32_t FoundPos() const { return foundPos_; }
  std::int32_t LoadPos() const { return loadPos_; }
  std::int32_t WriteParts() const { return writeParts_; }
  const fileio::PartFlags& WriteFlag() const { return writeFlag_; }
  const fileio::PartMarks& PartSaved() const { return partSaved_; }
  std::int32_t ReadParts() const { return readParts_; }
  const fileio::PartMarks& PartLoaded() const { return partLoaded_; }

 private:
  // Block text files and part bookkeeping, in the order execute calls them.
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
  // A load is complete: the log shows slots 0..LogPos, replayed.
  void ShowLoadedPicture();

  void SetSaveDialog(int mode);  // default extension, title and filter
  void LoadChosenFile();         // execute on the load page after the dialog
  void SaveChosenFile();         // execute on the save page after the dialog

  TForm1& form1_;
  Services& services_;

  std::string saveFileName_;
  std::string loadFileName_;
  std::string headerVar_;
  std::int32_t foundPos_ = 0;
  std::int32_t loadPos_ = 0;
  std::int32_t writeParts_ = 0;
  fileio::PartFlags writeFlag_;
  fileio::PartMarks partSaved_;
  std::int32_t readParts_ = 0;
  fileio::PartMarks partLoaded_;
  FileDialog* asking_ = nullptr;  // the dialog execute waits for
  bool seriesCompleted_ = false;  // set by CLChk and WPSet when a series completes
  std::optional<LoadResult> lastLoad_;
  std::optional<SaveResult> lastSave_;
};

inline constexpr std::string_view kFileCaption = "Palorin-File";

// The save modes of RadioGroup1, by item index.
enum SaveMode : int { kCompatibleMode = 0, kNativeMode = 1, kBmpMode = 2 };

}  // namespace palorin::forms
