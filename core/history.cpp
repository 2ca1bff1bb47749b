#include "core/history.h"

#include <algorithm>

#include "base/int_parse.h"
#include "render/sprites.h"

namespace palorin::core {

void PrepareAppend(PlacementLog& log) {
  if (log.AfterStep == kLastShown) log.LogPos = SaturatingAdd(log.LogPos, 1);
  // Mended: a loaded count below 0 or an UnDo past the start would otherwise
  // send the next block to slot -1.
  if (log.LogPos < 0) log.LogPos = 0;
}

void AppendBlock(Scene& scene, std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
  PlacementLog& log = scene.log;
  render::DrawBlock(scene.canvas.raster, x, y, colour);
  scene.canvas.Refresh();
  scene.status.Panels[0] = CountText(log.LogPos);
  WriteCellPanels(scene.status, x, y);
  log.Store(log.LogPos, x, y, colour);
  log.LastIndex = log.LogPos;
  log.LogPos = SaturatingAdd(log.LogPos, 1);
  log.AfterStep = kNextFree;
}

void AppendStamped(PlacementLog& log, std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
  log.Store(log.LogPos, x, y, colour);
  log.LastIndex = log.LogPos;
  log.LogPos = SaturatingAdd(log.LogPos, 1);
  if (log.LogPos >= kStampCapSlot) log.LogPos = kStampCapSlot;
  log.AfterStep = kNextFree;
}

void UnDo(Scene& scene, std::string_view stepText) {
  PlacementLog& log = scene.log;
  if (log.LogPos < 0) return;
  const std::int64_t n = StrToInt(stepText);
  // In state kNextFree the last shown entry is at LogPos - 1, so both forms
  // hide the last n entries.
  log.LogPos = log.AfterStep == kLastShown ? SaturatingAdd(log.LogPos, -n)
                                           : SaturatingAdd(log.LogPos, -(n + 1));
  render::Cls(scene.canvas.raster);
  log.AfterStep = kLastShown;
  // On purpose before the clamp below: LastIndex keeps how far past the start
  // the step went, and a save writes that count.
  log.LastIndex = log.LogPos;
  if (log.LogPos <= -1) {
    scene.status.Panels[0] = "Count:none";
    log.LogPos = -1;
  } else {
    scene.status.Panels[0] = CountText(log.LogPos);
  }
  ReDraw(scene, log.LastIndex);
}

void ReDo(Scene& scene, std::string_view stepText) {
  PlacementLog& log = scene.log;
  // The look-ahead reads the next slot's cell y, not its colour, on purpose:
  // that is how the program has always told "an entry follows", so an entry
  // at cell y 0 stops a ReDo.
  if (log.LogPos > kReDoGuard || log.YAt(std::int64_t{log.LogPos} + 1) == 0) return;
  if (log.AfterStep == kLastShown) {
    const std::int64_t n = StrToInt(stepText);
    log.LogPos = SaturatingAdd(log.LogPos, n);
  }
  log.LastIndex = log.LogPos;
  scene.status.Panels[0] = CountText(log.LogPos);
  log.AfterStep = kLastShown;
  if (log.ColorAt(log.LastIndex) != 0) ReDraw(scene, log.LastIndex);
}

void ReSet(Scene& scene) {
  PlacementLog& log = scene.log;
  render::Cls(scene.canvas.raster);
  scene.canvas.Refresh();
  // Only slots 0..LogPos are emptied and LastIndex and AfterStep stay, on
  // purpose: undone entries above LogPos survive, so a ReDo after a ReSet that
  // followed an UnDo brings them back.
  if (log.LogPos >= 0) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(log.LogPos, kLastSlot)) + 1;
    std::fill_n(log.LogX.begin(), count, 0);
    std::fill_n(log.LogY.begin(), count, 0);
    std::fill_n(log.LogColor.begin(), count, 0);
  }
  log.LogPos = 0;
  scene.status.Panels[0] = CountText(0);
}

void ReDraw(Scene& scene, std::int64_t n) {
  ReDrawSlots(scene.log, scene.canvas.raster, 0, n);
  scene.canvas.Refresh();
}

void ReDrawSlots(const PlacementLog& log, render::Raster& raster, std::int64_t first,
                 std::int64_t last) {
  const std::int64_t from = std::max<std::int64_t>(first, 0);
  const std::int64_t to = std::min<std::int64_t>(last, kLastSlot);
  for (std::int64_t i = from; i <= to; ++i) {
    const auto slot = PlacementLog::Index(i);
    if (log.LogColor[slot] != 0)
      render::DrawBlock(raster, log.LogX[slot], log.LogY[slot], log.LogColor[slot]);
  }
}

std::int32_t BuildFrameStep(std::int64_t slots) {
  const std::int64_t step = (std::max<std::int64_t>(slots, 0) + kBuildFrames - 1) / kBuildFrames;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(step, 1, kLogSlots));
}

std::vector<std::int64_t> BuildFrameLastSlots(std::int64_t slots, std::int64_t every) {
  const std::int64_t whole = std::clamp<std::int64_t>(slots, 0, kLogSlots);
  const std::int64_t step = std::max<std::int64_t>(every, 1);
  std::vector<std::int64_t> last;
  for (std::int64_t end = step; end < whole; end += step) last.push_back(end - 1);
  last.push_back(whole - 1);
  return last;
}

}  // namespace palorin::core
