#include "core/stamp.h"

#include <algorithm>
#include <vector>

#include "base/int_parse.h"
#include "core/history.h"
#include "core/pick.h"
#include "render/sprites.h"

namespace palorin::core {

namespace {

constexpr std::size_t kCells = (kMaxCellX + 1) * (kMaxCellY + 1);

// The blocks of one run that fall on one accepted cell. With a = x - originX
// and e = (originY + a - y) / 2 they are (i, i + a, i + e) for i = lo..hi, so
// within a run they come in the order (i, a, e). For a fixed run, (a, e)
// orders cells as (x ascending, y descending), which `order` encodes.
struct CellBlocks {
  std::int64_t lo, hi;
  std::uint16_t order;  // x * 128 + (127 - y)
  std::uint8_t x, y;

  std::size_t Cell() const { return std::size_t{y} * (kMaxCellX + 1) + x; }
};

// The cells of one run that hold at least one block, in `order`.
void CollectCells(const BoxRun& run, std::vector<CellBlocks>& out) {
  out.clear();
  if (run.lastI < 0 || run.lastJ < 0 || run.lastK < 0) return;
  const std::int64_t parity = (run.originX + run.originY) & 1;  // & 1 is 0 or 1 for negatives too
  // Only the accepted cells inside the run's bounding box can hold a block:
  // x runs from originX - lastI to originX + lastJ, y from originY - 2 lastK
  // to originY + lastI + lastJ.
  const std::int64_t xMin = std::max<std::int64_t>(0, run.originX - run.lastI);
  const std::int64_t xMax = std::min<std::int64_t>(kMaxCellX, run.originX + run.lastJ);
  const std::int64_t yMin = std::max<std::int64_t>(0, run.originY - 2 * run.lastK);
  const std::int64_t yMax = std::min<std::int64_t>(kMaxCellY, run.originY + run.lastI + run.lastJ);
  for (std::int64_t x = xMin; x <= xMax; ++x) {
    for (std::int64_t y = yMax - ((x + yMax + parity) & 1); y >= yMin; y -= 2) {
      const std::int64_t a = x - run.originX;
      const std::int64_t e = (run.originY + a - y) / 2;  // even by parity
      const std::int64_t lo = std::max({std::int64_t{0}, -a, -e});
      const std::int64_t hi = std::min({run.lastI, run.lastJ - a, run.lastK - e});
      if (lo <= hi) {
        out.push_back({lo, hi, static_cast<std::uint16_t>(x * 128 + (127 - y)),
                       static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)});
      }
    }
  }
}

// Stable counting sort of `cells` by key(cell). Within one run lo and hi each
// take at most about 90 distinct neighbouring values (they are the largest
// or smallest of 0, lastI and terms in a and e, and a and e each span less
// than 100 values over the lattice), so the buckets stay few whatever the
// sizes.
template <typename Key>
void SortByKey(std::vector<CellBlocks>& cells, Key key, std::vector<CellBlocks>& scratch,
               std::vector<std::size_t>& counts) {
  if (cells.size() < 2) return;
  std::int64_t low = key(cells.front()), high = low;
  for (const CellBlocks& c : cells) {
    low = std::min(low, key(c));
    high = std::max(high, key(c));
  }
  if (low == high) return;  // already in order: the sort is stable
  counts.assign(static_cast<std::size_t>(high - low) + 2, 0);
  for (const CellBlocks& c : cells) ++counts[static_cast<std::size_t>(key(c) - low) + 1];
  for (std::size_t b = 1; b < counts.size(); ++b) counts[b] += counts[b - 1];
  scratch.resize(cells.size());
  for (const CellBlocks& c : cells) scratch[counts[static_cast<std::size_t>(key(c) - low)]++] = c;
  cells.swap(scratch);
}

// Logs the run's blocks in loop order until the log is at its cap (kStampCapSlot
// written and LastIndex there); returns false once it is, as every later block
// would only overwrite that slot. `cells` must be sorted by (lo, order).
bool LogInOrder(PlacementLog& log, const std::vector<CellBlocks>& cells, std::uint8_t colour,
                std::vector<const CellBlocks*>& active) {
  active.clear();  // the cells holding a block at the current i, in `order`
  const auto byOrder = [](const CellBlocks* l, const CellBlocks* r) { return l->order < r->order; };
  std::size_t next = 0;
  std::int64_t i = 0;
  while (next < cells.size() || !active.empty()) {
    if (active.empty()) i = cells[next].lo;
    while (next < cells.size() && cells[next].lo == i) {
      const CellBlocks* c = &cells[next++];
      active.insert(std::upper_bound(active.begin(), active.end(), c, byOrder), c);
    }
    for (const CellBlocks* c : active) {
      AppendStamped(log, c->x, c->y, colour);
      if (log.LastIndex == kStampCapSlot) return false;
    }
    std::erase_if(active, [i](const CellBlocks* c) { return c->hi == i; });
    ++i;
  }
  return true;
}

}  // namespace

std::int64_t StampRuns(Scene& scene, const BoxRun* runs, std::size_t count) {
  // Per cell, the run of its last block; per run, its cells in the order of
  // their last blocks (hi, then `order`).
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::size_t> lastRunOfCell(kCells, kNone);
  std::vector<std::uint16_t> drawOrder;  // cell indexes, run after run
  std::vector<std::size_t> runEnd(count, 0);
  std::vector<CellBlocks> cells, byLo, scratch;
  std::vector<std::size_t> counts;
  std::vector<const CellBlocks*> active;

  const std::uint8_t colour = scene.CurColor;
  std::int64_t total = 0;
  bool logging = true;
  bool haveLast = false;
  CellBlocks lastBlock{};
  for (std::size_t r = 0; r < count; ++r) {
    CollectCells(runs[r], cells);
    if (!cells.empty()) {
      for (const CellBlocks& c : cells) {
        total += c.hi - c.lo + 1;
        lastRunOfCell[c.Cell()] = r;
      }
      // The sorts are stable and `cells` comes in `order`, so ties on lo or
      // hi stay in `order`. Where every cell holds one block (lo == hi, as in
      // each face of a shell), the draw order is the log order too.
      const auto lo = [](const CellBlocks& c) { return c.lo; };
      const auto hi = [](const CellBlocks& c) { return c.hi; };
      const bool oneBlockEach =
          std::all_of(cells.begin(), cells.end(), [](const CellBlocks& c) { return c.lo == c.hi; });
      if (logging && !oneBlockEach) {
        byLo = cells;
        SortByKey(byLo, lo, scratch, counts);
        logging = LogInOrder(scene.log, byLo, colour, active);
      }
      SortByKey(cells, hi, scratch, counts);
      if (logging && oneBlockEach) {
        for (const CellBlocks& c : cells) {
          AppendStamped(scene.log, c.x, c.y, colour);
          if (scene.log.LastIndex == kStampCapSlot) {
            logging = false;
            break;
          }
        }
      }
      for (const CellBlocks& c : cells) drawOrder.push_back(static_cast<std::uint16_t>(c.Cell()));
      lastBlock = cells.back();  // the largest (hi, order): the run's last block
      haveLast = true;
    }
    runEnd[r] = drawOrder.size();
  }
  // Past the cap every block overwrites kStampCapSlot, so only the last one stays.
  if (haveLast && !logging) AppendStamped(scene.log, lastBlock.x, lastBlock.y, colour);

  // Each cell once, in the order of its last block: all blocks share one
  // colour, so that gives the pixels of drawing every block.
  std::size_t at = 0;
  for (std::size_t r = 0; r < count; ++r) {
    for (; at < runEnd[r]; ++at) {
      const std::size_t cell = drawOrder[at];
      if (lastRunOfCell[cell] != r) continue;  // a later run draws it again
      render::DrawBlock(scene.canvas.raster, static_cast<int>(cell % (kMaxCellX + 1)),
                        static_cast<int>(cell / (kMaxCellX + 1)), colour);
    }
  }
  return total;
}

void OrgDraw2(Scene& scene, const BoxRun& run) { StampRuns(scene, &run, 1); }

void OrgDraw(Scene& scene, const StampInputs& in) {
  std::int64_t xs = 1, ys = 1, zs = 1;
  if (in.modeText != "Single") {
    xs = StrToInt(in.sizeText[0]);
    ys = StrToInt(in.sizeText[1]);
    zs = StrToInt(in.sizeText[2]);
  }
  OrgDraw2(scene, BoxRun{xs - 1, ys - 1, zs - 1, scene.CellX, scene.CellY});
}

std::array<BoxRun, 3> ShellRuns(std::int64_t xs, std::int64_t ys, std::int64_t zs, std::int64_t cx,
                                std::int64_t cy) {
  return {BoxRun{0, ys - 2, zs - 2, cx - (xs - 1), cy + (xs - 1)},
          BoxRun{xs - 1, 0, zs - 2, cx + (ys - 1), cy + (ys - 1)},
          BoxRun{xs - 1, ys - 1, 0, cx, cy - 2 * (zs - 1)}};
}

void loopDraw(Scene& scene, const StampInputs& in) {
  const bool shell = in.modeText == "XYZ" && std::all_of(in.sizeIndex.begin(), in.sizeIndex.end(),
                                                         [](int index) { return index >= 1; });
  if (shell) {
    const std::int64_t xs = StrToInt(in.sizeText[0]);
    const std::int64_t ys = StrToInt(in.sizeText[1]);
    const std::int64_t zs = StrToInt(in.sizeText[2]);
    const auto runs = ShellRuns(xs, ys, zs, scene.CellX, scene.CellY);
    StampRuns(scene, runs.data(), runs.size());
  } else {
    OrgDraw(scene, in);
  }
  scene.status.Panels[0] = CountText(scene.log.LogPos);
  WriteCellPanels(scene.status, scene.CellX, scene.CellY);
  scene.canvas.Refresh();
}

}  // namespace palorin::core
