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
  constexpr std::uint32_t kBitsPerPixel = 24;
  constexpr std::uint32_t kStride = ((kRasterWidth * kBitsPerPixel + 31) / 32) * 4;
  constexpr std::uint32_t kImageSize = kStride * kRasterHeight;
  constexpr std::uint32_t kPixelOffset = 14 + 40;
  static_assert(kPixelOffset + kImageSize == kBmpFileSize);

  std::string out;
  out.reserve(kBmpFileSize);
  out += "BM";
  Put32(out, kPixelOffset + kImageSize);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, kPixelOffset);
  Put32(out, 40);
  Put32(out, kRasterWidth);
  Put32(out, kRasterHeight);  // positive: bottom row first
  Put16(out, 1);
  Put16(out, kBitsPerPixel);
  Put32(out, 0);  // uncompressed
  Put32(out, kImageSize);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);

  const std::size_t rowsStart = out.size();
  out.resize(rowsStart + kImageSize);
  char* dst = out.data() + rowsStart;
  for (int y = kRasterHeight - 1; y >= 0; --y) {
    const Pixel* row = raster.Row(y);
    for (int x = 0; x < kRasterWidth; ++x) {
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
