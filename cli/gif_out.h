#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/raster.h"

struct GifFileType;

namespace palorin::cli {

// GIF stores a frame's time in hundredths of a second, in 16 bits.
inline constexpr int kMaxGifDelayMs = 65535 * 10;

// The one palette of every animation: black, then each distinct colour of the
// built-in block sprites in the order they first occur (sprite by sprite, row
// by row). The drawing area never holds any other colour (it starts black and
// only sprites are drawn into it), so every frame is stored exactly.
const std::vector<render::Pixel>& GifPalette();

// An animated GIF of drawing-area frames that loops forever, built one frame
// at a time through giflib. The first frame is stored whole; every later one
// only as the rectangle in which it differs from the frame before. A frame
// equal to the one before is stored as one unchanged pixel, so that it still
// takes its time on screen and the file keeps one image per frame. Each
// raster pixel is stored as a scale x scale block. Throws palorin::Error
// with giflib's message when encoding fails.
class GifAnimation {
 public:
  // `scale` from kMinScale to kMaxScale.
  explicit GifAnimation(int scale);
  GifAnimation(const GifAnimation&) = delete;
  GifAnimation& operator=(const GifAnimation&) = delete;

  // Adds `frame`, shown for `delayMs` milliseconds (rounded to hundredths of
  // a second, 20 to kMaxGifDelayMs).
  void AddFrame(const render::Raster& frame, int delayMs);

  // Ends the file and hands over its bytes; no frame can be added after it.
  std::string Finish();

  std::size_t FrameCount() const { return frames_; }

 private:
  // The palette index of a drawing-area colour.
  unsigned char IndexOf(render::Pixel pixel);
  void PutRect(const render::Raster& frame, int left, int top, int width, int height, int delayMs);
  void Check(int giflibResult);

  // Ends giflib's file (and frees it) if Finish() did not.
  struct Closer {
    void operator()(GifFileType* gif) const;
  };

  int scale_;
  std::string bytes_;  // declared before gif_: giflib writes into it until closed
  std::unique_ptr<GifFileType, Closer> gif_;
  render::Raster previous_;
  std::size_t frames_ = 0;
  std::vector<unsigned char> line_;
  // The palette as an open-addressed table from colour to index; a free
  // place holds 0, which no drawing-area pixel is (they are all opaque).
  static constexpr std::size_t kTableSize = 1024;
  std::array<render::Pixel, kTableSize> tableColour_{};
  std::array<unsigned char, kTableSize> tableIndex_{};
};

}  // namespace palorin::cli
