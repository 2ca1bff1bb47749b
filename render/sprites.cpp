#include "render/sprites.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "render/sprite_asset.h"

namespace palorin::render {

namespace {

// The asset's lines that carry content, one at a time: CR LF or LF end a
// line, blank lines and '#' comments are skipped.
class AssetLines {
 public:
  constexpr explicit AssetLines(std::string_view text) : rest_(text) {}

  // The next content line; false at the end of the text.
  constexpr bool Next(std::string_view& line) {
    while (!rest_.empty()) {
      const auto end = rest_.find('\n');
      line = rest_.substr(0, end);
      rest_ = end == std::string_view::npos ? std::string_view{} : rest_.substr(end + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (!line.empty() && line.front() != '#') return true;
    }
    return false;
  }
  // The next content line, which must exist.
  constexpr std::string_view Expect() {
    std::string_view line;
    if (!Next(line)) throw std::runtime_error("sprite asset: incomplete");
    return line;
  }

 private:
  std::string_view rest_;
};

// "r,g,b" with each channel 0..255.
constexpr Pixel ParseRgb(std::string_view field) {
  int parts[3] = {};
  for (int p = 0; p < 3; ++p) {
    if (p > 0) {
      if (field.empty() || field.front() != ',')
        throw std::runtime_error("sprite colour malformed");
      field.remove_prefix(1);
    }
    std::size_t digits = 0;
    while (digits < field.size() && field[digits] >= '0' && field[digits] <= '9' && digits < 4) {
      parts[p] = parts[p] * 10 + (field[digits] - '0');
      ++digits;
    }
    if (digits == 0 || parts[p] > 255) throw std::runtime_error("sprite colour out of range");
    field.remove_prefix(digits);
  }
  if (!field.empty()) throw std::runtime_error("sprite colour malformed");
  return Rgb(static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
             static_cast<std::uint8_t>(parts[2]));
}

constexpr SpriteSet ParseAsset(std::string_view text) {
  AssetLines lines(text);
  if (lines.Expect() != "grid") throw std::runtime_error("sprite asset: missing grid");
  std::array<std::string_view, kSpriteHeight> grid{};
  for (auto& row : grid) {
    row = lines.Expect();
    if (row.size() != kSpriteWidth) throw std::runtime_error("sprite asset: bad grid row");
  }
  if (lines.Expect() != "colours") throw std::runtime_error("sprite asset: missing colours");

  SpriteSet set{};
  for (int n = 0; n < kSpriteCount; ++n) {
    std::string_view line = lines.Expect();
    std::array<std::string_view, 4> fields{};
    for (auto& field : fields) {
      const auto blank = line.find(' ');
      field = line.substr(0, blank);
      line = blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
    }
    if (fields[0].size() != 1 || fields[0][0] != '0' + n) {
      throw std::runtime_error("sprite asset: index order");
    }
    const std::array<Pixel, 3> faces{ParseRgb(fields[1]), ParseRgb(fields[2]), ParseRgb(fields[3])};
    BlockSprite& sprite = set[static_cast<std::size_t>(n)];
    for (std::size_t j = 0; j < kSpriteHeight; ++j) {
      for (std::size_t i = 0; i < kSpriteWidth; ++i) {
        const auto face = std::string_view("TRL").find(grid[j][i]);
        if (face == std::string_view::npos && grid[j][i] != '.') {
          throw std::runtime_error("sprite asset: bad grid character");
        }
        sprite.colour[j][i] = face == std::string_view::npos ? 0 : faces[face];
        sprite.keep[j][i] = face == std::string_view::npos ? 0xffffffffu : 0u;
      }
    }
  }
  return set;
}

// The sprite set, read once at compile time: a malformed asset fails the
// build.
constexpr SpriteSet kSprites = ParseAsset(kBlockSpriteAsset);

// The opaque pixels of one sprite row: the first column and the count from
// there, and whether they are unbroken by transparent ones. Every sprite
// shares the grid's mask, so sprite 0's rows stand for all.
struct RowRun {
  int first = 0;
  int length = 0;
  bool unbroken = true;
};
using RowRuns = std::array<RowRun, kSpriteHeight>;

constexpr RowRuns kRowRuns = [] {
  RowRuns runs{};
  const BlockSprite& sprite = kSprites[0];
  for (int j = 0; j < kSpriteHeight; ++j) {
    int first = -1, last = -1, opaque = 0;
    for (int i = 0; i < kSpriteWidth; ++i) {
      if (!sprite.Opaque(i, j)) continue;
      if (first < 0) first = i;
      last = i;
      ++opaque;
    }
    if (first >= 0)
      runs[static_cast<std::size_t>(j)] = {first, last - first + 1, opaque == last - first + 1};
  }
  return runs;
}();
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

}  // namespace

SpriteSet ParseSpriteSet(std::string_view text) { return ParseAsset(text); }

const SpriteSet& BlockSprites() { return kSprites; }

PixelBox BlockBox(int x, int y) {
  const std::int64_t ox = 6 * static_cast<std::int64_t>(x);
  const std::int64_t oy = 3 * static_cast<std::int64_t>(y);
  const std::int64_t left = std::clamp<std::int64_t>(ox, 0, kRasterWidth);
  const std::int64_t right = std::clamp<std::int64_t>(ox + kSpriteWidth, 0, kRasterWidth);
  const std::int64_t top = std::clamp<std::int64_t>(oy, 0, kRasterHeight);
  const std::int64_t bottom = std::clamp<std::int64_t>(oy + kSpriteHeight, 0, kRasterHeight);
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
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
