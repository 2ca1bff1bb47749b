#pragma once

#include <string>

#include "forms/tform1.h"
#include "forms/tform2.h"

namespace palorin::forms {

// Everything both windows show and hold, as one line of text: the status
// panels, every box (text, selected entry, enabled, the part box's list),
// the size labels' colours, the log's positions, the cell and colour, the
// file window's visibility, page, save mode, memo, indicators and part
// bookkeeping, and a digest of the picture. Two front ends that were given
// the same input must give the same line; file names are left out, since
// each front end names files its own way. Control bytes, '\' and '|' in a
// text are written as \xHH, so the line never breaks.
std::string StateLine(TForm1& form1, TForm2& form2);

// The FNV-1a digest of the raster's pixels, row by row, as 16 hex digits.
std::string RasterDigest(const render::Raster& raster);

}  // namespace palorin::forms
