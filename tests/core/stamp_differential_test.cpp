// Stamping computes its result per cell instead of visiting every block of
// the box. These tests hold it against the plain loops over every block,
// drawing and logging each one, on many seeded random stamps.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/int_parse.h"
#include "core_test_util.h"

namespace palorin::core {
namespace {

// ---- The reference: the literal loops, one block at a time. ----

void RefAppendStamped(PlacementLog& log, std::int64_t x, std::int64_t y, std::uint8_t colour) {
  ASSERT_TRUE(PlacementLog::InSlots(log.LogPos)) << "reference would write slot " << log.LogPos;
  const auto slot = static_cast<std::size_t>(log.LogPos);
  log.LogX[slot] = static_cast<std::uint8_t>(x);
  log.LogY[slot] = static_cast<std::uint8_t>(y);
  log.LogColor[slot] = colour;
  log.LastIndex = log.LogPos;
  log.LogPos = log.LogPos + 1;
  if (log.LogPos >= 9999) log.LogPos = 9999;
  log.AfterStep = core::kNextFree;
}

void RefOrgDraw2(Scene& scene, std::int64_t lastI, std::int64_t lastJ, std::int64_t lastK,
                 std::int64_t ox, std::int64_t oy) {
  for (std::int64_t i = 0; i <= lastI; ++i) {
    for (std::int64_t j = 0; j <= lastJ; ++j) {
      for (std::int64_t k = 0; k <= lastK; ++k) {
        const std::int64_t x = ox - i + j;
        const std::int64_t y = oy + i + j - 2 * k;
        if (x < 0 || x > 81 || y < 0 || y > 98) continue;
        render::DrawBlock(scene.canvas.raster, static_cast<int>(x), static_cast<int>(y),
                          scene.CurColor);
        RefAppendStamped(scene.log, x, y, scene.CurColor);
      }
    }
  }
}

void RefLoopDraw(Scene& scene, const StampInputs& in) {
  const std::int64_t cx = scene.CellX, cy = scene.CellY;
  if (in.modeText == "XYZ" && in.sizeIndex[0] >= 1 && in.sizeIndex[1] >= 1 &&
      in.sizeIndex[2] >= 1) {
    const std::int64_t xs = StrToInt(in.sizeText[0]);
    const std::int64_t ys = StrToInt(in.sizeText[1]);
    const std::int64_t zs = StrToInt(in.sizeText[2]);
    RefOrgDraw2(scene, 0, ys - 2, zs - 2, cx - (xs - 1), cy + (xs - 1));
    RefOrgDraw2(scene, xs - 1, 0, zs - 2, cx + (ys - 1), cy + (ys - 1));
    RefOrgDraw2(scene, xs - 1, ys - 1, 0, cx, cy - 2 * (zs - 1));
  } else {
    std::int64_t xs = 1, ys = 1, zs = 1;
    if (in.modeText != "Single") {
      xs = StrToInt(in.sizeText[0]);
      ys = StrToInt(in.sizeText[1]);
      zs = StrToInt(in.sizeText[2]);
    }
    RefOrgDraw2(scene, xs - 1, ys - 1, zs - 1, cx, cy);
  }
  scene.status.Panels[0] = "Count:" + std::to_string(scene.log.LogPos);
  scene.status.Panels[1] = "X:" + std::to_string(scene.CellX);
  scene.status.Panels[2] = "Y:" + std::to_string(scene.CellY);
  scene.canvas.Refresh();
}

// ---- One stamp, set up identically for both. ----

struct StampCase {
  int cellX = 40, cellY = 50;
  std::int32_t logPos = 0;
  int afterStep = 0;
  std::uint8_t colour = 1;
  std::string mode = "XYZ";
  std::array<std::string, 3> sizes{"1", "1", "1"};
  std::array<int, 3> indexes{-1, -1, -1};
  int earlierBlocks = 0;  // picture and log entries there before
  std::uint64_t seed = 0;

  std::string Describe() const {
    std::ostringstream os;
    os << "cell (" << cellX << ", " << cellY << "), LogPos " << logPos << " state " << afterStep
       << ", colour " << int{colour} << ", mode '" << mode << "', sizes '" << sizes[0] << "' '"
       << sizes[1] << "' '" << sizes[2] << "', entries " << indexes[0] << " " << indexes[1] << " "
       << indexes[2] << ", " << earlierBlocks << " earlier blocks, seed " << seed;
    return os.str();
  }
};

// Sets `scene` up for the case in place: the test runs thousands of cases,
// and a fresh raster for each would spend the time on allocation.
void StartScene(const StampCase& c, Scene& scene) {
  render::Cls(scene.canvas.raster);
  scene.log.LogX.fill(0);
  scene.log.LogY.fill(0);
  scene.log.LogColor.fill(0);
  std::mt19937_64 rng(c.seed);
  for (int n = 0; n < c.earlierBlocks; ++n) {
    // Anything a file could have left: cells outside the area included.
    const int x = static_cast<int>(rng() % 90) - 2, y = static_cast<int>(rng() % 106) - 2;
    render::DrawBlock(scene.canvas.raster, x, y, static_cast<int>(rng() % 6));
    const auto slot = static_cast<std::int64_t>(rng() % 2 == 0 ? rng() % 60 : 9980 + rng() % 24);
    scene.log.Store(slot, static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                    static_cast<std::uint8_t>(rng()));
  }
  scene.log.LogPos = c.logPos;
  scene.log.LastIndex = c.logPos - 1;
  scene.log.AfterStep = LogState(c.afterStep);
  scene.CellX = static_cast<std::uint8_t>(c.cellX);
  scene.CellY = static_cast<std::uint8_t>(c.cellY);
  scene.CurColor = c.colour;
  scene.status.Panels = {"Count:before", "X:before", "Y:before"};
}

// The two scenes every case reuses.
Scene& Actual() {
  static Scene scene;
  return scene;
}
Scene& Expected() {
  static Scene scene;
  return scene;
}

void ExpectSameAsReference(const StampCase& c) {
  SCOPED_TRACE(c.Describe());
  const StampInputs in{c.mode, {c.sizes[0], c.sizes[1], c.sizes[2]}, c.indexes};
  Scene& actual = Actual();
  Scene& expected = Expected();
  StartScene(c, actual);
  expected = actual;
  PrepareAppend(actual.log);
  PrepareAppend(expected.log);
  loopDraw(actual, in);
  RefLoopDraw(expected, in);
  if (testing::Test::HasFatalFailure()) return;

  EXPECT_EQ(actual.log.LogPos, expected.log.LogPos);
  EXPECT_EQ(actual.log.LastIndex, expected.log.LastIndex);
  EXPECT_EQ(actual.log.AfterStep, expected.log.AfterStep);
  const bool sameLog = actual.log.LogX == expected.log.LogX &&
                       actual.log.LogY == expected.log.LogY &&
                       actual.log.LogColor == expected.log.LogColor;
  for (std::size_t slot = 0; !sameLog && slot < kLogSlots; ++slot) {
    if (actual.log.LogX[slot] != expected.log.LogX[slot] ||
        actual.log.LogY[slot] != expected.log.LogY[slot] ||
        actual.log.LogColor[slot] != expected.log.LogColor[slot]) {
      ADD_FAILURE() << "first different slot " << slot << ": "
                    << test::SlotOf(actual.log, static_cast<int>(slot)) << " instead of "
                    << test::SlotOf(expected.log, static_cast<int>(slot));
      break;
    }
  }
  if (!(actual.canvas.raster == expected.canvas.raster)) {
    int differentPixels = 0;
    for (int y = 0; y < render::kRasterHeight; ++y) {
      for (int x = 0; x < render::kRasterWidth; ++x) {
        differentPixels += actual.canvas.raster.At(x, y) != expected.canvas.raster.At(x, y);
      }
    }
    ADD_FAILURE() << differentPixels << " pixels differ";
  }
  EXPECT_EQ(actual.status.Panels, expected.status.Panels);
  EXPECT_EQ(actual.canvas.RefreshCount(), expected.canvas.RefreshCount());
}

// A pressed cell anywhere on the lattice, edges and corners often.
std::pair<int, int> RandomCell(std::mt19937_64& rng) {
  const int edgeX[] = {0, 1, 2, 79, 80, 81}, edgeY[] = {0, 1, 2, 96, 97, 98};
  int x = rng() % 4 == 0 ? edgeX[rng() % 6] : static_cast<int>(rng() % 82);
  int y = rng() % 4 == 0 ? edgeY[rng() % 6] : static_cast<int>(rng() % 99);
  if ((x + y) % 2 != 0) y += y < kMaxCellY ? 1 : -1;
  return {x, y};
}

TEST(StampDifferential, RandomSmallBoxes) {
  std::mt19937_64 rng(0x9a10c0de);
  for (int n = 0; n < 2000; ++n) {
    StampCase c;
    c.seed = rng();
    std::tie(c.cellX, c.cellY) = RandomCell(rng);
    c.afterStep = static_cast<int>(rng() % 2);
    c.logPos = rng() % 2 == 0 ? static_cast<std::int32_t>(rng() % 40)
                              : static_cast<std::int32_t>(9990 + rng() % 12);
    c.colour = static_cast<std::uint8_t>(1 + rng() % 5);
    for (auto& size : c.sizes) size = std::to_string(static_cast<int>(rng() % 15) - 2);
    if (rng() % 2 == 0) {  // shell: every size picked from its list
      c.mode = "XYZ";
      for (int& index : c.indexes) index = static_cast<int>(1 + rng() % 49);
    } else {
      c.mode = std::string(kModeNames[rng() % kModeNames.size()]);
      for (int& index : c.indexes) index = static_cast<int>(rng() % 51) - 1;
    }
    c.earlierBlocks = static_cast<int>(rng() % 3 == 0 ? 0 : rng() % 30);
    ExpectSameAsReference(c);
    if (HasFailure()) return;  // one reported case is enough to debug
  }
}

TEST(StampDifferential, RandomRunListsThatShareCells) {
  // StampRuns takes any list of box loops; unlike the shell's faces, these
  // overlap, so the order between runs decides both the log and the picture.
  std::mt19937_64 rng(0x5eedf00d);
  for (int n = 0; n < 500; ++n) {
    StampCase c;
    c.seed = rng();
    c.logPos = rng() % 2 == 0 ? static_cast<std::int32_t>(rng() % 40)
                              : static_cast<std::int32_t>(9985 + rng() % 17);
    c.colour = static_cast<std::uint8_t>(1 + rng() % 5);
    c.earlierBlocks = static_cast<int>(rng() % 20);
    SCOPED_TRACE(c.Describe());
    std::vector<BoxRun> runs(1 + rng() % 4);
    for (BoxRun& run : runs) {
      run.lastI = static_cast<std::int64_t>(rng() % 9) - 1;
      run.lastJ = static_cast<std::int64_t>(rng() % 9) - 1;
      run.lastK = static_cast<std::int64_t>(rng() % 9) - 1;
      run.originX = 30 + static_cast<std::int64_t>(rng() % 8);
      run.originY = 40 + static_cast<std::int64_t>(rng() % 8);
      if ((run.originX + run.originY) % 2 != 0) ++run.originY;
      if (rng() % 5 == 0) run.originX -= 35;  // partly off the lattice
    }
    Scene& actual = Actual();
    Scene& expected = Expected();
    StartScene(c, actual);
    expected = actual;
    StampRuns(actual, runs.data(), runs.size());
    for (const BoxRun& run : runs) {
      RefOrgDraw2(expected, run.lastI, run.lastJ, run.lastK, run.originX, run.originY);
    }
    ASSERT_EQ(actual.log.LogPos, expected.log.LogPos);
    ASSERT_EQ(actual.log.LastIndex, expected.log.LastIndex);
    ASSERT_EQ(actual.log.AfterStep, expected.log.AfterStep);
    ASSERT_EQ(actual.log.LogX, expected.log.LogX);
    ASSERT_EQ(actual.log.LogY, expected.log.LogY);
    ASSERT_EQ(actual.log.LogColor, expected.log.LogColor);
    ASSERT_TRUE(actual.canvas.raster == expected.canvas.raster) << "pictures differ";
  }
}

TEST(StampDifferential, LargeBoxes) {
  struct Large {
    int x, y;
    bool shell;
    const char *xs, *ys, *zs;
  };
  const Large cases[] = {
      {40, 50, false, "300", "300", "1"},   {0, 0, false, "300", "1", "300"},
      {81, 97, false, "1", "300", "300"},   {40, 50, true, "300", "300", "300"},
      {41, 49, false, "300", "300", "300"}, {40, 50, true, "50", "50", "50"},
      {0, 98, false, "50", "50", "50"},     {81, 1, false, "1000", "3", "4"},
      {0, 0, true, "3", "1000", "2"},       {40, 98, false, "2", "2", "1000"},
      {20, 30, true, "120", "7", "300"},    {81, 99 - 2, true, "60", "2", "45"},
  };
  for (const auto& l : cases) {
    for (const auto& [pos, state] : {std::pair{0, 0}, std::pair{9995, 1}}) {
      StampCase c;
      c.cellX = l.x;
      c.cellY = l.y;
      c.logPos = pos;
      c.afterStep = state;
      c.colour = 3;
      c.sizes = {l.xs, l.ys, l.zs};
      c.indexes = l.shell ? std::array<int, 3>{1, 1, 1} : std::array<int, 3>{-1, -1, -1};
      c.earlierBlocks = 10;
      c.seed = static_cast<std::uint64_t>(l.x * 1000 + l.y + pos);
      ExpectSameAsReference(c);
    }
  }
}

}  // namespace
}  // namespace palorin::core
