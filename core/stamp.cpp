#include "core/stamp.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "base/int_parse.h"
#include "render/sprites.h"

namespace palorin::core {

namespace {

// The blocks of one run that fall on one accepted cell: with a = x - originX
// and e = (originY + a - y) / 2 they are (i, i + a, i + e) for i = lo..hi, so
// within a run they come in the order (i, a, e).
struct CellBlocks {
  std::int64_t lo, hi, a, e;
  std::uint8_t x, y;
};

void CollectCells(const BoxRun& run, std::vector<CellBlocks>& out) {
  out.clear();
  if (run.lastI < 0 || run.lastJ < 0 || run.lastK < 0) return;
  const std::int64_t parity = (run.originX + run.originY) & 1;  // & 1 is 0 or 1 for negatives too
  for (std::int64_t y = 0; y <= kMaxCellY; ++y) {
    for (std::int64_t x = (y + parity) & 1; x <= kMaxCellX; x += 2) {
      const std::int64_t a = x - run.originX;
      const std::int64_t e = (run.originY + a - y) / 2;  // even by parity
      const std::int64_t lo = std::max({std::int64_t{0}, -a, -e});
      const std::int64_t hi = std::min({run.lastI, run.lastJ - a, run.lastK - e});
      if (lo <= hi) {
        out.push_back({lo, hi, a, e, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)});
      }
    }
  }
}

// Logs the run's blocks in loop order until the log is at its cap (slot 9999
// written, LastIndex 9999); returns false once it is, as every later block
// would only overwrite slot 9999.
bool LogInOrder(PlacementLog& log, std::vector<CellBlocks>& cells, std::uint8_t colour) {
  std::sort(cells.begin(), cells.end(), [](const CellBlocks& l, const CellBlocks& r) {
    return std::tie(l.lo, l.a, l.e) < std::tie(r.lo, r.a, r.e);
  });
  std::vector<const CellBlocks*> active;  // ordered by (a, e)
  const auto byAE = [](const CellBlocks* l, const CellBlocks* r) {
    return std::tie(l->a, l->e) < std::tie(r->a, r->e);
  };
  std::size_t next = 0;
  std::int64_t i = 0;
  while (next < cells.size() || !active.empty()) {
    if (active.empty()) i = cells[next].lo;
    while (next < cells.size() && cells[next].lo == i) {
      const CellBlocks* c = &cells[next++];
      active.insert(std::upper_bound(active.begin(), active.end(), c, byAE), c);
    }
    for (const CellBlocks* c : active) {
      AppendStamped(log, c->x, c->y, colour);
      if (log.LastIndex == 9999) return false;
    }
    std::erase_if(active, [i](const CellBlocks* c) { return c->hi == i; });
    ++i;
  }
  return true;
}

}  // namespace

std::int64_t StampRuns(Scene& scene, const BoxRun* runs, std::size_t count) {
  struct LastDraw {
    std::size_t run;
    std::int64_t i, a, e;
    bool any;
  };
  static constexpr int kCells = (kMaxCellX + 1) * (kMaxCellY + 1);
  std::vector<LastDraw> last(kCells, LastDraw{0, 0, 0, 0, false});
  std::vector<CellBlocks> cells;
  cells.reserve(kCells / 2 + 1);

  const std::uint8_t colour = scene.CurColor;
  std::int64_t total = 0;
  bool logging = true;
  bool haveLast = false;
  CellBlocks lastBlock{};
  for (std::size_t r = 0; r < count; ++r) {
    CollectCells(runs[r], cells);
    if (cells.empty()) continue;
    for (const CellBlocks& c : cells) {
      total += c.hi - c.lo + 1;
      last[static_cast<std::size_t>(c.y) * (kMaxCellX + 1) + c.x] = {r, c.hi, c.a, c.e, true};
    }
    lastBlock = *std::max_element(cells.begin(), cells.end(),
                                  [](const CellBlocks& l, const CellBlocks& rr) {
                                    return std::tie(l.hi, l.a, l.e) < std::tie(rr.hi, rr.a, rr.e);
                                  });
    haveLast = true;
    if (logging) logging = LogInOrder(scene.log, cells, colour);
  }
  // Past the cap every block overwrites slot 9999, so only the last one stays.
  if (haveLast && !logging) AppendStamped(scene.log, lastBlock.x, lastBlock.y, colour);

  // Each cell once, in the order of its last block.
  std::vector<std::pair<const LastDraw*, std::size_t>> order;
  order.reserve(kCells);
  for (std::size_t n = 0; n < last.size(); ++n) {
    if (last[n].any) order.emplace_back(&last[n], n);
  }
  std::sort(order.begin(), order.end(), [](const auto& l, const auto& r) {
    return std::tie(l.first->run, l.first->i, l.first->a, l.first->e) <
           std::tie(r.first->run, r.first->i, r.first->a, r.first->e);
  });
  for (const auto& [draw, n] : order) {
    render::DrawBlock(scene.canvas.raster, static_cast<int>(n % (kMaxCellX + 1)),
                      static_cast<int>(n / (kMaxCellX + 1)), colour);
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

std::array<BoxRun, 3> ShellRuns(std::int64_t xs, std::int64_t ys, std::int64_t zs,
                                std::int64_t cx, std::int64_t cy) {
  return {BoxRun{0, ys - 2, zs - 2, cx - (xs - 1), cy + (xs - 1)},
          BoxRun{xs - 1, 0, zs - 2, cx + (ys - 1), cy + (ys - 1)},
          BoxRun{xs - 1, ys - 1, 0, cx, cy - 2 * (zs - 1)}};
}

void loopDraw(Scene& scene, const StampInputs& in) {
  const bool shell = in.modeText == "XYZ" &&
                     std::all_of(in.sizeIndex.begin(), in.sizeIndex.end(),
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
  scene.status.Panels[1] = "X:" + std::to_string(scene.CellX);
  scene.status.Panels[2] = "Y:" + std::to_string(scene.CellY);
  scene.canvas.Refresh();
}

void Press(Scene& scene, PointerPos pos, const StampInputs& in) {
  if (scene.log.LogPos > 10000) return;
  const auto cell = Pick(pos);
  if (!cell) return;
  scene.CellX = static_cast<std::uint8_t>(cell->x & 0xff);
  scene.CellY = static_cast<std::uint8_t>(cell->y & 0xff);
  if (scene.CellX > kMaxCellX || scene.CellY > kMaxCellY) return;
  if (scene.CurColor == 0) return;
  PrepareAppend(scene.log);
  const bool single = std::all_of(in.sizeText.begin(), in.sizeText.end(),
                                  [](std::string_view t) { return t == "1"; });
  if (single) {
    AppendBlock(scene, scene.CellX, scene.CellY, scene.CurColor);
  } else {
    loopDraw(scene, in);
  }
}

bool Move(Scene& scene, PointerPos pos) {
  const auto cell = Pick(pos);
  if (!cell || !Accepted(cell->x, cell->y)) return false;
  scene.status.Panels[1] = "X:" + std::to_string(cell->x);
  scene.status.Panels[2] = "Y:" + std::to_string(cell->y);
  return true;
}

std::optional<ModeRule> ModeRuleFor(int index) {
  // Bit 0 X, bit 1 Y, bit 2 Z for the entries "Single" … "XYZ".
  static constexpr std::array<unsigned, 8> kAxes{0b000, 0b001, 0b010, 0b100,
                                                 0b011, 0b101, 0b110, 0b111};
  if (index < 0 || index >= static_cast<int>(kAxes.size())) return std::nullopt;
  const unsigned axes = kAxes[static_cast<std::size_t>(index)];
  return ModeRule{{(axes & 1u) != 0, (axes & 2u) != 0, (axes & 4u) != 0}};
}

}  // namespace palorin::core
