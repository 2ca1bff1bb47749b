#include "web/editor.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <string_view>
#include <utility>

#include "base/error.h"
#include "base/file_name.h"
#include "core/history.h"
#include "core/pick.h"
#include "fileio/block_text.h"
#include "fileio/share_link.h"
#include "fileio/text_buffer.h"
#include "forms/layout.h"
#include "forms/recovery.h"
#include "forms/state_line.h"
#include "render/sprites.h"
#include "web/tables.h"

namespace palorin::web {

using emscripten::typed_memory_view;
using emscripten::val;

void ToRgba(const render::Raster& raster, std::vector<std::uint8_t>& out) {
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

namespace {

val View(const std::vector<std::uint8_t>& bytes) {
  return val(typed_memory_view(bytes.size(), bytes.data()));
}

// A control colour as CSS: the system colours by the page's own variables.
std::string Css(const forms::Color& c) {
  switch (c.kind) {
    case forms::Color::Kind::WindowText:
      return "var(--text)";
    case forms::Color::Kind::ButtonFace:
      return "var(--face)";
    case forms::Color::Kind::Rgb:
      break;
  }
  return "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// The number a control's name ends in ("Label7": 7), 0 for none.
int NameNumber(std::string_view name) {
  const std::size_t digits = name.find_first_of("0123456789");
  int n = 0;
  if (digits != std::string_view::npos) {
    std::from_chars(name.data() + digits, name.data() + name.size(), n);
  }
  return n;
}

// The label data behind a label of the layout: the size captions of the
// main window; the file window's save digits 1..5, load digits 6..10 and
// the part number read (11).
const forms::Label* LabelData(forms::TForm1& f1, forms::TForm2& f2, const forms::ControlRow& row) {
  const int n = NameNumber(row.name);
  if (row.window == forms::WindowId::Main) {
    return n >= 1 && n <= 3 ? f1.SizeLabels()[static_cast<std::size_t>(n - 1)] : nullptr;
  }
  if (n >= 1 && n <= 5) return &f2.SaveLabels[static_cast<std::size_t>(n - 1)];
  if (n >= 6 && n <= 10) return &f2.LoadLabels[static_cast<std::size_t>(n - 6)];
  return n == 11 ? &f2.Label11 : nullptr;
}

// The save bars are Shape1..5, the load bars Shape6..10.
const forms::Shape* ShapeData(forms::TForm2& f2, const forms::ControlRow& row) {
  const int n = NameNumber(row.name);
  if (n >= 1 && n <= 5) return &f2.SaveBars[static_cast<std::size_t>(n - 1)];
  if (n >= 6 && n <= 10) return &f2.LoadBars[static_cast<std::size_t>(n - 6)];
  return nullptr;
}

// A kept picture as the host stores it: the native file's text, the time
// it stands for in milliseconds since 1970 (as JavaScript dates count) and
// the blocks it shows, for the list the user restores from.
val KeptPicture(const core::PlacementLog& log, const std::timespec& at) {
  fileio::TextBuffer buffer;
  fileio::AppendNativeFile(buffer, log);
  std::int64_t blocks = 0;
  for (std::int64_t i = 0; i <= log.LastIndex && i <= core::kLastSlot; ++i) {
    blocks += log.ColorAt(i) != 0 ? 1 : 0;
  }
  val kept = val::object();
  kept.set("text", buffer.Bytes());
  kept.set("time",
           static_cast<double>(at.tv_sec) * 1000.0 + static_cast<double>(at.tv_nsec / 1000000));
  kept.set("blocks", static_cast<double>(blocks));
  return kept;
}

// The colour of every pixel as 0xRRGGBB, when they all have the same.
std::optional<std::uint32_t> OneColour(const render::Raster& raster) {
  // An empty picture holds no pixels yet: asking for them would make them.
  if (raster.IsUniform()) return raster.UniformColour() & 0xffffff;
  const std::size_t n = static_cast<std::size_t>(render::kRasterWidth) * render::kRasterHeight;
  const render::Pixel* p = raster.Data();
  if (std::find_if(p, p + n, [first = p[0]](render::Pixel q) { return q != first; }) != p + n) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(p[0] & 0xffffff);
}

val StringArray(const std::vector<std::string>& texts) {
  val out = val::array();
  for (const std::string& t : texts) out.call<void>("push", t);
  return out;
}

}  // namespace

// --- The shell --------------------------------------------------------------

void PageShell::Refresh() { host_.call<void>("refresh"); }

void PageShell::ShowError(const std::string& text) { host_.call<void>("showError", text); }

void PageShell::CopyToClipboard(const render::Raster& raster) {
  // The host copies the bytes before it returns, so drawing after the
  // click cannot change what goes to the clipboard.
  ToRgba(raster, clip_);
  host_.call<void>("copyRgba", View(clip_), render::kRasterWidth, render::kRasterHeight);
}

void PageShell::RaiseFileWindow() { host_.call<void>("raiseFileWindow"); }

void PageShell::Ended() { host_.call<void>("ended"); }

void PageShell::AskFileName(const forms::FileDialog& dialog, bool save) {
  val ask = val::object();
  ask.set("title", dialog.Title);
  // The dialog offers the name last chosen in it, without its folder.
  ask.set("name", std::string(BaseName(dialog.FileName)));
  ask.set("save", save);
  host_.call<void>("askFileName", ask);
}

void PageShell::StartRecoveryTimer(int ms) { host_.call<void>("startRecoveryTimer", ms); }

void PageShell::Keep(const core::PlacementLog& log, const std::timespec& changedAt) {
  // The browser's storage keeps one copy for the page's origin: the last
  // change kept, whichever tab made it.
  val kept = KeptPicture(log, changedAt);
  kept.set("first", !keptBefore_);
  if (!host_.call<bool>("keepCopy", kept)) {
    throw Error("The browser did not let the page keep a copy of the picture");
  }
  keptBefore_ = true;
}

void PageShell::Snapshot(const core::PlacementLog& log) {
  std::timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  if (!host_.call<bool>("keepSnapshot", KeptPicture(log, now), forms::kMaxSnapshots)) {
    throw Error("The browser did not let the page keep the picture in its history");
  }
}

// --- The editor -------------------------------------------------------------

PageEditor::PageEditor(val host) : shell_(std::move(host)), session_(shell_, &shell_) {
  session_.form1().scene.canvas.SetRefreshHandler([this] { rasterChanged_ = true; });
}

val PageEditor::State() {
  forms::TForm1& f1 = session_.form1();
  forms::TForm2& f2 = session_.form2();
  val boxes = val::object(), labels = val::object(), shapes = val::object(), panels = val::object();
  for (const forms::ControlRow& row : forms::Controls()) {
    const std::string id = ElementId(row);
    switch (row.kind) {
      case forms::ControlKind::ComboBox: {
        const forms::ComboBox& data = forms::BoxOf(f1, f2, *row.box);
        val box = val::object();
        auto& sent = sentItems_[static_cast<std::size_t>(*row.box)];
        if (!sent || *sent != data.Items) {
          sent = data.Items;
          if (data.Items.size() <= kShortList) {
            box.set("items", StringArray(data.Items));
          } else {
            box.set("count", static_cast<double>(data.Items.size()));
          }
        }
        box.set("text", data.Text);
        box.set("index", data.ItemIndex);
        box.set("enabled", data.Enabled);
        boxes.set(id, box);
        break;
      }
      case forms::ControlKind::Label:
        if (const forms::Label* data = LabelData(f1, f2, row)) {
          val label = val::object();
          label.set("caption", data->Caption);
          label.set("colour", Css(data->FontColor));
          labels.set(id, label);
        }
        break;
      case forms::ControlKind::Shape:
        if (const forms::Shape* data = ShapeData(f2, row)) {
          // What the bar's colour says, for those who cannot see it.
          val shape = val::object();
          shape.set("fill", Css(data->Brush));
          shape.set("mark", data->Brush == forms::kDoneGreen    ? "done"
                            : data->Brush == forms::kMissingRed ? "missing"
                                                                : "");
          shapes.set(id, shape);
        }
        break;
      case forms::ControlKind::StatusPanel:
        if (row.item >= 0 && static_cast<std::size_t>(row.item) < f1.StatusBar1().Panels.size()) {
          panels.set(id, f1.StatusBar1().Panels[static_cast<std::size_t>(row.item)]);
        }
        break;
      default:
        break;
    }
  }
  std::string memo;
  for (std::size_t i = 0; i < f2.Memo1Lines.size(); ++i) {
    if (i > 0) memo += '\n';
    memo += f2.Memo1Lines[i];
  }
  val state = val::object();
  state.set("ended", session_.Ended());
  state.set("asking", session_.Asking());
  state.set("boxes", boxes);
  state.set("labels", labels);
  state.set("shapes", shapes);
  state.set("panels", panels);
  state.set("fileVisible", f2.Visible);
  state.set("page", f2.ActivePage);
  state.set("saveMode", f2.RadioGroup1ItemIndex);
  state.set("group1Enabled", f2.GroupBox1Enabled);
  state.set("memo", memo);
  return state;
}

val PageEditor::Items(forms::BoxId box) {
  const auto at = static_cast<std::size_t>(box);
  if (at >= sentItems_.size() || !sentItems_[at]) return val::array();
  return StringArray(*sentItems_[at]);
}

val PageEditor::RasterIfChanged() {
  if (!rasterChanged_) return val::null();
  if (const std::optional<std::uint32_t> colour = OneColour(session_.raster())) {
    rasterChanged_ = false;
    return val(static_cast<double>(*colour));
  }
  return Raster();
}

val PageEditor::Raster() {
  rasterChanged_ = false;
  ToRgba(session_.raster(), rgba_);
  return View(rgba_);
}

std::string PageEditor::StateLine() { return forms::StateLine(session_.form1(), session_.form2()); }

val PageEditor::Cursor() const {
  const core::Cell cell = session_.Cursor();
  const render::PixelBox box = render::BlockBox(cell.x, cell.y);
  val cursor = val::object();
  cursor.set("x", cell.x);
  cursor.set("y", cell.y);
  cursor.set("left", box.left);
  cursor.set("top", box.top);
  cursor.set("width", box.width);
  cursor.set("height", box.height);
  return cursor;
}

bool PageEditor::RunAction(const std::string& verb) {
  const forms::ActionRow* row = forms::ActionForVerb(verb);
  if (row == nullptr) return false;
  session_.RunAction(row->id);
  return true;
}

val PageEditor::Answer(val name) {
  std::optional<std::string> chosen;
  if (name.isString()) chosen = name.as<std::string>();
  const bool saving =
      session_.Asking() && session_.form2().Asking() == &session_.form2().SaveDialog1;
  session_.Answer(std::move(chosen));
  // Asking resets the last save, so a save now is this answer's.
  const auto& saved = session_.form2().LastSave();
  if (saving && saved) return val(saved->fileName);
  return val::null();
}

void PageEditor::OpenFiles(val names) {
  session_.OpenFiles(emscripten::vecFromJSArray<std::string>(names));
}

int PageEditor::HistoryEnd() const {
  return std::clamp<std::int32_t>(session_.log().LastIndex, 0, core::kLastSlot);
}

val PageEditor::HistoryFrames() const {
  const std::int64_t slots = std::int64_t{HistoryEnd()} + 1;
  val frames = val::array();
  for (const std::int64_t last : core::BuildFrameLastSlots(slots, core::BuildFrameStep(slots))) {
    frames.call<void>("push", static_cast<int>(last));
  }
  return frames;
}

val PageEditor::HistoryRaster(int k) {
  render::Cls(historyRaster_);
  core::ReDrawSlots(session_.log(), historyRaster_, 0, k);
  ToRgba(historyRaster_, historyRgba_);
  return View(historyRgba_);
}

val PageEditor::PackPicture() const {
  const std::vector<std::uint8_t> packed = fileio::PackPicture(session_.log());
  return val::global("Uint8Array").new_(View(packed));
}

bool PageEditor::UnpackTo(val bytes, const std::string& name) {
  const std::vector<std::uint8_t> packed =
      emscripten::convertJSArrayToNumberVector<std::uint8_t>(bytes);
  return !session_.Run([&] {
    const std::string text = fileio::NativeTextOfPacked(packed.data(), packed.size());
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> out(std::fopen(name.c_str(), "wb"),
                                                                 &std::fclose);
    if (!out || std::fwrite(text.data(), 1, text.size(), out.get()) != text.size()) {
      throw Error(FormatMessage(messages::kCannotCreate, name));
    }
  });
}

void PageEditor::RefuseLink() {
  session_.Run([] { throw Error(std::string(fileio::kBadLink)); });
}

}  // namespace palorin::web
