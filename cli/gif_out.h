#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "render/raster.h"
#include "render/sprites.h"

namespace palorin::cli {

// GIF stores a frame's time in hundredths of a second, in 16 bits.
inline constexpr int kMaxGifDelayMs = 65535 * 10;

// The one palette of an animation: black, then each distinct colour of the
// built-in block sprites in the order they first occur, sprite by sprite
// (those of `leadingSprites` first, in that order, then the others by
// number), row by row. The drawing area never holds any other colour (it
// starts black and only sprites are drawn into it), so every frame is
// stored exactly.
std::vector<render::Pixel> GifPalette(std::span<const int> leadingSprites = {});

// The sprites whose colours should lead the palette of an animation whose
// frames after the first draw the sprites of `spritesPerFrame` (bit i: sprite
// i): a frame is written with the smallest code size its palette indices
// allow, so the sprites that most frames draw alone, or with one other, go
// first (ties: the lower numbers). Only sprites some frame draws; empty when
// none does.
std::vector<int> LeadingSprites(const std::vector<unsigned>& spritesPerFrame);

// GIF's LZW compression of one image's palette indices, greedy (always the
// longest string in the table), written as the image data of a GIF: the
// code size, the codes in sub-blocks of at most 255 bytes, the empty
// sub-block. Indices go in as runs: a run continues the string being matched
// without looking at its pixels one by one as long as the table holds a
// longer string of that index, so the long runs of a frame that changed
// little cost about one step per code written.
class LzwWriter {
 public:
  // Indices below 2^codeSize, codeSize from 2 to kMaxCodeSize.
  static constexpr int kMaxCodeSize = 4;

  LzwWriter();
  // Starts an image whose indices are all below 2^codeSize.
  void Begin(int codeSize);
  // One index, below 2^codeSize (throws palorin::Error if not): the string
  // matched so far goes on with it if the table holds the longer string,
  // else the string is written (and the longer one added to the table) and a
  // new one starts with `index`.
  void Put(unsigned index);
  // `count` copies of `index`.
  void PutRun(unsigned index, std::size_t count);
  // Goes on with the string if the table holds it followed by `index`;
  // false (nothing done) if not, or if the code size cannot hold `index`.
  bool Extend(unsigned index);
  // While the string is a run of `index` and the table holds a longer run:
  // takes up to `count` more copies in one step and returns how many (0 for
  // an index the code size cannot hold).
  std::size_t Skip(unsigned index, std::size_t count);
  // Ends the image and appends its data to `out`; returns the bytes appended.
  std::size_t End(std::string& out);
  // What End() would append if the image ended here, give or take the codes
  // not written yet: enough to see that a candidate is already the larger.
  std::size_t BytesSoFar() const { return codes_.size(); }

 private:
  static constexpr unsigned kTableSize = 4096;
  static constexpr unsigned kAlphabet = 1u << kMaxCodeSize;
  static constexpr int kNone = -1;

  void Write(unsigned code);
  void ResetTable();

  int codeSize_ = 2;
  unsigned clear_ = 4;
  unsigned next_ = 6;  // the code the next string gets
  int width_ = 3;      // bits per code
  // The table as children: child_[code * kAlphabet + index] is the code of
  // the string `code` followed by `index`, 0 for none (no string has code 0
  // as a child: children are numbered from clear_ + 2).
  std::vector<std::uint16_t> child_;
  // runCode_[index * kTableSize + n - 1] is the code of n copies of `index`,
  // for n up to longestRun_[index]; greedy matching adds them in order.
  std::vector<std::uint16_t> runCode_;
  std::array<unsigned, kAlphabet> longestRun_{};
  int string_ = kNone;    // the code of the string matched so far
  int runIndex_ = kNone;  // the index it repeats, when it is a run of one index
  unsigned runLength_ = 0;
  std::uint64_t bits_ = 0;
  int bitCount_ = 0;
  std::string codes_;  // the packed codes, not yet split into sub-blocks
};

// An animated GIF of drawing-area frames that loops forever, built one frame
// at a time. The first frame is stored whole; every later one only as the
// rectangle in which it differs from the frame before, left in place for the
// next. Inside the rectangle the pixels that did not change are stored as a
// transparent index (one no changed pixel needs), which leaves the frame
// before showing and makes long runs that compress to little, or as their
// own colours where that compresses better; a small frame is also tried
// without transparency, and the smaller kept. Every frame uses the smallest
// LZW code size its indices allow. A frame equal to the one before is
// stored as one transparent pixel, so that it still takes its time on
// screen and the file keeps one image per frame. Each raster pixel is
// stored as a scale x scale block. Throws palorin::Error when encoding
// fails.
class GifAnimation {
 public:
  // `scale` from kMinScale to kMaxScale; the palette is
  // GifPalette(leadingSprites).
  explicit GifAnimation(int scale, std::span<const int> leadingSprites = {});
  GifAnimation(const GifAnimation&) = delete;
  GifAnimation& operator=(const GifAnimation&) = delete;

  // Adds `frame`, shown for `delayMs` milliseconds (rounded to hundredths of
  // a second, 20 to kMaxGifDelayMs).
  void AddFrame(const render::Raster& frame, int delayMs);
  // The same for a frame that differs from the one before only inside
  // `touched` (pixels elsewhere must be equal): only those are compared,
  // which on a frame of a few scattered blocks is a small part of the area.
  void AddFrame(const render::Raster& frame, int delayMs,
                const std::vector<render::PixelBox>& touched);

  // Ends the file and hands over its bytes; no frame can be added after it.
  std::string Finish();

  std::size_t FrameCount() const { return frames_; }

 private:
  // A stretch of one palette index along a row of the rectangle, in raster
  // pixels; kUnchanged for pixels left as the frame before shows them.
  static constexpr unsigned char kUnchanged = 0xff;
  struct Run {
    unsigned char index;
    int length;
  };
  // One way of storing a frame's rectangle: its rows as runs.
  struct Candidate {
    std::vector<Run> runs;
    std::vector<std::size_t> rowEnds;  // where each row's runs end in `runs`
    unsigned used = 0;                 // bit i set: index i occurs (kUnchanged aside)
    bool hasUnchanged = false;
    void Clear();
    void Add(unsigned index, int length);
  };
  struct Rect {
    int left, top, width, height;
  };
  // A stretch of at most this many unchanged pixels between changed ones
  // keeps its colours: sprite rows then read as they did before, strings the
  // table already holds, where a short transparent stretch would break them.
  static constexpr int kShortGap = 5;
  // Whether unchanged pixels just before a changed run, of its colour, start
  // it early. Seldom better, and then by little: only small frames try it.
  enum class CarryBack : bool { No, Yes };
  // Small: at most this many screen pixels. A small frame is tried every
  // way there is; a larger one only with transparency and CarryBack::No.
  static constexpr std::size_t kSmallFrameArea = 4096;

  // Marks the pixels that may differ from the frame before: every one, or
  // those inside `touched`.
  void MarkAll();
  void Mark(const std::vector<render::PixelBox>& touched);
  void Add(const render::Raster& frame, int delayMs);
  // The first pixel of row `y` from `x` on and before `end` that may differ
  // and does; `end` if none.
  int FirstChange(const render::Raster& frame, int y, int x, int end) const;
  // The last such pixel before `end` from `x` on; x - 1 if none.
  int LastChange(const render::Raster& frame, int y, int x, int end) const;

  // The palette index of a drawing-area colour.
  unsigned char IndexOf(render::Pixel pixel) const;
  void BuildOpaque(const render::Raster& frame, Rect rect, Candidate& out) const;
  // Changed pixels as their colours, unchanged ones as kUnchanged, or as
  // their colours in a short gap or carrying a run back.
  void BuildTransparent(const render::Raster& frame, Rect rect, CarryBack carryBack,
                        Candidate& out) const;
  // The candidate's image data into `out`, each kUnchanged pixel written as
  // `unchanged` or as its own colour, whichever lets the string being matched
  // go on; at the smallest code size its indices allow. Gives up, returning
  // more than `giveUpAt`, once it is sure to be larger.
  std::size_t Compress(const render::Raster& frame, Rect rect, const Candidate& candidate,
                       unsigned unchanged, std::size_t giveUpAt, std::string& out);
  void PutImage(Rect screen, int delayMs, int transparent, const std::string& data);

  int scale_;
  std::string bytes_;
  render::Raster previous_;
  // Per raster row, the [begin, end) stretches where pixels may differ from
  // previous_: sorted, none overlapping or touching.
  std::vector<std::vector<std::pair<int, int>>> marked_;
  std::size_t frames_ = 0;
  bool finished_ = false;
  LzwWriter lzw_;
  Candidate opaque_, transparent_;
  std::string bestData_, candidateData_;  // image data: the smallest so far, the one being tried
  // The palette as an open-addressed table from colour to index; a free
  // place holds 0, which no drawing-area pixel is (they are all opaque).
  static constexpr std::size_t kTableSize = 1024;
  std::array<render::Pixel, kTableSize> tableColour_{};
  std::array<unsigned char, kTableSize> tableIndex_{};
};

}  // namespace palorin::cli
