#include "core/placement_log.h"

#include <algorithm>
#include <limits>

#include "base/int_parse.h"
#include "render/sprites.h"

namespace palorin::core {

std::int32_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::int64_t sum = 0;
  // The 64-bit sum overflows only when both operands share a sign, and then
  // lies far beyond the 32-bit range on that side.
  if (__builtin_add_overflow(a, b, &sum)) return static_cast<std::int32_t>(b > 0 ? kMax : kMin);
  return static_cast<std::int32_t>(std::clamp(sum, kMin, kMax));
}

std::string CountText(std::int64_t slot) { return "Count:" + std::to_string(slot); }

void PrepareAppend(PlacementLog& log) {
  if (log.AfterStep == 1) log.LogPos = SaturatingAdd(log.LogPos, 1);
  if (log.LogPos < 0) log.LogPos = 0;
}

void AppendBlock(Scene& scene, std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
  PlacementLog& log = scene.log;
  render::DrawBlock(scene.canvas.raster, x, y, colour);
  scene.canvas.Refresh();
  scene.status.Panels[0] = CountText(log.LogPos);
  scene.status.Panels[1] = "X:" + std::to_string(x);
  scene.status.Panels[2] = "Y:" + std::to_string(y);
  log.Store(log.LogPos, x, y, colour);
  log.LastIndex = log.LogPos;
  log.LogPos = SaturatingAdd(log.LogPos, 1);
  log.AfterStep = 0;
}

void AppendStamped(PlacementLog& log, std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
  log.Store(log.LogPos, x, y, colour);
  log.LastIndex = log.LogPos;
  log.LogPos = SaturatingAdd(log.LogPos, 1);
  if (log.LogPos >= 9999) log.LogPos = 9999;
  log.AfterStep = 0;
}

void UnDo(Scene& scene, std::string_view stepText) {
  PlacementLog& log = scene.log;
  if (log.LogPos < 0) return;
  const std::int64_t n = StrToInt(stepText);
  log.LogPos =
      log.AfterStep == 1 ? SaturatingAdd(log.LogPos, -n) : SaturatingAdd(log.LogPos, -(n + 1));
  render::Cls(scene.canvas.raster);
  log.AfterStep = 1;
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
  if (log.LogPos > 10001 || log.YAt(std::int64_t{log.LogPos} + 1) == 0) return;
  if (log.AfterStep == 1) {
    const std::int64_t n = StrToInt(stepText);
    log.LogPos = SaturatingAdd(log.LogPos, n);
  }
  log.LastIndex = log.LogPos;
  scene.status.Panels[0] = CountText(log.LogPos);
  log.AfterStep = 1;
  if (log.ColorAt(log.LastIndex) != 0) ReDraw(scene, log.LastIndex);
}

void ReSet(Scene& scene) {
  PlacementLog& log = scene.log;
  render::Cls(scene.canvas.raster);
  scene.canvas.Refresh();
  if (log.LogPos >= 0) {
    const auto count =
        static_cast<std::size_t>(std::min<std::int64_t>(log.LogPos, kLogSlots - 1)) + 1;
    std::fill_n(log.LogX.begin(), count, 0);
    std::fill_n(log.LogY.begin(), count, 0);
    std::fill_n(log.LogColor.begin(), count, 0);
  }
  log.LogPos = 0;
  scene.status.Panels[0] = CountText(0);
}

void ReDraw(Scene& scene, std::int64_t n) {
  const PlacementLog& log = scene.log;
  const std::int64_t last = std::min<std::int64_t>(n, kLogSlots - 1);
  render::Raster& raster = scene.canvas.raster;
  for (std::int64_t i = 0; i <= last; ++i) {
    const auto slot = PlacementLog::Index(i);
    if (log.LogColor[slot] != 0)
      render::DrawBlock(raster, log.LogX[slot], log.LogY[slot], log.LogColor[slot]);
  }
  scene.canvas.Refresh();
}

}  // namespace palorin::core
