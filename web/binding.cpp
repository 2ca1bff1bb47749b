// The page's binding to the two windows' behaviour: the same role as ui/ for
// Qt. The page's script forwards the user's input here (after which the
// handler runs through forms::Dispatch) and reads the windows' data back as
// one JSON text to show it. Nothing is decided here that the forms decide.
#include <emscripten/emscripten.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/file_name.h"
#include "core/history.h"
#include "fileio/block_text.h"
#include "fileio/share_link.h"
#include "fileio/text_buffer.h"
#include "forms/dispatch.h"
#include "forms/face.h"
#include "forms/input.h"
#include "forms/keys.h"
#include "forms/state_line.h"
#include "forms/tform1.h"
#include "forms/tform2.h"

// The page's side of the clipboard (page.js).
EM_JS(void, PageCopyRgba, (const std::uint8_t* rgba, int width, int height),
      { Module.palorinCopyRgba(rgba, width, height); });

namespace palorin::web {

namespace {

// Where the page puts the files the user chose or dropped, and where saves
// land before they are handed to the browser as downloads.
constexpr const char* kSaveFolder = "/save/";

class Editor final : public forms::Services {
 public:
  Editor() : form1(*this), form2(form1, *this) {
    form1.scene.canvas.SetRefreshHandler([this] { rasterChanged = true; });
    // Start-up: the main window is created first, then the hidden file window.
    form1.FormCreate();
    form2.FormCreate();
  }

  void CopyToClipboard(const render::Raster& raster) override {
    // The copy is taken now, so drawing after the click cannot change it.
    ToRgba(raster, clip);
    PageCopyRgba(clip.data(), render::kRasterWidth, render::kRasterHeight);
  }
  void ShowFileWindow() override { form2.Visible = true; }
  void CloseMainWindow() override {
    // The file window goes with the main window; the page's editor ends.
    form2.Visible = false;
    ended = true;
  }
  std::optional<std::string> RunOpenDialog(forms::FileDialog& dialog) override {
    // The browser's file picker runs before the click reaches the form; its
    // choice, already written into the page's file system, is the answer.
    std::optional<std::string> answer = std::move(openAnswer);
    openAnswer.reset();
    if (answer) dialog.FileName = *answer;
    return answer;
  }
  std::optional<std::string> RunSaveDialog(forms::FileDialog& dialog) override {
    // The page's save dialog is drawn by the page and cannot hold a handler
    // while the user types. Without a name given, the handler ends here as a
    // cancelled dialog ends it, leaving the dialog's title and the name last
    // chosen for the page to ask with; with the name typed, execute runs
    // again and everything up to this dialog repeats unchanged.
    if (!saveAnswer) {
      saveAsked = SaveAsk{dialog.Title, std::string(BaseName(dialog.FileName))};
      return std::nullopt;
    }
    std::string name = kSaveFolder + WithDefaultExt(std::move(*saveAnswer), dialog.DefaultExt);
    saveAnswer.reset();
    dialog.FileName = name;
    return name;
  }

  static void ToRgba(const render::Raster& raster, std::vector<std::uint8_t>& out) {
    const std::size_t n = static_cast<std::size_t>(render::kRasterWidth) * render::kRasterHeight;
    out.resize(n * 4);
    const render::Pixel* p = raster.Data();
    for (std::size_t i = 0; i < n; ++i) {
      out[4 * i] = static_cast<std::uint8_t>(p[i] >> 16);
      out[4 * i + 1] = static_cast<std::uint8_t>(p[i] >> 8);
      out[4 * i + 2] = static_cast<std::uint8_t>(p[i]);
      out[4 * i + 3] = 0xff;
    }
  }

  struct SaveAsk {
    std::string title;
    std::string name;
  };

  forms::TForm1 form1;
  forms::TForm2 form2;
  std::optional<std::string> openAnswer;
  std::optional<std::string> saveAnswer;  // the name typed into the page's save dialog
  std::optional<SaveAsk> saveAsked;       // the save dialog the last execute wanted
  std::vector<std::uint8_t> rgba;
  std::vector<std::uint8_t> clip;
  std::vector<std::uint8_t> packed;
  bool rasterChanged = true;
  bool ended = false;
  std::string error;  // the last handler's error box text, empty for none
  std::string json;
};

std::unique_ptr<Editor> editor;

// Runs one handler the way ui/ does: through Dispatch, which turns a raised
// error into the error box's text. Returns that text, empty for none. An
// ended editor takes no more input.
template <typename Handler>
const char* Run(Handler&& handler) {
  editor->error.clear();
  if (editor->ended) return "";
  if (auto text = forms::Dispatch(std::forward<Handler>(handler))) editor->error = *text;
  return editor->error.c_str();
}

// The box a page control stands for: the main window's ComboBox1..6, the
// file window's ComboBox1 (the part-number box).
std::optional<forms::BoxId> BoxFor(int form, int box) {
  if (form == 2) return box == 1 ? std::optional(forms::BoxId::Part) : std::nullopt;
  if (form == 1 && box >= 1 && box <= 6) return forms::MainBox(box);
  return std::nullopt;
}

forms::ComboBox& Box(int form, int box) {
  return forms::BoxOf(editor->form1, editor->form2, *BoxFor(form, box));
}

// A text the page passes in: memory it took with palorin_alloc, which is
// the binding's from here on, whatever becomes of the input. Texts never go
// through the stack, whose size a long paste would overrun.
std::string Take(char* text) {
  const std::unique_ptr<char, decltype(&std::free)> owned(text, &std::free);
  return text == nullptr ? std::string() : std::string(text);
}

// --- The JSON the page reads -------------------------------------------

void Quote(std::string& out, const std::string& s) {
  out += '"';
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void Colour(std::string& out, const forms::Color& c) {
  switch (c.kind) {
    case forms::Color::Kind::WindowText:
      out += "\"text\"";
      return;
    case forms::Color::Kind::ButtonFace:
      out += "\"face\"";
      return;
    case forms::Color::Kind::Rgb:
      break;
  }
  out += "\"rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) +
         ")\"";
}

void BoxJson(std::string& out, const forms::ComboBox& box) {
  out += "{\"items\":[";
  for (std::size_t i = 0; i < box.Items.size(); ++i) {
    if (i > 0) out += ',';
    Quote(out, box.Items[i]);
  }
  out += "],\"text\":";
  Quote(out, box.Text);
  out += ",\"index\":" + std::to_string(box.ItemIndex);
  out += box.Enabled ? ",\"enabled\":true}" : ",\"enabled\":false}";
}

template <std::size_t N>
void LabelsJson(std::string& out, const std::array<forms::Label, N>& labels) {
  out += '[';
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) out += ',';
    Colour(out, labels[i].FontColor);
  }
  out += ']';
}

}  // namespace

}  // namespace palorin::web

using palorin::web::editor;
using palorin::web::Run;

extern "C" {

EMSCRIPTEN_KEEPALIVE void palorin_start() {
  // The page's file system starts with every permission bit masked, so a
  // saved file would be created unreadable and could not be handed to the
  // browser; a process normally starts with 022.
  ::umask(022);
  editor = std::make_unique<palorin::web::Editor>();
}

EMSCRIPTEN_KEEPALIVE const char* palorin_caption(int form) {
  return form == 1 ? palorin::forms::kMainCaption.data() : palorin::forms::kFileCaption.data();
}

EMSCRIPTEN_KEEPALIVE const char* palorin_error_title() {
  static const std::string title = palorin::forms::ErrorBoxTitle("palorin");
  return title.c_str();
}

// The raster as RGBA bytes for the canvas, or null when it has not changed
// since the last call.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* palorin_raster_if_changed() {
  if (!editor->rasterChanged) return nullptr;
  editor->rasterChanged = false;
  palorin::web::Editor::ToRgba(editor->form1.raster(), editor->rgba);
  return editor->rgba.data();
}

EMSCRIPTEN_KEEPALIVE const char* palorin_state() {
  using namespace palorin::web;
  std::string& out = editor->json;
  palorin::forms::TForm1& f1 = editor->form1;
  palorin::forms::TForm2& f2 = editor->form2;
  out = "{\"ended\":";
  out += editor->ended ? "true" : "false";
  out += ",\"boxes1\":[";
  for (int b = 1; b <= 6; ++b) {
    if (b > 1) out += ',';
    BoxJson(out, Box(1, b));
  }
  out += "],\"sizeLabels\":[";
  const auto labels = f1.SizeLabels();
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (i > 0) out += ',';
    Colour(out, labels[i]->FontColor);
  }
  out += "],\"panels\":[";
  for (std::size_t i = 0; i < 3; ++i) {
    if (i > 0) out += ',';
    Quote(out, f1.StatusBar1().Panels[i]);
  }
  out += "],\"visible\":";
  out += f2.Visible ? "true" : "false";
  out += ",\"page\":" + std::to_string(f2.ActivePage);
  out += ",\"radio\":" + std::to_string(f2.RadioGroup1ItemIndex);
  out += ",\"part\":";
  BoxJson(out, f2.ComboBox1);
  out += ",\"group1\":";
  out += f2.GroupBox1Enabled ? "true" : "false";
  out += ",\"memo\":[";
  for (std::size_t i = 0; i < f2.Memo1Lines.size(); ++i) {
    if (i > 0) out += ',';
    Quote(out, f2.Memo1Lines[i]);
  }
  out += "],\"label11\":";
  Quote(out, f2.Label11.Caption);
  out += ",\"label11Colour\":";
  Colour(out, f2.Label11.FontColor);
  out += ",\"saveLabels\":";
  LabelsJson(out, f2.SaveLabels);
  out += ",\"loadLabels\":";
  LabelsJson(out, f2.LoadLabels);
  out += ",\"saveBars\":[";
  for (std::size_t i = 0; i < 5; ++i) {
    if (i > 0) out += ',';
    Colour(out, f2.SaveBars[i].Brush);
  }
  out += "],\"loadBars\":[";
  for (std::size_t i = 0; i < 5; ++i) {
    if (i > 0) out += ',';
    Colour(out, f2.LoadBars[i].Brush);
  }
  out += "],\"saved\":";
  if (const auto& save = f2.LastSave()) {
    Quote(out, save->fileName);
  } else {
    out += "null";
  }
  out += '}';
  return out.c_str();
}

// --- Input: each call updates the data the way the user changed it and runs
// the handler the control has; the result is the error box text, "" for none.

EMSCRIPTEN_KEEPALIVE const char* palorin_press(int button, int x, int y) {
  const auto b = button == 2   ? palorin::forms::MouseButton::Right
                 : button == 1 ? palorin::forms::MouseButton::Middle
                               : palorin::forms::MouseButton::Left;
  return Run([b, x, y] { editor->form1.Image1MouseDown(b, 0, x, y); });
}

EMSCRIPTEN_KEEPALIVE const char* palorin_move(int x, int y) {
  return Run([x, y] { editor->form1.Image1MouseMove(0, x, y); });
}

// Buttons of the main window (1..6) and of the file window (1, 2).
EMSCRIPTEN_KEEPALIVE const char* palorin_click(int form, int button) {
  return Run([form, button] {
    palorin::forms::TForm1& f1 = editor->form1;
    palorin::forms::TForm2& f2 = editor->form2;
    if (form == 1) {
      switch (button) {
        case 1:
          f1.Button1Click();
          break;
        case 2:
          f1.Button2Click();
          break;
        case 3:
          f1.Button3Click();
          break;
        case 4:
          f1.Button4Click();
          break;
        case 5:
          f1.Button5Click();
          break;
        case 6:
          f1.Button6Click();
          break;
        default:
          break;
      }
    } else if (button == 2) {
      f2.Button2Click();
    }
  });
}

// "実行" with the file picker's answer: a path in the page's file system, or
// null when the picker was cancelled.
EMSCRIPTEN_KEEPALIVE const char* palorin_execute(char* chosen) {
  if (chosen != nullptr) editor->openAnswer = palorin::web::Take(chosen);
  const char* result = Run([] { editor->form2.Button1Click(); });
  editor->openAnswer.reset();
  return result;
}

// Memory for a text the page passes in (its UTF-8 bytes and a NUL); null
// when there is no room. The function the text goes to frees it.
EMSCRIPTEN_KEEPALIVE char* palorin_alloc(int bytes) {
  return bytes > 0 ? static_cast<char*>(std::malloc(static_cast<std::size_t>(bytes))) : nullptr;
}

// The user edited a box's text so that it reads `text`.
EMSCRIPTEN_KEEPALIVE const char* palorin_box_text(int form, int box, char* text) {
  std::string typed = palorin::web::Take(text);
  const auto id = palorin::web::BoxFor(form, box);
  if (!id) return "";
  return Run([id, &typed] { palorin::forms::TypeText(editor->form1, editor->form2, *id, typed); });
}

// The user chose entry `index` from a box's list, which may be the entry
// already shown.
EMSCRIPTEN_KEEPALIVE const char* palorin_box_choose(int form, int box, int index) {
  const auto id = palorin::web::BoxFor(form, box);
  if (!id) return "";
  return Run(
      [id, index] { palorin::forms::ChooseEntry(editor->form1, editor->form2, *id, index); });
}

// A key pressed with the focus on no text field, written as the key table
// writes it ("Ctrl+Shift+Z"); keys the editor does not bind do nothing.
EMSCRIPTEN_KEEPALIVE const char* palorin_key(char* keys) {
  const palorin::forms::KeyBinding* binding = palorin::forms::BindingFor(palorin::web::Take(keys));
  if (binding == nullptr) return "";
  return Run([binding] {
    palorin::forms::RunKeyAction(binding->action, editor->form1, editor->form2);
  });
}

// The key table for the page: each binding's keys and whether a text field
// keeps them, as JSON.
EMSCRIPTEN_KEEPALIVE const char* palorin_keys() {
  static const std::string json = [] {
    std::string out = "[";
    for (const palorin::forms::KeyBinding& b : palorin::forms::kKeyBindings) {
      if (out.size() > 1) out += ',';
      out += "{\"keys\":\"" + std::string(b.keys) + "\",\"editsText\":";
      out += b.editsText ? "true}" : "false}";
    }
    return out + "]";
  }();
  return json.c_str();
}

// The form face and its stand-ins as a CSS font-family list, and the
// condensing that brings the face the browser picked to the form face's
// widths (percent), from the digit advance measured at `pixelHeight`.
EMSCRIPTEN_KEEPALIVE const char* palorin_form_faces() {
  static const std::string families = [] {
    std::string out = "\"" + std::string(palorin::forms::kFormFace) + "\", \"MS PGothic\"";
    for (const std::string_view face : palorin::forms::kFormFaceStandIns) {
      out += ", \"" + std::string(face) + "\"";
    }
    return out + ", sans-serif";
  }();
  return families.c_str();
}

EMSCRIPTEN_KEEPALIVE int palorin_form_stretch(double digitAdvance, int pixelHeight) {
  return palorin::forms::FormFaceStretch(digitAdvance, pixelHeight);
}

// Everything both windows show, as the desktop and palorin-cli give it.
EMSCRIPTEN_KEEPALIVE const char* palorin_state_line() {
  static std::string line;
  line = palorin::forms::StateLine(editor->form1, editor->form2);
  return line.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* palorin_page(int page) {
  return Run([page] { editor->form2.TakePage(page); });
}

EMSCRIPTEN_KEEPALIVE const char* palorin_save_mode(int item) {
  return Run([item] { editor->form2.ClickSaveMode(item); });
}

// A window's close box: the main window's closes it as End does, which ends
// the editor; the file window's only hides it, its state lives on.
EMSCRIPTEN_KEEPALIVE const char* palorin_close(int form) {
  return Run([form] {
    if (form == 1) {
      editor->CloseMainWindow();
    } else {
      editor->form2.Visible = false;
    }
  });
}

// The user edited the header memo: the text it now holds.
EMSCRIPTEN_KEEPALIVE void palorin_memo(char* text) {
  const std::string edited = palorin::web::Take(text);
  if (!editor->ended) editor->form2.Memo1Edited(edited);
}

// --- Links: the picture packed into a link's fragment, and back ----------

// The current picture packed as a link carries it (before compression);
// its length is palorin_packed_size's until the next call.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* palorin_pack_picture() {
  editor->packed = palorin::fileio::PackPicture(editor->form1.log());
  return editor->packed.data();
}

EMSCRIPTEN_KEEPALIVE int palorin_packed_size() { return static_cast<int>(editor->packed.size()); }

// A link's packed picture written at `path` as the native file it stands
// for, which the page then opens as it opens a chosen file, so that
// loading it runs the same handlers. The result is the error box text for
// a picture that is not whole, "" when the file was written. `data` is
// memory from palorin_alloc, freed here.
EMSCRIPTEN_KEEPALIVE const char* palorin_unpack_to(std::uint8_t* data, int size, char* path) {
  const std::unique_ptr<std::uint8_t, decltype(&std::free)> owned(data, &std::free);
  const std::string file = palorin::web::Take(path);
  return Run([&] {
    const std::string text = palorin::fileio::NativeTextOfPacked(
        data, size > 0 ? static_cast<std::size_t>(size) : 0);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    bool written = out != nullptr && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = out != nullptr && std::fclose(out) == 0 && written;
    if (!written) throw palorin::Error("the page could not write " + file);
  });
}

}  // extern "C"

// --- The page's history, its kept copy, its save dialog, the clipboard -----

namespace palorin::web {

namespace {

// The log as the last palorin_log_changed saw it.
core::PlacementLog seenLog;

bool SameLog(const core::PlacementLog& a, const core::PlacementLog& b) {
  return a.LogPos == b.LogPos && a.LastIndex == b.LastIndex && a.AfterStep == b.AfterStep &&
         a.LogX == b.LogX && a.LogY == b.LogY && a.LogColor == b.LogColor;
}

// The history's own drawing area: the picture up to a chosen slot is drawn
// here, so the editor's raster and its log stay as they are.
render::Raster historyRaster;
std::vector<std::uint8_t> historyRgba;

// Shown when the browser will not take the picture for the clipboard: the
// desktop's clipboard cannot refuse it.
constexpr std::string_view kClipRefused =
    "The browser did not let the page use the clipboard: the picture was not copied";

}  // namespace

}  // namespace palorin::web

extern "C" {

// The last slot the history shows, its end: the last slot a replay draws,
// 0 when none is; the slots the build is shown in are 0 up to it.
EMSCRIPTEN_KEEPALIVE int palorin_history_end() {
  const std::int32_t last = editor->form1.log().LastIndex;
  return std::clamp<std::int32_t>(last, 0, palorin::core::kLastSlot);
}

// Slots added per frame when the history plays.
EMSCRIPTEN_KEEPALIVE int palorin_history_step() {
  return palorin::core::BuildFrameStep(std::int64_t{palorin_history_end()} + 1);
}

// The picture of slots 0..k replayed into a cleared drawing area, as RGBA
// bytes: what `palorin-cli render --upto k` draws.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* palorin_history_raster(int k) {
  using palorin::web::historyRaster;
  palorin::render::Cls(historyRaster);
  palorin::core::ReDrawSlots(editor->form1.log(), historyRaster, 0, k);
  palorin::web::Editor::ToRgba(historyRaster, palorin::web::historyRgba);
  return palorin::web::historyRgba.data();
}

// The editor's own picture as RGBA bytes, changed or not (the history shows
// it again at its end).
EMSCRIPTEN_KEEPALIVE const std::uint8_t* palorin_raster() {
  editor->rasterChanged = false;
  palorin::web::Editor::ToRgba(editor->form1.raster(), editor->rgba);
  return editor->rgba.data();
}

// 1 when the log (its slots or its positions) differs from what the previous
// call saw: an edit, a load, an UnDo or a ReDo.
EMSCRIPTEN_KEEPALIVE int palorin_log_changed() {
  const palorin::core::PlacementLog& log = editor->form1.log();
  if (palorin::web::SameLog(log, palorin::web::seenLog)) return 0;
  palorin::web::seenLog = log;
  return 1;
}

// The picture as a native file: the bytes a native save writes. The page
// keeps it as its copy and restores it through the open path.
EMSCRIPTEN_KEEPALIVE const char* palorin_native_text() {
  static std::string bytes;
  palorin::fileio::TextBuffer buffer;
  palorin::fileio::AppendNativeFile(buffer, editor->form1.log());
  bytes = buffer.Bytes();
  return bytes.c_str();
}

// The save dialog the last execute wanted, as {"title":…,"name":…} (the name
// last chosen, which the dialog offers), or "" when it wanted none. Asking
// forgets it.
EMSCRIPTEN_KEEPALIVE const char* palorin_save_asked() {
  static std::string json;
  json.clear();
  if (auto& asked = editor->saveAsked) {
    json = "{\"title\":";
    palorin::web::Quote(json, asked->title);
    json += ",\"name\":";
    palorin::web::Quote(json, asked->name);
    json += '}';
    asked.reset();
  }
  return json.c_str();
}

// "実行" on the save page again, its dialog answering the name typed.
EMSCRIPTEN_KEEPALIVE const char* palorin_execute_save(char* typed) {
  editor->saveAnswer = palorin::web::Take(typed);
  editor->saveAsked.reset();
  const char* result = Run([] { editor->form2.Button1Click(); });
  editor->saveAnswer.reset();
  return result;
}

// The error box's text for a file the page could not write back to.
EMSCRIPTEN_KEEPALIVE const char* palorin_cannot_create(char* name) {
  static std::string text;
  text = palorin::forms::ErrorBoxText(
      palorin::FormatMessage(palorin::messages::kCannotCreate, palorin::web::Take(name)));
  return text.c_str();
}

// The error box's text for a copy the browser refused.
EMSCRIPTEN_KEEPALIVE const char* palorin_clip_refused() {
  static const std::string text = palorin::forms::ErrorBoxText(palorin::web::kClipRefused);
  return text.c_str();
}

}  // extern "C"
