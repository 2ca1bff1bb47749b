#include "render/bmp.h"

#include <cstdint>

#include "base/error.h"
#include "base/file_write.h"

namespace palorin::render {

namespace {

void Put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xff));
  out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xff));
}

}  // namespace

std::string EncodeBmp(const Raster& raster) {
  static_assert(14 + 40 + kRasterWidth * 3 * kRasterHeight == kBmpFileSize);
  return EncodeBmp(raster.Data(), kRasterWidth, kRasterHeight);
}

std::string EncodeBmp(const Pixel* pixels, int width, int height) {
  constexpr std::uint16_t kBitsPerPixel = 24;
  constexpr std::uint32_t kPixelOffset = 14 + 40;
  if (width <= 0 || height <= 0) throw Error("a BMP needs at least one pixel");
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * kBitsPerPixel + 31) / 32) * 4;
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(height);
  if (std::uint64_t{kPixelOffset} + imageSize > 0xffffffffu) {
    throw Error("the picture is too large for a BMP");
  }

  std::string out;
  out.reserve(kPixelOffset + imageSize);
  out += "BM";
  Put32(out, static_cast<std::uint32_t>(kPixelOffset + imageSize));
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, kPixelOffset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom row first
  Put16(out, 1);
  Put16(out, kBitsPerPixel);
  Put32(out, 0);  // uncompressed
  Put32(out, static_cast<std::uint32_t>(imageSize));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);

  // Filler bytes at a row's end stay zero.
  const std::size_t rowsStart = out.size();
  out.resize(rowsStart + imageSize, '\0');
  const auto w = static_cast<std::size_t>(width);
  for (int y = height - 1; y >= 0; --y) {
    const Pixel* row = pixels + static_cast<std::size_t>(y) * w;
    char* dst = out.data() + rowsStart + static_cast<std::size_t>(height - 1 - y) * stride;
    for (std::size_t x = 0; x < w; ++x) {
      *dst++ = static_cast<char>(row[x] & 0xff);
      *dst++ = static_cast<char>((row[x] >> 8) & 0xff);
      *dst++ = static_cast<char>((row[x] >> 16) & 0xff);
    }
  }
  return out;
}

void BmpSaver(const Raster& raster, const std::string& fileName) {
  WriteFileReplacing(fileName, EncodeBmp(raster), FormatMessage(messages::kCannotCreate, fileName),
                     std::string(messages::kBmpWriteError));
}

}  // namespace palorin::render
