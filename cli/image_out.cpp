#include "cli/image_out.h"

#include <png.h>

#include <cctype>
#include <vector>

#include "base/error.h"
#include "render/bmp.h"

namespace palorin::cli {

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(tail[i])) != suffix[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<ImageFormat> FormatForName(std::string_view name) {
  if (EndsWithNoCase(name, ".bmp")) return ImageFormat::Bmp;
  if (EndsWithNoCase(name, ".png")) return ImageFormat::Png;
  return std::nullopt;
}

std::string EncodePng(const render::Raster& raster) {
  // libpng's simplified writer takes packed RGB rows; it reports failures in
  // the image structure instead of jumping out of this function.
  constexpr std::size_t kRowBytes = static_cast<std::size_t>(render::kRasterWidth) * 3;
  std::vector<unsigned char> rgb(kRowBytes * render::kRasterHeight);
  unsigned char* dst = rgb.data();
  for (int y = 0; y < render::kRasterHeight; ++y) {
    const render::Pixel* row = raster.Row(y);
    for (int x = 0; x < render::kRasterWidth; ++x) {
      *dst++ = static_cast<unsigned char>((row[x] >> 16) & 0xff);
      *dst++ = static_cast<unsigned char>((row[x] >> 8) & 0xff);
      *dst++ = static_cast<unsigned char>(row[x] & 0xff);
    }
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = render::kRasterWidth;
  image.height = render::kRasterHeight;
  image.format = PNG_FORMAT_RGB;

  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
    throw Error(std::string("PNG encoding failed: ") + image.message);
  }
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr)) {
    throw Error(std::string("PNG encoding failed: ") + image.message);
  }
  out.resize(size);
  return out;
}

std::string EncodeImage(const render::Raster& raster, ImageFormat format) {
  return format == ImageFormat::Bmp ? render::EncodeBmp(raster) : EncodePng(raster);
}

}  // namespace palorin::cli
