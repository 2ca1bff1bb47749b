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
inline constexpr int kMaxGifDelay = 65535;
inline constexpr int kMaxGifDelayMs = kMaxGifDelay * 10;

// Bit i: sprite i.
inline constexpr unsigned kAllSprites = (1u << render::kSpriteCount) - 1;

// The one palette of an animation: black, then each distinct colour of the
// built-in block sprites of `shownSprites` (bit i: sprite i) in the order
// they first occur, sprite by sprite (those of `leadingSprites` first, in
// that order, then the others by number), row by row. The drawing area never
// holds any other colour (it starts black and only sprites are drawn into
// it), so every frame showing only those sprites is stored exactly; the
// colour table holds no colour the animation does not show.
std::vector<render::Pixel> GifPalette(std::span<const int> leadingSprites = {},
                                      unsigned shownSprites = kAllSprites);

// The sprites some of whose colours `raster` shows (bit i: sprite i).
unsigned SpritesShowing(const render::Raster& raster);

// The sprites whose colours should lead the palette of an animation whose
// frames after the first draw the sprites of `spritesPerFrame` (bit i: sprite
// i): a frame is written with the smallest code size its palette indices
// allow, so the sprites that most frames draw alone, or with one other, go
// first (ties: the lower numbers). Only sprites some frame draws; empty when
// none does.
std::vector<int> LeadingSprites(const std::vector<unsigned>& spritesPerFrame);

// GIF's LZW compression of one image's palette indices, written as the
// image data of a GIF: the code size, the codes in sub-blocks of at most 255
// bytes, the empty sub-block. The codes start without a clear code: a
// decoder starts every image with the table a clear leaves, so a first
// clear would only cost a code's bits in every frame. A pixel may be given
// two indices that show it alike (a pixel the frame before already shows:
// the transparent index or its own colour); each string written is the
// longest the table holds that the pixels ahead can be read as, so a choice
// is taken where it makes a longer string, and a string starts with the
// index that makes it the longest. The pixels go in as stretches: along a
// stretch with no choice one string is followed, with no other reading to
// keep, and a run the table holds is taken in one step, so the long runs of
// a frame that changed little cost about one step per code written.
class LzwWriter {
 public:
  // Indices below 2^codeSize, codeSize from 2 to kMaxCodeSize.
  static constexpr int kMaxCodeSize = 4;

  // `length` pixels, each written as `index` or as `other` (the same index
  // for no choice).
  struct Stretch {
    unsigned char index = 0, other = 0;
    std::uint32_t length = 0;
    friend bool operator==(const Stretch&, const Stretch&) = default;
  };

  // How the pixels are cut into strings. Greedy: each the longest there is.
  // LookAhead: one of up to kLookAhead shorter ones instead, where the
  // string after it then reaches farther. That can save codes, but adds
  // shorter strings to the table: it pays, if at all, on images too small
  // for the table to matter.
  enum class Parse : bool { Greedy, LookAhead };
  // Which of a pixel's two indices a string takes where both make strings
  // as long: the string then added to the table differs, and so do the
  // strings after it.
  enum class Prefer : bool { Index, Other };
  static constexpr unsigned kLookAhead = 8;

  LzwWriter();
  // Appends the image data of `pixels` to `out`, at code size `codeSize`,
  // and returns the bytes appended. Gives up once the data is sure to be
  // larger than `giveUpAt` bytes: returns giveUpAt + 1 and leaves `out` as it
  // was. Throws palorin::Error for an index the code size cannot hold.
  std::size_t Compress(int codeSize, std::span<const Stretch> pixels, std::size_t giveUpAt,
                       std::string& out, Parse parse = Parse::Greedy,
                       Prefer prefer = Prefer::Index);

 private:
  static constexpr unsigned kTableSize = 4096;
  static constexpr unsigned kAlphabet = 1u << kMaxCodeSize;
  // The strings followed at once while matching, at most; more are dropped,
  // which can only make a match shorter.
  static constexpr std::size_t kMaxFollowed = 8;

  // A pixel: its stretch and its place in it.
  struct Position {
    std::size_t stretch = 0;
    std::uint32_t offset = 0;
  };
  struct Match {
    std::uint16_t code;
    Position end;  // the first pixel after it
  };

  static Position Advance(std::span<const Stretch> pixels, Position at, std::uint32_t by);
  void Write(unsigned code);
  void ResetTable();
  // Adds `code` followed by `index` as the next code, as decoders do after
  // each code but the first.
  void AddString(std::uint16_t code, unsigned index);
  // The longest string the table holds that the pixels from `at` on can be
  // read as; starting with `start` if that is not negative.
  Match Longest(std::span<const Stretch> pixels, Position at, int start) const;
  // Whether the string `code` starts with the string `prefix`.
  bool StartsWith(std::uint16_t code, std::uint16_t prefix) const;
  // `match`, found from `at`, or the shorter string LookAhead prefers.
  Match LookAhead(std::span<const Stretch> pixels, Position at, Match match) const;

  int codeSize_ = 2;
  bool preferOther_ = false;  // Prefer::Other
  unsigned clear_ = 4;
  unsigned next_ = 6;  // the code the next string gets
  int width_ = 3;      // bits per code
  // The table as children: child_[code * kAlphabet + index] is the code of
  // the string `code` followed by `index`, 0 for none (no string has code 0
  // as a child: children are numbered from clear_ + 2).
  std::vector<std::uint16_t> child_;
  // Per code: the string's length, the code of the string one shorter, its
  // first index and, for a run of that index, its length (0 for any other).
  std::vector<std::uint16_t> length_, parent_;
  std::vector<unsigned char> first_;
  std::vector<std::uint16_t> runLength_;
  // runCode_[index * kTableSize + n - 1] is the code of n copies of `index`,
  // for n up to longestRun_[index]; runs are added in order.
  std::vector<std::uint16_t> runCode_;
  std::array<unsigned, kAlphabet> longestRun_{};
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
// own colours where that makes longer strings. Which unchanged pixels may
// keep their colours is tried a few ways and the smallest kept; a small
// frame is tried more ways, opaque too. Every frame uses the smallest LZW
// code size its indices allow. A frame equal to the one before is not
// stored: the image before stays on screen for its time too (its delay
// grows by the frame's; past the most a delay holds, the rest goes to an
// image of one transparent pixel). Each raster pixel is stored as a scale x
// scale block. Throws palorin::Error when encoding fails.
class GifAnimation {
 public:
  // `scale` from kMinScale to kMaxScale; the palette is
  // GifPalette(leadingSprites, shownSprites): a frame showing a colour of
  // another sprite cannot be stored (palorin::Error).
  explicit GifAnimation(int scale, std::span<const int> leadingSprites = {},
                        unsigned shownSprites = kAllSprites);
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

  // The images written so far: fewer than the frames added where frames
  // equal the one before.
  std::size_t ImageCount() const { return frames_; }

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
  // Whether unchanged pixels just before a changed run, of its colour, start
  // it early.
  enum class CarryBack : bool { No, Yes };
  // Which unchanged pixels keep their colours. Gaps: as CarryBack, shortGap
  // and ownColours say. Stretches: the unchanged pixels between two changed
  // ones (read row after row, a row's end joining the next row's start)
  // keep their colours where they are all of one colour, which then reads
  // as one run, and are transparent where they hold more. ChangedColours:
  // the same, counting colours no changed pixel of the frame has as
  // transparent. LastStretch: only such a stretch that ends the rectangle
  // keeps its colour. These three store each pixel one way only, so the
  // table learns the strings of plain runs: on frames of a few blocks over a
  // patterned area that is at times what compresses best (LastStretch on
  // small frames only: on larger ones it was hardly ever the smallest).
  enum class Keep : unsigned char { Gaps, Stretches, ChangedColours, LastStretch };
  // One way of storing a frame with transparency.
  struct Way {
    Keep keep;
    CarryBack carryBack;
    // A stretch of at most this many unchanged pixels between changed ones
    // keeps its colours: sprite rows then read as they did before, strings
    // the table already holds, where a short transparent stretch would
    // break them.
    int shortGap;
    // Any other stretch of at most this many unchanged pixels may also be
    // written in its own colours, where that makes longer strings; longer
    // stretches are transparent only (0: all are).
    int ownColours;
    LzwWriter::Parse parse;
    // Where transparent and own colour make strings as long: which one.
    LzwWriter::Prefer prefer;
  };
  static constexpr int kShortGap = 5;
  static constexpr int kOwnColours = 12;
  static constexpr int kAny = 1 << 30;
  // The ways a frame is tried, by its size on screen: small, up to
  // kSmallFrameArea pixels (opaque too); up to kLargeFrameArea; larger.
  // Each way is the smallest on some frames: which unchanged pixels keep
  // their colours changes which strings the table learns, and no one way is
  // best on every frame. Together they save two to three percent on frames
  // of up to a few thousand pixels. A frame changed all over is stored one
  // way: every other saves at most a tenth of a percent there, each at the
  // time of the first again. The way most often the smallest goes first, so
  // that the others give up as early as they can.
  static constexpr std::size_t kSmallFrameArea = 8192;
  static constexpr std::size_t kLargeFrameArea = 65536;
  static constexpr auto kGreedy = LzwWriter::Parse::Greedy;
  static constexpr auto kLookAhead = LzwWriter::Parse::LookAhead;
  static constexpr auto kIndex = LzwWriter::Prefer::Index;
  static constexpr auto kOther = LzwWriter::Prefer::Other;
  static constexpr std::array<Way, 12> kSmallFrameWays{{
      {Keep::Gaps, CarryBack::No, kShortGap, kOwnColours, kGreedy, kIndex},
      {Keep::Gaps, CarryBack::Yes, 0, kOwnColours, kGreedy, kIndex},
      {Keep::Gaps, CarryBack::Yes, 0, kOwnColours, kGreedy, kOther},
      {Keep::Gaps, CarryBack::Yes, 0, kOwnColours, kLookAhead, kOther},
      {Keep::Gaps, CarryBack::No, 0, kOwnColours, kLookAhead, kIndex},
      {Keep::Gaps, CarryBack::No, 0, kAny, kGreedy, kIndex},
      {Keep::Gaps, CarryBack::Yes, 0, kAny, kGreedy, kIndex},
      {Keep::Gaps, CarryBack::No, 0, 0, kLookAhead, kOther},
      {Keep::Gaps, CarryBack::Yes, kAny, 0, kGreedy, kOther},
      {Keep::Stretches, CarryBack::No, 0, 0, kGreedy, kIndex},
      {Keep::ChangedColours, CarryBack::No, 0, 0, kGreedy, kIndex},
      {Keep::LastStretch, CarryBack::No, 0, 0, kGreedy, kIndex},
  }};
  static constexpr std::array<Way, 6> kLargeFrameWays{{
      {Keep::Gaps, CarryBack::No, kShortGap, kOwnColours, kGreedy, kIndex},
      {Keep::Gaps, CarryBack::Yes, 0, kOwnColours, kGreedy, kOther},
      {Keep::Gaps, CarryBack::Yes, kShortGap, 0, kGreedy, kIndex},
      {Keep::Gaps, CarryBack::Yes, kShortGap, kAny, kGreedy, kIndex},
      {Keep::Stretches, CarryBack::No, 0, 0, kGreedy, kIndex},
      {Keep::ChangedColours, CarryBack::No, 0, 0, kGreedy, kIndex},
  }};
  static constexpr std::array<Way, 1> kHugeFrameWays{{
      {Keep::Gaps, CarryBack::No, kShortGap, kOwnColours, kGreedy, kIndex},
  }};

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

  // The pixels of `rect` that differ from the frame before, into changes_.
  void FindChanges(const render::Raster& frame, Rect rect);

  // The palette index of a drawing-area colour.
  unsigned char IndexOf(render::Pixel pixel) const;
  void BuildOpaque(const render::Raster& frame, Rect rect, Candidate& out) const;
  // Changed pixels (changes_) as their colours, unchanged ones as
  // kUnchanged, or as their colours in a short gap or carrying a run back.
  void BuildTransparent(const render::Raster& frame, Rect rect, const Way& way,
                        Candidate& out) const;
  // The same for the other kinds of Keep.
  void BuildStretches(const render::Raster& frame, Rect rect, Keep keep, Candidate& out);
  // Walks `rect` row by row along changes_: gap(now, x, length, next) for
  // each run of unchanged pixels (`now` the row's pixels, `next` the changed
  // run after it, nullptr at the row's end), change(c) for each changed run
  // and rowEnd() after each row.
  template <class Gap, class OnChange, class RowEnd>
  void WalkChanges(const render::Raster& frame, Rect rect, Gap&& gap, OnChange&& change,
                   RowEnd&& rowEnd) const;
  // The candidate's image data into `out`, at the smallest code size its
  // indices allow; each kUnchanged pixel written as `unchanged` or, in a
  // stretch of at most `ownColours` of them, as its own colour where the
  // code size holds it. Gives up, returning more than `giveUpAt`, once it is
  // sure to be larger, or at once when this frame's image was compressed so
  // before.
  std::size_t Compress(const render::Raster& frame, Rect rect, const Candidate& candidate,
                       unsigned unchanged, int ownColours, LzwWriter::Parse parse,
                       LzwWriter::Prefer prefer, std::size_t giveUpAt, std::string& out);
  // A delay in milliseconds as GIF stores it: rounded to hundredths of a
  // second, 0 to kMaxGifDelay.
  static int Centiseconds(int delayMs);
  // `delay` hundredths of a second more for the image last written.
  void Extend(int delay);
  void PutImage(Rect screen, int delay, int transparent, const std::string& data);

  int scale_;
  unsigned tableSize_ = 0;  // entries of the colour table, a power of two
  std::string bytes_;
  render::Raster previous_;
  // Per raster row, the [begin, end) stretches where pixels may differ from
  // previous_: sorted, none overlapping or touching.
  std::vector<std::vector<std::pair<int, int>>> marked_;
  std::size_t frames_ = 0;  // images written
  // Where the image last written has its delay in bytes_, and the delay.
  std::size_t delayAt_ = 0;
  int delay_ = 0;
  bool finished_ = false;
  LzwWriter lzw_;
  std::vector<LzwWriter::Stretch> stretches_, row_;  // the image being compressed, a row of it
  // The images compressed for this frame so far, and how: the first
  // triedCount_ of tried_ (the others keep their memory for the next frame).
  struct Tried {
    int codeSize = 0;
    LzwWriter::Parse parse = LzwWriter::Parse::Greedy;
    LzwWriter::Prefer prefer = LzwWriter::Prefer::Index;
    std::vector<LzwWriter::Stretch> stretches;
  };
  std::vector<Tried> tried_;
  std::size_t triedCount_ = 0;
  Candidate opaque_, transparent_;
  // A frame's changed pixels: per row of its rectangle, runs of one colour
  // from left to right, the row's ending where changeRowEnds_ says. Found
  // once, they serve every way the frame is tried and bring previous_ up to
  // date.
  struct Change {
    int x, length;
    unsigned char index;
  };
  std::vector<Change> changes_;
  std::vector<std::size_t> changeRowEnds_;
  // Per stretch of unchanged pixels, in order: the one index it is written
  // in by BuildStretches, kUnchanged for transparent.
  std::vector<unsigned char> stretchIndex_;
  std::string bestData_, candidateData_;  // image data: the smallest so far, the one being tried
  // The palette as an open-addressed table from colour to index; a free
  // place holds 0, which no drawing-area pixel is (they are all opaque).
  static constexpr std::size_t kTableSize = 1024;
  std::array<render::Pixel, kTableSize> tableColour_{};
  std::array<unsigned char, kTableSize> tableIndex_{};
};

}  // namespace palorin::cli
