#include "fileio/share_link.h"

#include <algorithm>

#include "base/error.h"
#include "fileio/block_text.h"
#include "fileio/text_buffer.h"

namespace palorin::fileio {

namespace {

constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kRawEntries = 0;
constexpr std::uint8_t kBitEntries = 1;
constexpr int kEntryBits = 17;

[[noreturn]] void Bad() { throw Error(std::string(kBadLink)); }

// The slots a native save writes: 0..count, clipped to the log.
std::int64_t EntryCount(std::int32_t count) {
  return count < 0 ? 0 : std::int64_t{std::min<std::int32_t>(count, core::kLastSlot)} + 1;
}

// The count a native save writes (its "[Count]:" line).
std::int32_t WrittenCount(const core::PlacementLog& log) {
  return std::min<std::int32_t>(log.LastIndex, core::kLastSlot);
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() {
    if (at_ >= size_) Bad();
    return data_[at_++];
  }
  std::uint32_t Varint() {
    std::uint32_t value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      const std::uint8_t b = Byte();
      if (shift == 28 && (b & 0x70) != 0) Bad();  // beyond 32 bits
      value |= std::uint32_t{b & 0x7fu} << shift;
      if ((b & 0x80) == 0) return value;
    }
    Bad();
  }
  std::uint32_t Bits(int n) {
    std::uint32_t value = 0;
    for (int i = 0; i < n; ++i, ++bit_) {
      if (bit_ % 8 == 0) current_ = Byte();
      value |= std::uint32_t{(current_ >> (bit_ % 8)) & 1u} << i;
    }
    return value;
  }
  bool AtEnd() const { return at_ == size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  std::uint64_t bit_ = 0;
  std::uint8_t current_ = 0;
};

}  // namespace

std::vector<std::uint8_t> PackPicture(const core::PlacementLog& log) {
  const std::int32_t count = WrittenCount(log);
  const std::int64_t n = EntryCount(count);
  std::vector<std::uint8_t> out{kVersion};
  // Zigzag: 0, -1, 1, -2 ... as 0, 1, 2, 3 ..., computed in 64 bits.
  const std::int64_t c = count;
  std::uint64_t zigzag = c < 0 ? static_cast<std::uint64_t>(-2 * c - 1) : static_cast<std::uint64_t>(2 * c);
  do {
    const auto low = static_cast<std::uint8_t>(zigzag & 0x7f);
    zigzag >>= 7;
    out.push_back(zigzag != 0 ? static_cast<std::uint8_t>(low | 0x80) : low);
  } while (zigzag != 0);

  bool fits = true;
  for (std::int64_t i = 0; i < n; ++i) {
    fits = fits && log.XAt(i) < 128 && log.YAt(i) < 128 && log.ColorAt(i) < 8;
  }
  out.push_back(fits ? kBitEntries : kRawEntries);
  if (!fits) {
    for (std::int64_t i = 0; i < n; ++i) {
      out.insert(out.end(), {log.XAt(i), log.YAt(i), log.ColorAt(i)});
    }
    return out;
  }
  std::uint64_t bit = 0;
  for (std::int64_t i = 0; i < n; ++i) {
    const std::uint32_t entry = std::uint32_t{log.XAt(i)} | (std::uint32_t{log.YAt(i)} << 7) |
                                (std::uint32_t{log.ColorAt(i)} << 14);
    for (int b = 0; b < kEntryBits; ++b, ++bit) {
      if (bit % 8 == 0) out.push_back(0);
      out.back() = static_cast<std::uint8_t>(out.back() | (((entry >> b) & 1u) << (bit % 8)));
    }
  }
  return out;
}

std::string NativeTextOfPacked(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  if (in.Byte() != kVersion) Bad();
  const std::uint32_t zigzag = in.Varint();
  const std::int64_t count = (zigzag & 1u) != 0 ? -std::int64_t{zigzag >> 1} - 1
                                                 : std::int64_t{zigzag >> 1};
  if (count > core::kLastSlot) Bad();
  core::PlacementLog log;
  log.LastIndex = static_cast<std::int32_t>(count);
  const std::int64_t n = EntryCount(log.LastIndex);
  const std::uint8_t packing = in.Byte();
  if (packing != kRawEntries && packing != kBitEntries) Bad();
  for (std::int64_t i = 0; i < n; ++i) {
    if (packing == kRawEntries) {
      const std::uint8_t x = in.Byte(), y = in.Byte(), colour = in.Byte();
      log.Store(i, x, y, colour);
    } else {
      const std::uint32_t entry = in.Bits(kEntryBits);
      log.Store(i, static_cast<std::uint8_t>(entry & 0x7f), static_cast<std::uint8_t>((entry >> 7) & 0x7f),
                static_cast<std::uint8_t>(entry >> 14));
    }
  }
  if (!in.AtEnd()) Bad();
  TextBuffer buffer;
  AppendNativeFile(buffer, log);
  return buffer.Bytes();
}

}  // namespace palorin::fileio
