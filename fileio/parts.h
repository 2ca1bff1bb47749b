#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

namespace palorin::fileio {

// ---- Compatible part files ---------------------------------------------------

// Log slots that one compatible part file covers: part k holds slots
// (k - 1) * kSlotsPerPart .. k * kSlotsPerPart - 1.
inline constexpr std::int32_t kSlotsPerPart = 2000;
inline constexpr std::int32_t kMaxParts = 5;

// A part's "[fflug]:" value: more parts follow it, it is the last part, or it
// belongs to no current series.
inline constexpr std::int32_t kFlagMoreFollow = 2;
inline constexpr std::int32_t kFlagLastPart = 1;
inline constexpr std::int32_t kFlagNone = 0;
// A part's mark once it is saved or loaded.
inline constexpr std::int32_t kMarked = 1;

// One value per part number 1..5: the flags of a series being written, or the
// marks of the parts saved or loaded so far. A part number outside 1..5 reads
// as 0 and is never stored, whatever number a file or a box holds.
class PartValues {
 public:
  constexpr PartValues() = default;
  // The values of parts 1, 2, … in order; parts not given are 0.
  constexpr PartValues(std::initializer_list<std::int32_t> parts) {
    std::size_t k = 0;
    for (const std::int32_t v : parts) {
      if (k < values_.size()) values_[k++] = v;
    }
  }

  static constexpr bool IsPart(std::int64_t k) { return k >= 1 && k <= kMaxParts; }
  constexpr std::int32_t operator[](std::int64_t k) const {
    return IsPart(k) ? values_[static_cast<std::size_t>(k - 1)] : 0;
  }
  constexpr void Set(std::int64_t k, std::int32_t value) {
    if (IsPart(k)) values_[static_cast<std::size_t>(k - 1)] = value;
  }
  constexpr void Clear() { values_.fill(0); }

  friend constexpr bool operator==(const PartValues&, const PartValues&) = default;

 private:
  std::array<std::int32_t, kMaxParts> values_{};
};

using PartFlags = PartValues;
using PartMarks = PartValues;

// The number of parts (1..5) a picture whose last slot is `v` needs: the part
// that holds slot v, and the fifth for every slot past the fourth part.
std::int32_t ClassifyParts(std::int32_t v);

// The flags of an n-part series: kFlagMoreFollow for parts 1..n-1,
// kFlagLastPart for part n; none for n outside 1..5.
PartFlags FlagsForParts(std::int32_t n);

// True when parts 1..n all carry a mark (n within 1..5). Marks on parts above
// n do not count.
bool SeriesComplete(const PartMarks& marks, std::int32_t n);

// The flag of part k; 0 for a number outside 1..5.
inline std::int32_t FlagOf(const PartFlags& writeFlag, std::int32_t k) { return writeFlag[k]; }

// First and last slot a compatible part k writes (last < first: none). A
// part that is not followed by another writes up to lastIndex.
std::int32_t PartFirstSlot(std::int32_t k);
std::int32_t PartLastSlot(std::int32_t k, std::int32_t flag, std::int32_t lastIndex);

}  // namespace palorin::fileio
