#pragma once

#include <string>

#include "render/raster.h"

namespace palorin::render {

// The raster as a 24-bit uncompressed BMP: 14 + 40 header bytes, then the
// rows bottom row first, blue-green-red, 1500 bytes a row; 462054 bytes.
std::string EncodeBmp(const Raster& raster);

// The same layout for a picture of any size (an enlarged raster), `pixels`
// holding `height` rows of `width` pixels, top row first. Rows are padded to
// four bytes. Throws palorin::Error when the size does not fit the header's
// 32-bit fields.
std::string EncodeBmp(const Pixel* pixels, int width, int height);

inline constexpr std::size_t kBmpFileSize = 462054;

// Writes the raster as a BMP file, replacing any file of that name. Throws
// palorin::Error "ﾌｧｲﾙ <name> を作成できません" when the file cannot be
// created and "ｽﾄﾘｰﾑへの書き込みｴﾗｰ" when writing fails part of the way; an
// existing file is then left as it was.
void BmpSaver(const Raster& raster, const std::string& fileName);

}  // namespace palorin::render
