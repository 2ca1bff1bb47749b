// The page's binding: the editor (editor.h) and the tables the page reads,
// exported to its modules with embind. The modules forward the user's input
// to the editor and show what it gives back; nothing here decides.
#include <emscripten/bind.h>
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "core/history.h"
#include "fileio/share_link.h"
#include "fileio/text_buffer.h"
#include "forms/actions.h"
#include "forms/dispatch.h"
#include "forms/face.h"
#include "forms/layout.h"
#include "forms/recovery.h"
#include "web/editor.h"
#include "web/tables.h"

namespace palorin::web {

namespace {

using emscripten::val;

// Shown when the browser will not take the picture for the clipboard: the
// desktop's clipboard cannot refuse it.
constexpr std::string_view kClipRefused =
    "The browser did not let the page use the clipboard: the picture was not copied";

std::string ErrorTitle() { return forms::ErrorBoxTitle("palorin"); }

// The English of an error box's Japanese text, empty for any other.
std::string ErrorGloss(const std::string& text) { return forms::ErrorBoxGloss(text); }

std::string CannotCreateText(const std::string& name) {
  return forms::ErrorBoxText(FormatMessage(messages::kCannotCreate, name));
}

std::string ClipRefusedText() { return forms::ErrorBoxText(kClipRefused); }

// The form face and its stand-ins as a CSS font-family list, and the
// condensing that brings the face the browser picked to the form face's
// widths (percent), from the digit advance measured at `pixelHeight`.
std::string FormFaces() { return FontFamilies(); }

int FormStretch(double digitAdvance, int pixelHeight) {
  return forms::FormFaceStretch(digitAdvance, pixelHeight);
}

int BuildFrameMs() { return core::kBuildFrameMs; }

// The largest file a load reads: a chosen or dropped file larger than this
// is refused by its size, before a byte of it is read. (A double: the
// page's numbers hold it exactly.)
double MaxFileBytes() { return static_cast<double>(fileio::TextBuffer::kMaxFileBytes); }

// How many pictures the local history keeps: the newest, as the desktop's.
int MaxSnapshots() { return forms::kMaxSnapshots; }

// --- Links: the fragment's format is fileio's; the page only deflates and
// inflates, with the browser's own streams. -----------------------------
// The longest fragment any picture's link has: a longer one is refused
// before a character of it is decoded.
int MaxFragmentChars() { return static_cast<int>(fileio::kMaxFragmentChars); }
// Inflating a link's payload stops past this many bytes.
int MaxPackedBytes() { return static_cast<int>(fileio::kMaxPackedBytes); }

// A new link's fragment (without '#') for the deflated packed picture.
std::string LinkFragment(val deflated) {
  return fileio::LinkFragment(emscripten::convertJSArrayToNumberVector<std::uint8_t>(deflated));
}

// The deflated picture a fragment carries, as {version, compressed}, or
// null for a fragment that holds none.
val ReadLinkFragment(const std::string& fragment) {
  const std::optional<fileio::LinkPayload> payload = fileio::ReadLinkFragment(fragment);
  if (!payload) return val::null();
  val out = val::object();
  out.set("version", payload->version);
  // A copy the page owns: the view into the module's memory dies with the
  // payload.
  out.set("compressed", val::global("Uint8Array")
                            .new_(val(emscripten::typed_memory_view(payload->compressed.size(),
                                                                    payload->compressed.data()))));
  return out;
}

val Rect(const forms::Rect& r) {
  val out = val::object();
  out.set("left", r.left);
  out.set("top", r.top);
  out.set("width", r.width);
  out.set("height", r.height);
  return out;
}

// Both windows' layout: each window and each control as the table holds it,
// with a control's element id on the page and its rectangle within its
// window (or its tabbed page).
val Layout() {
  val windows = val::array();
  for (const forms::WindowRow& w : forms::Windows()) {
    val row = val::object();
    row.set("name", std::string(w.name));
    row.set("caption", std::string(w.caption));
    row.set("clientWidth", w.clientWidth);
    row.set("clientHeight", w.clientHeight);
    row.set("lang", std::string(w.lang));
    row.set("accessibleName", std::string(w.accessibleName));
    windows.call<void>("push", row);
  }
  val controls = val::array();
  for (const forms::ControlRow& c : forms::Controls()) {
    val row = val::object();
    row.set("window", std::string(forms::WindowOf(c.window).name));
    row.set("name", std::string(c.name));
    row.set("id", ElementId(c));
    row.set("parent", std::string(c.parent));
    row.set("kind", std::string(KindName(c.kind)));
    row.set("rect", Rect(c.rect));
    row.set("outer", Rect(forms::OuterRect(c)));
    row.set("caption", std::string(c.caption));
    row.set("gloss", std::string(c.gloss));
    row.set("accessibleName", std::string(c.accessibleName));
    row.set("action", c.action ? val(std::string(forms::ActionOf(*c.action).verb)) : val::null());
    controls.call<void>("push", row);
  }
  val layout = val::object();
  layout.set("windows", windows);
  layout.set("controls", controls);
  return layout;
}

// The action table: per action its verb, caption, help, keys, and whether
// a text field keeps its keys or only the drawing area takes them.
val Actions() {
  val actions = val::array();
  for (const forms::ActionRow& a : forms::Actions()) {
    val row = val::object();
    row.set("verb", std::string(a.verb));
    row.set("caption", std::string(a.caption));
    row.set("gloss", std::string(a.gloss));
    row.set("help", std::string(a.help));
    val keys = val::array();
    for (const std::string_view k : a.keys) {
      if (!k.empty()) keys.call<void>("push", std::string(k));
    }
    row.set("keys", keys);
    row.set("keysText", forms::KeysText(a));
    row.set("keysEditText", a.keysEditText);
    row.set("keysOnDrawingArea", a.keysOnDrawingArea);
    actions.call<void>("push", row);
  }
  return actions;
}

// The page's file system starts with every permission bit masked, so a
// saved file would be created unreadable and could not be handed to the
// browser; a process normally starts with 022.
[[maybe_unused]] const bool kUmaskSet = (::umask(022), true);

}  // namespace

}  // namespace palorin::web

EMSCRIPTEN_BINDINGS(palorin_page) {
  using namespace emscripten;
  using palorin::web::PageEditor;
  namespace forms = palorin::forms;

  enum_<forms::Focus>("Focus")
      .value("Other", forms::Focus::Other)
      .value("TextField", forms::Focus::TextField)
      .value("DrawingArea", forms::Focus::DrawingArea);
  enum_<forms::BoxId>("BoxId")
      .value("Colour", forms::BoxId::Colour)
      .value("SizeX", forms::BoxId::SizeX)
      .value("SizeY", forms::BoxId::SizeY)
      .value("SizeZ", forms::BoxId::SizeZ)
      .value("Step", forms::BoxId::Step)
      .value("Mode", forms::BoxId::Mode)
      .value("Part", forms::BoxId::Part);

  class_<PageEditor>("Editor")
      .constructor<val>()
      .function("state", &PageEditor::State)
      .function("items", &PageEditor::Items)
      .function("rasterIfChanged", &PageEditor::RasterIfChanged)
      .function("raster", &PageEditor::Raster)
      .function("stateLine", &PageEditor::StateLine)
      .function("cursor", &PageEditor::Cursor)
      .function("press", &PageEditor::Press)
      .function("move", &PageEditor::Move)
      .function("runAction", &PageEditor::RunAction)
      .function("key", &PageEditor::Key)
      .function("choose", &PageEditor::Choose)
      .function("type", &PageEditor::Type)
      .function("takePage", &PageEditor::TakePage)
      .function("clickSaveMode", &PageEditor::ClickSaveMode)
      .function("editMemo", &PageEditor::EditMemo)
      .function("closeMainWindow", &PageEditor::CloseMainWindow)
      .function("closeFileWindow", &PageEditor::CloseFileWindow)
      .function("accepting", &PageEditor::Accepting)
      .function("asking", &PageEditor::Asking)
      .function("ended", &PageEditor::Ended)
      .function("answer", &PageEditor::Answer)
      .function("openFiles", &PageEditor::OpenFiles)
      .function("recoveryDue", &PageEditor::RecoveryDue)
      .function("historyEnd", &PageEditor::HistoryEnd)
      .function("historyFrames", &PageEditor::HistoryFrames)
      .function("historyRaster", &PageEditor::HistoryRaster)
      .function("packPicture", &PageEditor::PackPicture)
      .function("unpackTo", &PageEditor::UnpackTo)
      .function("refuseLink", &PageEditor::RefuseLink);

  function("errorTitle", &palorin::web::ErrorTitle);
  function("cannotCreateText", &palorin::web::CannotCreateText);
  function("errorGloss", &palorin::web::ErrorGloss);
  function("clipRefusedText", &palorin::web::ClipRefusedText);
  function("formFaces", &palorin::web::FormFaces);
  function("formStretch", &palorin::web::FormStretch);
  function("buildFrameMs", &palorin::web::BuildFrameMs);
  function("maxFileBytes", &palorin::web::MaxFileBytes);
  function("maxSnapshots", &palorin::web::MaxSnapshots);
  function("maxFragmentChars", &palorin::web::MaxFragmentChars);
  function("maxPackedBytes", &palorin::web::MaxPackedBytes);
  function("linkFragment", &palorin::web::LinkFragment);
  function("readLinkFragment", &palorin::web::ReadLinkFragment);
  function("layout", &palorin::web::Layout);
  function("actions", &palorin::web::Actions);
}
