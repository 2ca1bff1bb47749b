#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/history.h"
#include "core/placement_log.h"
#include "render/raster.h"

namespace palorin::cli {

// How `animate` shows a picture being built. Step k (1, 2, ...) shows log
// slots 0..k*every-1 replayed into a cleared drawing area, for every k*every
// below the number of slots the picture replays; the last step is the whole
// picture, held longer. A step that changes nothing has no frame of its own:
// the frame before is shown for its time too.
struct AnimateOptions {
  std::optional<std::int32_t> every;  // slots added per step; nullopt: DefaultEvery
  int delayMs = core::kBuildFrameMs;  // each step but the last
  int holdMs = 2000;                  // the last step
  int scale = 1;
};

// The steps a build animation aims at when --every is not given: at the
// default delay the build takes about ten seconds however long the log is.
// The page plays its history at the same pace.
inline constexpr std::int64_t kDefaultFrames = core::kBuildFrames;

// Slots per step when --every is not given: `slots` / kDefaultFrames rounded
// up, at least 1 (a 2000-slot picture: 10).
inline std::int32_t DefaultEvery(std::int64_t slots) { return core::BuildFrameStep(slots); }

// The animated GIF of the picture whose log is `log` being built; `whole` is
// the drawing area after loading, which the last step shows as it is.
std::string EncodeBuildAnimation(const core::PlacementLog& log, const render::Raster& whole,
                                 const AnimateOptions& options);

}  // namespace palorin::cli
