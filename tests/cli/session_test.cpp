#include "cli/session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_util.h"

namespace palorin::cli {
namespace {

using test::TempDir;

Action Line(const std::string& text) {
  const ParsedLine parsed = ParseLine(text);
  EXPECT_TRUE(parsed.action.has_value()) << text << ": " << parsed.error;
  return parsed.action.value_or(Action{});
}

// Applies the lines in order, expecting no refusal; returns the error boxes.
std::vector<std::string> Play(Session& session, std::initializer_list<std::string> lines) {
  std::vector<std::string> boxes;
  for (const std::string& line : lines) {
    const Outcome outcome = session.Apply(Line(line));
    EXPECT_EQ(outcome.refusal, "") << line;
    boxes.insert(boxes.end(), outcome.errorBoxes.begin(), outcome.errorBoxes.end());
  }
  return boxes;
}

TEST(Session, StartsFromTheEditorsStartUpState) {
  Session session;
  EXPECT_EQ(session.TraceLine(),
            "Count:none X: Y: LogPos=0 LastIndex=0 AfterStep=0 File=hidden WriteParts=0 "
            "Saved=00000 ReadParts=0 Loaded=00000");
  EXPECT_EQ(session.raster(), render::Raster());
  EXPECT_EQ(session.form1().scene.CurColor, 1);
  EXPECT_FALSE(session.form1().ComboBox2.Enabled);
}

TEST(Session, TypingIntoTheColourBoxStopsPlacingUntilAColourIsChosen) {
  Session session;
  Play(session, {"colour-text red", "press 100 100"});
  EXPECT_EQ(session.form1().scene.CurColor, 0);
  EXPECT_EQ(session.form1().ComboBox1.ItemIndex, -1);
  EXPECT_EQ(session.form1().log().LogPos, 0);
  EXPECT_EQ(session.raster(), render::Raster());

  Play(session, {"colour red", "press 100 100"});
  EXPECT_EQ(session.form1().scene.CurColor, 3);
  EXPECT_EQ(session.form1().log().LogColor[0], 3);
  EXPECT_EQ(session.form1().log().LogPos, 1);
}

TEST(Session, ChoosingTheEntryAlreadyChosenRunsTheChangeHandlerAgain) {
  Session session;
  Play(session, {"mode X", "size-text X 7", "mode X"});
  // The second choice ran the mode rules again, as the windows do: the X
  // box reads "1" again, and the press places one block, not seven.
  EXPECT_EQ(session.form1().ComboBox2.Text, "1");
  Play(session, {"press 250 150"});
  EXPECT_EQ(session.form1().log().LogPos, 1);
  // The same for the colour box: typing leaves no colour, and choosing the
  // entry the text already names gives it back.
  Play(session, {"colour red", "colour-text red", "press 100 100"});
  EXPECT_EQ(session.form1().log().LogPos, 1);
  Play(session, {"colour red", "press 100 100"});
  EXPECT_EQ(session.form1().log().LogPos, 2);
}

TEST(Session, RefusesWhatAUserCouldNotDo) {
  struct Case {
    std::vector<std::string> before;
    std::string line;
    std::string refusal;
  };
  const Case cases[] = {
      {{}, "size X 3", "the size box X is disabled in this mode"},
      {{}, "press 1541 10", "1541 10 lies outside the 500 x 308 drawing area"},
      {{}, "press 500 0", "500 0 lies outside the 500 x 308 drawing area"},
      {{}, "press 0 308", "0 308 lies outside the 500 x 308 drawing area"},
      {{}, "move -1 5", "-1 5 lies outside the 500 x 308 drawing area"},
      {{"mode XY"}, "size-text Z 2", "the size box Z is disabled in this mode"},
      {{}, "colour purple", "\"purple\" is not in the colour box's list"},
      {{}, "mode W", "\"W\" is not in the mode box's list"},
      {{}, "key Ctrl+X", "\"Ctrl+X\" is not a key of the editor"},
      {{}, "area-key Ctrl+X", "\"Ctrl+X\" is not a key of the editor"},
      {{}, "key Space", "\"Space\" acts only while the drawing area has the focus (\"area-key Space\")"},
      {{}, "page save", "page: the file window is not shown (\"file\" shows it)"},
      {{}, "cancel", "cancel: the file window is not shown (\"file\" shows it)"},
      {{}, "part 2", "part: the file window is not shown (\"file\" shows it)"},
      {{"file"}, "save-mode bmp", "save-mode: the save page is not active (\"page save\")"},
      {{"file", "page save", "save-mode native"},
       "part 1",
       "part: the part-number box is disabled in this save mode"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Session session;
    for (const std::string& line : c.before) Play(session, {line});
    const std::string before = session.TraceLine();
    const Outcome outcome = session.Apply(Line(c.line));
    EXPECT_EQ(outcome.refusal, c.refusal);
    EXPECT_TRUE(outcome.errorBoxes.empty());
    EXPECT_EQ(session.TraceLine(), before);
  }
}

TEST(Session, AreaKeysMoveTheCursorPlaceAndStillRunTheWindowsKeys) {
  Session session;
  // The window's keys act on the drawing area too.
  Play(session, {"area-key Shift+Right", "area-key Down", "area-key Return", "area-key Ctrl+Z"});
  const core::Cell cell{50, 52};
  EXPECT_EQ(session.form1().log().LogX[0], cell.x);
  EXPECT_EQ(session.form1().log().LogY[0], cell.y);
  EXPECT_EQ(session.TraceLine(),
            "Count:none X:50 Y:52 LogPos=-1 LastIndex=-1 AfterStep=1 File=hidden WriteParts=0 "
            "Saved=00000 ReadParts=0 Loaded=00000");
}

TEST(Session, OpenLoadsEveryNameInOrderPastAnError) {
  const TempDir dir;
  test::CopyData(dir, {"wide_1.txt", "wide_2.txt"});
  Session session;
  const std::string missing = dir / "missing.txt";
  Action open = Line("open " + (dir / "wide_2.txt") + ";" + missing + ";" + (dir / "wide_1.txt"));
  const Outcome outcome = session.Apply(open);
  EXPECT_EQ(outcome.refusal, "");
  EXPECT_EQ(outcome.errorBoxes, std::vector<std::string>{"ﾌｧｲﾙ " + missing + " は開けません."});
  // Both parts are in: the series is complete and the window closed.
  EXPECT_FALSE(session.form2().Visible);
  EXPECT_EQ(session.form1().log().LastIndex, session.form1().log().LogPos);
  EXPECT_NE(session.raster(), render::Raster());
}

TEST(Session, HandlerErrorsComeBackAsErrorBoxTexts) {
  Session session;
  Play(session, {"press 100 100"});
  const std::string before = session.TraceLine();
  EXPECT_EQ(Play(session, {"step 1 ", "undo"}),
            std::vector<std::string>{"'1 ' は整数ではありません."});
  EXPECT_EQ(session.TraceLine(), before);

  const TempDir dir;
  const std::string missing = dir / "missing.pln";
  EXPECT_EQ(Play(session, {"load " + missing}),
            std::vector<std::string>{"ﾌｧｲﾙ " + missing + " は開けません."});
  EXPECT_TRUE(session.form2().Visible);
  EXPECT_EQ(session.form1().log().LogPos, 1);
}

TEST(Session, SaveDialogAddsTheDefaultExtensionOfTheMode) {
  const TempDir dir;
  Session session;
  Play(session,
       {"press 100 100", "file", "page save", "save-mode native", "save " + (dir / "a"), "file",
        "save-mode bmp", "save " + (dir / "b"), "save-mode compat", "save " + (dir / "c.v2/x")});
  EXPECT_TRUE(std::filesystem::exists(dir / "a.pln"));
  EXPECT_TRUE(std::filesystem::exists(dir / "b.bmp"));
  // A dot in a folder name is no extension; the folder does not exist, so the
  // save fails naming the completed name.
  EXPECT_EQ(session.form2().SaveDialog1.FileName, dir / "c.v2/x.txt");
}

TEST(Session, CancelledDialogsChangeNothingButTheWindowsShowing) {
  const TempDir dir;
  Session session;
  Play(session, {"press 100 100", "press 124 100"});
  const render::Raster picture = session.raster();
  Play(session, {"load-cancel"});
  EXPECT_TRUE(session.form2().Visible);
  Play(session, {"save-cancel", "cancel"});
  EXPECT_FALSE(session.form2().Visible);
  EXPECT_EQ(session.TraceLine(),
            "Count:1 X:20 Y:32 LogPos=2 LastIndex=1 AfterStep=0 File=hidden WriteParts=1 "
            "Saved=00000 ReadParts=0 Loaded=00000");
  EXPECT_EQ(session.raster(), picture);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Session, ClipChangesNothingAndEndClosesTheSession) {
  Session session;
  Play(session, {"press 100 100"});
  const std::string before = session.TraceLine();
  const render::Raster picture = session.raster();
  Play(session, {"clip"});
  EXPECT_EQ(session.TraceLine(), before);
  EXPECT_EQ(session.raster(), picture);
  EXPECT_FALSE(session.Ended());
  Play(session, {"file", "end"});
  EXPECT_TRUE(session.Ended());
  EXPECT_FALSE(session.form2().Visible);  // the file window goes with it
}

}  // namespace
}  // namespace palorin::cli
