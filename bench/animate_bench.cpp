// `palorin-cli animate` encoded in-process, beside its yardstick in the same
// run: the same frames replayed the way `render --upto` draws them (clear the
// drawing area, replay slots 0..N) without encoding, and beside gifsicle -O3
// run on the tool's own file, the size to beat.
//
// BM_Animate and BM_ReplayYardstick take a full picture (all 10004 log
// slots) at several --every values; 10004 slots at 50 a frame make 201
// frames, and time per frame shows how the whole grows. The *Kind benchmarks
// take ten pictures of five kinds at the tool's defaults (most about 200 frames):
//   0 spread:  10001 blocks at scattered cells all over the drawing area, so
//     every frame changes pixels from one edge to the other;
//   1 bands:   1640 blocks in ten stamped boxes, diagonal bands across it;
//   2 corner:  40 single blocks in the top left corner, one per frame;
//   3 shells:  six large stamped box shells, about 4700 blocks;
//   4 columns: a grid of stamped columns of four blocks, each covering a
//     side of the one before, about 1800 blocks;
//   5 to 8 random columns: grids of random spacing, height and colours
//     (RandomPicture kind 4, seeds 25, 27, 48 and 49), on which the tool
//     lost to gifsicle -O3 or came within a few bytes of it;
//   9 random corner (RandomPicture kind 2, seed 131): five frames of blocks
//     of two colours, on which a colour table of all 16 colours lost.
// BM_GifsicleRandom takes random pictures of the five kinds (sizes, places,
// colours and orders drawn from the seed) beside gifsicle -O3.
// gif_bytes is the size of the tool's file, gifsicle_bytes that of gifsicle
// -O3 run on it (BM_GifsicleKind, timed by the CPU time of the gifsicle
// process; skipped when gifsicle is not installed).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "cli/animate.h"
#include "core/history.h"
#include "core/scene.h"
#include "core/stamp.h"

namespace {

namespace core = palorin::core;

// Every slot holds a block, colours and cells cycling over the lattice (the
// picture cli_bench saves); the drawing area is what loading it shows.
const core::Scene& FullPicture() {
  static const core::Scene scene = [] {
    core::Scene s;
    for (std::int32_t slot = 0; slot < core::kLogSlots; ++slot) {
      const auto x = static_cast<std::uint8_t>(slot % 82);
      const auto y = static_cast<std::uint8_t>((slot / 82) % 49 * 2 + x % 2);
      s.log.Store(slot, x, y, static_cast<std::uint8_t>(slot % 5 + 1));
    }
    s.log.LogPos = core::kLastSlot;
    s.log.LastIndex = core::kLastSlot;
    core::ReDraw(s, s.log.LastIndex);
    return s;
  }();
  return scene;
}

// The log ends at `slots` - 1, as a picture of that many blocks loads.
void Finish(core::Scene& s, std::int32_t slots) {
  s.log.LogPos = slots;
  s.log.LastIndex = slots - 1;
  core::ReDraw(s, s.log.LastIndex);
}

core::Scene SpreadPicture() {
  core::Scene s;
  std::minstd_rand random(19);
  for (std::int32_t slot = 0; slot < 10001; ++slot) {
    const auto x = static_cast<std::uint8_t>(random() % 82);
    const auto y = static_cast<std::uint8_t>(random() % 49 * 2 + x % 2);
    s.log.Store(slot, x, y, static_cast<std::uint8_t>(random() % 5 + 1));
  }
  Finish(s, 10001);
  return s;
}

// Ten boxes one cell deep, 41 cells long and 4 high, logged in a stamp's
// order (along the box, then up), each in one colour.
core::Scene BandsPicture() {
  core::Scene s;
  std::int32_t slot = 0;
  for (int band = 0; band < 10; ++band) {
    for (int j = 0; j <= 40; ++j) {
      for (int k = 0; k <= 3; ++k) {
        s.log.Store(slot++, static_cast<std::uint8_t>(band * 4 + j),
                    static_cast<std::uint8_t>(band * 5 + 6 + j - 2 * k),
                    static_cast<std::uint8_t>(band % 5 + 1));
      }
    }
  }
  Finish(s, slot);
  return s;
}

// Six large box shells stamped over each other, about 4700 blocks: large
// faces of one colour, with the edges of the shells behind showing between
// them.
core::Scene ShellsPicture() {
  core::Scene s;
  struct Shell {
    std::int64_t xs, ys, zs, x, y;
    std::uint8_t colour;
  };
  constexpr Shell shells[] = {{16, 7, 23, 54, 43, 5},  {19, 28, 11, 38, 73, 4},
                              {18, 22, 9, 48, 32, 3},  {18, 27, 15, 5, 9, 3},
                              {24, 24, 16, 67, 39, 3}, {18, 25, 30, 79, 54, 4}};
  for (const Shell& shell : shells) {
    s.CurColor = shell.colour;
    const auto runs = core::ShellRuns(shell.xs, shell.ys, shell.zs, shell.x, shell.y);
    core::StampRuns(s, runs.data(), runs.size());
  }
  Finish(s, s.log.LogPos);
  return s;
}

// Columns of four blocks stamped on a grid of cells, each new column covering
// a side of the one before, the colour changing every tenth column.
core::Scene ColumnsPicture() {
  core::Scene s;
  int column = 0;
  for (std::int64_t y = 4, row = 0; y < 99; y += 5, ++row) {
    for (std::int64_t x = row % 3; x < 82; x += 4) {
      s.CurColor = static_cast<std::uint8_t>(column++ / 10 % 5 + 1);
      const core::BoxRun run{0, 0, 3, x, y};
      core::StampRuns(s, &run, 1);
    }
  }
  Finish(s, s.log.LogPos);
  return s;
}

core::Scene CornerPicture() {
  core::Scene s;
  for (std::int32_t slot = 0; slot < 40; ++slot) {
    const auto x = static_cast<std::uint8_t>(slot % 5);
    const auto y = static_cast<std::uint8_t>(slot / 5 * 2 + x % 2);
    s.log.Store(slot, x, y, static_cast<std::uint8_t>(slot % 5 + 1));
  }
  Finish(s, 40);
  return s;
}

// Random pictures of the five kinds, one per seed: the sizes, places,
// colours and orders vary, so a case the fixed pictures happen to miss shows
// up in some of them.
core::Scene RandomPicture(std::int64_t kind, std::uint32_t seed) {
  core::Scene s;
  std::minstd_rand random(seed * 7919u + static_cast<std::uint32_t>(kind));
  const auto pick = [&](std::int64_t low, std::int64_t high) {  // low..high
    return low + static_cast<std::int64_t>(random() % static_cast<std::uint32_t>(high - low + 1));
  };
  const auto colour = [&] { return static_cast<std::uint8_t>(pick(1, 5)); };
  // `count` presses at random cells of the first `columns` x `rows` cells.
  const auto scatter = [&](std::int32_t count, std::int64_t columns, std::int64_t rows) {
    for (std::int32_t slot = 0; slot < count; ++slot) {
      const auto x = static_cast<std::uint8_t>(pick(0, columns - 1));
      const auto y = static_cast<std::uint8_t>(pick(0, rows - 1) * 2 + x % 2);
      s.log.Store(slot, x, y, colour());
    }
    Finish(s, count);
  };
  switch (kind) {
    case 0: {  // spread
      scatter(static_cast<std::int32_t>(pick(500, 10001)), 82, 49);
      return s;
    }
    case 1: {  // bands
      const std::int64_t bands = pick(3, 14);
      for (std::int64_t band = 0; band < bands; ++band) {
        s.CurColor = colour();
        const core::BoxRun run{pick(0, 1), pick(5, 60), pick(0, 6), pick(0, 81), pick(4, 98)};
        core::StampRuns(s, &run, 1);
      }
      break;
    }
    case 2: {  // corner
      const auto count = static_cast<std::int32_t>(pick(5, 120));
      const std::int64_t side = pick(2, 10);
      scatter(count, side, side);
      return s;
    }
    case 3: {  // shells
      const std::int64_t shells = pick(2, 9);
      for (std::int64_t i = 0; i < shells; ++i) {
        s.CurColor = colour();
        // Drawn in named order: a call evaluates its arguments in no set order.
        const std::int64_t xs = pick(4, 30), ys = pick(4, 30), zs = pick(4, 30);
        const std::int64_t x = pick(0, 81), y = pick(4, 98);
        const auto runs = core::ShellRuns(xs, ys, zs, x, y);
        core::StampRuns(s, runs.data(), runs.size());
      }
      break;
    }
    default: {  // columns
      const std::int64_t dy = pick(3, 7), dx = pick(2, 6), height = pick(1, 6);
      const std::int64_t every = pick(1, 15), shift = pick(0, 3);
      int column = 0;
      std::uint8_t current = colour();
      for (std::int64_t y = pick(height, height + 4), row = 0; y < 99; y += dy, ++row) {
        for (std::int64_t x = row * shift % dx; x < 82; x += dx) {
          if (column++ % every == 0) current = colour();
          s.CurColor = current;
          const core::BoxRun run{0, 0, height, x, y};
          core::StampRuns(s, &run, 1);
        }
      }
      break;
    }
  }
  Finish(s, s.log.LogPos);
  return s;
}

// The random kinds.
constexpr int kRandomKinds = 5;
// The fixed kinds, and after them the random pictures the tool once wrote
// larger than gifsicle -O3 did, or within a few bytes of it.
constexpr int kKinds = 10;

const core::Scene& KindPicture(std::int64_t kind) {
  static const std::array<core::Scene, kKinds> pictures{
      SpreadPicture(),      BandsPicture(),       CornerPicture(),      ShellsPicture(),
      ColumnsPicture(),     RandomPicture(4, 25), RandomPicture(4, 27), RandomPicture(4, 48),
      RandomPicture(4, 49), RandomPicture(2, 131)};
  return pictures[static_cast<std::size_t>(kind)];
}

std::int64_t Slots(const core::Scene& picture) { return std::int64_t{picture.log.LastIndex} + 1; }

std::int64_t FrameCount(std::int64_t slots, std::int64_t every) {
  return (slots + every - 1) / every;
}

void SetFrameCounters(benchmark::State& state, std::int64_t frames) {
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["per_frame"] = benchmark::Counter(
      static_cast<double>(frames),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Animate(benchmark::State& state, const core::Scene& picture,
             const palorin::cli::AnimateOptions& options) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string gif =
        palorin::cli::EncodeBuildAnimation(picture.log, picture.canvas.raster, options);
    bytes = gif.size();
    benchmark::DoNotOptimize(gif.data());
  }
  const std::int64_t slots = Slots(picture);
  SetFrameCounters(state,
                   FrameCount(slots, options.every.value_or(palorin::cli::DefaultEvery(slots))));
  state.counters["gif_bytes"] = static_cast<double>(bytes);
}

// The frames as `render --upto` would draw each one: Cls, then ReDraw of
// slots 0..k*every-1; the last frame replays the whole log.
void ReplayYardstick(benchmark::State& state, const core::Scene& picture, std::int64_t every) {
  core::Scene scene;
  scene.log = picture.log;
  const std::int64_t slots = Slots(picture);
  for (auto _ : state) {
    for (std::int64_t end = every; end < slots; end += every) {
      palorin::render::Cls(scene.canvas.raster);
      core::ReDraw(scene, end - 1);
    }
    palorin::render::Cls(scene.canvas.raster);
    core::ReDraw(scene, scene.log.LastIndex);
    benchmark::DoNotOptimize(scene.canvas.raster.Data());
  }
  SetFrameCounters(state, FrameCount(slots, every));
}

void BM_Animate(benchmark::State& state) {
  palorin::cli::AnimateOptions options;
  options.every = static_cast<std::int32_t>(state.range(0));
  Animate(state, FullPicture(), options);
}
BENCHMARK(BM_Animate)->Arg(200)->Arg(100)->Arg(50)->Arg(25)->Unit(benchmark::kMillisecond);

void BM_ReplayYardstick(benchmark::State& state) {
  ReplayYardstick(state, FullPicture(), state.range(0));
}
BENCHMARK(BM_ReplayYardstick)->Arg(200)->Arg(100)->Arg(50)->Arg(25)->Unit(benchmark::kMillisecond);

void BM_AnimateKind(benchmark::State& state) { Animate(state, KindPicture(state.range(0)), {}); }
BENCHMARK(BM_AnimateKind)
    ->ArgName("picture")
    ->DenseRange(0, kKinds - 1)
    ->Unit(benchmark::kMillisecond);

void BM_ReplayYardstickKind(benchmark::State& state) {
  const core::Scene& picture = KindPicture(state.range(0));
  ReplayYardstick(state, picture, palorin::cli::DefaultEvery(Slots(picture)));
}
BENCHMARK(BM_ReplayYardstickKind)
    ->ArgName("picture")
    ->DenseRange(0, kKinds - 1)
    ->Unit(benchmark::kMillisecond);

// The CPU time (user and system) of the children waited for so far.
double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs `gifsicle -O3 in -o out` and waits for it; false if it could not run
// or failed.
bool RunGifsicle(const std::string& in, const std::string& out) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execlp("gifsicle", "gifsicle", "-O3", in.c_str(), "-o", out.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs gifsicle -O3 on `gif` and sets the counters; skips the benchmark
// when gifsicle does not run. The CPU time of the gifsicle process is the
// iteration's time.
void CompareWithGifsicle(benchmark::State& state, const std::string& gif, const std::string& name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::string stem = "animate_bench_" + std::to_string(getpid()) + "_" + name;
  const std::string in = dir / (stem + ".gif");
  const std::string out = dir / (stem + "_O3.gif");
  std::ofstream(in, std::ios::binary) << gif;
  std::uintmax_t bytes = 0;
  bool ran = true;
  // ANIMATE_BENCH_KEEP=DIR keeps both files there, to compare them frame by
  // frame.
  const char* keep = std::getenv("ANIMATE_BENCH_KEEP");
  for (auto _ : state) {
    const double before = ChildCpuSeconds();
    ran = RunGifsicle(in, out);
    state.SetIterationTime(ChildCpuSeconds() - before);
    if (!ran) break;
  }
  if (ran) bytes = std::filesystem::file_size(out);
  if (keep != nullptr && ran) {
    const std::filesystem::path to(keep);
    std::filesystem::copy_file(in, to / (name + ".gif"),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(out, to / (name + "_O3.gif"),
                               std::filesystem::copy_options::overwrite_existing);
  }
  std::filesystem::remove(in);
  std::filesystem::remove(out);
  if (!ran) {
    state.SkipWithError("gifsicle -O3 did not run: is gifsicle installed? (scripts/deps.sh)");
    return;
  }
  state.counters["gif_bytes"] = static_cast<double>(gif.size());
  state.counters["gifsicle_bytes"] = static_cast<double>(bytes);
  state.counters["gif_over_gifsicle"] =
      static_cast<double>(gif.size()) / static_cast<double>(bytes);
}

void BM_GifsicleKind(benchmark::State& state) {
  const core::Scene& picture = KindPicture(state.range(0));
  CompareWithGifsicle(state,
                      palorin::cli::EncodeBuildAnimation(picture.log, picture.canvas.raster, {}),
                      std::to_string(state.range(0)));
}
BENCHMARK(BM_GifsicleKind)
    ->ArgName("picture")
    ->DenseRange(0, kKinds - 1)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// Random pictures of each kind, seeds 1 to kRandomSeeds; gif_over_gifsicle
// above 1 is a picture the tool writes larger. Random corners place blocks
// where the same blocks already are: steps that change nothing, which add
// no image.
constexpr int kRandomSeeds = 80;

void BM_GifsicleRandom(benchmark::State& state) {
  const core::Scene picture =
      RandomPicture(state.range(0), static_cast<std::uint32_t>(state.range(1)));
  CompareWithGifsicle(state,
                      palorin::cli::EncodeBuildAnimation(picture.log, picture.canvas.raster, {}),
                      std::to_string(state.range(0)) + "_" + std::to_string(state.range(1)));
}
BENCHMARK(BM_GifsicleRandom)
    ->ArgNames({"kind", "seed"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, kRandomKinds - 1, 1),
                   benchmark::CreateDenseRange(1, kRandomSeeds, 1)})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
