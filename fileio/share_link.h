#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/placement_log.h"

namespace palorin::fileio {

// A picture packed for a link: exactly what a native save of `log` writes
// (its count and slots 0..count), in a few bits an entry.
//
// The body, in both versions:
//   varint        the count, zigzag-coded (a count may be negative)
//   byte          the packing: 0 three bytes an entry (x, y, colour),
//                 1 seventeen bits an entry (x 7, y 7, colour 3, lowest bit
//                 first), used whenever every entry fits
//   entries       count + 1 of them (none for a negative count)
// Version 1 (still read): byte 1, then the body.
// Version 2 (written):    byte 2, a varint with the body's length in bytes,
//                         the body, then the CRC-32 of every byte before it
//                         (four bytes, lowest first).
// A link compresses these bytes (deflate, raw) and writes them in its
// fragment (LinkFragment).
std::vector<std::uint8_t> PackPicture(const core::PlacementLog& log);

// The native file text the packed bytes stand for, byte for byte what a
// native save of that picture writes. Bytes of another version, cut short,
// with bytes left over, with a length or checksum that does not match or a
// count outside the log throw kBadLink.
std::string NativeTextOfPacked(const std::uint8_t* data, std::size_t size);

inline constexpr std::string_view kBadLink =
    "The link holds no whole picture: it may have been cut short or changed";

// The most bytes any picture packs into: the version 2 framing (version,
// a length varint of at most 5 bytes, the CRC-32), a count varint of at most
// 5 bytes, the packing and three bytes for each slot of the log. Whatever
// inflates a link's fragment stops past this many bytes: more holds no
// picture, however much more it would give.
inline constexpr std::size_t kMaxPackedBytes =
    1 + 5 + (5 + 1 + 3 * std::size_t{core::kLogSlots}) + 4;

// The most bytes raw deflate makes of kMaxPackedBytes: zlib's bound for
// input it cannot compress (about an eighth more, plus a few bytes).
inline constexpr std::size_t kMaxDeflatedBytes =
    kMaxPackedBytes + ((kMaxPackedBytes + 7) >> 3) + ((kMaxPackedBytes + 63) >> 6) + 5;

// The longest fragment a link to any picture can have: the prefix, then the
// base64url of kMaxDeflatedBytes and the checksum's four. A longer fragment
// is refused before a character of it is decoded.
inline constexpr std::size_t kMaxFragmentChars = 3 + ((kMaxDeflatedBytes + 4) * 4 + 2) / 3;

// What a new link's fragment starts with: the version of its encoding.
inline constexpr std::string_view kLinkPrefix = "p2.";
// What links made before the checksums start with.
inline constexpr std::string_view kLinkPrefixV1 = "p1.";

// A new link's fragment (without '#') for the packed picture compressed
// with raw deflate: kLinkPrefix, then the compressed bytes and their CRC-32
// (four bytes, lowest first) in base64url without padding.
std::string LinkFragment(const std::uint8_t* compressed, std::size_t size);
inline std::string LinkFragment(const std::vector<std::uint8_t>& compressed) {
  return LinkFragment(compressed.data(), compressed.size());
}

// What a fragment carries: the version of its encoding and the compressed
// packed picture, still to be inflated (to at most kMaxPackedBytes) and
// read with NativeTextOfPacked.
struct LinkPayload {
  int version = 0;
  std::vector<std::uint8_t> compressed;
};

// The payload of a link's fragment (the text after '#', without it), or
// nothing for a fragment that holds none: an unknown prefix, longer than
// kMaxFragmentChars, text that is not strict base64url, or (version 2) a
// checksum that does not match the compressed bytes. A version 1 fragment is
// the compressed bytes alone, as links made before version 2 hold them.
std::optional<LinkPayload> ReadLinkFragment(std::string_view fragment);

// The CRC-32 of zip and PNG (polynomial 0xEDB88320, reflected, starting
// and ending inverted); `crc` carries the value of the bytes before, so
// that bytes can be summed piece by piece.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

// base64url (RFC 4648 section 5) without padding.
std::string EncodeBase64Url(const std::uint8_t* data, std::size_t size);

// The bytes `text` encodes, or nothing when it is not exactly what
// EncodeBase64Url writes for some bytes: a character outside the alphabet
// (padding '=' included), a length no byte count gives (one character over
// a multiple of four), or unused bits in the last character that are not
// zero, which would let two texts stand for the same bytes.
std::optional<std::vector<std::uint8_t>> DecodeBase64Url(std::string_view text);

}  // namespace palorin::fileio
