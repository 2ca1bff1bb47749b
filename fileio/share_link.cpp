#include "fileio/share_link.h"

#include <algorithm>
#include <array>

#include "base/error.h"
#include "fileio/block_text.h"
#include "fileio/text_buffer.h"

namespace palorin::fileio {

namespace {

constexpr std::uint8_t kVersion1 = 1;
constexpr std::uint8_t kVersion2 = 2;
constexpr std::size_t kCrcBytes = 4;
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
  std::size_t Position() const { return at_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  std::uint64_t bit_ = 0;
  std::uint8_t current_ = 0;
};

void AppendVarint(std::vector<std::uint8_t>& out, std::uint64_t value) {
  do {
    const auto low = static_cast<std::uint8_t>(value & 0x7f);
    value >>= 7;
    out.push_back(value != 0 ? static_cast<std::uint8_t>(low | 0x80) : low);
  } while (value != 0);
}

void AppendCrc(std::vector<std::uint8_t>& out) {
  const std::uint32_t crc = Crc32(out.data(), out.size());
  for (std::size_t i = 0; i < kCrcBytes; ++i)
    out.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
}

std::uint32_t StoredCrc(const std::uint8_t* at) {
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < kCrcBytes; ++i) crc |= std::uint32_t{at[i]} << (8 * i);
  return crc;
}

// The count and entries both versions share.
std::vector<std::uint8_t> PackBody(const core::PlacementLog& log) {
  const std::int32_t count = WrittenCount(log);
  const std::int64_t n = EntryCount(count);
  std::vector<std::uint8_t> out;
  // Zigzag: 0, -1, 1, -2 ... as 0, 1, 2, 3 ..., computed in 64 bits.
  const std::int64_t c = count;
  AppendVarint(out,
               c < 0 ? static_cast<std::uint64_t>(-2 * c - 1) : static_cast<std::uint64_t>(2 * c));

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

// The native text of a body: the count, the packing and exactly the
// entries the count needs.
std::string NativeTextOfBody(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  const std::uint32_t zigzag = in.Varint();
  const std::int64_t count =
      (zigzag & 1u) != 0 ? -std::int64_t{zigzag >> 1} - 1 : std::int64_t{zigzag >> 1};
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
      log.Store(i, static_cast<std::uint8_t>(entry & 0x7f),
                static_cast<std::uint8_t>((entry >> 7) & 0x7f),
                static_cast<std::uint8_t>(entry >> 14));
    }
  }
  if (!in.AtEnd()) Bad();
  TextBuffer buffer;
  AppendNativeFile(buffer, log);
  return buffer.Bytes();
}

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// A character's six bits, -1 for one outside the alphabet.
int Sextet(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '-') return 62;
  if (c == '_') return 63;
  return -1;
}

}  // namespace

std::vector<std::uint8_t> PackPicture(const core::PlacementLog& log) {
  const std::vector<std::uint8_t> body = PackBody(log);
  std::vector<std::uint8_t> out{kVersion2};
  AppendVarint(out, body.size());
  out.insert(out.end(), body.begin(), body.end());
  AppendCrc(out);
  return out;
}

std::string NativeTextOfPacked(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > kMaxPackedBytes) Bad();
  if (data[0] == kVersion1) return NativeTextOfBody(data + 1, size - 1);
  if (data[0] != kVersion2 || size < 1 + kCrcBytes) Bad();
  // The checksum first: a changed picture is refused as a whole, whatever
  // its bytes would read as.
  const std::size_t checked = size - kCrcBytes;
  if (Crc32(data, checked) != StoredCrc(data + checked)) Bad();
  Reader header(data + 1, checked - 1);
  const std::uint32_t length = header.Varint();
  const std::size_t bodyAt = 1 + header.Position();
  if (length != checked - bodyAt) Bad();
  return NativeTextOfBody(data + bodyAt, length);
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
  static const auto kTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    return table;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xffu] ^ (crc >> 8);
  return ~crc;
}

std::string EncodeBase64Url(const std::uint8_t* data, std::size_t size) {
  std::string out;
  out.reserve(size / 3 * 4 + 4);
  std::uint32_t buffer = 0;
  int bits = 0;
  for (std::size_t i = 0; i < size; ++i) {
    buffer = (buffer << 8) | data[i];
    bits += 8;
    while (bits >= 6) {
      bits -= 6;
      out += kAlphabet[(buffer >> bits) & 63u];
    }
  }
  if (bits > 0) out += kAlphabet[(buffer << (6 - bits)) & 63u];
  return out;
}

std::optional<std::vector<std::uint8_t>> DecodeBase64Url(std::string_view text) {
  // Four characters carry three bytes; a last group of two or three
  // carries one or two, and a single character none at all.
  if (text.size() % 4 == 1) return std::nullopt;
  std::vector<std::uint8_t> out;
  out.reserve(text.size() / 4 * 3 + 2);
  std::uint32_t buffer = 0;
  int bits = 0;
  for (const char c : text) {
    const int sextet = Sextet(c);
    if (sextet < 0) return std::nullopt;
    buffer = ((buffer << 6) | static_cast<std::uint32_t>(sextet)) & 0xfffu;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<std::uint8_t>(buffer >> bits));
    }
  }
  // The last character's bits past the last byte (2 or 4 of them) must be
  // zero, as the encoder leaves them.
  if ((buffer & ((1u << bits) - 1u)) != 0) return std::nullopt;
  return out;
}

std::string LinkFragment(const std::uint8_t* compressed, std::size_t size) {
  std::vector<std::uint8_t> bytes(compressed, compressed + size);
  AppendCrc(bytes);
  return std::string(kLinkPrefix) + EncodeBase64Url(bytes.data(), bytes.size());
}

std::optional<LinkPayload> ReadLinkFragment(std::string_view fragment) {
  if (fragment.size() > kMaxFragmentChars) return std::nullopt;
  const bool v2 = fragment.substr(0, kLinkPrefix.size()) == kLinkPrefix;
  const bool v1 = fragment.substr(0, kLinkPrefixV1.size()) == kLinkPrefixV1;
  if (!v1 && !v2) return std::nullopt;
  static_assert(kLinkPrefix.size() == kLinkPrefixV1.size());
  std::optional<std::vector<std::uint8_t>> bytes =
      DecodeBase64Url(fragment.substr(kLinkPrefix.size()));
  if (!bytes) return std::nullopt;
  if (v1) return LinkPayload{1, std::move(*bytes)};
  if (bytes->size() < kCrcBytes) return std::nullopt;
  const std::size_t checked = bytes->size() - kCrcBytes;
  if (Crc32(bytes->data(), checked) != StoredCrc(bytes->data() + checked)) return std::nullopt;
  bytes->resize(checked);
  return LinkPayload{2, std::move(*bytes)};
}

}  // namespace palorin::fileio
