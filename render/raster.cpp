#include "render/raster.h"

#include <algorithm>

namespace palorin::render {

void Cls(Raster& raster) {
  std::fill_n(raster.Data(), static_cast<std::size_t>(kRasterWidth) * kRasterHeight, kBlack);
}

}  // namespace palorin::render
