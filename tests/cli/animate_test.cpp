// animate read back with giflib, frame by frame, against what render --upto
// draws of the same file: on pictures whose frames meet the cases the
// encoder chooses between (transparency or not, a frame's code size, short
// gaps kept in their colours, one block on top of hundreds).
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/error.h"
#include "cli/cli.h"
#include "cli/gif_out.h"
#include "core/placement_log.h"
#include "fileio/block_text.h"
#include "fileio/text_buffer.h"
#include "render/bmp.h"
#include "render/raster.h"
#include "render/sprites.h"
#include "test_util.h"

namespace palorin::cli {
namespace {

using test::RunCli;
using test::TempDir;
using test::WriteFile;

int ReadFromView(GifFileType* gif, GifByteType* buffer, int length) {
  auto* rest = static_cast<std::string_view*>(gif->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(length), rest->size());
  std::memcpy(buffer, rest->data(), n);
  rest->remove_prefix(n);
  return static_cast<int>(n);
}

// What an image of a GIF leaves on screen, and for how long (hundredths of
// a second).
struct Shown {
  render::Raster picture;
  int delay = 0;
};

// The drawing area as each image of a GIF at `scale` shows it: each image's
// rectangle painted over the one before, but for its transparent pixels,
// each scale x scale block read back as one pixel. Nothing if giflib refuses
// the file, an image does not fit the screen or a block is not of one colour.
std::optional<std::vector<Shown>> ShownImages(const std::string& bytes, int scale) {
  std::string_view rest(bytes);
  int error = 0;
  GifFileType* gif = DGifOpen(&rest, ReadFromView, &error);
  if (gif == nullptr) return std::nullopt;
  const int width = render::kRasterWidth * scale, height = render::kRasterHeight * scale;
  std::optional<std::vector<Shown>> frames;
  if (DGifSlurp(gif) == GIF_OK && gif->SColorMap != nullptr && gif->SWidth == width &&
      gif->SHeight == height) {
    std::vector<render::Pixel> palette;
    for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
      const GifColorType c = gif->SColorMap->Colors[i];
      palette.push_back(render::Rgb(c.Red, c.Green, c.Blue));
    }
    std::vector<render::Pixel> screen(static_cast<std::size_t>(width) * height, render::kBlack);
    const auto at = [&](int x, int y) -> render::Pixel& {
      return screen[static_cast<std::size_t>(y) * width + x];
    };
    bool fits = true;
    frames.emplace();
    for (int i = 0; i < gif->ImageCount && fits; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      const GifImageDesc& desc = image.ImageDesc;
      GraphicsControlBlock control{};
      DGifSavedExtensionToGCB(gif, i, &control);
      fits = desc.Left >= 0 && desc.Top >= 0 && desc.Left + desc.Width <= width &&
             desc.Top + desc.Height <= height;
      for (int y = 0; y < desc.Height && fits; ++y) {
        for (int x = 0; x < desc.Width && fits; ++x) {
          const int index = image.RasterBits[y * desc.Width + x];
          if (index == control.TransparentColor) continue;
          fits = index < static_cast<int>(palette.size());
          if (fits) at(desc.Left + x, desc.Top + y) = palette[static_cast<std::size_t>(index)];
        }
      }
      render::Raster shown;
      for (int y = 0; y < height && fits; ++y) {
        for (int x = 0; x < width && fits; ++x) {
          fits = at(x, y) == at(x / scale * scale, y / scale * scale);
        }
        if (y % scale == 0) {
          for (int x = 0; x < render::kRasterWidth; ++x) {
            shown.Row(y / scale)[x] = at(x * scale, y);
          }
        }
      }
      frames->push_back({shown, control.DelayTime});
    }
    if (!fits) frames.reset();
  }
  DGifCloseFile(gif, &error);
  return frames;
}

// Where two BMPs of the drawing area first differ, as "(x, y) RRGGBB, not
// RRGGBB", and how many bytes differ; empty when they are equal.
std::string BmpDifference(const std::string& got, const std::string& want) {
  if (got == want) return {};
  if (got.size() != want.size()) return "sizes differ";
  constexpr std::size_t kHeader = 54, kStride = render::kRasterWidth * 3;
  std::size_t first = 0, count = 0;
  for (std::size_t i = kHeader; i < got.size(); ++i) {
    if (got[i] == want[i]) continue;
    if (count++ == 0) first = i;
  }
  const std::size_t pixel = (first - kHeader) / 3;
  const std::size_t x = pixel % (kStride / 3);
  const std::size_t y = render::kRasterHeight - 1 - pixel / (kStride / 3);
  const auto colour = [&](const std::string& bmp) {
    char text[8];
    const std::size_t at = kHeader + pixel * 3;
    std::snprintf(text, sizeof text, "%02x%02x%02x", static_cast<unsigned char>(bmp[at + 2]),
                  static_cast<unsigned char>(bmp[at + 1]), static_cast<unsigned char>(bmp[at]));
    return std::string(text);
  };
  std::ostringstream out;
  out << "(" << x << ", " << y << ") " << colour(got) << ", not " << colour(want) << "; " << count
      << " bytes differ";
  return out.str();
}

// Runs animate on `file` at `scale` (steps of 50 ms, the last held 2 s) and
// follows its timeline: whenever an image starts or a step begins, what is
// on screen must be what render --upto draws of that step's last slot
// (render of the whole picture for the last step). Steps that change nothing
// have no image of their own, so there are `images` images for `steps`
// steps; together they last as long as the steps.
void ExpectEveryStepAsRendered(const std::string& file, const std::vector<std::string>& options,
                               int every, std::size_t steps, std::size_t images, int scale = 1) {
  constexpr int kDelay = 5, kHold = 200;  // hundredths of a second
  std::vector<std::string> args{"animate", "--scale", std::to_string(scale)};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(file);
  const auto run = RunCli(args);
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const auto shown = ShownImages(run.out, scale);
  ASSERT_TRUE(shown);
  ASSERT_EQ(shown->size(), images);
  std::vector<int> starts;  // each image's start
  int total = 0;
  for (const Shown& image : *shown) {
    starts.push_back(total);
    total += image.delay;
  }
  ASSERT_EQ(total, static_cast<int>(steps - 1) * kDelay + kHold);
  // Every (image, step) pair that shares a moment: the step under each
  // image's start, the image over each step's start.
  const auto stepAt = [&](int time) {
    return std::min<std::size_t>(static_cast<std::size_t>(time / kDelay), steps - 1);
  };
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  for (std::size_t i = 0; i < images; ++i) pairs.emplace_back(i, stepAt(starts[i]));
  for (std::size_t k = 0; k < steps; ++k) {
    const int time = static_cast<int>(k) * kDelay;
    const auto after = std::upper_bound(starts.begin(), starts.end(), time);
    pairs.emplace_back(static_cast<std::size_t>(after - starts.begin()) - 1, k);
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  for (const auto& [image, step] : pairs) {
    std::vector<std::string> render{"render"};
    if (step + 1 < steps) {
      render.insert(render.end(), {"--upto", std::to_string((step + 1) * every - 1)});
    }
    render.push_back(file);
    const std::string difference =
        BmpDifference(render::EncodeBmp((*shown)[image].picture), RunCli(render).out);
    // Every later image is drawn over this one: the first wrong one says it all.
    if (!difference.empty()) {
      ADD_FAILURE() << "image " << image + 1 << " of " << images << ", step " << step + 1 << " of "
                    << steps << ": " << difference;
      return;
    }
  }
}

TEST(GifPalette, SpritesMostFramesDrawAloneLeadIt) {
  // Bit i: sprite i (the colour box's entries are sprites 1 to 5).
  constexpr unsigned kBlue = 1u << 1, kGreen = 1u << 2, kRed = 1u << 3, kWhite = 1u << 5;
  struct Case {
    const char* name;
    std::vector<unsigned> frames;
    std::vector<int> leading;
  };
  const Case cases[] = {
      {"no frames", {}, {}},
      {"frames that draw nothing", {0, 0}, {}},
      // Alone in most frames: first, its three colours at 1 to 3 (2-bit
      // codes); the one most often beside it second (3-bit codes).
      {"red alone, white beside it", {kRed, kRed, kRed | kWhite, kRed | kWhite, kGreen}, {3, 5}},
      {"one sprite only", {kWhite, 0, kWhite}, {5}},
      // Two frames of green alone outweigh three of white with blue.
      {"two alone against three pairs",
       {kGreen, kGreen, kWhite | kBlue, kWhite | kBlue, kWhite | kBlue},
       {2, 1}},
      {"three pairs against one alone",
       {kGreen, kWhite | kBlue, kWhite | kBlue, kWhite | kBlue},
       {1, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LeadingSprites(c.frames), c.leading);
  }
  // Black, then the leading sprites' colours, then every other block colour
  // once (sprite 0 is a copy of sprite 1).
  const std::vector<render::Pixel> palette = GifPalette(std::vector<int>{3, 5});
  ASSERT_EQ(palette.size(), 16u);
  EXPECT_EQ(palette[0], render::kBlack);
  EXPECT_EQ(std::vector<render::Pixel>(palette.begin() + 1, palette.begin() + 7),
            (std::vector<render::Pixel>{render::Rgb(255, 0, 0), render::Rgb(206, 0, 0),
                                        render::Rgb(156, 0, 0), render::Rgb(255, 255, 255),
                                        render::Rgb(206, 206, 206), render::Rgb(99, 99, 99)}));
  std::vector<render::Pixel> sorted = palette, byNumber = GifPalette();
  std::sort(sorted.begin(), sorted.end());
  std::sort(byNumber.begin(), byNumber.end());
  EXPECT_EQ(sorted, byNumber);
  // Only the colours of the sprites shown; none shown: black alone.
  EXPECT_EQ(GifPalette(std::vector<int>{3, 5}, 1u << 3 | 1u << 5),
            std::vector<render::Pixel>(palette.begin(), palette.begin() + 7));
  EXPECT_EQ(GifPalette(std::vector<int>{5}, 1u << 3 | 1u << 5),
            (std::vector<render::Pixel>{palette[0], palette[4], palette[5], palette[6], palette[1],
                                        palette[2], palette[3]}));
  EXPECT_EQ(GifPalette({}, 0), std::vector<render::Pixel>{render::kBlack});
}

TEST(GifPalette, SpritesShowingAreThoseOfTheColoursTheAreaHolds) {
  render::Raster area;
  EXPECT_EQ(SpritesShowing(area), 0u);
  render::DrawBlock(area, 10, 20, 3);
  EXPECT_EQ(SpritesShowing(area), 1u << 3);
  // Sprite 0 is a copy of sprite 1: its colours show both.
  render::DrawBlock(area, 30, 20, 1);
  EXPECT_EQ(SpritesShowing(area), 1u << 3 | 1u << 1 | 1u << 0);
  // Covered wholly, a block shows nothing of its sprite.
  render::Raster covered;
  render::DrawBlock(covered, 10, 20, 2);
  render::DrawBlock(covered, 10, 20, 4);
  EXPECT_EQ(SpritesShowing(covered), 1u << 4);
}

// LzwWriter's data read back by giflib, wrapped as a one-image GIF of
// `width` x 1 pixels (at most 65535): the indices decoded, or nullopt if
// giflib refuses it.
std::optional<std::vector<int>> DecodeLzw(const std::string& data, int codeSize, int width) {
  std::string file = "GIF89a";
  const auto word = [&](int v) {
    file.push_back(static_cast<char>(v & 0xff));
    file.push_back(static_cast<char>(v >> 8));
  };
  word(width), word(1);
  file += static_cast<char>(0x80 | (codeSize - 1));
  file += std::string(2, '\0') + std::string(3u << codeSize, '\0');  // the colour table
  file += ',';
  word(0), word(0), word(width), word(1);
  file += '\0';
  file += data + ';';
  std::string_view rest(file);
  int error = 0;
  GifFileType* gif = DGifOpen(&rest, ReadFromView, &error);
  if (gif == nullptr) return std::nullopt;
  std::optional<std::vector<int>> indices;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
    const GifByteType* bits = gif->SavedImages[0].RasterBits;
    indices.emplace(bits, bits + width);
  }
  DGifCloseFile(gif, &error);
  return indices;
}

using Stretches = std::vector<LzwWriter::Stretch>;

std::size_t PixelCount(const Stretches& pixels) {
  std::size_t count = 0;
  for (const LzwWriter::Stretch& stretch : pixels) count += stretch.length;
  return count;
}

TEST(GifLzw, DecodersReadBackOneOfEachPixelsIndices) {
  std::minstd_rand random(19);
  // Single pixels of random indices; every `choiceEvery`th may also be
  // another random index.
  const auto noise = [&](int codeSize, int count, int choiceEvery) {
    Stretches pixels;
    for (int i = 0; i < count; ++i) {
      const auto index = static_cast<unsigned char>(random() % (1u << codeSize));
      const auto other = choiceEvery > 0 && i % choiceEvery == 0
                             ? static_cast<unsigned char>(random() % (1u << codeSize))
                             : index;
      pixels.push_back({index, other, 1});
    }
    return pixels;
  };
  struct Case {
    const char* name;
    int codeSize;
    Stretches pixels;
  };
  const Case cases[] = {
      // Far more strings than the table holds: it fills and is cleared again.
      {"noise, 2 bits", 2, noise(2, 60000, 0)},
      {"noise, 4 bits", 4, noise(4, 30000, 0)},
      {"noise with choices", 4, noise(4, 30000, 3)},
      // Runs longer than any run the table holds, and runs of every length.
      {"one long run", 3, {{5, 5, 65000}}},
      {"growing runs", 4,
       [] {
         Stretches pixels;
         for (std::uint32_t length = 1; length < 200; ++length) {
           pixels.push_back({static_cast<unsigned char>(length % 16),
                             static_cast<unsigned char>(length % 16), length});
           pixels.push_back({0, 0, 200 - length});
         }
         return pixels;
       }()},
      // Long stretches whose pixels may each take either index, between
      // runs of one index: the writer follows both readings at once.
      {"stretches with choices", 3,
       [&] {
         Stretches pixels;
         for (int i = 0; i < 400; ++i) {
           const auto a = static_cast<unsigned char>(random() % 8);
           const auto b = static_cast<unsigned char>(random() % 8);
           pixels.push_back({a, b, static_cast<std::uint32_t>(1 + random() % 60)});
           pixels.push_back({b, b, static_cast<std::uint32_t>(1 + random() % 20)});
         }
         return pixels;
       }()},
      {"one pixel", 2, {{3, 3, 1}}},
      {"no pixels", 2, {}},
  };
  using Parse = LzwWriter::Parse;
  using Prefer = LzwWriter::Prefer;
  const std::pair<Parse, Prefer> ways[] = {{Parse::Greedy, Prefer::Index},
                                           {Parse::Greedy, Prefer::Other},
                                           {Parse::LookAhead, Prefer::Index},
                                           {Parse::LookAhead, Prefer::Other}};
  for (const Case& c : cases) {
    for (const auto& [parse, prefer] : ways) {
      SCOPED_TRACE(std::string(c.name) + (parse == Parse::Greedy ? ", greedy" : ", look-ahead") +
                   (prefer == Prefer::Index ? ", index" : ", other"));
      LzwWriter writer;
      std::string data = "kept";
      const std::size_t size = writer.Compress(c.codeSize, c.pixels, 1 << 30, data, parse, prefer);
      ASSERT_EQ(data.substr(0, 4), "kept");
      data.erase(0, 4);
      EXPECT_EQ(size, data.size());
      // Sub-blocks of at most 255 bytes, ended by an empty one.
      ASSERT_GE(data.size(), 2u);
      EXPECT_EQ(data.front(), static_cast<char>(c.codeSize));
      std::size_t at = 1;
      while (at < data.size() && data[at] != 0) at += 1 + static_cast<unsigned char>(data[at]);
      EXPECT_EQ(at + 1, data.size());
      const std::size_t count = PixelCount(c.pixels);
      if (count == 0) continue;  // giflib reads no image of no pixels
      const auto decoded = DecodeLzw(data, c.codeSize, static_cast<int>(count));
      ASSERT_TRUE(decoded);
      std::size_t i = 0, wrong = 0;
      for (const LzwWriter::Stretch& stretch : c.pixels) {
        for (std::uint32_t n = 0; n < stretch.length; ++n, ++i) {
          const int index = (*decoded)[i];
          wrong += index != stretch.index && index != stretch.other;
        }
      }
      EXPECT_EQ(wrong, 0u);
    }
  }
}

TEST(GifLzw, ChoicesMakeLongerStrings) {
  // Rows of one repeating pattern, a fifth of the pixels, at random, free
  // to be either transparent (0) or the pattern's index: read as the
  // pattern, every row is a string the rows before already hold; written
  // transparent, the free pixels are noise.
  std::minstd_rand random(5);
  Stretches choices, transparent, pattern;
  for (int row = 0; row < 100; ++row) {
    for (int x = 0; x < 60; ++x) {
      const auto index = static_cast<unsigned char>(1 + x % 7 % 3);
      const bool free = random() % 5 == 0;
      choices.push_back({free ? static_cast<unsigned char>(0) : index, index, 1});
      transparent.push_back({free ? static_cast<unsigned char>(0) : index,
                             free ? static_cast<unsigned char>(0) : index, 1});
      pattern.push_back({index, index, 1});
    }
  }
  LzwWriter writer;
  std::string withChoices, without, whole;
  writer.Compress(2, choices, 1 << 30, withChoices);
  writer.Compress(2, transparent, 1 << 30, without);
  writer.Compress(2, pattern, 1 << 30, whole);
  EXPECT_LT(withChoices.size() * 2, without.size());
  EXPECT_LT(withChoices.size(), whole.size() * 3 / 2);
}

TEST(GifLzw, TiesGoToThePreferredIndex) {
  // Pixels free to be 1 or 2 but for every fifth, which is 3: every string
  // is as long read as 1s as read as 2s, so the preference decides each.
  Stretches pixels;
  for (int i = 0; i < 40; ++i) {
    pixels.push_back({1, 2, 4});
    pixels.push_back({3, 3, 1});
  }
  const struct {
    LzwWriter::Prefer prefer;
    int free;  // what the free pixels decode to
  } cases[] = {{LzwWriter::Prefer::Index, 1}, {LzwWriter::Prefer::Other, 2}};
  for (const auto& c : cases) {
    LzwWriter writer;
    std::string data;
    writer.Compress(2, pixels, 1 << 30, data, LzwWriter::Parse::Greedy, c.prefer);
    const auto decoded = DecodeLzw(data, 2, static_cast<int>(PixelCount(pixels)));
    ASSERT_TRUE(decoded);
    for (std::size_t i = 0; i < decoded->size(); ++i) {
      EXPECT_EQ((*decoded)[i], i % 5 == 4 ? 3 : c.free) << "pixel " << i;
    }
  }
}

TEST(GifLzw, GivesUpOnceLargerAndRefusesIndicesBeyondTheCodeSize) {
  LzwWriter writer;
  std::minstd_rand random(7);
  Stretches noise;
  for (int i = 0; i < 5000; ++i) {
    const auto index = static_cast<unsigned char>(random() % 16);
    noise.push_back({index, index, 1});
  }
  std::string data = "kept";
  EXPECT_EQ(writer.Compress(4, noise, 100, data), 101u);
  EXPECT_EQ(data, "kept");
  // Two bits hold indices 0..3: 5 would go out as 1, another colour.
  EXPECT_THROW(writer.Compress(2, Stretches{{5, 5, 1}}, 1 << 30, data), Error);
  EXPECT_THROW(writer.Compress(2, Stretches{{1, 5, 1}}, 1 << 30, data), Error);
  EXPECT_EQ(data, "kept");
  EXPECT_GT(writer.Compress(3, Stretches{{1, 5, 1}}, 1 << 30, data), 0u);
}

TEST(GifAnimation, FramesEqualToTheOneBeforeLengthenItsImage) {
  // Two drawing areas: all black, and one red pixel.
  render::Raster black, red;
  red.Row(40)[100] = render::Rgb(255, 0, 0);
  struct Frame {
    const render::Raster* picture;
    int delayMs;
  };
  struct Case {
    const char* name;
    std::vector<Frame> frames;
    std::vector<int> delays;  // each image's, in hundredths of a second
  };
  const Case cases[] = {
      {"the first frame held", {{&black, 50}, {&black, 50}, {&black, 50}, {&red, 50}}, {15, 5}},
      {"the last frame held", {{&black, 50}, {&red, 50}, {&red, 2000}}, {5, 205}},
      {"no frame changes anything", {{&red, 50}, {&red, 50}}, {10}},
      // Past 65535 hundredths the rest goes to an image of its own.
      {"past the most a delay holds",
       {{&black, 655350}, {&black, 655350}, {&red, 50}},
       {65535, 65535, 5}},
      // Not a rest of one hundredth, which viewers would stretch: at least 2.
      {"a rest kept at 20 ms", {{&black, 655340}, {&black, 20}}, {65534, 2}},
      {"a rest of more than 20 ms", {{&black, 655300}, {&black, 600}}, {65535, 55}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GifAnimation gif(1);
    for (const Frame& frame : c.frames) gif.AddFrame(*frame.picture, frame.delayMs);
    EXPECT_EQ(gif.ImageCount(), c.delays.size());
    const auto shown = ShownImages(gif.Finish(), 1);
    ASSERT_TRUE(shown);
    std::vector<int> delays;
    for (const Shown& image : *shown) delays.push_back(image.delay);
    EXPECT_EQ(delays, c.delays);
    // Each image shows the frame added at its start.
    int start = 0;
    for (const Shown& image : *shown) {
      int time = 0;
      const Frame* at = nullptr;
      for (const Frame& frame : c.frames) {
        if (time > start) break;
        at = &frame;
        time += (frame.delayMs + 5) / 10;
      }
      ASSERT_NE(at, nullptr);
      EXPECT_TRUE(image.picture == *at->picture) << "image starting at " << start;
      start += image.delay;
    }
  }
}

TEST(GifAnimation, EveryFrameReadsBackAsAdded) {
  // Random frames of the kinds the encoder stores differently: a few pixels
  // or patches painted over a patterned area (small and larger rectangles,
  // unchanged stretches of one colour or of many, crossing rows or ending
  // the rectangle), the whole area repainted, and frames that change
  // nothing.
  const std::vector<render::Pixel> palette = GifPalette();
  std::minstd_rand random(11);
  const auto pick = [&](int low, int high) {
    return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
  };
  const auto colour = [&] {
    return palette[static_cast<std::size_t>(pick(1, static_cast<int>(palette.size()) - 1))];
  };
  for (int seed = 0; seed < 6; ++seed) {
    SCOPED_TRACE(seed);
    render::Raster frame;
    std::vector<render::Raster> frames;
    GifAnimation gif(1);
    for (int k = 0; k < 40; ++k) {
      const int kind = k == 0 ? 3 : pick(0, 4);
      if (kind < 3) {
        // Patches of one colour, or stripes of two, up to 6, 40 or 200 wide.
        const int most = kind == 0 ? 6 : kind == 1 ? 40 : 200;
        for (int n = pick(1, 4); n > 0; --n) {
          const int width = pick(1, most), height = pick(1, most);
          const int left = pick(0, render::kRasterWidth - width);
          const int top = pick(0, render::kRasterHeight - height);
          const render::Pixel a = colour(), b = pick(0, 1) != 0 ? colour() : a;
          for (int y = top; y < top + height; ++y) {
            for (int x = left; x < left + width; ++x) frame.Row(y)[x] = (x + y) % 3 != 0 ? a : b;
          }
        }
      } else if (kind == 3) {
        for (int y = 0; y < render::kRasterHeight; ++y) {
          for (int x = 0; x < render::kRasterWidth; ++x) {
            if (random() % 4 == 0) frame.Row(y)[x] = colour();
          }
        }
      }  // kind 4: no change
      frames.push_back(frame);
      gif.AddFrame(frame, 50);
    }
    const auto shown = ShownImages(gif.Finish(), 1);
    ASSERT_TRUE(shown);
    // Each frame's time on screen shows it.
    std::size_t k = 0;
    for (std::size_t i = 0; i < shown->size(); ++i) {
      for (int time = 0; time < (*shown)[i].delay; time += 5, ++k) {
        ASSERT_LT(k, frames.size());
        ASSERT_TRUE((*shown)[i].picture == frames[k]) << "image " << i << ", frame " << k;
      }
    }
    EXPECT_EQ(k, frames.size());
  }
}

TEST(Animate, StepsThatChangeNothingAddNoImage) {
  // One slot a step: an empty slot first (a black first frame), then blocks
  // drawn again where they already are, in the middle and at the end, and
  // an empty slot among them. Only steps 1, 2 and 3 change what is shown.
  const TempDir dir;
  core::PlacementLog log;
  log.Store(0, 0, 0, 0);
  log.Store(1, 10, 20, 1);
  log.Store(2, 40, 60, 3);
  log.Store(3, 10, 20, 1);
  log.Store(4, 0, 0, 0);
  log.Store(5, 40, 60, 3);
  log.Store(6, 10, 20, 1);
  log.LastIndex = 6;
  fileio::TextBuffer native;
  fileio::AppendNativeFile(native, log);
  const std::string file = dir / "again.pln";
  WriteFile(file, native.Bytes());
  ExpectEveryStepAsRendered(file, {"--every", "1"}, 1, 7, 3);
}

TEST(Animate, GridOfStampedColumnsEveryFrameAsRendered) {
  // Columns of five blocks stamped close enough that each new column covers
  // the last one's side: the sprites' transparent corners leave the colour
  // under them showing, inside the rectangle of a frame whose own colours
  // need only the lowest indices, so they must be stored transparent or in
  // a colour the frame's code size holds.
  const TempDir dir;
  std::ostringstream script;
  script << "mode Z\nsize Z 5\n";
  const char* colours[] = {"green", "blue", "red", "yellow", "white"};
  int presses = 0;
  for (int y = 10; y < 150; y += 14) {
    for (int x = 5; x < 495; x += 20) {
      if (presses % 7 == 0) script << "colour " << colours[presses / 7 % 5] << "\n";
      script << "press " << x << " " << y << "\n";
      ++presses;
    }
  }
  const std::string file = dir / "columns.pln";
  script << "file\npage save\nsave-mode native\nsave " << file << "\n";
  const auto play = RunCli({"play", "-"}, script.str());
  ASSERT_EQ(play.status, kExitOk) << play.err;
  // 250 columns, some of them partly outside the accepted cells: 1159
  // slots, so without --every 6 a frame (the slots / 200, rounded up).
  ASSERT_EQ(play.out.rfind("Count:1159 ", 0), 0u) << play.out;
  ExpectEveryStepAsRendered(file, {}, 6, 194, 194);
  // Each pixel a 2 x 2 block: a row is read twice, pixel by pixel twice.
  SCOPED_TRACE("--scale 2");
  ExpectEveryStepAsRendered(file, {}, 6, 194, 194, 2);
}

TEST(Animate, FullSpreadPictureEveryFrameAsRendered) {
  // 10001 blocks at scattered cells in the five colours: at --every 50 the
  // last frame adds one block, a small rectangle over many colours; at the
  // default pace every frame spans the whole area.
  const TempDir dir;
  core::PlacementLog log;
  std::minstd_rand random(19);
  for (std::int32_t slot = 0; slot < 10001; ++slot) {
    const auto x = static_cast<std::uint8_t>(random() % 82);
    const auto y = static_cast<std::uint8_t>(random() % 49 * 2 + x % 2);
    log.Store(slot, x, y, static_cast<std::uint8_t>(random() % 5 + 1));
  }
  log.LastIndex = 10000;
  fileio::TextBuffer native;
  fileio::AppendNativeFile(native, log);
  const std::string file = dir / "spread.pln";
  WriteFile(file, native.Bytes());
  {
    SCOPED_TRACE("--every 50");
    ExpectEveryStepAsRendered(file, {"--every", "50"}, 50, 201, 201);
  }
  {
    SCOPED_TRACE("default pace");
    ExpectEveryStepAsRendered(file, {}, 51, 197, 197);
  }
}

}  // namespace
}  // namespace palorin::cli
