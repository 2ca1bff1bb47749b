#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/raster.h"

namespace palorin::cli {

enum class ImageFormat { Bmp, Png };

// The format an output name asks for by its extension (".bmp" or ".png",
// letter case ignored); nullopt for any other name.
std::optional<ImageFormat> FormatForName(std::string_view name);

// Whether an output name ends in ".gif", letter case ignored.
bool IsGifName(std::string_view name);

// --scale: how many times a picture may be enlarged.
inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 8;

// The raster enlarged `scale` times by repeating pixels (no smoothing): raster
// pixel (x, y) becomes the scale x scale block at (scale*x, scale*y). Rows of
// kRasterWidth * scale pixels, top row first.
std::vector<render::Pixel> Enlarge(const render::Raster& raster, int scale);

// `height` rows of `width` pixels, top row first, as an 8-bit RGB PNG encoded
// by libpng. Throws palorin::Error with libpng's message if encoding fails.
std::string EncodePng(const render::Pixel* pixels, int width, int height);

// The bytes of `raster`, enlarged `scale` times, in `format`. At scale 1 the
// BMP is exactly what the editor's BMP save mode writes.
std::string EncodeImage(const render::Raster& raster, ImageFormat format, int scale = 1);

}  // namespace palorin::cli
