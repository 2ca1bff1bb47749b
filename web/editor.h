#pragma once

// The page's editor: one forms::Session with the browser as its shell. The
// page's modules call it through embind (binding.cpp); whatever the session
// asks of the platform reaches them through `host`, a JavaScript object of
// callbacks. Nothing is decided here that the session or the forms decide.

#include <emscripten/val.h>

#include <array>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "forms/actions.h"
#include "forms/input.h"
#include "forms/session.h"

namespace palorin::web {

// The RGBA bytes of a raster, as a canvas takes them.
void ToRgba(const render::Raster& raster, std::vector<std::uint8_t>& out);

// The host's side of the session: every callback of the shell goes to the
// JavaScript object's method of the same job.
//   refresh()                      both windows show the forms' data again
//   showError(text)                the error box (queued by the page)
//   copyRgba(bytes, width, height) the picture to the clipboard
//   raiseFileWindow(), ended()
//   askFileName({title, name, save}) the dialog execute waits for
//   startRecoveryTimer(ms)         recoveryDue() once ms have passed
//   keepCopy(kept) -> bool         the kept copy: {text, time, blocks, first},
//                                  the native file's text, the time of the
//                                  change it holds (ms since 1970), the blocks
//                                  it shows, and whether it is this editor's
//                                  first (which keeps a copy another editor
//                                  left in the history before replacing it)
//   keepSnapshot(kept, most) -> bool  the same kept apart in the local
//                                  history, which holds the newest `most`
class PageShell final : public forms::Shell, public forms::RecoveryStore {
 public:
  explicit PageShell(emscripten::val host) : host_(std::move(host)) {}

  void Refresh() override;
  void ShowError(const std::string& text) override;
  void CopyToClipboard(const render::Raster& raster) override;
  void RaiseFileWindow() override;
  void Ended() override;
  void AskFileName(const forms::FileDialog& dialog, bool save) override;
  void StartRecoveryTimer(int ms) override;
  void Keep(const core::PlacementLog& log, const std::timespec& changedAt) override;
  void Snapshot(const core::PlacementLog& log) override;

 private:
  emscripten::val host_;
  std::vector<std::uint8_t> clip_;
  bool keptBefore_ = false;
};

class PageEditor {
 public:
  explicit PageEditor(emscripten::val host);

  // --- What both windows show ------------------------------------------
  // The forms' data as one object: every box, label colour, panel, the file
  // window's page, mode, memo and indicators (each bar's fill, and "done" or
  // "missing" for a part's green or red). A box's list is told only when it
  // differs from the list this editor told last: a short list as its
  // entries ("items"), a long one (more than kShortList entries) only by
  // its length ("count"), its entries asked for with Items when the page
  // needs them, as the list opens.
  emscripten::val State();
  // A box's entries, as the last State told them.
  emscripten::val Items(forms::BoxId box);
  // The longest list State gives whole: the colour, mode and part boxes'.
  // The size boxes' fifty and the step box's thousand entries would be
  // most of the first State's time, and most visitors never open them.
  static constexpr std::size_t kShortList = 16;
  // The picture as RGBA bytes (a view into the module's memory, valid until
  // the next call into the module), or null when unchanged since the last
  // call of either. A picture of one colour (the empty one: all black) is
  // that colour as a number, 0xRRGGBB, which the page fills the area with:
  // no bytes converted and copied for a picture that has none to show.
  emscripten::val RasterIfChanged();
  emscripten::val Raster();
  std::string StateLine();
  // The drawing area's cell cursor: its cell and the raster pixels a block
  // there covers.
  emscripten::val Cursor() const;

  // --- Input --------------------------------------------------------------
  bool Press(int x, int y) { return session_.Press(x, y); }
  bool Move(int x, int y) { return session_.Move(x, y); }
  // A button's action, by its verb; false for no such action.
  bool RunAction(const std::string& verb);
  bool Key(const std::string& keys, forms::Focus focus) { return session_.Key(keys, focus); }
  bool Choose(forms::BoxId box, int index) { return session_.Choose(box, index); }
  bool Type(forms::BoxId box, const std::string& text) { return session_.Type(box, text); }
  void TakePage(int page) { session_.TakePage(page); }
  void ClickSaveMode(int item) { session_.ClickSaveMode(item); }
  void EditMemo(const std::string& text) { session_.EditMemo(text); }
  // The main window's close box: as "End", one input the windows show.
  void CloseMainWindow() {
    session_.Run([this] { session_.CloseMainWindow(); });
  }
  void CloseFileWindow() { session_.CloseFileWindow(); }
  bool Accepting() const { return session_.Accepting(); }
  bool Asking() const { return session_.Asking(); }
  bool Ended() const { return session_.Ended(); }

  // The dialog's answer: a name, or null for a cancel. The result is the
  // name of the file a save wrote, null when none was written.
  emscripten::val Answer(emscripten::val name);
  // Files by name (relative to the working folder), each loaded as the
  // load page loads it; an error shows and the next still loads.
  void OpenFiles(emscripten::val names);
  void RecoveryDue() { session_.RecoveryDue(); }

  // --- History: the picture as it was built -------------------------------
  // The last slot the history shows, 0 when none; the last slot of each
  // frame when the build plays; the picture of slots 0..k.
  int HistoryEnd() const;
  emscripten::val HistoryFrames() const;
  emscripten::val HistoryRaster(int k);

  // --- Links ----------------------------------------------------------------
  // The picture packed as a link carries it (a copy, before compression).
  emscripten::val PackPicture() const;
  // A link's packed picture written as the native file `name`, as one
  // input: a picture that is not whole shows in the error box. True when
  // the file was written.
  bool UnpackTo(emscripten::val bytes, const std::string& name);
  // A link that holds no picture, found so before its bytes reached the
  // editor (too long, not base64url, a checksum or a stream that does not
  // match): the error box says so, as one input, and nothing else changes.
  void RefuseLink();

 private:
  PageShell shell_;
  forms::Session session_;
  bool rasterChanged_ = true;
  std::vector<std::uint8_t> rgba_;
  render::Raster historyRaster_;
  std::vector<std::uint8_t> historyRgba_;
  // The lists told last, one per box (BoxId order).
  std::array<std::optional<std::vector<std::string>>, 7> sentItems_;
};

}  // namespace palorin::web
