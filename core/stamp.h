#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/scene.h"

namespace palorin::core {

// What stamping reads from the main window's boxes at the moment of a press.
struct StampInputs {
  std::string_view modeText;                 // mode box text ("Single" … "XYZ")
  std::array<std::string_view, 3> sizeText;  // X, Y, Z size box texts
  std::array<int, 3> sizeIndex{};            // their selected entries, -1 for none
};

// One box loop: i = 0..lastI (outermost), j = 0..lastJ, k = 0..lastK
// (innermost), the block at cell (originX - i + j, originY + i + j - 2k).
// A negative last index gives no blocks. 64-bit so that any typed size works;
// every field must stay within +-2^60 (sizes and cells from 32-bit values are
// far inside), which keeps all cell arithmetic from overflowing.
struct BoxRun {
  std::int64_t lastI = 0;
  std::int64_t lastJ = 0;
  std::int64_t lastK = 0;
  std::int64_t originX = 0;
  std::int64_t originY = 0;
};

// Stamps the blocks of `runs`, in order, in colour CurColor: every block whose
// cell is accepted is drawn and logged (AppendStamped), the others skipped.
// The result is exactly that of visiting every block, however large the
// sizes: blocks are counted per cell instead of visited one by one, every
// cell is drawn once in the order of its last block (all blocks of a stamp
// share one colour, so that gives the same pixels), and only the blocks up to
// the log's cap and the very last block are written to the log.
// Returns the number of blocks stamped.
std::int64_t StampRuns(Scene& scene, const BoxRun* runs, std::size_t count);

// A solid box of the parsed sizes (1, 1, 1 in mode "Single") at the pressed cell.
void OrgDraw(Scene& scene, const StampInputs& in);
// One box loop on its own.
void OrgDraw2(Scene& scene, const BoxRun& run);
// Shell or solid box, then the panels and one refresh.
void loopDraw(Scene& scene, const StampInputs& in);

// The three loops of the shell of an xs × ys × zs box pressed at (cx, cy):
// the X end face, the Y end face and the top, which never overlap.
std::array<BoxRun, 3> ShellRuns(std::int64_t xs, std::int64_t ys, std::int64_t zs, std::int64_t cx,
                                std::int64_t cy);

}  // namespace palorin::core
