#pragma once

#include <string>

#include "render/raster.h"

namespace palorin::render {

// The raster as a 24-bit uncompressed BMP: 14 + 40 header bytes, then the
// rows bottom row first, blue-green-red, 1500 bytes a row; 462054 bytes.
std::string EncodeBmp(const Raster& raster);

inline constexpr std::size_t kBmpFileSize = 462054;

// Writes the raster as a BMP file, replacing any file of that name. Throws
// palorin::Error "ﾌｧｲﾙ <name> を作成できません" when the file cannot be
// created and "ｽﾄﾘｰﾑへの書き込みｴﾗｰ" when writing fails part of the way; an
// existing file is then left as it was.
void BmpSaver(const Raster& raster, const std::string& fileName);

}  // namespace palorin::render
