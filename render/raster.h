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
//
// A raster that is all one colour, as it starts (black), holds no pixels:
// the 616 KB of them are made, in that colour, at the first access to the
// pixels themselves (Row, Data), whether to draw or to read them. A program
// that shows an empty picture asks IsUniform() and fills instead, and
// touches none of that memory until the first block is drawn. Filling keeps
// the pixels a raster already has, so that a replay does not make them anew.
class Raster {
 public:
  Raster() = default;

  // Whether every pixel is UniformColour() and none is held yet.
  bool IsUniform() const { return pixels_.empty(); }
  // The colour of every pixel while IsUniform().
  Pixel UniformColour() const { return colour_; }

  Pixel* Row(int y) { return Pixels() + static_cast<std::size_t>(y) * kRasterWidth; }
  const Pixel* Row(int y) const {
    return Pixels() + static_cast<std::size_t>(y) * kRasterWidth;
  }
  Pixel At(int x, int y) const {
    return IsUniform() ? colour_
                       : pixels_[static_cast<std::size_t>(y) * kRasterWidth +
                                 static_cast<std::size_t>(x)];
  }
  Pixel* Data() { return Pixels(); }
  const Pixel* Data() const { return Pixels(); }
  static constexpr int BytesPerLine() { return kRasterWidth * static_cast<int>(sizeof(Pixel)); }

  // Every pixel `colour`. A raster without pixels stays without them.
  void Fill(Pixel colour);

  // Equal when every pixel is, however each holds them.
  friend bool operator==(const Raster& a, const Raster& b);

 private:
  // The pixels, made on first use in the uniform colour. A read through a
  // const raster makes them too: the picture it reads is the same.
  Pixel* Pixels() const {
    if (pixels_.empty()) MakePixels();
    return pixels_.data();
  }
  void MakePixels() const;

  mutable std::vector<Pixel> pixels_;
  Pixel colour_ = kBlack;
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
