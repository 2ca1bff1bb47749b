#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace palorin::render {

inline constexpr int kRasterWidth = 500;
inline constexpr int kRasterHeight = 308;

// One pixel as 0xffRRGGBB: the layout of QImage::Format_RGB32, so the drawing
// area can show the raster's memory directly.
using Pixel = std::uint32_t;

inline constexpr Pixel kBlack = 0xff000000u;

constexpr Pixel Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return 0xff000000u | (Pixel{r} << 16) | (Pixel{g} << 8) | Pixel{b};
}

// The 500 x 308 picture. Rows are contiguous, top row first, no padding.
class Raster {
 public:
  Raster() : pixels_(static_cast<std::size_t>(kRasterWidth) * kRasterHeight, kBlack) {}

  Pixel* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * kRasterWidth; }
  const Pixel* Row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * kRasterWidth;
  }
  Pixel At(int x, int y) const { return Row(y)[x]; }
  Pixel* Data() { return pixels_.data(); }
  const Pixel* Data() const { return pixels_.data(); }
  static constexpr int BytesPerLine() { return kRasterWidth * static_cast<int>(sizeof(Pixel)); }

  friend bool operator==(const Raster&, const Raster&) = default;

 private:
  std::vector<Pixel> pixels_;
};

// Fills the whole raster with black. Does not refresh the screen.
void Cls(Raster& raster);

// The drawing area: the raster plus the hook that shows it on the screen.
// Drawing never refreshes; every operation calls Refresh() once at its end.
class Canvas {
 public:
  Raster raster;

  void Refresh() {
    ++refreshes_;
    if (onRefresh_) onRefresh_();
  }
  void SetRefreshHandler(std::function<void()> handler) { onRefresh_ = std::move(handler); }
  std::uint64_t RefreshCount() const { return refreshes_; }

 private:
  std::function<void()> onRefresh_;
  std::uint64_t refreshes_ = 0;
};

}  // namespace palorin::render
