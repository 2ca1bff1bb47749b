#include "render/sprites.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace palorin::render {

extern const char* const kBlockSpriteAsset;  // generated from assets/block_sprites.txt

namespace {

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
      sprite.solidRow[j] = grid[j].find('.') == std::string_view::npos;
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

  if (ox >= 0 && ox + kSpriteWidth <= kRasterWidth && oy >= 0 &&
      oy + kSpriteHeight <= kRasterHeight) {
    Pixel* dst = raster.Row(static_cast<int>(oy)) + ox;
    for (int j = 0; j < kSpriteHeight; ++j, dst += kRasterWidth) {
      if (sprite.solidRow[j]) {
        std::memcpy(dst, sprite.colour[j].data(), sizeof sprite.colour[j]);
        continue;
      }
      // The sprite row in (non-const) local copies first: the compiler then
      // knows it cannot overlap the raster and blends all twelve pixels in
      // vector registers. With const copies GCC reads the sprite in place
      // and falls back to a run-time overlap check, a third slower.
      std::array<Pixel, kSpriteWidth> keep = sprite.keep[j];
      std::array<Pixel, kSpriteWidth> colour = sprite.colour[j];
      for (int i = 0; i < kSpriteWidth; ++i) dst[i] = (dst[i] & keep[i]) | colour[i];
    }
    return;
  }

  // Partly or wholly outside: clip to the raster.
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
