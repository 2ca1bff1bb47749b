#include "cli/image_out.h"

#include <png.h>

#include <algorithm>
#include <vector>

#include "base/ascii.h"
#include "base/error.h"
#include "render/bmp.h"

namespace palorin::cli {

std::optional<ImageFormat> FormatForName(std::string_view name) {
  if (EndsWithIgnoringAsciiCase(name, ".bmp")) return ImageFormat::Bmp;
  if (EndsWithIgnoringAsciiCase(name, ".png")) return ImageFormat::Png;
  return std::nullopt;
}

bool IsGifName(std::string_view name) { return EndsWithIgnoringAsciiCase(name, ".gif"); }

std::vector<render::Pixel> Enlarge(const render::Raster& raster, int scale) {
  if (scale < kMinScale || scale > kMaxScale) throw Error("a scale from 1 to 8 is needed");
  const auto k = static_cast<std::size_t>(scale);
  const std::size_t width = static_cast<std::size_t>(render::kRasterWidth) * k;
  std::vector<render::Pixel> out(width * static_cast<std::size_t>(render::kRasterHeight) * k);
  render::Pixel* dst = out.data();
  for (int y = 0; y < render::kRasterHeight; ++y) {
    // Widen the row once, then repeat the widened row.
    const render::Pixel* row = raster.Row(y);
    render::Pixel* first = dst;
    for (int x = 0; x < render::kRasterWidth; ++x) dst = std::fill_n(dst, k, row[x]);
    for (std::size_t copy = 1; copy < k; ++copy) dst = std::copy_n(first, width, dst);
  }
  return out;
}

std::string EncodePng(const render::Pixel* pixels, int width, int height) {
  // libpng's simplified writer takes packed RGB rows; it reports failures in
  // the image structure instead of jumping out of this function.
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<unsigned char> rgb(count * 3);
  unsigned char* dst = rgb.data();
  for (std::size_t i = 0; i < count; ++i) {
    *dst++ = static_cast<unsigned char>((pixels[i] >> 16) & 0xff);
    *dst++ = static_cast<unsigned char>((pixels[i] >> 8) & 0xff);
    *dst++ = static_cast<unsigned char>(pixels[i] & 0xff);
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
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

std::string EncodeImage(const render::Raster& raster, ImageFormat format, int scale) {
  if (scale == 1) {
    return format == ImageFormat::Bmp
               ? render::EncodeBmp(raster)
               : EncodePng(raster.Data(), render::kRasterWidth, render::kRasterHeight);
  }
  const std::vector<render::Pixel> big = Enlarge(raster, scale);
  const int width = render::kRasterWidth * scale;
  const int height = render::kRasterHeight * scale;
  return format == ImageFormat::Bmp ? render::EncodeBmp(big.data(), width, height)
                                    : EncodePng(big.data(), width, height);
}

}  // namespace palorin::cli
