#pragma once

#include <cstdint>
#include <vector>
#include <string_view>

#include "core/placement_log.h"
#include "core/scene.h"

namespace palorin::core {

// Writing the log and moving through it. Replay (ReDraw) lives here too: the
// raster only ever shows what these operations put back into it.

// Before an accepted press: in state kLastShown move one slot past the last
// shown one. A negative LogPos (an empty loaded picture, a lower loaded count)
// is moved up to 0, so the next block never lands outside the log.
void PrepareAppend(PlacementLog& log);

// The one block of a single-block press: draws it, refreshes the drawing
// area, writes the panels, logs the entry at LogPos.
void AppendBlock(Scene& scene, std::uint8_t x, std::uint8_t y, std::uint8_t colour);

// One block of a stamp: logged only (no drawing, no panels). Once
// kStampCapSlot is written every further block overwrites it.
void AppendStamped(PlacementLog& log, std::uint8_t x, std::uint8_t y, std::uint8_t colour);

// UnDo and ReDo by the step count typed in the step box. The text is parsed
// only where the operation reads the box, so a bad text raises the
// conversion error before anything changes.
void UnDo(Scene& scene, std::string_view stepText);
void ReDo(Scene& scene, std::string_view stepText);
void ReSet(Scene& scene);

// Replays slots 0..n (none when n < 0, at most kLastSlot) over the current
// picture and refreshes the drawing area once.
void ReDraw(Scene& scene, std::int64_t n);

// The drawing part of a replay: slots first..last, in slot order, over
// `raster`, empty slots skipped, positions outside the log drawn as nothing;
// no refresh. Drawing only covers, so replaying 0..a and then a+1..b gives
// the very pixels of replaying 0..b: the build animation draws each frame
// on top of the one before.
void ReDrawSlots(const PlacementLog& log, render::Raster& raster, std::int64_t first,
                 std::int64_t last);

// The pace at which a picture is shown being built, frame by frame (the
// command-line tool's animation, the page's history playing): about
// kBuildFrames frames however long the log is.
inline constexpr std::int64_t kBuildFrames = 200;

// Slots added per frame for a picture of `slots` slots: `slots` /
// kBuildFrames rounded up, at least 1 and at most kLogSlots (2000 slots: 10).
std::int32_t BuildFrameStep(std::int64_t slots);

// Each frame's time but the last's when a build is played, in milliseconds.
inline constexpr int kBuildFrameMs = 50;

// The frames of the build of a picture whose replay draws slots 0..slots-1,
// `every` slots a frame (below 1: 1): the last slot each frame shows, in
// order. Frame k shows slots 0..k*every-1 for every k*every below `slots`;
// the last frame is the whole picture (slots - 1; -1 for an empty one), so
// there is always at least one frame.
std::vector<std::int64_t> BuildFrameLastSlots(std::int64_t slots, std::int64_t every);

}  // namespace palorin::core
