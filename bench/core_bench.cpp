// Speed of the editing core, always beside references in the same run, since
// these machines are shared and absolute times drift:
//  - the yardstick: an unmasked copy of the 12 x 13 rectangle at each entry's
//    sprite place (13 rows of 48 bytes), the memory traffic a replay cannot
//    avoid;
//  - the peer (with Qt): QPainter::drawImage of a 12 x 13 masked sprite per
//    entry into a 500 x 308 QImage, what a straightforward Qt program does.
// The counter allocs_per_iter counts operator new calls inside the timed loop.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/history.h"
#include "core/pick.h"
#include "core/press.h"
#include "core/stamp.h"
#include "render/raster.h"
#include "render/sprites.h"

#ifdef PALORIN_BENCH_PEER
#include <QColor>
#include <QImage>
#include <QPainter>
#endif

// ---- Allocation counting ----------------------------------------------------

namespace {
std::atomic<std::uint64_t> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace palorin;

constexpr int kEntries = 10002;  // slots 0..10001, the most a log holds

struct Entry {
  std::uint8_t x, y, colour;
};

// 10002 entries spread over the 4059 accepted cells: every accepted cell in a
// scrambled order, over and over, colours cycling.
const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = [] {
    std::vector<Entry> cells;
    for (int y = 0; y <= core::kMaxCellY; ++y) {
      for (int x = y % 2; x <= core::kMaxCellX; x += 2) {
        cells.push_back({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0});
      }
    }
    std::vector<Entry> out;
    std::uint32_t state = 12345;
    for (int n = 0; n < kEntries; ++n) {
      state = state * 1664525u + 1013904223u;
      Entry e = cells[(state >> 8) % cells.size()];
      e.colour = static_cast<std::uint8_t>(1 + n % 5);
      out.push_back(e);
    }
    return out;
  }();
  return entries;
}

void CountAllocations(benchmark::State& state, std::uint64_t before) {
  state.counters["allocs_per_iter"] = benchmark::Counter(
      static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations()));
}

// ---- DrawBlock and replay ----------------------------------------------------

void BM_DrawBlock(benchmark::State& state) {
  render::Raster raster;
  const auto& entries = Entries();
  std::size_t n = 0;
  const auto allocs = gAllocations.load();
  for (auto _ : state) {
    const Entry& e = entries[n];
    render::DrawBlock(raster, e.x, e.y, e.colour);
    if (++n == entries.size()) n = 0;
  }
  benchmark::DoNotOptimize(raster.Data());
  CountAllocations(state, allocs);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawBlock);

void FillLog(core::Scene& scene) {
  const auto& entries = Entries();
  for (int slot = 0; slot < kEntries; ++slot) {
    const Entry& e = entries[static_cast<std::size_t>(slot)];
    scene.log.Store(slot, e.x, e.y, e.colour);
  }
}

// Cls, then ReDraw of slots 0..10001: what every UnDo does on a full log.
void BM_FullReplay(benchmark::State& state) {
  core::Scene scene;
  FillLog(scene);
  const auto allocs = gAllocations.load();
  for (auto _ : state) {
    render::Cls(scene.canvas.raster);
    core::ReDraw(scene, kEntries - 1);
    benchmark::DoNotOptimize(scene.canvas.raster.Data());
  }
  CountAllocations(state, allocs);
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_FullReplay)->Unit(benchmark::kMicrosecond);

// The same without the clear: what ReDo replays over the picture.
void BM_ReDrawOnly(benchmark::State& state) {
  core::Scene scene;
  FillLog(scene);
  for (auto _ : state) {
    core::ReDraw(scene, kEntries - 1);
    benchmark::DoNotOptimize(scene.canvas.raster.Data());
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ReDrawOnly)->Unit(benchmark::kMicrosecond);

// ---- The yardstick -------------------------------------------------------------

// Unmasked copies of the sprite rectangle at each cell: 13 rows of 48 bytes.
void CopyRectangles(render::Raster& raster, const std::vector<Entry>& cells) {
  const auto& sprites = render::BlockSprites();
  for (const Entry& e : cells) {
    const auto& sprite = sprites[e.colour];
    render::Pixel* dst = raster.Row(3 * e.y) + 6 * e.x;
    for (int j = 0; j < render::kSpriteHeight; ++j) {
      std::memcpy(dst, sprite.colour[static_cast<std::size_t>(j)].data(),
                  render::kSpriteWidth * sizeof(render::Pixel));
      dst += render::kRasterWidth;
    }
  }
}

void BM_Yardstick(benchmark::State& state) {
  render::Raster raster;
  const auto& entries = Entries();
  for (auto _ : state) {
    CopyRectangles(raster, entries);
    benchmark::DoNotOptimize(raster.Data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_Yardstick)->Unit(benchmark::kMicrosecond);

// The yardstick with the same clear as the full replay.
void BM_YardstickWithCls(benchmark::State& state) {
  render::Raster raster;
  const auto& entries = Entries();
  for (auto _ : state) {
    render::Cls(raster);
    CopyRectangles(raster, entries);
    benchmark::DoNotOptimize(raster.Data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_YardstickWithCls)->Unit(benchmark::kMicrosecond);

// ---- The peer ---------------------------------------------------------------------

#ifdef PALORIN_BENCH_PEER
void BM_PeerQPainter(benchmark::State& state) {
  // The six sprites as ARGB images, transparent where the mask says so.
  std::vector<QImage> sprites;
  for (const auto& sprite : render::BlockSprites()) {
    QImage image(render::kSpriteWidth, render::kSpriteHeight, QImage::Format_ARGB32_Premultiplied);
    for (int j = 0; j < render::kSpriteHeight; ++j) {
      for (int i = 0; i < render::kSpriteWidth; ++i) {
        image.setPixel(i, j, sprite.Opaque(i, j) ? sprite.colour[j][i] : 0u);
      }
    }
    sprites.push_back(image);
  }
  QImage canvas(render::kRasterWidth, render::kRasterHeight, QImage::Format_RGB32);
  const auto& entries = Entries();
  for (auto _ : state) {
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    for (const Entry& e : entries) painter.drawImage(6 * e.x, 3 * e.y, sprites[e.colour]);
    painter.end();
    benchmark::DoNotOptimize(canvas.constBits());
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_PeerQPainter)->Unit(benchmark::kMicrosecond);
#endif

// ---- Stamps --------------------------------------------------------------------------

struct StampBoxes {
  std::string mode, x, y, z;
  std::array<int, 3> indexes;
  core::StampInputs In() const { return {mode, {x, y, z}, indexes}; }
};

// The blocks the literal loops would draw for a solid box or a shell at
// (40, 50): the accepted ones, in order.
std::vector<Entry> AcceptedBlocks(std::int64_t xs, std::int64_t ys, std::int64_t zs, bool shell) {
  std::vector<Entry> out;
  const auto loop = [&](std::int64_t li, std::int64_t lj, std::int64_t lk, std::int64_t ox,
                        std::int64_t oy) {
    for (std::int64_t i = 0; i <= li; ++i) {
      for (std::int64_t j = 0; j <= lj; ++j) {
        for (std::int64_t k = 0; k <= lk; ++k) {
          const std::int64_t x = ox - i + j, y = oy + i + j - 2 * k;
          if (core::Accepted(x, y)) {
            out.push_back({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 1});
          }
        }
      }
    }
  };
  if (shell) {
    for (const core::BoxRun& r : core::ShellRuns(xs, ys, zs, 40, 50)) {
      loop(r.lastI, r.lastJ, r.lastK, r.originX, r.originY);
    }
  } else {
    loop(xs - 1, ys - 1, zs - 1, 40, 50);
  }
  return out;
}

void RunStamp(benchmark::State& state, const StampBoxes& boxes) {
  core::Scene scene;
  scene.CellX = 40;
  scene.CellY = 50;
  scene.CurColor = 3;
  const core::StampInputs in = boxes.In();
  const auto allocs = gAllocations.load();
  for (auto _ : state) {
    scene.log.LogPos = 0;  // every stamp logs from slot 0 up to the cap
    scene.log.AfterStep = core::kNextFree;
    core::loopDraw(scene, in);
    benchmark::DoNotOptimize(scene.canvas.raster.Data());
  }
  CountAllocations(state, allocs);
}

void BM_Stamp50Solid(benchmark::State& state) {
  RunStamp(state, {"XYZ", "50", "50", "50", {-1, -1, -1}});
  state.counters["drawn_blocks"] =
      benchmark::Counter(static_cast<double>(AcceptedBlocks(50, 50, 50, false).size()));
}
BENCHMARK(BM_Stamp50Solid)->Unit(benchmark::kMicrosecond);

void BM_Stamp50Shell(benchmark::State& state) {
  RunStamp(state, {"XYZ", "50", "50", "50", {49, 49, 49}});
  state.counters["drawn_blocks"] =
      benchmark::Counter(static_cast<double>(AcceptedBlocks(50, 50, 50, true).size()));
}
BENCHMARK(BM_Stamp50Shell)->Unit(benchmark::kMicrosecond);

void BM_Stamp100000Solid(benchmark::State& state) {
  RunStamp(state, {"XYZ", "100000", "100000", "100000", {-1, -1, -1}});
}
BENCHMARK(BM_Stamp100000Solid)->Unit(benchmark::kMillisecond);

// The yardstick over the blocks a 50 x 50 x 50 stamp draws.
void YardstickOver(benchmark::State& state, const std::vector<Entry>& blocks) {
  render::Raster raster;
  for (auto _ : state) {
    CopyRectangles(raster, blocks);
    benchmark::DoNotOptimize(raster.Data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(blocks.size()));
}

void BM_YardstickStamp50Solid(benchmark::State& state) {
  YardstickOver(state, AcceptedBlocks(50, 50, 50, false));
}
BENCHMARK(BM_YardstickStamp50Solid)->Unit(benchmark::kMicrosecond);

void BM_YardstickStamp50Shell(benchmark::State& state) {
  YardstickOver(state, AcceptedBlocks(50, 50, 50, true));
}
BENCHMARK(BM_YardstickStamp50Shell)->Unit(benchmark::kMicrosecond);

// ---- Pick ------------------------------------------------------------------------------

void BM_Pick(benchmark::State& state) {
  // Every pixel of the area, in a scrambled order, so no branch is learnt.
  std::vector<core::PointerPos> pointers;
  std::uint32_t s = 99;
  for (int n = 0; n < 4096; ++n) {
    s = s * 1664525u + 1013904223u;
    pointers.push_back({static_cast<int>((s >> 8) % 500), static_cast<int>((s >> 20) % 308)});
  }
  std::size_t n = 0;
  for (auto _ : state) {
    auto cell = core::Pick(pointers[n]);
    benchmark::DoNotOptimize(cell);
    n = (n + 1) & 4095;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Pick);

}  // namespace

BENCHMARK_MAIN();
