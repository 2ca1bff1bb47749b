#include "render/sprites.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "render/sprite_asset.h"

namespace palorin::render {

namespace {

// The opaque pixels of one grid row: the first column and the count from
// there, and whether they are unbroken by transparent ones.
struct RowRun {
  int first = 0;
  int length = 0;
  bool unbroken = true;
};
using RowRuns = std::array<RowRun, kSpriteHeight>;

// The grid's row runs, read at compile time from the same asset text that
// ParseSpriteSet reads at start-up (same line rules: CR LF or LF, blank and
// '#' lines skipped, "grid" first). A malformed asset fails the build here.
constexpr RowRuns RowRunsOf(std::string_view text) {
  RowRuns runs{};
  int row = -1;  // before the "grid" line
  while (row < kSpriteHeight) {
    if (text.empty()) throw std::logic_error("sprite asset: grid incomplete");
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (row < 0) {
      if (line != "grid") throw std::logic_error("sprite asset: missing grid");
      row = 0;
      continue;
    }
    const auto first = line.find_first_not_of('.');
    if (first != std::string_view::npos) {
      const auto length = line.find_last_not_of('.') - first + 1;
      runs[static_cast<std::size_t>(row)] = {
          static_cast<int>(first), static_cast<int>(length),
          line.substr(first, length).find('.') == std::string_view::npos};
    }
    ++row;
  }
  return runs;
}

constexpr RowRuns kRowRuns = RowRunsOf(kBlockSpriteAsset);
constexpr bool kRowsUnbroken = [] {
  for (const RowRun& run : kRowRuns) {
    if (!run.unbroken) return false;
  }
  return true;
}();

// Copies the opaque run of sprite row J: a move of a size fixed at compile
// time, with no read of the raster.
template <std::size_t J>
inline void CopyRowRun(Pixel* dst, const Pixel* src) {
  constexpr RowRun run = kRowRuns[J];
  if constexpr (run.length > 0) {
    std::memcpy(dst + run.first, src + run.first, run.length * sizeof(Pixel));
  }
}

template <std::size_t... J>
inline void CopyRowRuns(Pixel* dst, const BlockSprite& sprite, std::index_sequence<J...>) {
  (CopyRowRun<J>(dst + J * kRasterWidth, sprite.colour[J].data()), ...);
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line.front() != '#') lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

Pixel ParseRgb(std::string_view field) {
  int parts[3] = {};
  for (int& part : parts) {
    const auto* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, part);
    if (ec != std::errc{} || part < 0 || part > 255) {
      throw std::runtime_error("sprite colour out of range");
    }
    field.remove_prefix(static_cast<std::size_t>(ptr - field.data()));
    if (!field.empty() && field.front() == ',') field.remove_prefix(1);
  }
  return Rgb(static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
             static_cast<std::uint8_t>(parts[2]));
}

}  // namespace

SpriteSet ParseSpriteSet(std::string_view text) {
  const auto lines = Lines(text);
  std::size_t at = 0;
  if (lines.size() < 2 + kSpriteHeight + kSpriteCount || lines[at++] != "grid") {
    throw std::runtime_error("sprite asset: missing grid");
  }
  std::array<std::string_view, kSpriteHeight> grid;
  for (auto& row : grid) {
    row = lines[at++];
    if (row.size() != kSpriteWidth) throw std::runtime_error("sprite asset: bad grid row");
  }
  if (lines[at++] != "colours") throw std::runtime_error("sprite asset: missing colours");

  SpriteSet set{};
  for (int n = 0; n < kSpriteCount; ++n) {
    std::string_view line = lines[at++];
    std::array<std::string_view, 4> fields;
    for (auto& field : fields) {
      const auto blank = line.find(' ');
      field = line.substr(0, blank);
      line = blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
    }
    if (fields[0] != std::to_string(n)) throw std::runtime_error("sprite asset: index order");
    const Pixel top = ParseRgb(fields[1]);
    const Pixel right = ParseRgb(fields[2]);
    const Pixel left = ParseRgb(fields[3]);
    BlockSprite& sprite = set[static_cast<std::size_t>(n)];
    for (int j = 0; j < kSpriteHeight; ++j) {
      for (int i = 0; i < kSpriteWidth; ++i) {
        Pixel colour = 0;
        switch (grid[j][i]) {
          case 'T':
            colour = top;
            break;
          case 'R':
            colour = right;
            break;
          case 'L':
            colour = left;
            break;
          case '.':
            break;
          default:
            throw std::runtime_error("sprite asset: bad grid character");
        }
        sprite.colour[j][i] = colour;
        sprite.keep[j][i] = grid[j][i] == '.' ? 0xffffffffu : 0u;
      }
    }
  }
  return set;
}

const SpriteSet& BlockSprites() {
  static const SpriteSet set = ParseSpriteSet(kBlockSpriteAsset);
  return set;
}

void DrawBlock(Raster& raster, int x, int y, int index) {
  if (index < 0 || index >= kSpriteCount) return;
  const BlockSprite& sprite = BlockSprites()[static_cast<std::size_t>(index)];
  // 64-bit so that no cell coordinate can overflow the pixel origin.
  const std::int64_t ox = 6 * static_cast<std::int64_t>(x);
  const std::int64_t oy = 3 * static_cast<std::int64_t>(y);

  // Where every row's opaque pixels are one unbroken run, as in the block
  // sprites, a sprite wholly inside the raster is thirteen plain copies of
  // fixed sizes: no masking, no read of the raster, cheaper than copying the
  // whole 12 x 13 rectangle.
  if constexpr (kRowsUnbroken) {
    if (ox >= 0 && ox + kSpriteWidth <= kRasterWidth && oy >= 0 &&
        oy + kSpriteHeight <= kRasterHeight) {
      CopyRowRuns(raster.Row(static_cast<int>(oy)) + ox, sprite,
                  std::make_index_sequence<kSpriteHeight>{});
      return;
    }
  }

  // Otherwise the masked draw, clipped to the raster.
  const std::int64_t i0 = ox < 0 ? -ox : 0;
  const std::int64_t i1 = std::min<std::int64_t>(kSpriteWidth, kRasterWidth - ox);
  const std::int64_t j0 = oy < 0 ? -oy : 0;
  const std::int64_t j1 = std::min<std::int64_t>(kSpriteHeight, kRasterHeight - oy);
  for (std::int64_t j = j0; j < j1; ++j) {
    Pixel* row = raster.Row(static_cast<int>(oy + j));
    for (std::int64_t i = i0; i < i1; ++i) {
      Pixel& dst = row[ox + i];
      dst = (dst & sprite.keep[j][i]) | sprite.colour[j][i];
    }
  }
}

}  // namespace palorin::render
