#include "core/placement_log.h"

#include <algorithm>
#include <limits>

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

}  // namespace palorin::core
