#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "render/raster.h"

namespace palorin::core {

inline constexpr std::int32_t kLogSlots = 10004;

// The picture's model: one (cell x, cell y, colour) entry per slot, in drawing
// order. Colour 0 marks an empty slot. Positions may stand outside 0..10003
// (typed step counts, loaded counts); every access goes through the checked
// readers below, which treat such a position as an empty slot.
struct PlacementLog {
  std::array<std::uint8_t, kLogSlots> LogX{};
  std::array<std::uint8_t, kLogSlots> LogY{};
  std::array<std::uint8_t, kLogSlots> LogColor{};

  // State 0 (AfterStep 0): the slot the next placement writes.
  // State 1 (AfterStep 1): the last slot shown; -1 when none is shown.
  std::int32_t LogPos = 0;
  // The highest slot a replay draws. After an UnDo past the start it keeps the
  // unclamped (possibly far negative) result.
  std::int32_t LastIndex = 0;
  // 1 after UnDo or ReDo, 0 after a block has been appended.
  std::int32_t AfterStep = 0;

  static constexpr bool InSlots(std::int64_t slot) { return slot >= 0 && slot < kLogSlots; }
  std::uint8_t XAt(std::int64_t slot) const { return InSlots(slot) ? LogX[Index(slot)] : 0; }
  std::uint8_t YAt(std::int64_t slot) const { return InSlots(slot) ? LogY[Index(slot)] : 0; }
  std::uint8_t ColorAt(std::int64_t slot) const {
    return InSlots(slot) ? LogColor[Index(slot)] : 0;
  }
  // Writes one entry; a slot outside the log is ignored.
  void Store(std::int64_t slot, std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
    if (!InSlots(slot)) return;
    LogX[Index(slot)] = x;
    LogY[Index(slot)] = y;
    LogColor[Index(slot)] = colour;
  }

  static constexpr std::size_t Index(std::int64_t slot) { return static_cast<std::size_t>(slot); }
};

// The three texts of the main window's status bar.
struct StatusBar {
  std::array<std::string, 3> Panels{"Count:none", "X:", "Y:"};
};

// Process-wide editing state that both windows share: the log, the drawing
// area, the status bar, the cell of the last press and the current colour.
struct Scene {
  PlacementLog log;
  render::Canvas canvas;
  StatusBar status;
  std::uint8_t CellX = 0;
  std::uint8_t CellY = 0;
  std::uint8_t CurColor = 1;
};

// Position arithmetic saturates to the signed 32-bit range instead of
// wrapping, so no typed count can overflow: an UnDo of "-2147483647" steps
// from position 5 ends at 2147483647 (a position past the log, shown as an
// empty one), never at a wrapped negative value. Any pair of 64-bit operands
// is safe.
std::int32_t SaturatingAdd(std::int64_t a, std::int64_t b);

std::string CountText(std::int64_t slot);  // "Count:" and the number

// Before an accepted press: in state 1 move one slot past the last shown one.
// A negative LogPos (an empty loaded picture, a lower loaded count) is moved
// up to 0, so the next block never lands outside the log.
void PrepareAppend(PlacementLog& log);

// The one block of a single-block press: draws it, refreshes the drawing
// area, writes the panels, logs the entry at LogPos.
void AppendBlock(Scene& scene, std::uint8_t x, std::uint8_t y, std::uint8_t colour);

// One block of a stamp: logged only (no drawing, no panels). Once slot 9999 is
// written every further block overwrites it.
void AppendStamped(PlacementLog& log, std::uint8_t x, std::uint8_t y, std::uint8_t colour);

// UnDo and ReDo by the step count typed in the step box. The text is parsed
// only where the operation reads the box, so a bad text raises the
// conversion error before anything changes.
void UnDo(Scene& scene, std::string_view stepText);
void ReDo(Scene& scene, std::string_view stepText);
void ReSet(Scene& scene);

// Replays slots 0..n (none when n < 0, at most slot 10003) over the current
// picture and refreshes the drawing area once.
void ReDraw(Scene& scene, std::int64_t n);

}  // namespace palorin::core
