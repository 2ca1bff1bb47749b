// Positions outside the log: typed step counts of any size, counts from files
// and the arithmetic on them. Run under the sanitizers, these also prove that
// nothing is read or written outside the 10004 slots.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <string>

#include "base/error.h"
#include "core_test_util.h"

namespace palorin::core {
namespace {

using test::Block;
using test::SlotOf;

// Every slot holds an entry with a non-zero cell y, so every look-ahead that
// stays inside the log passes.
Scene FullLog() {
  Scene scene;
  for (int i = 0; i < kLogSlots; ++i) {
    scene.log.Store(i, static_cast<std::uint8_t>((i * 7) % 82),
                    static_cast<std::uint8_t>(1 + (i * 13) % 98),
                    static_cast<std::uint8_t>(1 + i % 5));
  }
  return scene;
}

render::Raster Replay(const PlacementLog& log, std::int64_t last) {
  render::Raster r;
  for (std::int64_t i = 0; i <= std::min<std::int64_t>(last, kLogSlots - 1); ++i) {
    const Block b = SlotOf(log, static_cast<int>(i));
    if (b.colour != 0) render::DrawBlock(r, b.x, b.y, b.colour);
  }
  return r;
}

// The full log at position `logPos` in step state `afterStep`.
Scene FullLogAt(std::int32_t logPos, int afterStep) {
  Scene scene = FullLog();
  scene.log.LogPos = logPos;
  scene.log.AfterStep = LogState(afterStep);
  return scene;
}

// Names a step case: the action, the step box's text and where it starts.
std::string StepTrace(const char* action, const char* text, int afterStep, std::int32_t start) {
  return std::string(action) + " '" + text + "' in state " + std::to_string(afterStep) + " from " +
         std::to_string(start);
}

std::string Panel(std::int32_t pos) { return "Count:" + std::to_string(pos); }

TEST(SaturatingAdd, ClampsToThe32BitRange) {
  struct Case {
    std::int64_t a, b;
    std::int32_t sum;
  };
  const Case cases[] = {
      {5, -2147483648LL, -2147483643},
      {5, 2147483647, INT_MAX},
      {-1, INT_MIN, INT_MIN},
      {INT_MAX, 1, INT_MAX},
      {INT_MIN, -1, INT_MIN},
      {0, 1LL << 40, INT_MAX},
      {0, -(1LL << 40), INT_MIN},
      {INT64_MAX, INT64_MAX, INT_MAX},
      {INT64_MIN, INT64_MIN, INT_MIN},
      {INT64_MAX, INT64_MIN, -1},
      {-3, 10, 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SaturatingAdd(c.a, c.b), c.sum) << c.a << " + " << c.b;
  }
}

TEST(UnDoOutOfRange, StepTextsOfAnySize) {
  struct Case {
    const char* text;
    int afterStep;
    std::int32_t start;
    std::int32_t logPos, lastIndex;
  };
  const Case cases[] = {
      {"2147483647", 0, 5, -1, -2147483643},
      {"2147483647", 1, 5, -1, -2147483642},
      {"2147483647", 0, 0, -1, INT_MIN},
      {"$7FFFFFFF", 1, 10003, -1, -2147473644},
      // A negative count moves forward; the sum saturates at the top.
      {"-2147483647", 0, 5, INT_MAX, INT_MAX},
      {"-2147483647", 1, 5, INT_MAX, INT_MAX},
      {"$80000000", 0, 5, INT_MAX, INT_MAX},
      {"$80000000", 1, 0, INT_MAX, INT_MAX},
      {"-1", 1, INT_MAX, INT_MAX, INT_MAX},
      {"-2", 0, INT_MAX, INT_MAX, INT_MAX},
      {"1", 1, INT_MAX, INT_MAX - 1, INT_MAX - 1},
      {"-20000", 1, 5, 20005, 20005},
      {"-5", 1, 3, 8, 8},
      {"-5", 0, 3, 7, 7},
      {"0", 1, 3, 3, 3},
      {"0", 0, 3, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(StepTrace("UnDo", c.text, c.afterStep, c.start));
    Scene scene = FullLogAt(c.start, c.afterStep);
    const auto slots = scene.log.LogColor;
    UnDo(scene, c.text);
    EXPECT_EQ(scene.log.LogPos, c.logPos);
    EXPECT_EQ(scene.log.LastIndex, c.lastIndex);
    EXPECT_EQ(scene.log.AfterStep, 1);
    EXPECT_EQ(scene.status.Panels[0], c.logPos <= -1 ? "Count:none" : Panel(c.logPos));
    EXPECT_TRUE(scene.canvas.raster == Replay(scene.log, c.lastIndex));
    EXPECT_EQ(scene.canvas.RefreshCount(), 1u);
    EXPECT_EQ(scene.log.LogColor, slots);
  }
}

TEST(ReDoOutOfRange, StepTextsOfAnySize) {
  struct Case {
    const char* text;
    int afterStep;
    std::int32_t start;
    std::int32_t logPos;  // also LastIndex
    bool replays;
  };
  const Case cases[] = {
      {"2147483647", 1, 5, INT_MAX, false},
      {"2147483647", 1, -1, 2147483646, false},
      {"-2147483647", 1, 5, -2147483642, false},
      {"$80000000", 1, -1, INT_MIN, false},
      {"$80000000", 1, 5, -2147483643, false},
      {"-5", 1, 3, -2, false},
      {"-5", 1, 10000, 9995, true},
      {"0", 1, 3, 3, true},
      {"5", 1, 10000, 10005, false},
      {"1", 1, 10001, 10002, true},
      {"1", 1, -1, 0, true},
      // In state 0 the box is not read.
      {"2147483647", 0, 5, 5, true},
      {"abc", 0, 5, 5, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(StepTrace("ReDo", c.text, c.afterStep, c.start));
    Scene scene = FullLogAt(c.start, c.afterStep);
    ReDo(scene, c.text);
    EXPECT_EQ(scene.log.LogPos, c.logPos);
    EXPECT_EQ(scene.log.LastIndex, c.logPos);
    EXPECT_EQ(scene.log.AfterStep, 1);
    EXPECT_EQ(scene.status.Panels[0], Panel(c.logPos));
    EXPECT_TRUE(scene.canvas.raster ==
                (c.replays ? Replay(scene.log, c.logPos) : render::Raster{}));
    EXPECT_EQ(scene.canvas.RefreshCount(), c.replays ? 1u : 0u);
  }
}

TEST(ReDoOutOfRange, NoNextEntryOutsideTheLog) {
  // Positions whose next slot lies outside 0..10003 count as having no next
  // entry: nothing changes, whatever the step box holds.
  for (const std::int32_t start : {INT_MIN, -10000, -2, 10002, 10003, 10004, INT_MAX}) {
    for (const int afterStep : {0, 1}) {
      Scene scene = FullLogAt(start, afterStep);
      scene.log.LastIndex = 77;
      ReDo(scene, "$80000000");
      EXPECT_EQ(scene.log.LogPos, start);
      EXPECT_EQ(scene.log.LastIndex, 77);
      EXPECT_EQ(scene.log.AfterStep, afterStep);
      EXPECT_EQ(scene.status.Panels[0], "Count:none");
      EXPECT_EQ(scene.canvas.RefreshCount(), 0u);
    }
  }
  Scene scene = FullLog();
  scene.log.Store(10002, 5, 0, 5);  // an entry with cell y 0 ends the log too
  scene.log.LogPos = 10001;
  scene.log.AfterStep = kLastShown;
  ReDo(scene, "1");
  EXPECT_EQ(scene.log.LogPos, 10001);
}

TEST(UnDoOutOfRange, NothingShownMeansNothingHappens) {
  for (const std::int32_t start : {-1, -2, INT_MIN}) {
    Scene scene = FullLogAt(start, 1);
    scene.log.LastIndex = 12;
    UnDo(scene, "$80000000");
    UnDo(scene, "abc");  // the box is not even read
    EXPECT_EQ(scene.log.LogPos, start);
    EXPECT_EQ(scene.log.LastIndex, 12);
    EXPECT_EQ(scene.canvas.RefreshCount(), 0u);
  }
}

TEST(ReSetOutOfRange, APositionFarAboveTheLogEmptiesEverySlot) {
  for (const std::int32_t start : {10003, 10004, 20000, INT_MAX}) {
    Scene scene = FullLog();
    scene.log.LogPos = start;
    ReSet(scene);
    for (int i = 0; i < kLogSlots; ++i) ASSERT_EQ(SlotOf(scene.log, i), Block{}) << i;
    EXPECT_EQ(scene.log.LogPos, 0);
    EXPECT_EQ(scene.status.Panels[0], "Count:0");
  }
  Scene scene = FullLog();
  scene.log.LogPos = 10002;
  ReSet(scene);
  EXPECT_EQ(SlotOf(scene.log, 10002), Block{});
  EXPECT_NE(SlotOf(scene.log, 10003), Block{}) << "slots above LogPos stay";
}

TEST(ReDrawOutOfRange, HugeAndNegativeCounts) {
  const Scene full = FullLog();
  const render::Raster all = Replay(full.log, kLogSlots - 1);
  for (const std::int64_t n :
       {std::int64_t{10003}, std::int64_t{10004}, std::int64_t{INT_MAX}, INT64_MAX}) {
    Scene scene = full;
    ReDraw(scene, n);
    EXPECT_TRUE(scene.canvas.raster == all) << n;
    EXPECT_EQ(scene.canvas.RefreshCount(), 1u);
  }
  for (const std::int64_t n : {std::int64_t{-1}, std::int64_t{INT_MIN}, INT64_MIN}) {
    Scene scene = full;
    ReDraw(scene, n);
    EXPECT_TRUE(scene.canvas.raster == render::Raster{}) << n;
    EXPECT_EQ(scene.canvas.RefreshCount(), 1u) << "refreshes even when it draws nothing";
  }
}

TEST(LogBounds, RandomOperationsNeverWriteAboveSlot10001) {
  // Slots 10002 and 10003 exist for the look-ahead and for loaded files; no
  // operation of the editor writes them (ReSet may only empty them).
  std::mt19937 rng(20240611);
  const char* const steps[] = {"1",  "2",  "5",          "1000",        "0",         "-1",
                               "-3", "-5", "2147483647", "-2147483647", "$80000000", "x"};
  const test::Boxes stamps[] = {
      test::SingleBoxes(),
      test::Solid("XYZ", "7", "6", "5"),
      test::Shell("9", "9", "9"),
      test::Solid("X", "30", "1", "1"),
  };
  Scene scene;
  for (int n = 0; n < 2500; ++n) {
    const int what = static_cast<int>(rng() % 10);
    const char* step = steps[rng() % std::size(steps)];
    try {
      if (what < 4) {
        scene.CurColor = static_cast<std::uint8_t>(rng() % 6);
        Press(scene, {static_cast<int>(rng() % 500), static_cast<int>(rng() % 308)},
              stamps[rng() % std::size(stamps)].In());
      } else if (what < 6) {
        UnDo(scene, step);
      } else if (what < 9) {
        ReDo(scene, step);
      } else if (rng() % 8 == 0) {
        ReSet(scene);
      } else {
        scene.log.LogPos = static_cast<std::int32_t>(rng() % 10010) - 3;  // as a load would
      }
    } catch (const Error&) {
      // "x" is not an integer: nothing more to check for that step.
    }
    ASSERT_EQ(SlotOf(scene.log, 10002), Block{}) << "operation " << n;
    ASSERT_EQ(SlotOf(scene.log, 10003), Block{}) << "operation " << n;
  }
}

}  // namespace
}  // namespace palorin::core
