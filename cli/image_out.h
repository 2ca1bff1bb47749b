#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "render/raster.h"

namespace palorin::cli {

enum class ImageFormat { Bmp, Png };

// The format an output name asks for by its extension (".bmp" or ".png",
// letter case ignored); nullopt for any other name.
std::optional<ImageFormat> FormatForName(std::string_view name);

// The raster as an 8-bit RGB PNG, encoded by libpng. Throws palorin::Error
// with libpng's message if encoding fails.
std::string EncodePng(const render::Raster& raster);

// The bytes of `raster` in `format`: BMP exactly as the editor's BMP save mode
// writes it, or PNG.
std::string EncodeImage(const render::Raster& raster, ImageFormat format);

}  // namespace palorin::cli
