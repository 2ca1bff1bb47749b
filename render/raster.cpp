#include "render/raster.h"

#include <algorithm>

namespace palorin::render {

namespace {

constexpr std::size_t kPixelCount = static_cast<std::size_t>(kRasterWidth) * kRasterHeight;

}  // namespace

void Raster::MakePixels() const { pixels_.assign(kPixelCount, colour_); }

void Raster::Fill(Pixel colour) {
  colour_ = colour;
  if (!pixels_.empty()) std::fill(pixels_.begin(), pixels_.end(), colour);
}

bool operator==(const Raster& a, const Raster& b) {
  if (a.IsUniform() && b.IsUniform()) return a.colour_ == b.colour_;
  if (!a.IsUniform() && !b.IsUniform()) return a.pixels_ == b.pixels_;
  const Raster& uniform = a.IsUniform() ? a : b;
  const Raster& held = a.IsUniform() ? b : a;
  return std::all_of(held.pixels_.begin(), held.pixels_.end(),
                     [colour = uniform.colour_](Pixel p) { return p == colour; });
}

void Cls(Raster& raster) { raster.Fill(kBlack); }

}  // namespace palorin::render
