#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace palorin::cli {

// Raw deflate (no zlib header) at the best compression, as the browser's
// CompressionStream ("deflate-raw") makes and reads it; nothing when zlib
// fails.
std::optional<std::vector<std::uint8_t>> DeflateRaw(const std::vector<std::uint8_t>& bytes);

// What the raw deflate stream `compressed` inflates to, or nothing when it
// is not one whole stream ending at its last byte, or would inflate past
// `cap` bytes: inflating stops there, however much more it would give.
std::optional<std::vector<std::uint8_t>> InflateRaw(const std::vector<std::uint8_t>& compressed,
                                                    std::size_t cap);

// The native file text of the picture a link carries: `link` is the whole
// link or only its fragment (the text after '#'). Throws palorin::Error
// with fileio::kBadLink for a link that holds no whole picture.
std::string NativeTextOfLink(std::string_view link);

}  // namespace palorin::cli
