#include "cli/gif_out.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "base/error.h"
#include "cli/image_out.h"
#include "render/sprites.h"

// The file is written here rather than through giflib: giflib's encoder
// takes an image's LZW code size from its colour table, so with one global
// table of 16 colours every frame would start at 5-bit codes, however few
// indices it uses, and it cannot be handed runs. The format is small: a
// header, the screen with its colour table, extensions, and per frame a
// graphic control extension, an image descriptor and the LZW data.

namespace palorin::cli {

namespace {

constexpr unsigned kGifMaxCodeBits = 12;

void PutByte(std::string& out, unsigned value) { out.push_back(static_cast<char>(value & 0xff)); }

void PutWord(std::string& out, unsigned value) {  // little-endian, as GIF stores them
  PutByte(out, value);
  PutByte(out, value >> 8);
}

// The bits needed for index `highest`, at least 2 (GIF's smallest code size).
int CodeSizeFor(unsigned highest) { return std::max(2, static_cast<int>(std::bit_width(highest))); }

// The highest index set in a mask of indices (0 for none).
unsigned Highest(unsigned used) {
  return used == 0 ? 0 : static_cast<unsigned>(std::bit_width(used)) - 1;
}

std::size_t TablePlace(render::Pixel pixel, std::size_t size) {
  return (static_cast<std::uint32_t>(pixel * 2654435761u) >> 20) % size;
}

// The first pixel at or after `x` and before `end` that differs between the
// two rows (`end` if none), skipping unchanged stretches a block at a time.
int FirstDifference(const render::Pixel* now, const render::Pixel* before, int x, int end) {
  constexpr int kBlock = 16;
  while (x + kBlock <= end &&
         std::memcmp(now + x, before + x, kBlock * sizeof(render::Pixel)) == 0) {
    x += kBlock;
  }
  while (x < end && now[x] == before[x]) ++x;
  return x;
}

}  // namespace

// ---- LzwWriter ----------------------------------------------------------------

LzwWriter::LzwWriter()
    : child_(kTableSize * kAlphabet),
      length_(kTableSize),
      parent_(kTableSize),
      first_(kTableSize),
      runLength_(kTableSize),
      runCode_(kTableSize * kAlphabet) {}

void LzwWriter::ResetTable() {
  // Only the rows of codes below next_ can hold children: all the last image
  // or table used.
  std::fill(child_.begin(), child_.begin() + static_cast<std::ptrdiff_t>(next_ * kAlphabet), 0);
  for (unsigned index = 0; index < kAlphabet; ++index) {
    longestRun_[index] = 1;
    runCode_[index * kTableSize] = static_cast<std::uint16_t>(index);
    length_[index] = 1;
    first_[index] = static_cast<unsigned char>(index);
    runLength_[index] = index < clear_ ? 1 : 0;
  }
  next_ = clear_ + 2;
  width_ = codeSize_ + 1;
}

// Writes `code` at the current width, low bits first, and widens the codes
// once the next string's code would not fit: GIF decoders widen when their
// table (one string behind this one) reaches the same size.
void LzwWriter::Write(unsigned code) {
  bits_ |= std::uint64_t{code} << bitCount_;
  bitCount_ += width_;
  while (bitCount_ >= 8) {
    codes_.push_back(static_cast<char>(bits_ & 0xff));
    bits_ >>= 8;
    bitCount_ -= 8;
  }
  if (next_ >= (1u << width_) && width_ < static_cast<int>(kGifMaxCodeBits)) ++width_;
}

void LzwWriter::AddString(std::uint16_t code, unsigned index) {
  std::uint16_t& slot = child_[std::size_t{code} * kAlphabet + index];
  const auto added = static_cast<std::uint16_t>(next_);
  length_[added] = static_cast<std::uint16_t>(length_[code] + 1);
  parent_[added] = code;
  first_[added] = first_[code];
  runLength_[added] = 0;
  // The string can be in the table already (added just before, when a
  // string is followed by itself); decoders still number it, and the code
  // it first got stays the one used.
  if (slot == 0) {
    slot = added;
    if (runLength_[code] > 0 && first_[code] == index) {
      const unsigned length = runLength_[code] + 1u;
      runLength_[added] = static_cast<std::uint16_t>(length);
      runCode_[index * kTableSize + length - 1] = added;
      longestRun_[index] = std::max(longestRun_[index], length);
    }
  }
  ++next_;
}

LzwWriter::Position LzwWriter::Advance(std::span<const Stretch> pixels, Position at,
                                       std::uint32_t by) {
  at.offset += by;
  while (at.stretch < pixels.size() && at.offset >= pixels[at.stretch].length) {
    at.offset -= pixels[at.stretch].length;
    ++at.stretch;
  }
  return at;
}

LzwWriter::Match LzwWriter::Longest(std::span<const Stretch> pixels, Position at, int start) const {
  // Every string the pixels so far can be read as, level by level: all of
  // the same length, each followed by both indices a pixel may take.
  std::array<std::uint16_t, kMaxFollowed> strings{}, longer{};
  std::size_t count = 0;
  const Stretch& from = pixels[at.stretch];
  if (start >= 0) {
    strings[count++] = static_cast<std::uint16_t>(start);
  } else {
    if (preferOther_ && from.other != from.index) strings[count++] = from.other;
    strings[count++] = from.index;
    if (!preferOther_ && from.other != from.index) strings[count++] = from.other;
  }
  at = Advance(pixels, at, 1);
  while (at.stretch < pixels.size()) {
    const Stretch& here = pixels[at.stretch];
    if (count == 1) {
      std::uint16_t code = strings[0];
      // A run of the stretch's index goes on in one step as far as the table
      // holds the run (its other index left aside: the longer run is seldom
      // matched another way).
      const unsigned length = runLength_[code];
      if (length > 0 && first_[code] == here.index && length < longestRun_[here.index]) {
        const std::uint32_t take =
            std::min(here.length - at.offset, longestRun_[here.index] - length);
        strings[0] = runCode_[here.index * kTableSize + length + take - 1];
        at = Advance(pixels, at, take);
        continue;
      }
      if (here.other == here.index) {
        // One string through a stretch of one index: no choices to follow.
        const std::uint32_t left = here.length - at.offset;
        std::uint32_t taken = 0;
        while (taken < left) {
          const std::uint16_t next = child_[std::size_t{code} * kAlphabet + here.index];
          if (next == 0) break;
          code = next;
          ++taken;
        }
        if (taken == 0) break;
        strings[0] = code;
        at = Advance(pixels, at, taken);
        continue;
      }
    }
    // The preferred index's strings first: the first string left is the
    // one written.
    const unsigned firstIndex = preferOther_ ? here.other : here.index;
    const unsigned secondIndex = preferOther_ ? here.index : here.other;
    std::size_t found = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t row = std::size_t{strings[i]} * kAlphabet;
      if (const std::uint16_t code = child_[row + firstIndex]; code != 0 && found < kMaxFollowed) {
        longer[found++] = code;
      }
      if (here.other == here.index) continue;
      if (const std::uint16_t code = child_[row + secondIndex]; code != 0 && found < kMaxFollowed) {
        longer[found++] = code;
      }
    }
    if (found == 0) break;
    std::swap(strings, longer);
    count = found;
    at = Advance(pixels, at, 1);
  }
  return {strings[0], at};
}

bool LzwWriter::StartsWith(std::uint16_t code, std::uint16_t prefix) const {
  if (length_[code] < length_[prefix] || first_[code] != first_[prefix]) return false;
  if (runLength_[code] > 0 && runLength_[prefix] > 0) return true;  // runs of one index
  while (length_[code] > length_[prefix]) code = parent_[code];
  return code == prefix;
}

LzwWriter::Match LzwWriter::LookAhead(std::span<const Stretch> pixels, Position at,
                                      Match match) const {
  // The string ends the image: nothing to reach farther.
  if (match.end.stretch >= pixels.size()) return match;
  const unsigned length = length_[match.code];
  unsigned bestLength = length;
  unsigned bestReach = length + length_[Longest(pixels, match.end, -1).code];
  // Every shorter string is in the table too: LZW's strings are the ones
  // before them, one index longer.
  for (unsigned shorter = length - 1; shorter >= 1 && length - shorter <= kLookAhead; --shorter) {
    const unsigned reach =
        shorter + length_[Longest(pixels, Advance(pixels, at, shorter), -1).code];
    if (reach > bestReach) {
      bestReach = reach;
      bestLength = shorter;
    }
  }
  for (unsigned cut = length; cut > bestLength; --cut) match.code = parent_[match.code];
  match.end = Advance(pixels, at, bestLength);
  return match;
}

std::size_t LzwWriter::Compress(int codeSize, std::span<const Stretch> pixels, std::size_t giveUpAt,
                                std::string& out, Parse parse, Prefer prefer) {
  codeSize_ = std::clamp(codeSize, 2, kMaxCodeSize);
  preferOther_ = prefer == Prefer::Other;
  clear_ = 1u << codeSize_;
  for (const Stretch& stretch : pixels) {
    // An index the code size cannot hold would be written as another one:
    // a wrong colour that no decoder could notice.
    if (stretch.index >= clear_ || stretch.other >= clear_) {
      throw Error("GIF encoding failed: an index beyond the code size");
    }
  }
  codes_.clear();
  bits_ = 0;
  bitCount_ = 0;
  // Decoders start with the table a clear leaves: no clear code first.
  ResetTable();
  Position at = Advance(pixels, {}, 0);  // past any empty stretches
  if (at.stretch < pixels.size()) {
    Match match = Longest(pixels, at, -1);
    while (true) {
      if (parse == Parse::LookAhead) match = LookAhead(pixels, at, match);
      Write(match.code);
      at = match.end;
      if (at.stretch >= pixels.size()) break;
      // The data so far, with the code size, a length byte per sub-block
      // and the empty sub-block, is a size the image cannot come under.
      if (codes_.size() + codes_.size() / 255 + 2 > giveUpAt) return giveUpAt + 1;
      // As giflib's own encoder does, the table is cleared when it would
      // give out code 4095, one short of full.
      if (next_ >= kTableSize - 1) {
        Write(clear_);
        ResetTable();
        match = Longest(pixels, at, -1);
        continue;
      }
      // The string after this one decides the index the new string ends
      // in; once that is added, a string starting with that index may be
      // longer (a run going on, say).
      Match after = Longest(pixels, at, -1);
      const unsigned index = first_[after.code];
      AddString(match.code, index);
      if (StartsWith(after.code, match.code)) {
        after = Longest(pixels, at, static_cast<int>(index));
      }
      match = after;
    }
  }
  Write(clear_ + 1);  // end of information
  if (bitCount_ > 0) codes_.push_back(static_cast<char>(bits_ & 0xff));
  const std::size_t start = out.size();
  PutByte(out, static_cast<unsigned>(codeSize_));
  for (std::size_t from = 0; from < codes_.size(); from += 255) {
    const std::size_t length = std::min<std::size_t>(255, codes_.size() - from);
    PutByte(out, static_cast<unsigned>(length));
    out.append(codes_, from, length);
  }
  PutByte(out, 0);
  return out.size() - start;
}

// ---- GifAnimation ---------------------------------------------------------------

std::vector<render::Pixel> GifPalette(std::span<const int> leadingSprites, unsigned shownSprites) {
  const render::SpriteSet& sprites = render::BlockSprites();
  std::vector<int> order;
  for (const int sprite : leadingSprites) {
    if (sprite >= 0 && sprite < render::kSpriteCount &&
        std::find(order.begin(), order.end(), sprite) == order.end()) {
      order.push_back(sprite);
    }
  }
  for (int sprite = 0; sprite < render::kSpriteCount; ++sprite) {
    if (std::find(order.begin(), order.end(), sprite) == order.end()) order.push_back(sprite);
  }
  std::vector<render::Pixel> colours{render::kBlack};
  for (const int sprite : order) {
    if ((shownSprites >> sprite & 1u) == 0) continue;
    const render::BlockSprite& block = sprites[static_cast<std::size_t>(sprite)];
    for (int row = 0; row < render::kSpriteHeight; ++row) {
      for (int column = 0; column < render::kSpriteWidth; ++column) {
        if (!block.Opaque(column, row)) continue;
        const render::Pixel colour =
            block.colour[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
        if (std::find(colours.begin(), colours.end(), colour) == colours.end()) {
          colours.push_back(colour);
        }
      }
    }
  }
  return colours;
}

unsigned SpritesShowing(const render::Raster& raster) {
  // Each colour once: the sprites it is a colour of.
  const render::SpriteSet& sprites = render::BlockSprites();
  std::vector<render::Pixel> seen;
  unsigned showing = 0;
  render::Pixel last = render::kBlack;
  for (int y = 0; y < render::kRasterHeight; ++y) {
    const render::Pixel* row = raster.Row(y);
    for (int x = 0; x < render::kRasterWidth; ++x) {
      const render::Pixel colour = row[x];
      if (colour == last || std::find(seen.begin(), seen.end(), colour) != seen.end()) continue;
      last = colour;
      seen.push_back(colour);
      for (int sprite = 0; sprite < render::kSpriteCount; ++sprite) {
        const render::BlockSprite& block = sprites[static_cast<std::size_t>(sprite)];
        for (int r = 0; r < render::kSpriteHeight; ++r) {
          for (int c = 0; c < render::kSpriteWidth; ++c) {
            if (block.Opaque(c, r) &&
                block.colour[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] == colour) {
              showing |= 1u << sprite;
            }
          }
        }
      }
    }
  }
  return showing;
}

std::vector<int> LeadingSprites(const std::vector<unsigned>& spritesPerFrame) {
  // A frame whose changed pixels are all of the first sprite's colours
  // (indices 1 to 3, black being the transparent one) is written with 2-bit
  // codes, of the first two sprites' (1 to 6) with 3-bit codes, others with
  // 4-bit ones; a code size less saves about the same on any frame.
  unsigned drawn = 0;
  for (const unsigned sprites : spritesPerFrame) drawn |= sprites;
  const auto fits = [](unsigned sprites, unsigned allowed) {
    return sprites != 0 && (sprites & ~allowed) == 0;
  };
  std::vector<int> best;
  std::size_t bestSaving = 0;
  for (int first = 0; first < render::kSpriteCount; ++first) {
    if ((drawn >> first & 1u) == 0) continue;
    for (int second = 0; second < render::kSpriteCount; ++second) {
      if (second == first || (drawn >> second & 1u) == 0) continue;
      const unsigned one = 1u << first, two = one | 1u << second;
      std::size_t saving = 0;
      for (const unsigned sprites : spritesPerFrame) {
        saving += fits(sprites, one) ? 2 : fits(sprites, two) ? 1 : 0;
      }
      if (best.empty() || saving > bestSaving) {
        bestSaving = saving;
        best = {first, second};
      }
    }
    if (best.empty()) best = {first};  // the only sprite drawn
  }
  return best;
}

void GifAnimation::Candidate::Clear() {
  runs.clear();
  rowEnds.clear();
  used = 0;
  hasUnchanged = false;
}

void GifAnimation::Candidate::Add(unsigned index, int length) {
  if (index != kUnchanged) {
    used |= 1u << index;
  } else {
    hasUnchanged = true;
  }
  if (!runs.empty() && runs.size() > (rowEnds.empty() ? 0 : rowEnds.back()) &&
      runs.back().index == index) {
    runs.back().length += length;
  } else {
    runs.push_back({static_cast<unsigned char>(index), length});
  }
}

GifAnimation::GifAnimation(int scale, std::span<const int> leadingSprites, unsigned shownSprites)
    : scale_(scale), marked_(static_cast<std::size_t>(render::kRasterHeight)) {
  if (scale < kMinScale || scale > kMaxScale) throw Error("GIF encoding failed: bad scale");
  const std::vector<render::Pixel> palette = GifPalette(leadingSprites, shownSprites);
  constexpr std::size_t kMaxColours = std::size_t{1} << LzwWriter::kMaxCodeSize;
  if (palette.size() > kMaxColours) throw Error("GIF encoding failed: more than 16 block colours");
  for (std::size_t i = 0; i < palette.size(); ++i) {
    std::size_t place = TablePlace(palette[i], kTableSize);
    while (tableColour_[place] != 0) place = (place + 1) % kTableSize;
    tableColour_[place] = palette[i];
    tableIndex_[place] = static_cast<unsigned char>(i);
  }

  // The frame delays and the loop need the 89a version of the format.
  bytes_ = "GIF89a";
  PutWord(bytes_, render::kRasterWidth * scale_);
  PutWord(bytes_, render::kRasterHeight * scale_);
  // A global colour table of 2^bits entries (unused ones black; at least
  // two), 8 bits per primary, background index 0, square pixels.
  const int bits = std::max(1, static_cast<int>(std::bit_width(palette.size() - 1)));
  tableSize_ = 1u << bits;
  PutByte(bytes_, 0x80u | 7u << 4 | static_cast<unsigned>(bits - 1));
  PutByte(bytes_, 0);
  PutByte(bytes_, 0);
  for (std::size_t i = 0; i < tableSize_; ++i) {
    const render::Pixel colour = i < palette.size() ? palette[i] : render::kBlack;
    PutByte(bytes_, colour >> 16);
    PutByte(bytes_, colour >> 8);
    PutByte(bytes_, colour);
  }
  // The application extension that makes viewers loop: sub-block 1, loop
  // count 0 = forever.
  bytes_ += "\x21\xff\x0bNETSCAPE2.0\x03\x01";
  PutWord(bytes_, 0);
  PutByte(bytes_, 0);
}

unsigned char GifAnimation::IndexOf(render::Pixel pixel) const {
  std::size_t place = TablePlace(pixel, kTableSize);
  while (tableColour_[place] != pixel) {
    if (tableColour_[place] == 0 || pixel == 0) {
      throw Error("GIF encoding failed: a colour that is not a block colour");
    }
    place = (place + 1) % kTableSize;
  }
  return tableIndex_[place];
}

void GifAnimation::BuildOpaque(const render::Raster& frame, Rect rect, Candidate& out) const {
  out.Clear();
  for (int y = rect.top; y < rect.top + rect.height; ++y) {
    const render::Pixel* row = frame.Row(y);
    // Faces are runs of one colour: look a colour up only where a run starts.
    int x = rect.left;
    const int end = rect.left + rect.width;
    while (x < end) {
      const render::Pixel colour = row[x];
      const int start = x;
      while (x < end && row[x] == colour) ++x;
      out.Add(IndexOf(colour), x - start);
    }
    out.rowEnds.push_back(out.runs.size());
  }
}

template <class Gap, class OnChange, class RowEnd>
void GifAnimation::WalkChanges(const render::Raster& frame, Rect rect, Gap&& gap,
                               OnChange&& change, RowEnd&& rowEnd) const {
  const int end = rect.left + rect.width;
  std::size_t first = 0;
  for (int y = rect.top; y < rect.top + rect.height; ++y) {
    const render::Pixel* now = frame.Row(y);
    const std::size_t rowEnds = changeRowEnds_[static_cast<std::size_t>(y - rect.top)];
    int x = rect.left;
    for (std::size_t i = first; i < rowEnds; ++i) {
      const Change& c = changes_[i];
      if (c.x > x) gap(now, x, c.x - x, &c);
      change(c);
      x = c.x + c.length;
    }
    if (x < end) gap(now, x, end - x, static_cast<const Change*>(nullptr));
    rowEnd();
    first = rowEnds;
  }
}

void GifAnimation::BuildTransparent(const render::Raster& frame, Rect rect, const Way& way,
                                    Candidate& out) const {
  out.Clear();
  // Unchanged pixels from `x` on as their own colours, but black as
  // kUnchanged: pixels only ever change to block colours, so black's index
  // is the one left free for transparency, which shows them just as well.
  const auto addColours = [&](const render::Pixel* now, int x, int length) {
    for (const int stop = x + length; x < stop;) {
      const render::Pixel colour = now[x];
      const int start = x;
      while (x < stop && now[x] == colour) ++x;
      out.Add(colour == render::kBlack ? kUnchanged : IndexOf(colour), x - start);
    }
  };
  WalkChanges(
      frame, rect,
      [&](const render::Pixel* now, int x, int length, const Change* next) {
        if (next == nullptr) {
          out.Add(kUnchanged, length);
          return;
        }
        // Unchanged pixels just before a changed run, of its colour, may
        // start it early.
        int stop = next->x;
        if (way.carryBack == CarryBack::Yes) {
          while (stop > x && now[stop - 1] == now[next->x]) --stop;
        }
        if (length > way.shortGap || x == rect.left) {
          if (stop > x) out.Add(kUnchanged, stop - x);
          if (next->x > stop) out.Add(next->index, next->x - stop);
        } else {
          addColours(now, x, length);
        }
      },
      [&](const Change& c) { out.Add(c.index, c.length); },
      [&] { out.rowEnds.push_back(out.runs.size()); });
}

void GifAnimation::BuildStretches(const render::Raster& frame, Rect rect, Keep keep,
                                  Candidate& out) {
  // Keep::ChangedColours: an unchanged pixel keeps its colour only where a
  // changed pixel of the frame has it too (any other colour takes another
  // index, perhaps a larger code size). Black is the transparent index's
  // colour, as in BuildTransparent.
  unsigned changed = ~0u;
  if (keep == Keep::ChangedColours) {
    changed = 0;
    for (const Change& c : changes_) changed |= 1u << c.index;
  }
  render::Pixel lastColour = 0;
  unsigned char lastIndex = kUnchanged;
  const auto indexOf = [&](render::Pixel colour) {
    if (colour != lastColour) {
      lastColour = colour;
      const unsigned char index = colour == render::kBlack ? kUnchanged : IndexOf(colour);
      lastIndex = index != kUnchanged && (changed >> index & 1u) != 0 ? index : kUnchanged;
    }
    return lastIndex;
  };
  // First, per stretch, the one index it would be written in, or kUnchanged
  // where it holds more than one.
  stretchIndex_.clear();
  bool open = false;
  WalkChanges(
      frame, rect,
      [&](const render::Pixel* now, int x, int length, const Change*) {
        if (!open) {
          open = true;
          stretchIndex_.push_back(indexOf(now[x]));
        }
        unsigned char& index = stretchIndex_.back();
        for (const int stop = x + length; x < stop && index != kUnchanged; ++x) {
          if (indexOf(now[x]) != index) index = kUnchanged;
        }
      },
      [&](const Change&) { open = false; }, [] {});
  const bool trailing = open;  // the last stretch ends the rectangle
  const std::size_t stretches = stretchIndex_.size();
  // Then the runs.
  out.Clear();
  std::size_t stretch = 0;
  open = false;
  WalkChanges(
      frame, rect,
      [&](const render::Pixel*, int, int length, const Change*) {
        if (!open) {
          open = true;
          ++stretch;
        }
        const bool kept = keep != Keep::LastStretch || (trailing && stretch == stretches);
        out.Add(kept ? stretchIndex_[stretch - 1] : kUnchanged, length);
      },
      [&](const Change& c) {
        open = false;
        out.Add(c.index, c.length);
      },
      [&] { out.rowEnds.push_back(out.runs.size()); });
}

void GifAnimation::FindChanges(const render::Raster& frame, Rect rect) {
  changes_.clear();
  changeRowEnds_.clear();
  const int end = rect.left + rect.width;
  for (int y = rect.top; y < rect.top + rect.height; ++y) {
    const render::Pixel* now = frame.Row(y);
    const render::Pixel* before = previous_.Row(y);
    for (int x = FirstChange(frame, y, rect.left, end); x < end;
         x = FirstChange(frame, y, x, end)) {
      while (x < end && now[x] != before[x]) {
        const render::Pixel colour = now[x];
        const int start = x;
        while (x < end && now[x] == colour && now[x] != before[x]) ++x;
        changes_.push_back({start, x - start, IndexOf(colour)});
      }
    }
    changeRowEnds_.push_back(changes_.size());
  }
}

std::size_t GifAnimation::Compress(const render::Raster& frame, Rect rect,
                                   const Candidate& candidate, unsigned unchanged, int ownColours,
                                   LzwWriter::Parse parse, LzwWriter::Prefer prefer,
                                   std::size_t giveUpAt, std::string& out) {
  out.clear();
  const int codeSize =
      CodeSizeFor(Highest(candidate.used | (candidate.hasUnchanged ? 1u << unchanged : 0u)));
  const unsigned indices = 1u << codeSize;
  const auto k = static_cast<std::uint32_t>(scale_);
  const auto put = [](std::vector<LzwWriter::Stretch>& to, unsigned index, unsigned other,
                      std::uint32_t length) {
    if (!to.empty() && to.back().index == index && to.back().other == other) {
      to.back().length += length;
    } else {
      to.push_back({static_cast<unsigned char>(index), static_cast<unsigned char>(other), length});
    }
  };
  stretches_.clear();
  std::size_t first = 0;
  render::Pixel lastColour = 0;  // the colour last looked up, and its index
  unsigned lastIndex = 0;
  for (int y = rect.top; y < rect.top + rect.height; ++y) {
    const std::size_t rowEnd = candidate.rowEnds[static_cast<std::size_t>(y - rect.top)];
    const render::Pixel* pixels = frame.Row(y);
    row_.clear();
    int x = rect.left;
    for (std::size_t i = first; i < rowEnd; ++i) {
      const Run run = candidate.runs[i];
      const auto length = static_cast<std::uint32_t>(run.length) * k;
      if (run.index != kUnchanged) {
        put(row_, run.index, run.index, length);
      } else if (run.length > ownColours) {
        put(row_, unchanged, unchanged, length);
      } else {
        for (int from = x; from < x + run.length;) {
          const render::Pixel colour = pixels[from];
          const int start = from;
          while (from < x + run.length && pixels[from] == colour) ++from;
          if (colour != lastColour) {
            lastColour = colour;
            lastIndex = IndexOf(colour);
          }
          put(row_, unchanged, lastIndex < indices ? lastIndex : unchanged,
              static_cast<std::uint32_t>(from - start) * k);
        }
      }
      x += run.length;
    }
    // The row once per screen row: each pixel is a k x k block.
    for (int copy = 0; copy < scale_; ++copy) {
      for (const LzwWriter::Stretch& stretch : row_) {
        put(stretches_, stretch.index, stretch.other, stretch.length);
      }
    }
    first = rowEnd;
  }
  // Ways often store a frame alike (no gap short enough to keep, no run to
  // carry back, no pixel to choose for): the same pixels at the same code
  // size compress alike, so they are compressed once.
  const bool choices = std::any_of(stretches_.begin(), stretches_.end(),
                                   [](const LzwWriter::Stretch& s) { return s.other != s.index; });
  if (!choices) prefer = LzwWriter::Prefer::Index;
  for (std::size_t i = 0; i < triedCount_; ++i) {
    const Tried& tried = tried_[i];
    if (tried.codeSize == codeSize && tried.parse == parse && tried.prefer == prefer &&
        tried.stretches == stretches_) {
      return giveUpAt + 1;
    }
  }
  if (triedCount_ == tried_.size()) tried_.emplace_back();
  Tried& tried = tried_[triedCount_++];
  tried.codeSize = codeSize;
  tried.parse = parse;
  tried.prefer = prefer;
  tried.stretches.assign(stretches_.begin(), stretches_.end());
  return lzw_.Compress(codeSize, stretches_, giveUpAt, out, parse, prefer);
}

int GifAnimation::Centiseconds(int delayMs) {
  return (std::clamp(delayMs, 0, kMaxGifDelayMs) + 5) / 10;
}

void GifAnimation::PutImage(Rect screen, int delay, int transparent, const std::string& data) {
  // The graphic control extension: left in place for the next frame to build
  // on ("do not dispose", 1), the delay, and the transparent index if any.
  PutByte(bytes_, 0x21);
  PutByte(bytes_, 0xf9);
  PutByte(bytes_, 4);
  PutByte(bytes_, 1u << 2 | (transparent >= 0 ? 1u : 0u));
  delayAt_ = bytes_.size();
  delay_ = delay;
  PutWord(bytes_, static_cast<unsigned>(delay));
  PutByte(bytes_, transparent >= 0 ? static_cast<unsigned>(transparent) : 0u);
  PutByte(bytes_, 0);
  // The image descriptor: no local colour table, not interlaced.
  PutByte(bytes_, 0x2c);
  PutWord(bytes_, static_cast<unsigned>(screen.left));
  PutWord(bytes_, static_cast<unsigned>(screen.top));
  PutWord(bytes_, static_cast<unsigned>(screen.width));
  PutWord(bytes_, static_cast<unsigned>(screen.height));
  PutByte(bytes_, 0);
  bytes_ += data;
}

void GifAnimation::MarkAll() {
  for (auto& row : marked_) row.assign(1, {0, render::kRasterWidth});
}

void GifAnimation::Mark(const std::vector<render::PixelBox>& touched) {
  for (auto& row : marked_) row.clear();
  for (const render::PixelBox& box : touched) {
    // Clipped to the raster, in 64 bits so that no box can overflow.
    const auto clip = [](std::int64_t v, int size) {
      return static_cast<int>(std::clamp<std::int64_t>(v, 0, size));
    };
    const int left = clip(box.left, render::kRasterWidth);
    const int right = clip(std::int64_t{box.left} + box.width, render::kRasterWidth);
    const int bottom = clip(std::int64_t{box.top} + box.height, render::kRasterHeight);
    if (left >= right) continue;
    for (int y = clip(box.top, render::kRasterHeight); y < bottom; ++y) {
      marked_[static_cast<std::size_t>(y)].emplace_back(left, right);
    }
  }
  for (auto& row : marked_) {
    if (row.size() < 2) continue;
    std::sort(row.begin(), row.end());
    std::size_t kept = 0;
    for (std::size_t i = 1; i < row.size(); ++i) {
      if (row[i].first <= row[kept].second) {
        row[kept].second = std::max(row[kept].second, row[i].second);
      } else {
        row[++kept] = row[i];
      }
    }
    row.resize(kept + 1);
  }
}

int GifAnimation::FirstChange(const render::Raster& frame, int y, int x, int end) const {
  for (const auto& [begin, stop] : marked_[static_cast<std::size_t>(y)]) {
    if (stop <= x) continue;
    if (begin >= end) break;
    const int to = std::min(stop, end);
    const int found = FirstDifference(frame.Row(y), previous_.Row(y), std::max(x, begin), to);
    if (found < to) return found;
  }
  return end;
}

int GifAnimation::LastChange(const render::Raster& frame, int y, int x, int end) const {
  const render::Pixel* now = frame.Row(y);
  const render::Pixel* before = previous_.Row(y);
  const auto& row = marked_[static_cast<std::size_t>(y)];
  for (auto span = row.rbegin(); span != row.rend(); ++span) {
    if (span->first >= end) continue;
    if (span->second <= x) break;
    const int from = std::max(x, span->first);
    for (int last = std::min(span->second, end) - 1; last >= from; --last) {
      if (now[last] != before[last]) return last;
    }
  }
  return x - 1;
}

void GifAnimation::AddFrame(const render::Raster& frame, int delayMs) {
  if (finished_) throw Error("GIF encoding failed: the animation is finished");
  MarkAll();
  Add(frame, delayMs);
}

void GifAnimation::AddFrame(const render::Raster& frame, int delayMs,
                            const std::vector<render::PixelBox>& touched) {
  if (finished_) throw Error("GIF encoding failed: the animation is finished");
  if (frames_ == 0) {
    MarkAll();
  } else {
    Mark(touched);
  }
  Add(frame, delayMs);
}

void GifAnimation::Extend(int delay) {
  // The image before stays on screen that much longer: its delay grows, up
  // to the most the field holds. Past it, an image that shows nothing new
  // carries the rest: one transparent pixel, the smallest image there is. It
  // is given at least 20 ms where it can, taken from the image before:
  // viewers stretch shorter delays.
  const int total = delay_ + delay;
  const int rest = total <= kMaxGifDelay ? 0 : std::max(total - kMaxGifDelay, std::min(delay, 2));
  delay_ = total - rest;
  bytes_[delayAt_] = static_cast<char>(delay_ & 0xff);
  bytes_[delayAt_ + 1] = static_cast<char>(delay_ >> 8);
  if (rest == 0) return;
  bestData_.clear();
  const LzwWriter::Stretch pixel{0, 0, 1};
  lzw_.Compress(2, {&pixel, 1}, std::numeric_limits<std::size_t>::max(), bestData_);
  PutImage({0, 0, 1, 1}, rest, 0, bestData_);
  ++frames_;
}

void GifAnimation::Add(const render::Raster& frame, int delayMs) {
  const int delay = Centiseconds(delayMs);
  Rect rect{0, 0, render::kRasterWidth, render::kRasterHeight};
  if (frames_ > 0) {
    // The rectangle holding every changed pixel.
    int left = render::kRasterWidth, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < render::kRasterHeight; ++y) {
      const int first = FirstChange(frame, y, 0, render::kRasterWidth);
      if (first == render::kRasterWidth) continue;
      if (top < 0) top = y;
      bottom = y;
      left = std::min(left, first);
      right =
          std::max(right, LastChange(frame, y, std::max(first, right + 1), render::kRasterWidth));
    }
    if (top < 0) {
      Extend(delay);
      return;
    }
    rect = {left, top, right - left + 1, bottom - top + 1};
  }

  // Every way for the frame's size is tried and the smallest kept; a later
  // try gives up once it is the larger.
  triedCount_ = 0;
  const std::size_t screenArea =
      static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height) *
      static_cast<std::size_t>(scale_) * static_cast<std::size_t>(scale_);
  const bool small = screenArea <= kSmallFrameArea;
  std::size_t best = std::numeric_limits<std::size_t>::max();
  int transparent = -1;
  if (frames_ > 0) {
    std::span<const Way> ways = kHugeFrameWays;
    if (small) {
      ways = kSmallFrameWays;
    } else if (screenArea <= kLargeFrameArea) {
      ways = kLargeFrameWays;
    }
    FindChanges(frame, rect);
    const Way* built = nullptr;
    for (const Way& way : ways) {
      // Ways that differ only in how they compress share the candidate.
      if (built == nullptr || built->keep != way.keep || built->carryBack != way.carryBack ||
          built->shortGap != way.shortGap) {
        if (way.keep == Keep::Gaps) {
          BuildTransparent(frame, rect, way, transparent_);
        } else {
          BuildStretches(frame, rect, way.keep, transparent_);
        }
        built = &way;
      }
      // The lowest index no changed pixel needs (after the first frame
      // pixels only ever change to block colours, so usually black's).
      const auto free = static_cast<unsigned>(std::countr_one(transparent_.used));
      // A transparent index past the colour table would be a pixel no
      // table entry describes: some decoders would refuse it.
      if (free >= tableSize_) continue;
      const std::size_t size = Compress(frame, rect, transparent_, free, way.ownColours, way.parse,
                                        way.prefer, best, candidateData_);
      if (size < best) {
        best = size;
        transparent = static_cast<int>(free);
        std::swap(bestData_, candidateData_);
      }
    }
  }
  if (best == std::numeric_limits<std::size_t>::max() || small) {
    BuildOpaque(frame, rect, opaque_);
    const std::size_t size = Compress(frame, rect, opaque_, 0, 0, LzwWriter::Parse::Greedy,
                                      LzwWriter::Prefer::Index, best, candidateData_);
    if (size < best) {
      best = size;
      transparent = -1;
      std::swap(bestData_, candidateData_);
    }
  }
  PutImage({rect.left * scale_, rect.top * scale_, rect.width * scale_, rect.height * scale_},
           delay, transparent, bestData_);
  if (frames_ == 0) {
    previous_ = frame;
  } else {
    std::size_t first = 0;
    for (int y = rect.top; y < rect.top + rect.height; ++y) {
      const std::size_t rowEnd = changeRowEnds_[static_cast<std::size_t>(y - rect.top)];
      for (std::size_t i = first; i < rowEnd; ++i) {
        const Change change = changes_[i];
        std::copy_n(frame.Row(y) + change.x, change.length, previous_.Row(y) + change.x);
      }
      first = rowEnd;
    }
  }
  ++frames_;
}

std::string GifAnimation::Finish() {
  if (finished_) throw Error("GIF encoding failed: the animation is finished");
  finished_ = true;
  PutByte(bytes_, 0x3b);
  return std::move(bytes_);
}

}  // namespace palorin::cli
