// `palorin-cli animate` of a full picture (all 10004 log slots) encoded
// in-process, beside its yardstick in the same run: the same frames replayed
// the way `render --upto` draws them (clear the drawing area, replay slots
// 0..N) without encoding. The argument is --every; 10004 slots at 50 a frame
// make 201 frames. Time per frame at several frame counts shows how the
// whole grows; gif_bytes is the size of the file written.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "cli/animate.h"
#include "core/history.h"
#include "core/scene.h"

namespace {

// Every slot holds a block, colours and cells cycling over the lattice (the
// picture cli_bench saves); the drawing area is what loading it shows.
const palorin::core::Scene& FullPicture() {
  static const palorin::core::Scene scene = [] {
    palorin::core::Scene s;
    for (std::int32_t slot = 0; slot < palorin::core::kLogSlots; ++slot) {
      const auto x = static_cast<std::uint8_t>(slot % 82);
      const auto y = static_cast<std::uint8_t>((slot / 82) % 49 * 2 + x % 2);
      s.log.Store(slot, x, y, static_cast<std::uint8_t>(slot % 5 + 1));
    }
    s.log.LogPos = palorin::core::kLastSlot;
    s.log.LastIndex = palorin::core::kLastSlot;
    palorin::core::ReDraw(s, s.log.LastIndex);
    return s;
  }();
  return scene;
}

std::int64_t FrameCount(std::int64_t every) {
  return (palorin::core::kLogSlots + every - 1) / every;
}

void BM_Animate(benchmark::State& state) {
  const palorin::core::Scene& picture = FullPicture();
  palorin::cli::AnimateOptions options;
  options.every = static_cast<std::int32_t>(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string gif =
        palorin::cli::EncodeBuildAnimation(picture.log, picture.canvas.raster, options);
    bytes = gif.size();
    benchmark::DoNotOptimize(gif.data());
  }
  const auto frames = FrameCount(state.range(0));
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["gif_bytes"] = static_cast<double>(bytes);
  state.counters["per_frame"] = benchmark::Counter(
      static_cast<double>(frames),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Animate)->Arg(200)->Arg(100)->Arg(50)->Arg(25)->Unit(benchmark::kMillisecond);

// The frames as `render --upto` would draw each one: Cls, then ReDraw of
// slots 0..k*every-1; the last frame replays the whole log.
void BM_ReplayYardstick(benchmark::State& state) {
  const palorin::core::Scene& picture = FullPicture();
  palorin::core::Scene scene;
  scene.log = picture.log;
  const std::int64_t every = state.range(0);
  for (auto _ : state) {
    for (std::int64_t end = every; end < palorin::core::kLogSlots; end += every) {
      palorin::render::Cls(scene.canvas.raster);
      palorin::core::ReDraw(scene, end - 1);
    }
    palorin::render::Cls(scene.canvas.raster);
    palorin::core::ReDraw(scene, scene.log.LastIndex);
    benchmark::DoNotOptimize(scene.canvas.raster.Data());
  }
  const auto frames = FrameCount(every);
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["per_frame"] = benchmark::Counter(
      static_cast<double>(frames),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReplayYardstick)->Arg(200)->Arg(100)->Arg(50)->Arg(25)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
