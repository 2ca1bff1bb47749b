// The tool's commands run in-process on the fixtures in data/.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>

#include "cli/cli.h"
#include "cli/script.h"
#include "fileio/block_text.h"
#include "render/bmp.h"
#include "render/raster.h"
#include "test_util.h"

namespace palorin::cli {
namespace {

using test::CopyData;
using test::DataPath;
using test::ReadFile;
using test::RunCli;
using test::ScopedCwd;
using test::TempDir;
using test::WriteFile;

// The BMP of small.pln (six blocks in the five colours and one empty slot),
// checked once by eye.
constexpr std::uint64_t kSmallBmpChecksum = 0x1437945a629bfa39ull;

std::string BlackBmp() { return render::EncodeBmp(render::Raster()); }

// The drawing area a script leaves, as the BMP play writes.
std::string PictureOf(const std::string& script, const TempDir& dir) {
  const std::string bmp = dir / "picture-of.bmp";
  const auto run = RunCli({"play", "--bmp", bmp, script});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  return ReadFile(bmp);
}

std::string PictureOfLines(const std::string& lines, const TempDir& dir) {
  const std::string script = dir / "lines.play";
  WriteFile(script, lines);
  return PictureOf(script, dir);
}

TEST(Play, UnDoReDoScriptsTraceTheLogsPositionsStepByStep) {
  for (const char* name :
       {"undo_then_place", "undo_past_the_start", "redo_past_the_end", "reset_after_undo"}) {
    SCOPED_TRACE(name);
    const TempDir dir;
    const std::string script = DataPath(std::string(name) + ".play");
    const auto run = RunCli({"play", "--trace", script});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, ReadFile(DataPath(std::string(name) + ".trace")));

    // The picture at the end is that of the blocks left shown, drawn directly.
    const std::string picture = PictureOf(script, dir);
    EXPECT_EQ(picture, PictureOf(DataPath(std::string(name) + "_picture.play"), dir));
    EXPECT_NE(picture, BlackBmp());
  }
}

TEST(Play, SavesAndLoadsACompatibleSeriesThroughTheFileWindow) {
  const TempDir dir;
  CopyData(dir, {"wide.pln"});
  const ScopedCwd cwd(dir.path());
  const auto run = RunCli({"play", "--trace", "--bmp", "after.bmp", DataPath("series.play")});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, ReadFile(DataPath("series.trace")));
  // The parts are those of the fixture series, whichever order they were saved in.
  EXPECT_EQ(ReadFile("out_1.txt"), ReadFile(DataPath("wide_1.txt")));
  EXPECT_EQ(ReadFile("out_2.txt"), ReadFile(DataPath("wide_2.txt")));
  // Loaded back after a ReSet, the series shows the whole picture again.
  EXPECT_EQ(ReadFile("after.bmp"), RunCli({"render", DataPath("wide.pln")}).out);
}

TEST(Play, PrintsOnlyErrorsAndTheFinalStateWithoutTrace) {
  const auto run = RunCli({"play"}, "press 100 100\nstep x\nundo\nredo\n");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out,
            "error: 'x' は整数ではありません.\n"
            "Count:0 X:16 Y:32 LogPos=1 LastIndex=0 AfterStep=0 File=hidden WriteParts=0 "
            "Saved=00000 ReadParts=0 Loaded=00000\n");
}

TEST(Play, EndStopsTheScript) {
  const TempDir dir;
  const std::string bmp = dir / "end.bmp";
  const auto run = RunCli({"play", "--trace", "--bmp", bmp, "-"},
                          "press 100 100\nend\npress 124 100\nnot a line\n");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out,
            "Count:0 X:16 Y:32 LogPos=1 LastIndex=0 AfterStep=0 File=hidden WriteParts=0 "
            "Saved=00000 ReadParts=0 Loaded=00000\n"
            "Count:0 X:16 Y:32 LogPos=1 LastIndex=0 AfterStep=0 File=hidden WriteParts=0 "
            "Saved=00000 ReadParts=0 Loaded=00000\n");
  EXPECT_EQ(ReadFile(bmp), PictureOfLines("press 100 100\n", dir));
}

TEST(Play, StopsWithStatusTwoAtALineItCannotRun) {
  struct Case {
    std::string script;
    std::string err;
    int traceLines;
  };
  const Case cases[] = {
      {"press 100 100\n# note\n\nfrobnicate\npress 1 1\n",
       "palorin-cli play: line 4: unknown action \"frobnicate\"\n", 1},
      {"undo\r\nredo\r\nsize X 2\r\n",
       "palorin-cli play: line 3: the size box X is disabled in this mode\n", 2},
      {"save-mode bmp\n",
       "palorin-cli play: line 1: save-mode: the file window is not shown (\"file\" shows it)\n",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const TempDir dir;
    const std::string bmp = dir / "never.bmp";
    const auto run = RunCli({"play", "--trace", "--bmp", bmp}, c.script);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), c.traceLines);
    EXPECT_FALSE(std::filesystem::exists(bmp));
  }
}

TEST(Cli, GivesHelpForTheToolAndEachCommand) {
  const std::vector<std::vector<std::string>> cases = {
      {"--help"},           {"-h"},           {"help"},
      {"render", "--help"}, {"info", "-h"},   {"convert", "--help"},
      {"play", "--help"},   {"help", "play"}, {"render", "-o", "x.gif", "-h"},
      {"animate", "--help"}};
  for (const auto& args : cases) {
    SCOPED_TRACE(args.front() + " " + args.back());
    const auto run = RunCli(args);
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out.rfind("Usage: palorin-cli", 0), 0u);
    EXPECT_EQ(run.err, "");
  }
  const std::string playHelp = RunCli({"help", "play"}).out;
  EXPECT_NE(playHelp.find("save-mode compat|native|bmp"), std::string::npos);
  // Every action of the editor a script can name, with its keys.
  for (const forms::ActionRow& row : forms::Actions()) {
    if (!IsPlayVerb(row)) continue;
    const std::string entry = "\n  " + std::string(row.verb) + " ";
    EXPECT_NE(playHelp.find(entry), std::string::npos) << row.verb;
    for (const std::string_view keys : row.keys) {
      if (keys.empty()) continue;
      EXPECT_NE(playHelp.find(keys, playHelp.find(entry)), std::string::npos) << row.verb;
    }
  }
}

TEST(Cli, RefusesBadArgumentsWithStatusTwo) {
  const std::string small = DataPath("small.pln");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "Usage: palorin-cli"},
      {{"draw", small}, "palorin-cli: unknown command 'draw'"},
      {{"render"}, "palorin-cli render: no FILE given"},
      {{"render", "--frob", small}, "palorin-cli render: unknown option '--frob'"},
      {{"render", "-o"}, "palorin-cli render: option '-o' needs a value"},
      {{"render", "-o", "a.bmp", "-o", "b.bmp", small}, "option --output given twice"},
      {{"render", "-o", "x.gif", small}, "OUT must end in .bmp or .png: x.gif"},
      {{"render", "--upto", "-1", small}, "--upto needs a slot number of 0 or more: -1"},
      {{"render", "--upto=ten", small}, "--upto needs a slot number of 0 or more: ten"},
      {{"info"}, "palorin-cli info: no FILE given"},
      {{"convert", "-o", "x.pln", small}, "--to native|compat is required"},
      {{"convert", "--to", "bmp", "-o", "x.bmp", small}, "--to must be native or compat"},
      {{"convert", "--to", "native", small}, "-o OUT is required"},
      {{"convert", "--to", "native", "-o", "x.pln"}, "no FILE given"},
      {{"play", "a.play", "b.play"}, "more than one SCRIPT given"},
      {{"play", "--trace=yes"}, "option --trace takes no value"},
      {{"render", "--scale", "9", small}, "--scale needs a factor from 1 to 8: 9"},
      {{"animate"}, "palorin-cli animate: no FILE given"},
      {{"animate", "-o", "x.png", small}, "OUT must end in .gif: x.png"},
      {{"animate", "--every", "0", small}, "--every needs a slot count from 1 to 10004: 0"},
      {{"animate", "--delay=19", small}, "--delay needs milliseconds from 20 to 655350: 19"},
      {{"animate", "--hold", "2s", small}, "--hold needs milliseconds from 20 to 655350: 2s"},
      {{"link", small}, "palorin-cli link: --base URL is needed"},
      {{"link", "--base", "p.html#x", small}, "the base URL already has a fragment"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    const auto run = RunCli(args);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

TEST(Cli, FailsWithStatusOneOnFilesItCannotReadOrWrite) {
  const TempDir dir;
  const std::string missing = dir / "missing.pln";
  const std::string notBlocks = dir / "notes.txt";
  WriteFile(notBlocks, "[Var]:HELLO!!\r\n[Count]:    1\r\n");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"render", "-o", dir / "a.bmp", missing},
       "palorin-cli render: error: ﾌｧｲﾙ " + missing + " は開けません.\n"},
      {{"render", "-o", dir / "a.bmp", notBlocks},
       "palorin-cli render: " + notBlocks + ": not a block picture file (tag HELLO!!)\n"},
      {{"render", "-o", dir / "a.bmp", DataPath("wide_2.txt")},
       "palorin-cli render: incomplete series: loaded " + DataPath("wide_2.txt") +
           "; missing part 1 of 2\n"},
      {{"convert", "--to", "native", "-o", dir / "a.pln", missing},
       "palorin-cli convert: error: ﾌｧｲﾙ " + missing + " は開けません.\n"},
      {{"render", "-o", dir / "no/such/folder.bmp", DataPath("small.pln")},
       "palorin-cli render: cannot create " + (dir / "no/such/folder.bmp") + "\n"},
      {{"play", missing}, "palorin-cli play: cannot read " + missing + "\n"},
      {{"animate", "-o", dir / "a.gif", missing},
       "palorin-cli animate: error: ﾌｧｲﾙ " + missing + " は開けません.\n"},
      {{"animate", "-o", dir / "a.gif", DataPath("wide_2.txt")},
       "palorin-cli animate: incomplete series: loaded " + DataPath("wide_2.txt") +
           "; missing part 1 of 2\n"},
      {{"play", "--bmp", dir / "no/such.bmp", DataPath("undo_then_place.play")},
       "palorin-cli play: cannot create " + (dir / "no/such.bmp") + "\n"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    const auto run = RunCli(args);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, message);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "a.bmp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "a.pln"));
  EXPECT_FALSE(std::filesystem::exists(dir / "a.gif"));
}

TEST(Render, WritesTheBmpSaveModesBytes) {
  const TempDir dir;
  CopyData(dir, {"small.pln"});
  const ScopedCwd cwd(dir.path());
  const auto run = RunCli({"render", "-o", "small.bmp", "small.pln"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "");
  const std::string bmp = ReadFile("small.bmp");
  EXPECT_EQ(bmp.size(), render::kBmpFileSize);
  EXPECT_EQ(test::Fnv1a64(bmp), kSmallBmpChecksum);

  // The same picture saved by the file window in its BMP mode.
  const auto saved =
      RunCli({"play"}, "load small.pln\nfile\npage save\nsave-mode bmp\nsave from-window\n");
  ASSERT_EQ(saved.status, kExitOk) << saved.err;
  EXPECT_EQ(ReadFile("from-window.bmp"), bmp);

  // Without -o the BMP goes to standard output, but never onto a terminal.
  EXPECT_EQ(RunCli({"render", "small.pln"}).out, bmp);
  const auto terminal = RunCli({"render", "small.pln"}, {}, true);
  EXPECT_EQ(terminal.status, kExitUsage);
  EXPECT_EQ(terminal.out, "");
}

// Decodes a PNG into 0xffRRGGBB pixels with libpng.
std::vector<std::uint32_t> DecodePng(const std::string& bytes, png_uint_32& width,
                                     png_uint_32& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  width = image.width;
  height = image.height;
  return pixels;
}

TEST(Render, WritesAPngOfTheSamePixels) {
  const TempDir dir;
  const std::string png = dir / "wide.PNG";
  const auto run = RunCli({"render", "-o", png, DataPath("wide.pln")});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  png_uint_32 width = 0, height = 0;
  const auto pixels = DecodePng(ReadFile(png), width, height);
  ASSERT_EQ(width, 500u);
  ASSERT_EQ(height, 308u);

  // Compare with the BMP of the same render, bottom row first, B G R.
  const std::string bmp = RunCli({"render", DataPath("wide.pln")}).out;
  ASSERT_EQ(bmp.size(), render::kBmpFileSize);
  std::size_t differing = 0;
  std::size_t coloured = 0;
  for (std::size_t y = 0; y < 308; ++y) {
    const char* row = bmp.data() + 54 + (307 - y) * 1500;
    for (std::size_t x = 0; x < 500; ++x) {
      const auto byte = [&](int i) { return static_cast<unsigned char>(row[x * 3 + i]); };
      const std::uint32_t expected =
          0xff000000u | (std::uint32_t{byte(2)} << 16) | (std::uint32_t{byte(1)} << 8) | byte(0);
      if (pixels[y * 500 + x] != expected) ++differing;
      if (expected != render::kBlack) ++coloured;
    }
  }
  EXPECT_EQ(differing, 0u);
  EXPECT_GT(coloured, 10000u);
}

TEST(Render, UptoShowsThePictureAsItStoodAfterThatEntry) {
  const TempDir dir;
  const auto upto = [&](const std::string& file, const std::string& n) {
    const auto run = RunCli({"render", "--upto", n, DataPath(file)});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    return run.out;
  };
  // wide.pln: slots 0..1229 are the blue slab of its first press.
  EXPECT_EQ(upto("wide.pln", "1229"),
            PictureOfLines("mode XY\nsize X 50\nsize Y 50\npress 250 150\n", dir));
  EXPECT_EQ(upto("small.pln", "0"), PictureOfLines("press 100 100\n", dir));
  const std::string whole = RunCli({"render", DataPath("small.pln")}).out;
  EXPECT_EQ(upto("small.pln", "6"), whole);
  EXPECT_EQ(upto("small.pln", "10003"), whole);
  EXPECT_NE(upto("small.pln", "4"), whole);
  // A series loaded part 2 first replays the same prefix.
  const auto series =
      RunCli({"render", "--upto=1229", DataPath("wide_2.txt"), DataPath("wide_1.txt")});
  EXPECT_EQ(series.out, upto("wide.pln", "1229"));
}

TEST(Render, LoadsFilesOverEachOtherInTheGivenOrder) {
  const TempDir dir;
  // A series and a native file: both replays land on one picture, as in the
  // editor, where a load draws over what is shown.
  const auto run =
      RunCli({"render", DataPath("wide_1.txt"), DataPath("small.pln"), DataPath("wide_2.txt")});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out,
            PictureOfLines("load " + DataPath("wide_1.txt") + "\nload " + DataPath("small.pln") +
                               "\nload " + DataPath("wide_2.txt") + "\n",
                           dir));
  EXPECT_NE(run.out, RunCli({"render", DataPath("wide.pln")}).out);
}

// A decoded picture: 0xffRRGGBB pixels, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  friend bool operator==(const Picture&, const Picture&) = default;
};
void PrintTo(const Picture& p, std::ostream* os) { *os << p.width << " x " << p.height; }

// The pixels of a 24-bit BMP of any size (render --scale writes larger ones).
Picture BmpPicture(const std::string& bmp) {
  const auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bmp[at + i]);
    return v;
  };
  if (bmp.size() < 54) return {};
  Picture p{static_cast<int>(u32(18)), static_cast<int>(u32(22)), {}};
  const std::size_t stride = (static_cast<std::size_t>(p.width) * 3 + 3) / 4 * 4;
  if (bmp.size() != 54 + stride * p.height) return {};
  for (int y = 0; y < p.height; ++y) {
    const char* row = bmp.data() + 54 + (p.height - 1 - y) * stride;
    for (int x = 0; x < p.width; ++x) {
      const auto byte = [&](int i) {
        return std::uint32_t{static_cast<unsigned char>(row[x * 3 + i])};
      };
      p.pixels.push_back(0xff000000u | byte(2) << 16 | byte(1) << 8 | byte(0));
    }
  }
  return p;
}

// What giflib reads back from an animation: the screen, the global palette,
// the loop flag and every frame as stored and as shown (each frame's
// rectangle painted over the frame before, but for its transparent pixels).
struct DecodedGif {
  struct Frame {
    int left, top, width, height;
    int delay;  // hundredths of a second
    int disposal;
    Picture shown;
  };
  std::vector<std::uint32_t> palette;
  bool loopsForever = false;
  bool localPalettes = false;
  std::vector<Frame> frames;
};

int ReadFromView(GifFileType* gif, GifByteType* buffer, int length) {
  auto* rest = static_cast<std::string_view*>(gif->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(length), rest->size());
  std::memcpy(buffer, rest->data(), n);
  rest->remove_prefix(n);
  return static_cast<int>(n);
}

std::optional<DecodedGif> DecodeGif(const std::string& bytes) {
  std::string_view rest(bytes);
  int error = 0;
  GifFileType* gif = DGifOpen(&rest, ReadFromView, &error);
  if (gif == nullptr) return std::nullopt;
  std::optional<DecodedGif> decoded;
  if (DGifSlurp(gif) == GIF_OK && gif->SColorMap != nullptr) {
    DecodedGif d;
    for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
      const GifColorType c = gif->SColorMap->Colors[i];
      d.palette.push_back(0xff000000u | std::uint32_t{c.Red} << 16 | std::uint32_t{c.Green} << 8 |
                          c.Blue);
    }
    Picture shown{gif->SWidth, gif->SHeight,
                  std::vector<std::uint32_t>(static_cast<std::size_t>(gif->SWidth) * gif->SHeight)};
    bool fits = true;
    for (int i = 0; i < gif->ImageCount && fits; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      const GifImageDesc& desc = image.ImageDesc;
      if (desc.ColorMap != nullptr) d.localPalettes = true;
      // The loop: "NETSCAPE2.0", then sub-block 1 with loop count 0.
      for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
        const ExtensionBlock& app = image.ExtensionBlocks[e];
        const ExtensionBlock& data = image.ExtensionBlocks[e + 1];
        if (i == 0 && app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
            std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 &&
            data.Bytes[0] == 1 && data.Bytes[1] == 0 && data.Bytes[2] == 0) {
          d.loopsForever = true;
        }
      }
      GraphicsControlBlock control{};
      DGifSavedExtensionToGCB(gif, i, &control);
      fits = desc.Left >= 0 && desc.Top >= 0 && desc.Left + desc.Width <= shown.width &&
             desc.Top + desc.Height <= shown.height;
      for (int y = 0; y < desc.Height && fits; ++y) {
        for (int x = 0; x < desc.Width; ++x) {
          const int index = image.RasterBits[y * desc.Width + x];
          if (index == control.TransparentColor) continue;  // the frame before shows through
          fits = fits && index < static_cast<int>(d.palette.size());
          if (fits) shown.pixels[(desc.Top + y) * shown.width + desc.Left + x] = d.palette[index];
        }
      }
      d.frames.push_back({desc.Left, desc.Top, desc.Width, desc.Height, control.DelayTime,
                          control.DisposalMode, shown});
    }
    if (fits) decoded = std::move(d);
  }
  DGifCloseFile(gif, &error);
  return decoded;
}

TEST(Animate, EveryFrameIsTheLogReplayedAsRenderUptoShowsIt) {
  struct Case {
    std::vector<std::string> files;
    std::vector<std::string> options;
    std::size_t steps, images;
    int every;
    int delay, hold;  // hundredths of a second
    std::size_t maxBytes;
  };
  constexpr std::size_t kAnySize = std::numeric_limits<std::size_t>::max();
  const Case cases[] = {
      {{"wide.pln"},
       {"--every", "300", "--delay", "30", "--hold", "1000"},
       9,
       9,
       300,
       3,
       100,
       kAnySize},
      // Without --every: the 2699 slots replayed / 200, rounded up.
      {{"wide.pln"}, {}, 193, 193, 14, 5, 200, kAnySize},
      // small.pln's empty slot changes nothing: it adds no image, the one
      // before is shown for its time too.
      {{"small.pln"}, {"--every=1"}, 7, 6, 1, 5, 200, kAnySize},
      // Files loaded over each other: the frames replay the log into a cleared
      // drawing area; only the last one shows what loading left.
      {{"wide_1.txt", "small.pln", "wide_2.txt"},
       {"--every", "1000"},
       3,
       3,
       1000,
       5,
       200,
       kAnySize},
      // 2000 blocks at scattered cells: each frame's ten blocks span nearly
      // the whole area, yet its unchanged pixels cost next to nothing (stored
      // whole, the rectangles came to 3.3 MB; gifsicle -O3 makes 209 KB).
      {{"scattered.pln"}, {"--every", "10"}, 200, 200, 10, 5, 200, 230'000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.files.front() + " " + std::to_string(c.every));
    std::vector<std::string> paths;
    for (const std::string& f : c.files) paths.push_back(DataPath(f));
    const auto render = [&](std::vector<std::string> args) {
      args.insert(args.end(), paths.begin(), paths.end());
      return BmpPicture(RunCli(args).out);
    };
    std::vector<std::string> args{"animate"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), paths.begin(), paths.end());
    const auto run = RunCli(args);
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const std::optional<DecodedGif> gif = DecodeGif(run.out);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->frames.size(), c.images);
    EXPECT_LE(run.out.size(), c.maxBytes);

    // One global palette, looping: black, then the block colours the
    // animation shows, each once; black fills the table up to a power of two.
    std::set<std::uint32_t> shownColours{render::kBlack};
    for (const DecodedGif::Frame& f : gif->frames) {
      shownColours.insert(f.shown.pixels.begin(), f.shown.pixels.end());
    }
    const std::size_t tableSize = gif->palette.size();
    EXPECT_TRUE(tableSize >= 2 && tableSize <= 16 && (tableSize & (tableSize - 1)) == 0);
    EXPECT_EQ(gif->palette.front(), render::kBlack);
    const auto firstPadding =
        std::find(gif->palette.begin() + 1, gif->palette.end(), render::kBlack);
    EXPECT_EQ(std::set<std::uint32_t>(gif->palette.begin(), firstPadding), shownColours);
    EXPECT_EQ(static_cast<std::size_t>(firstPadding - gif->palette.begin()), shownColours.size());
    EXPECT_TRUE(std::all_of(firstPadding, gif->palette.end(),
                            [](std::uint32_t c) { return c == render::kBlack; }));
    EXPECT_FALSE(gif->localPalettes);
    EXPECT_TRUE(gif->loopsForever);

    // Each image starts as a step does; the image on screen when step k
    // starts: every step of a short animation, three of a long one.
    std::vector<int> starts;
    int total = 0;
    for (const DecodedGif::Frame& f : gif->frames) {
      EXPECT_EQ(total % c.delay, 0) << "an image starting at " << total;
      starts.push_back(total);
      total += f.delay;
    }
    EXPECT_EQ(total, static_cast<int>(c.steps - 1) * c.delay + c.hold);
    const auto shownAtStep = [&](std::size_t k) -> const Picture& {
      const int time = static_cast<int>(k - 1) * c.delay;
      const auto after = std::upper_bound(starts.begin(), starts.end(), time);
      return gif->frames[static_cast<std::size_t>(after - starts.begin()) - 1].shown;
    };
    std::vector<std::size_t> checked{1, c.steps / 2, c.steps - 1};
    if (c.steps <= 10) {
      checked.clear();
      for (std::size_t k = 1; k < c.steps; ++k) checked.push_back(k);
    }
    for (const std::size_t k : checked) {
      SCOPED_TRACE(k);
      EXPECT_EQ(shownAtStep(k), render({"render", "--upto", std::to_string(k * c.every - 1)}));
    }
    EXPECT_EQ(shownAtStep(c.steps), render({"render"}));
    EXPECT_EQ(gif->frames.back().shown, render({"render"}));

    // The first frame is stored whole, each later one as the smallest
    // rectangle holding its changes; every frame is left in place.
    for (std::size_t i = 0; i < gif->frames.size(); ++i) {
      const DecodedGif::Frame& f = gif->frames[i];
      int left = 0, top = 0, right = 499, bottom = 307;
      if (i > 0) {
        left = 500, top = 308, right = -1, bottom = -1;
        for (int y = 0; y < 308; ++y) {
          for (int x = 0; x < 500; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * 500 + x;
            if (f.shown.pixels[at] == gif->frames[i - 1].shown.pixels[at]) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
          }
        }
        EXPECT_GE(right, 0) << "image " << i << " changes nothing";
      }
      EXPECT_EQ((std::vector<int>{f.left, f.top, f.width, f.height}),
                (std::vector<int>{left, top, right - left + 1, bottom - top + 1}))
          << "frame " << i;
      EXPECT_EQ(f.disposal, DISPOSE_DO_NOT);
    }
  }
}

TEST(Animate, WritesToStandardOutputButNeverOntoATerminal) {
  const TempDir dir;
  const std::string gif = dir / "small.GIF";
  ASSERT_EQ(RunCli({"animate", "-o", gif, DataPath("small.pln")}).status, kExitOk);
  EXPECT_EQ(RunCli({"animate", DataPath("small.pln")}).out, ReadFile(gif));
  const auto terminal = RunCli({"animate", DataPath("small.pln")}, {}, true);
  EXPECT_EQ(terminal.status, kExitUsage);
  EXPECT_EQ(terminal.out, "");
}

TEST(Scale, EachPixelBecomesAKByKBlock) {
  const TempDir dir;
  const std::string wide = DataPath("wide.pln");
  const Picture one = BmpPicture(RunCli({"render", wide}).out);
  const Picture first = BmpPicture(RunCli({"render", "--upto", "999", wide}).out);
  const auto expectEnlarged = [](const Picture& big, const Picture& small) {
    ASSERT_EQ(big.width, small.width * 3);
    ASSERT_EQ(big.height, small.height * 3);
    std::size_t differing = 0;
    for (int y = 0; y < big.height; ++y) {
      for (int x = 0; x < big.width; ++x) {
        differing += big.pixels[static_cast<std::size_t>(y) * big.width + x] !=
                     small.pixels[static_cast<std::size_t>(y / 3) * small.width + x / 3];
      }
    }
    EXPECT_EQ(differing, 0u);
  };
  SCOPED_TRACE("render BMP");
  expectEnlarged(BmpPicture(RunCli({"render", "--scale", "3", wide}).out), one);

  SCOPED_TRACE("render PNG");
  const std::string png = dir / "wide.png";
  ASSERT_EQ(RunCli({"render", "--scale=3", "-o", png, wide}).status, kExitOk);
  png_uint_32 width = 0, height = 0;
  Picture fromPng;
  fromPng.pixels = DecodePng(ReadFile(png), width, height);
  fromPng.width = static_cast<int>(width);
  fromPng.height = static_cast<int>(height);
  expectEnlarged(fromPng, one);

  SCOPED_TRACE("animate");
  const auto gif = DecodeGif(RunCli({"animate", "--scale", "3", "--every", "1000", wide}).out);
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->frames.size(), 3u);
  expectEnlarged(gif->frames.front().shown, first);
  expectEnlarged(gif->frames.back().shown, one);
}

TEST(Link, AFullPictureSpreadOverTheAreaFitsInALink) {
  // 10001 blocks at random cells in random colours: nothing repeats for
  // the compression to find, so the bits an entry decide the length.
  const TempDir dir;
  core::PlacementLog log;
  std::uint32_t seed = 20261207;
  const auto next = [&seed](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  for (int i = 0; i <= 10000; ++i) {
    log.Store(i, static_cast<std::uint8_t>(next(82)), static_cast<std::uint8_t>(next(99)),
              static_cast<std::uint8_t>(1 + next(5)));
  }
  log.LastIndex = 10000;
  fileio::TextBuffer native;
  fileio::AppendNativeFile(native, log);
  const std::string file = dir / "spread.pln";
  WriteFile(file, native.Bytes());
  const auto run = RunCli({"link", "--base", "https://example.org/palorin/", file});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out.rfind("https://example.org/palorin/#p2.", 0), 0u);
  EXPECT_LT(run.out.size(), 36000u);
  EXPECT_EQ(run.out.find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_\n",
                run.out.find("#p2.") + 4),
            std::string::npos);
}

TEST(Info, ReportsHeadersEntriesAndSeriesCompleteness) {
  const TempDir dir;
  const std::string notBlocks = dir / "notes.txt";
  WriteFile(notBlocks, "[Var]:HI THERE\r\n[Count]:    1\r\n");
  const ScopedCwd cwd(PALORIN_TEST_DATA_DIR);

  const auto series = RunCli({"info", "wide_2.txt", "small.pln", "wide_1.txt"});
  EXPECT_EQ(series.status, kExitOk) << series.err;
  EXPECT_EQ(series.out,
            "wide_2.txt: tag=BRW_001 count=2698 part=2 flag=1 entries=699 series=complete\n"
            "small.pln: tag=PLN_001 count=6 entries=7\n"
            "wide_1.txt: tag=BRW_001 count=2698 part=1 flag=2 entries=2000 series=complete\n");

  const auto half = RunCli({"info", "wide_1.txt", "wide_1.txt"});
  EXPECT_EQ(half.status, kExitOk);
  EXPECT_EQ(half.out,
            "wide_1.txt: tag=BRW_001 count=2698 part=1 flag=2 entries=2000 series=incomplete\n"
            "wide_1.txt: tag=BRW_001 count=2698 part=1 flag=2 entries=2000 series=incomplete\n");

  const auto bad = RunCli({"info", "small.pln", notBlocks, "missing.pln"});
  EXPECT_EQ(bad.status, kExitFailure);
  EXPECT_EQ(bad.out, "small.pln: tag=PLN_001 count=6 entries=7\n" + notBlocks +
                         ": tag=HI\\x20THER not a block picture file\n"
                         "missing.pln: error: ﾌｧｲﾙ missing.pln は開けません.\n");
}

TEST(Convert, WritesTheNativeFileOfALoadedSeries) {
  const TempDir dir;
  const ScopedCwd cwd(dir.path());
  const auto run = RunCli({"convert", "--to", "native", "-o", "joined", DataPath("wide_2.txt"),
                           DataPath("wide_1.txt")});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "joined.pln\n");
  EXPECT_EQ(ReadFile("joined.pln"), ReadFile(DataPath("wide.pln")));
}

TEST(Convert, WritesACompatibleSeriesPartByPart) {
  const TempDir dir;
  const ScopedCwd cwd(dir.path());
  const auto run =
      RunCli({"convert", "--to", "compat", "-o", "v1.0/split.txt", DataPath("wide.pln")});
  EXPECT_EQ(run.status, kExitFailure);  // the folder does not exist yet
  std::filesystem::create_directory("v1.0");
  const auto again =
      RunCli({"convert", "--to=compat", "-o", "v1.0/split.txt", DataPath("wide.pln")});
  ASSERT_EQ(again.status, kExitOk) << again.err;
  EXPECT_EQ(again.out, "v1.0/split_1.txt\nv1.0/split_2.txt\n");
  EXPECT_EQ(ReadFile("v1.0/split_1.txt"), ReadFile(DataPath("wide_1.txt")));
  EXPECT_EQ(ReadFile("v1.0/split_2.txt"), ReadFile(DataPath("wide_2.txt")));
}

TEST(Convert, WritesAOnePartPictureAtTheNameGiven) {
  const TempDir dir;
  const ScopedCwd cwd(dir.path());
  const auto run = RunCli({"convert", "--to", "compat", "-o", "one", DataPath("small.pln")});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "one.txt\n");
  EXPECT_EQ(ReadFile("one.txt"),
            "======================================================================\r\n"
            "[Var]:BRW_001\r\n"
            "[Writing OS]:Win32\r\n"
            "[Browser]:None\r\n"
            "[Count]:    6\r\n"
            "[No]:1\r\n"
            "[fflug]:1\r\n"
            "[DSection]\r\n"
            "16321203222432316424204250000024421\r\n"
            "****\r\n");
  // And back: the one part renders as the native file does.
  EXPECT_EQ(RunCli({"render", "one.txt"}).out, RunCli({"render", DataPath("small.pln")}).out);
}

}  // namespace
}  // namespace palorin::cli
