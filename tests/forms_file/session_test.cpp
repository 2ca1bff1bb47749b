// The editor session every front end holds: opening files by name, execute in
// two steps, keys from the action table, the recovery copy's timing, and the
// layout table the windows are built from.
#include "forms/session.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/error.h"
#include "forms/layout.h"
#include "tests/support/temp_dir.h"

namespace palorin::forms {
namespace {

const std::string kCliData = PALORIN_SOURCE_DIR "/tests/cli/data/";

// Records what the session asks of the front end; dialogs wait for the test.
struct RecordingShell : Shell {
  std::vector<std::string> errors;
  std::vector<std::string> asked;  // each dialog's title
  std::string offered;             // the name the last dialog offered
  int refreshes = 0;
  int timers = 0;
  bool ended = false;
  void Refresh() override { ++refreshes; }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void CopyToClipboard(const render::Raster&) override {}
  void Ended() override { ended = true; }
  void AskFileName(const FileDialog& dialog, bool) override {
    asked.push_back(dialog.Title);
    offered = dialog.FileName;
  }
  void StartRecoveryTimer(int ms) override {
    EXPECT_EQ(ms, kRecoveryDelayMs);
    ++timers;
  }
};

struct RecordingStore : RecoveryStore {
  std::vector<std::int32_t> kept;  // LogPos of every copy kept
  bool fail = false;
  void Keep(const core::PlacementLog& log, const std::timespec&) override {
    if (fail) throw Error("cannot keep");
    kept.push_back(log.LogPos);
  }
};

TEST(Session, OpenFilesShowsEachErrorAndStillCompletesTheSeries) {
  RecordingShell shell;
  Session session(shell);
  session.OpenFiles({kCliData + "wide_1.txt", kCliData + "missing.txt", kCliData + "wide_2.txt"});
  ASSERT_EQ(shell.errors.size(), 1u);
  EXPECT_NE(shell.errors[0].find("missing.txt"), std::string::npos);
  ASSERT_TRUE(session.form2().LastLoad());
  EXPECT_TRUE(session.form2().LastLoad()->completed);
  EXPECT_FALSE(session.form2().Visible);
  EXPECT_GT(session.log().LastIndex, 2000);
}

TEST(Session, APressAfterALoadGoesAfterThePictureAndUnDoOneHidesOneBlock) {
  RecordingShell shell;
  Session session(shell);
  session.OpenFiles({kCliData + "small.pln"});
  ASSERT_TRUE(shell.errors.empty());
  const core::PlacementLog& log = session.log();
  const std::int32_t last = log.LogPos;  // the header's count: the last slot
  ASSERT_GT(last, 0);
  const auto lastBlock = log.LogColor[static_cast<std::size_t>(last)];
  session.Press(250, 150);
  EXPECT_EQ(log.LastIndex, last + 1);
  EXPECT_EQ(log.LogColor[static_cast<std::size_t>(last)], lastBlock);  // not overwritten
  session.OpenFiles({kCliData + "small.pln"});
  session.RunAction(ActionId::UnDo);
  EXPECT_EQ(log.LastIndex, last - 1);
  session.RunAction(ActionId::ReDo);
  EXPECT_EQ(log.LastIndex, last);
}

TEST(Session, ExecuteAsksOnceAndTakesNoOtherInputUntilAnswered) {
  RecordingShell shell;
  Session session(shell);
  session.Press(250, 150);
  session.RunAction(ActionId::SavePage);
  session.ClickSaveMode(kNativeMode);
  session.RunAction(ActionId::Execute);
  ASSERT_EQ(shell.asked, std::vector<std::string>{"Palorin形式ファイルを保存する"});
  EXPECT_TRUE(session.Asking());
  const auto before = session.log().LogPos;
  session.Press(100, 100);  // modal: refused
  session.RunAction(ActionId::Execute);
  EXPECT_EQ(session.log().LogPos, before);
  EXPECT_EQ(shell.asked.size(), 1u);

  const test::TempDir dir;
  session.Answer(dir / "house");  // the default extension is added
  EXPECT_FALSE(session.Asking());
  ASSERT_TRUE(session.form2().LastSave());
  EXPECT_EQ(session.form2().LastSave()->fileName, dir / "house.pln");
  EXPECT_FALSE(test::ReadBytes(dir / "house.pln").empty());
  session.Answer(dir / "again.pln");  // no dialog asked: nothing
  EXPECT_TRUE(test::ReadBytes(dir / "again.pln").empty());
}

TEST(Session, ACompatibleSaveOffersTheSeriesNameWithThePartBoxsNumber) {
  RecordingShell shell;
  Session session(shell);
  session.OpenFiles({kCliData + "wide_1.txt", kCliData + "wide_2.txt"});
  const test::TempDir dir;
  session.RunAction(ActionId::SavePage);
  session.RunAction(ActionId::Execute);
  session.Answer(dir / "pic.txt");  // a typed name is used as typed
  EXPECT_FALSE(test::ReadBytes(dir / "pic.txt").empty());
  ASSERT_TRUE(session.Type(BoxId::Part, "2"));
  session.RunAction(ActionId::Execute);
  EXPECT_EQ(shell.offered, dir / "pic_2.txt");
  session.Answer(shell.offered);
  session.RunAction(ActionId::SavePage);
  ASSERT_TRUE(session.Type(BoxId::Part, "1"));
  session.RunAction(ActionId::Execute);
  EXPECT_EQ(shell.offered, dir / "pic_1.txt");
  session.Answer(std::nullopt);
}

TEST(Session, KeysRunTheirActionsExceptTextKeysInATextField) {
  RecordingShell shell;
  Session session(shell);
  session.Press(250, 150);
  EXPECT_FALSE(session.Key("Ctrl+Z", Focus::TextField));
  EXPECT_EQ(session.log().LogPos, 1);
  EXPECT_TRUE(session.Key("Ctrl+Z", Focus::Other));
  EXPECT_EQ(session.log().LogPos, -1);
  EXPECT_FALSE(session.Key("Ctrl+K", Focus::Other));
  EXPECT_EQ(KeysText(ActionOf(ActionId::ReDo)), "Ctrl+Y, Ctrl+Shift+Z");
  EXPECT_TRUE(session.Key("Ctrl+S", Focus::TextField));  // a page key is the window's anywhere
  EXPECT_TRUE(session.form2().Visible);
  EXPECT_EQ(session.form2().ActivePage, TForm2::kSavePage);
  EXPECT_TRUE(session.Key("Ctrl+Q", Focus::Other));
  EXPECT_TRUE(shell.ended);
  EXPECT_FALSE(session.form2().Visible);
}

TEST(Session, TheCellCursorPlacesAsAClickAtItsCellAndStaysOnTheLattice) {
  RecordingShell shell;
  Session session(shell);
  EXPECT_FALSE(session.Key("Space", Focus::Other));  // Space on a button is the button's
  EXPECT_TRUE(session.Key("Right", Focus::DrawingArea));
  EXPECT_EQ(session.Cursor(), (core::Cell{42, 50}));
  EXPECT_EQ(session.form1().StatusBar1().Panels[1], "X:42");
  EXPECT_TRUE(session.Key("Space", Focus::DrawingArea));
  EXPECT_TRUE(session.Key("Shift+Down", Focus::DrawingArea));
  EXPECT_TRUE(session.Key("Return", Focus::DrawingArea));
  const core::PlacementLog& log = session.log();
  EXPECT_EQ(log.LogPos, 2);
  EXPECT_EQ(log.LogX[0], 42);
  EXPECT_EQ(log.LogY[0], 50);
  EXPECT_EQ(log.LogY[1], 60);
  for (int i = 0; i < 30; ++i) session.Key("Shift+Up", Focus::DrawingArea);
  EXPECT_EQ(session.Cursor(), (core::Cell{42, 0}));
  for (int i = 0; i < 30; ++i) session.Key("Shift+Right", Focus::DrawingArea);
  EXPECT_EQ(session.Cursor(), (core::Cell{80, 0}));
}

TEST(Session, RecoveryKeepsAChangeAfterTheDelayAndRetriesAFailureSilently) {
  RecordingShell shell;
  RecordingStore store;
  Session session(shell, &store);
  session.RunAction(ActionId::ReDo);  // nothing ahead: no change, no timer
  EXPECT_EQ(shell.timers, 0);
  session.Press(250, 150);
  session.Press(260, 150);
  EXPECT_EQ(shell.timers, 1);  // started by the first change only
  store.fail = true;
  session.RecoveryDue();
  session.RecoveryDue();
  EXPECT_EQ(shell.errors.size(), 1u);  // said once
  EXPECT_EQ(shell.timers, 3);          // tried again after each failure
  store.fail = false;
  session.RecoveryDue();
  EXPECT_EQ(store.kept, std::vector<std::int32_t>{2});
  session.Press(270, 150);
  session.CloseMainWindow();  // the pending change is kept at once
  EXPECT_EQ(store.kept, (std::vector<std::int32_t>{2, 3}));
}

TEST(Layout, EveryControlHasAUniqueNameAKnownParentAndRoomInItsWindow) {
  for (const WindowRow& window : Windows()) {
    std::set<std::string_view> names;
    for (const ControlRow& c : Controls()) {
      if (c.window != window.id) continue;
      EXPECT_TRUE(names.insert(c.name).second) << c.name;
      // A parent comes before its children.
      if (!c.parent.empty()) {
        EXPECT_TRUE(names.count(c.parent)) << c.name;
      }
      if (c.kind == ControlKind::TabSheet || c.kind == ControlKind::TextBuffer) continue;
      const Rect r = OuterRect(c);
      EXPECT_LE(r.left + r.width, window.clientWidth + 1) << c.name;
      EXPECT_LE(r.top + r.height, window.clientHeight) << c.name;
    }
  }
}

TEST(Layout, TabVisitsTheControlsInTheWindowsOrder) {
  const auto names = [](WindowId w) {
    std::vector<std::string_view> out;
    for (const ControlRow* c : TabChain(w)) out.push_back(c->name);
    return out;
  };
  EXPECT_EQ(names(WindowId::Main),
            (std::vector<std::string_view>{"Image1", "Button3", "Button4", "ComboBox1", "Button5",
                                           "Button6", "ComboBox2", "ComboBox3", "ComboBox4",
                                           "Button1", "Button2", "ComboBox5", "ComboBox6"}));
  EXPECT_EQ(names(WindowId::File),
            (std::vector<std::string_view>{"PageControl1", "Memo1", "RadioGroup1", "ComboBox1",
                                           "Button1", "Button2"}));
}

}  // namespace
}  // namespace palorin::forms
