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
#include <vector>

#include "base/error.h"
#include "cli/cli.h"
#include "cli/gif_out.h"
#include "core/placement_log.h"
#include "fileio/block_text.h"
#include "fileio/text_buffer.h"
#include "render/bmp.h"
#include "render/raster.h"
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

// The drawing area as each frame of a GIF at scale 1 shows it: each frame's
// rectangle painted over the one before, but for its transparent pixels.
// Nothing if giflib refuses the file or a frame does not fit the area.
std::optional<std::vector<render::Raster>> ShownFrames(const std::string& bytes) {
  std::string_view rest(bytes);
  int error = 0;
  GifFileType* gif = DGifOpen(&rest, ReadFromView, &error);
  if (gif == nullptr) return std::nullopt;
  std::optional<std::vector<render::Raster>> frames;
  if (DGifSlurp(gif) == GIF_OK && gif->SColorMap != nullptr &&
      gif->SWidth == render::kRasterWidth && gif->SHeight == render::kRasterHeight) {
    std::vector<render::Pixel> palette;
    for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
      const GifColorType c = gif->SColorMap->Colors[i];
      palette.push_back(render::Rgb(c.Red, c.Green, c.Blue));
    }
    frames.emplace();
    render::Raster shown;
    for (int i = 0; i < gif->ImageCount && frames; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      const GifImageDesc& desc = image.ImageDesc;
      GraphicsControlBlock control{};
      DGifSavedExtensionToGCB(gif, i, &control);
      if (desc.Left < 0 || desc.Top < 0 || desc.Left + desc.Width > render::kRasterWidth ||
          desc.Top + desc.Height > render::kRasterHeight) {
        frames.reset();
        break;
      }
      for (int y = 0; y < desc.Height && frames; ++y) {
        for (int x = 0; x < desc.Width; ++x) {
          const int index = image.RasterBits[y * desc.Width + x];
          if (index == control.TransparentColor) continue;
          if (index >= static_cast<int>(palette.size())) {
            frames.reset();
            break;
          }
          shown.Row(desc.Top + y)[desc.Left + x] = palette[static_cast<std::size_t>(index)];
        }
      }
      if (frames) frames->push_back(shown);
    }
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

// Runs animate on `file` and compares every frame with render --upto of its
// last slot, the last frame with render; the number of frames must be
// `frames`.
void ExpectEveryFrameAsRendered(const std::string& file, const std::vector<std::string>& options,
                                int every, std::size_t frames) {
  std::vector<std::string> args{"animate"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(file);
  const auto run = RunCli(args);
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const auto shown = ShownFrames(run.out);
  ASSERT_TRUE(shown);
  ASSERT_EQ(shown->size(), frames);
  for (std::size_t k = 1; k <= frames; ++k) {
    std::vector<std::string> render{"render"};
    if (k < frames) render.insert(render.end(), {"--upto", std::to_string(k * every - 1)});
    render.push_back(file);
    const std::string difference =
        BmpDifference(render::EncodeBmp((*shown)[k - 1]), RunCli(render).out);
    // Every later frame is drawn over this one: the first wrong frame says it all.
    if (!difference.empty()) {
      ADD_FAILURE() << "frame " << k << " of " << frames << ": " << difference;
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
}

TEST(GifLzw, NoIndexBeyondTheCodeSizeGoesIn) {
  // Two bits hold indices 0..3; 5 would go out as 1, another colour.
  LzwWriter writer;
  writer.Begin(2);
  writer.PutRun(1, 2);  // the table now holds "1 1", the string is "1"
  EXPECT_FALSE(writer.Extend(5));
  EXPECT_EQ(writer.Skip(5, 4), 0u);
  EXPECT_THROW(writer.Put(5), Error);
  EXPECT_TRUE(writer.Extend(1));
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
  ExpectEveryFrameAsRendered(file, {}, 6, 194);
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
    ExpectEveryFrameAsRendered(file, {"--every", "50"}, 50, 201);
  }
  {
    SCOPED_TRACE("default pace");
    ExpectEveryFrameAsRendered(file, {}, 51, 197);
  }
}

}  // namespace
}  // namespace palorin::cli
