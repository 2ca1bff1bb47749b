#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core_test_util.h"

namespace palorin::core {
namespace {

using test::Block;
using test::PressCell;
using test::SlotOf;

// Five blocks whose sprites overlap, so that a replay in the wrong order shows.
constexpr Block P{10, 10, 1}, Q{11, 11, 2}, R{12, 12, 3}, S{12, 10, 4}, T{10, 12, 5};
constexpr Block E{0, 0, 0};  // an empty slot

struct Step {
  enum Kind { Start, Place, UnDoStep, ReDoStep, ReSetStep } kind;
  Block block;       // Place
  const char* text;  // the step box for UnDo and ReDo
  int logPos, lastIndex, afterStep;
  std::vector<Block> slots;    // slots 0, 1, … afterwards
  std::vector<Block> picture;  // drawn in this order on black
  std::string panel0;
  int refreshes;  // drawing-area refreshes the step makes
};

Step Place(Block b, int pos, int last, std::vector<Block> slots, std::vector<Block> pic,
           std::string panel) {
  return {Step::Place, b, "", pos, last, 0, std::move(slots), std::move(pic), std::move(panel), 1};
}
Step Op(Step::Kind kind, const char* text, int pos, int last, int after, std::vector<Block> slots,
        std::vector<Block> pic, const char* panel, int refreshes) {
  return {kind, E, text, pos, last, after, std::move(slots), std::move(pic), panel, refreshes};
}

// The steps that place `blocks` one by one on a fresh log (each block shown
// in the slot of its position), followed by `then`.
std::vector<Step> PlacingThen(const std::vector<Block>& blocks, const std::vector<Step>& then) {
  std::vector<Step> steps;
  for (std::size_t n = 0; n < blocks.size(); ++n) {
    const std::vector<Block> shown(blocks.begin(),
                                   blocks.begin() + static_cast<std::ptrdiff_t>(n) + 1);
    const int last = static_cast<int>(n);
    steps.push_back(
        Place(blocks[n], last + 1, last, shown, shown, "Count:" + std::to_string(last)));
  }
  steps.insert(steps.end(), then.begin(), then.end());
  return steps;
}

void RunSteps(Scene& scene, const std::vector<Step>& steps) {
  for (std::size_t n = 0; n < steps.size(); ++n) {
    const Step& s = steps[n];
    SCOPED_TRACE(testing::Message() << "step " << n);
    const auto refreshesBefore = scene.canvas.RefreshCount();
    switch (s.kind) {
      case Step::Start:
        break;
      case Step::Place:
        PressCell(scene, s.block.x, s.block.y, s.block.colour);
        break;
      case Step::UnDoStep:
        UnDo(scene, s.text);
        break;
      case Step::ReDoStep:
        ReDo(scene, s.text);
        break;
      case Step::ReSetStep:
        ReSet(scene);
        break;
    }
    EXPECT_EQ(scene.log.LogPos, s.logPos);
    EXPECT_EQ(scene.log.LastIndex, s.lastIndex);
    EXPECT_EQ(scene.log.AfterStep, s.afterStep);
    for (std::size_t slot = 0; slot < s.slots.size(); ++slot) {
      EXPECT_EQ(SlotOf(scene.log, static_cast<int>(slot)), s.slots[slot]) << "slot " << slot;
    }
    render::Raster expected;
    for (const Block& b : s.picture) render::DrawBlock(expected, b.x, b.y, b.colour);
    EXPECT_TRUE(scene.canvas.raster == expected) << "picture differs";
    EXPECT_EQ(scene.status.Panels[0], s.panel0);
    EXPECT_EQ(scene.canvas.RefreshCount() - refreshesBefore, static_cast<unsigned>(s.refreshes));
  }
}

TEST(PlacementLogSteps, PlaceThreeUnDoOnePlaceOneThenUnDoPastTheStart) {
  Scene scene;
  RunSteps(scene, {
                      // S takes the slot of the undone R.
                      Op(Step::Start, "", 0, 0, 0, {E, E, E}, {}, "Count:none", 0),
                      Place(P, 1, 0, {P, E, E}, {P}, "Count:0"),
                      Place(Q, 2, 1, {P, Q, E}, {P, Q}, "Count:1"),
                      Place(R, 3, 2, {P, Q, R}, {P, Q, R}, "Count:2"),
                      Op(Step::UnDoStep, "1", 1, 1, 1, {P, Q, R}, {P, Q}, "Count:1", 1),
                      Place(S, 3, 2, {P, Q, S}, {P, Q, S}, "Count:2"),
                      // UnDo past the start: nothing is shown, LastIndex keeps the
                      // unclamped value, a second UnDo is ignored, ReDo shows slot 0.
                      Op(Step::UnDoStep, "5", -1, -3, 1, {P, Q, S}, {}, "Count:none", 1),
                      Op(Step::UnDoStep, "1", -1, -3, 1, {P, Q, S}, {}, "Count:none", 0),
                      Op(Step::ReDoStep, "1", 0, 0, 1, {P, Q, S}, {P}, "Count:0", 1),
                      Place(T, 2, 1, {P, T, S, E}, {P, T}, "Count:1"),
                      // Slot 3 is empty: ReDo right after placing T does nothing.
                      Op(Step::ReDoStep, "1", 2, 1, 0, {P, T, S, E}, {P, T}, "Count:1", 0),
                  });
}

TEST(PlacementLogSteps, ReDoPastTheEnd) {
  Scene scene;
  RunSteps(
      scene,
      PlacingThen({P, Q, R, S},
                  {
                      Op(Step::UnDoStep, "3", 0, 0, 1, {P, Q, R, S}, {P}, "Count:0", 1),
                      Op(Step::ReDoStep, "5", 5, 5, 1, {P, Q, R, S, E, E}, {P}, "Count:5", 0),
                      Op(Step::ReDoStep, "1", 5, 5, 1, {P, Q, R, S, E, E, E}, {P}, "Count:5", 0),
                      Op(Step::UnDoStep, "4", 1, 1, 1, {P, Q, R, S}, {P, Q}, "Count:1", 1),
                      Place(T, 3, 2, {P, Q, T, S, E}, {P, Q, T}, "Count:2"),
                  }));
}

TEST(PlacementLogSteps, ReSetAfterUnDo) {
  Scene scene;
  RunSteps(
      scene,
      PlacingThen({P, Q, R, S, T},
                  {
                      Op(Step::UnDoStep, "2", 2, 2, 1, {P, Q, R, S, T}, {P, Q, R}, "Count:2", 1),
                      Op(Step::ReSetStep, "", 0, 2, 1, {E, E, E, S, T, E}, {}, "Count:0", 1),
                      // PrepareAppend moves LogPos from 0 to 1: slot 0 stays empty.
                      Place(P, 2, 1, {E, P, E, S, T}, {P}, "Count:1"),
                      // A replay skips the empty slot 0.
                      // UnDo by 0 in state 0 hides nothing: the last shown slot is 1.
                      Op(Step::UnDoStep, "0", 1, 1, 1, {E, P, E, S, T}, {P}, "Count:1", 1),
                  }));
}

TEST(PlacementLogEdges, FirstAndTenthBlockAndThePanelsOfAPlacement) {
  Scene scene;
  for (int n = 0; n < 10; ++n) {
    PressCell(scene, 2 * n, 20, 1 + n % 5);
    EXPECT_EQ(scene.status.Panels[0], "Count:" + std::to_string(n));
    EXPECT_EQ(scene.status.Panels[1], "X:" + std::to_string(2 * n));
    EXPECT_EQ(scene.status.Panels[2], "Y:20");
    EXPECT_EQ(SlotOf(scene.log, n), (Block{2 * n, 20, 1 + n % 5}));
  }
  EXPECT_EQ(scene.log.LogPos, 10);
  EXPECT_EQ(scene.log.LastIndex, 9);
}

TEST(PlacementLogEdges, ReDoAfterAPlacementDoesNotReadTheStepBox) {
  Scene scene;
  for (const Block& b : {P, Q, R, S}) PressCell(scene, b.x, b.y, b.colour);
  UnDo(scene, "3");
  PressCell(scene, T.x, T.y, T.colour);  // slot 1; slot 2 still holds R, slot 3 S
  ASSERT_EQ(scene.log.LogPos, 2);
  ASSERT_EQ(scene.log.AfterStep, 0);
  ReDo(scene, "abc");  // a malformed text does not matter: the box is not read
  EXPECT_EQ(scene.log.LogPos, 2);
  EXPECT_EQ(scene.log.LastIndex, 2);
  EXPECT_EQ(scene.log.AfterStep, 1);
  EXPECT_EQ(scene.status.Panels[0], "Count:2");
  EXPECT_TRUE(scene.canvas.raster == test::Picture({P, T, R}));
}

TEST(PlacementLogEdges, ReDoLooksAtTheCellYOfTheNextSlotNotItsColour) {
  Scene scene;
  PressCell(scene, 10, 10, 1);
  PressCell(scene, 10, 0, 2);  // cell y 0
  UnDo(scene, "1");
  const auto refreshes = scene.canvas.RefreshCount();
  ReDo(scene, "1");
  EXPECT_EQ(scene.log.LogPos, 0);
  EXPECT_EQ(scene.status.Panels[0], "Count:0");
  EXPECT_EQ(scene.canvas.RefreshCount(), refreshes);
  EXPECT_TRUE(scene.canvas.raster == test::Picture({{10, 10, 1}}));
}

TEST(PlacementLogEdges, ReSetWithNothingShownEmptiesNoSlot) {
  Scene scene;
  for (const Block& b : {P, Q, R}) PressCell(scene, b.x, b.y, b.colour);
  UnDo(scene, "5");
  ReSet(scene);
  EXPECT_EQ(scene.log.LogPos, 0);
  EXPECT_EQ(scene.log.LastIndex, -3);
  for (int slot = 0; slot < 3; ++slot) EXPECT_NE(SlotOf(scene.log, slot), E);
  ReDo(scene, "2");
  EXPECT_EQ(scene.log.LogPos, 2);
  EXPECT_TRUE(scene.canvas.raster == test::Picture({P, Q, R}));
}

TEST(PlacementLogEdges, ReSetLeavesLastIndex) {
  Scene scene;
  for (const Block& b : {P, Q, R, S, T}) PressCell(scene, b.x, b.y, b.colour);
  ReSet(scene);
  EXPECT_EQ(scene.log.LastIndex, 4);
  EXPECT_EQ(scene.log.AfterStep, 0);
  for (int slot = 0; slot < 6; ++slot) EXPECT_EQ(SlotOf(scene.log, slot), E);
  EXPECT_TRUE(scene.canvas.raster == render::Raster{});
}

TEST(PlacementLogEdges, SingleBlocksUpToTheLastAcceptedPosition) {
  struct Case {
    int afterStep, slotWritten;
  };
  for (const Case c : {Case{0, 10000}, Case{1, 10001}}) {
    SCOPED_TRACE(c.afterStep);
    Scene scene;
    scene.log.LogPos = 10000;
    scene.log.AfterStep = LogState(c.afterStep);
    PressCell(scene, 40, 50, 3);
    EXPECT_EQ(SlotOf(scene.log, c.slotWritten), (Block{40, 50, 3}));
    EXPECT_EQ(scene.log.LastIndex, c.slotWritten);
    EXPECT_EQ(scene.log.LogPos, c.slotWritten + 1);
    EXPECT_EQ(scene.status.Panels[0], "Count:" + std::to_string(c.slotWritten));

    // The log is full now: the next press changes nothing, not even the cell.
    const render::Raster before = scene.canvas.raster;
    PressCell(scene, 20, 30, 3);
    EXPECT_EQ(scene.CellX, 40);
    EXPECT_EQ(scene.CellY, 50);
    EXPECT_EQ(scene.log.LogPos, c.slotWritten + 1);
    EXPECT_TRUE(scene.canvas.raster == before);
    EXPECT_EQ(SlotOf(scene.log, 10002), E);
  }
}

TEST(PlacementLogEdges, AppendStampedStopsAtSlot9999) {
  PlacementLog log;
  log.LogPos = 9998;
  log.AfterStep = kLastShown;
  const Block blocks[] = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}};
  for (const Block& b : blocks) {
    AppendStamped(log, static_cast<std::uint8_t>(b.x), static_cast<std::uint8_t>(b.y),
                  static_cast<std::uint8_t>(b.colour));
  }
  EXPECT_EQ(SlotOf(log, 9998), blocks[0]);
  EXPECT_EQ(SlotOf(log, 9999), blocks[3]);
  EXPECT_EQ(SlotOf(log, 10000), E);
  EXPECT_EQ(log.LogPos, 9999);
  EXPECT_EQ(log.LastIndex, 9999);
  EXPECT_EQ(log.AfterStep, 0);

  // A stamp that starts past the cap writes its first block there, then 9999.
  log.LogPos = 10001;
  AppendStamped(log, 5, 5, 5);
  EXPECT_EQ(SlotOf(log, 10001), (Block{5, 5, 5}));
  EXPECT_EQ(log.LogPos, 9999);
}

TEST(Press, Guards) {
  struct Case {
    const char* what;
    int logPos;
    int afterStep;
    int colour;
    PointerPos at;
    int cellX, cellY;  // CellX and CellY afterwards
  };
  const Case cases[] = {
      {"log full", 10001, 0, 1, {245, 153}, 7, 9},
      {"log full after a step", 10001, 1, 1, {245, 153}, 7, 9},
      {"far above", INT_MAX, 1, 1, {245, 153}, 7, 9},
      {"pointer (0, 0) is cell (-1, -1)", 0, 0, 1, {0, 0}, 255, 255},
      {"cell (81, 99)", 0, 0, 1, {492, 300}, 81, 99},
      {"cell (82, 102)", 0, 1, 1, {499, 307}, 82, 102},
      {"cell (83, 1)", 5, 1, 1, {499, 6}, 83, 1},
      {"no colour", 0, 0, 0, {245, 153}, 40, 50},
      {"no colour after a step", 3, 1, 0, {245, 153}, 40, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const test::Boxes& boxes : {test::SingleBoxes(), test::Solid("X", "5", "1", "1")}) {
      Scene scene;
      scene.CellX = 7;
      scene.CellY = 9;
      scene.log.LogPos = c.logPos;
      scene.log.AfterStep = LogState(c.afterStep);
      scene.CurColor = static_cast<std::uint8_t>(c.colour);
      const Scene before = scene;
      Press(scene, c.at, boxes.In());
      EXPECT_EQ(scene.CellX, c.cellX);
      EXPECT_EQ(scene.CellY, c.cellY);
      EXPECT_EQ(scene.log.LogPos, c.logPos);
      EXPECT_EQ(scene.log.LastIndex, before.log.LastIndex);
      EXPECT_EQ(scene.log.AfterStep, c.afterStep);
      EXPECT_EQ(scene.log.LogColor, before.log.LogColor);
      EXPECT_EQ(scene.status.Panels, before.status.Panels);
      EXPECT_TRUE(scene.canvas.raster == before.canvas.raster);
      EXPECT_EQ(scene.canvas.RefreshCount(), 0u);
    }
  }
}

TEST(Press, ANegativeLogPosIsMovedUpToSlotZero) {
  // A loaded empty picture leaves LogPos at -1, a lower count below that;
  // the next block must land in slot 0, never outside the log.
  for (const int pos : {-1, -2, -5, -10004, INT_MIN}) {
    for (const int afterStep : {0, 1}) {
      SCOPED_TRACE(testing::Message() << pos << " in state " << afterStep);
      Scene single;
      single.log.LogPos = pos;
      single.log.AfterStep = LogState(afterStep);
      PressCell(single, 40, 50, 2);
      EXPECT_EQ(SlotOf(single.log, 0), (Block{40, 50, 2}));
      EXPECT_EQ(single.log.LogPos, 1);
      EXPECT_EQ(single.log.LastIndex, 0);
      EXPECT_EQ(single.status.Panels[0], "Count:0");

      Scene stamp;
      stamp.log.LogPos = pos;
      stamp.log.AfterStep = LogState(afterStep);
      PressCell(stamp, 40, 50, 2, test::Solid("Y", "1", "2", "1"));
      EXPECT_EQ(SlotOf(stamp.log, 0), (Block{40, 50, 2}));
      EXPECT_EQ(SlotOf(stamp.log, 1), (Block{41, 51, 2}));
      EXPECT_EQ(stamp.log.LogPos, 2);
      EXPECT_EQ(stamp.status.Panels[0], "Count:2");
    }
  }
}

TEST(Press, AfterAStepARefusedPressKeepsLogPosAndAnAcceptedOneMovesIt) {
  Scene scene;
  for (const Block& b : {P, Q, R}) PressCell(scene, b.x, b.y, b.colour);
  UnDo(scene, "1");
  ASSERT_EQ(scene.log.LogPos, 1);
  Press(scene, {0, 0}, test::SingleBoxes().In());
  EXPECT_EQ(scene.log.LogPos, 1);
  EXPECT_EQ(scene.log.AfterStep, 1);
  PressCell(scene, 30, 30, 4);
  EXPECT_EQ(SlotOf(scene.log, 2), (Block{30, 30, 4}));
  EXPECT_EQ(scene.log.LogPos, 3);
}

}  // namespace
}  // namespace palorin::core
