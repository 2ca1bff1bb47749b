#pragma once

#include <array>
#include <cstdint>

namespace palorin::core {

// ---- The log's boundary rules ------------------------------------------------

// Slots 0..kLastSlot.
inline constexpr std::int32_t kLogSlots = 10004;
inline constexpr std::int32_t kLastSlot = kLogSlots - 1;
// Once a stamp has written this slot, every further block of any stamp
// overwrites it: LogPos and LastIndex stay here.
inline constexpr std::int32_t kStampCapSlot = 9999;
// A press is refused while LogPos lies above this slot, so a single block is
// written at kPressLimit + 1 at the most.
inline constexpr std::int32_t kPressLimit = 10000;
// ReDo does nothing while LogPos lies above this slot, so its look-ahead at
// LogPos + 1 reads kReDoGuard + 1 at the most.
inline constexpr std::int32_t kReDoGuard = 10001;

// What LogPos means; the log is always in one of these two states.
enum LogState : std::int32_t {
  kNextFree = 0,   // after a block was appended, and at start: LogPos is the next slot to write
  kLastShown = 1,  // after UnDo or ReDo: LogPos is the last slot shown, -1 when none is
};

// The picture's model: one (cell x, cell y, colour) entry per slot, in drawing
// order. Colour 0 marks an empty slot. Positions may stand outside the slots
// (typed step counts, loaded counts); every access goes through the checked
// readers below, which treat such a position as an empty slot.
struct PlacementLog {
  std::array<std::uint8_t, kLogSlots> LogX{};
  std::array<std::uint8_t, kLogSlots> LogY{};
  std::array<std::uint8_t, kLogSlots> LogColor{};

  // The slot the next block goes to, or the last one shown (see LogState).
  std::int32_t LogPos = 0;
  // The highest slot a replay draws. After an UnDo past the start it keeps the
  // unclamped (possibly far negative) result.
  std::int32_t LastIndex = 0;
  LogState AfterStep = kNextFree;

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

// Position arithmetic saturates to the signed 32-bit range instead of
// wrapping, so no typed count can overflow: an UnDo of "-2147483647" steps
// from position 5 ends at 2147483647 (a position past the log, shown as an
// empty one), never at a wrapped negative value. Any pair of 64-bit operands
// is safe.
std::int32_t SaturatingAdd(std::int64_t a, std::int64_t b);

}  // namespace palorin::core
