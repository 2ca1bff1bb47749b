#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/placement_log.h"

namespace palorin::fileio {

// A picture packed for a link: exactly what a native save of `log` writes
// (its count and slots 0..count), in a few bits an entry. Layout, version 1:
//   byte 0        the version, 1
//   varint        the count, zigzag-coded (a count may be negative)
//   byte          the packing: 0 three bytes an entry (x, y, colour),
//                 1 seventeen bits an entry (x 7, y 7, colour 3, lowest bit
//                 first), used whenever every entry fits
//   entries       count + 1 of them (none for a negative count)
// A link compresses these bytes (deflate, raw) and writes them in base64url.
std::vector<std::uint8_t> PackPicture(const core::PlacementLog& log);

// The native file text the packed bytes stand for, byte for byte what a
// native save of that picture writes. Bytes of another version, cut short,
// with bytes left over or a count outside the log throw kBadLink.
std::string NativeTextOfPacked(const std::uint8_t* data, std::size_t size);

inline constexpr std::string_view kBadLink =
    "The link holds no whole picture: it may have been cut short or changed";

}  // namespace palorin::fileio
