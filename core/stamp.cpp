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
  // Only the accepted cells inside the run's bounding box can hold a block:
  // x runs from originX - lastI to originX + lastJ, y from originY - 2 lastK
  // to originY + lastI + lastJ.
  const std::int64_t xMin = std::max<std::int64_t>(0, run.originX - run.lastI);
  const std::int64_t xMax = std::min<std::int64_t>(kMaxCellX, run.originX + run.lastJ);
  const std::int64_t yMin = std::max<std::int64_t>(0, run.originY - 2 * run.lastK);
  const std::int64_t yMax = std::min<std::int64_t>(kMaxCellY, run.originY + run.lastI + run.lastJ);
  for (std::int64_t y = yMin; y <= yMax; ++y) {
    for (std::int64_t x = xMin + ((xMin + y + parity) & 1); x <= xMax; x += 2) {
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
  // The one draw a touched cell gets: that of the last block stamped on it.
  struct LastDraw {
    std::size_t run;
    std::int64_t i, a, e;
    std::uint8_t x, y;
  };
  static constexpr std::size_t kCells = (kMaxCellX + 1) * (kMaxCellY + 1);
  std::vector<std::int32_t> drawOfCell(kCells, -1);  // index into `draws`
  std::vector<LastDraw> draws;
  std::vector<CellBlocks> cells;

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
      const LastDraw draw{r, c.hi, c.a, c.e, c.x, c.y};
      std::int32_t& at = drawOfCell[std::size_t{c.y} * (kMaxCellX + 1) + c.x];
      if (at < 0) {
        at = static_cast<std::int32_t>(draws.size());
        draws.push_back(draw);
      } else {
        draws[static_cast<std::size_t>(at)] = draw;
      }
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
  std::sort(draws.begin(), draws.end(), [](const LastDraw& l, const LastDraw& r) {
    return std::tie(l.run, l.i, l.a, l.e) < std::tie(r.run, r.i, r.a, r.e);
  });
  for (const LastDraw& draw : draws) {
    render::DrawBlock(scene.canvas.raster, draw.x, draw.y, colour);
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
