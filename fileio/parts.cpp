#include "fileio/parts.h"

namespace palorin::fileio {

std::int32_t ClassifyParts(std::int32_t v) {
  for (std::int32_t k = 1; k < kMaxParts; ++k) {
    if (v <= k * kSlotsPerPart - 1) return k;
  }
  return kMaxParts;
}

PartFlags FlagsForParts(std::int32_t n) {
  PartFlags flags;
  if (!PartValues::IsPart(n)) return flags;
  for (std::int32_t k = 1; k < n; ++k) flags.Set(k, kFlagMoreFollow);
  flags.Set(n, kFlagLastPart);
  return flags;
}

bool SeriesComplete(const PartMarks& marks, std::int32_t n) {
  if (!PartValues::IsPart(n)) return false;
  for (std::int32_t k = 1; k <= n; ++k) {
    if (marks[k] != kMarked) return false;
  }
  return true;
}

std::int32_t PartFirstSlot(std::int32_t k) {
  if (k < 2 || k > kMaxParts) return 0;
  return (k - 1) * kSlotsPerPart;
}

std::int32_t PartLastSlot(std::int32_t k, std::int32_t flag, std::int32_t lastIndex) {
  // Only parts 1..4 are ever followed by another, so k * kSlotsPerPart stays
  // small.
  if (flag == kFlagMoreFollow && PartValues::IsPart(k)) return k * kSlotsPerPart - 1;
  return lastIndex;
}

}  // namespace palorin::fileio
