// palorin-cli animate: the picture being built, slot by slot, as an animated
// GIF.
#include <algorithm>
#include <memory>
#include <ostream>
#include <vector>

#include "base/error.h"
#include "cli/animate.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/gif_out.h"
#include "cli/help.h"
#include "cli/image_out.h"
#include "cli/load.h"
#include "core/history.h"
#include "render/sprites.h"

namespace palorin::cli {

std::string EncodeBuildAnimation(const core::PlacementLog& log, const render::Raster& whole,
                                 const AnimateOptions& options) {
  // A load replays slots 0..LastIndex; a count below 0 replays none.
  const std::int64_t slots =
      std::clamp<std::int64_t>(std::int64_t{log.LastIndex} + 1, 0, core::kLogSlots);
  const std::int64_t every =
      options.every ? std::max<std::int64_t>(*options.every, 1) : DefaultEvery(slots);

  const std::vector<std::int64_t> lastSlots = core::BuildFrameLastSlots(slots, every);
  // The sprites each frame after the first draws, to order the palette by.
  std::vector<unsigned> spritesPerFrame;
  for (std::size_t k = 1; k < lastSlots.size(); ++k) {
    unsigned sprites = 0;
    for (std::int64_t slot = lastSlots[k - 1] + 1; slot <= lastSlots[k]; ++slot) {
      const unsigned colour = log.ColorAt(slot);
      if (colour != 0 && colour < render::kSpriteCount) sprites |= 1u << colour;
    }
    spritesPerFrame.push_back(sprites);
  }
  // The sprites whose colours the frames can show: those the replay draws
  // and those of the colours the whole picture holds (it may have been
  // loaded over other files). The colour table holds only theirs.
  unsigned showing = SpritesShowing(whole);
  for (std::int64_t slot = 0; slot < slots; ++slot) {
    const unsigned colour = log.ColorAt(slot);
    if (colour != 0 && colour < render::kSpriteCount) showing |= 1u << colour;
  }
  GifAnimation gif(options.scale, LeadingSprites(spritesPerFrame), showing);
  // Each frame draws only the slots it adds, over the frame before: drawing
  // only covers, so that is the very picture of a replay from slot 0 into a
  // cleared drawing area (render --upto), at a fraction of the work.
  // Only the boxes of the blocks a frame draws can differ from the frame
  // before, and the encoder compares just those.
  render::Raster frame;
  std::vector<render::PixelBox> touched;
  std::int64_t shown = 0;  // slots 0..shown-1 are in `frame`
  for (std::size_t k = 0; k + 1 < lastSlots.size(); ++k) {
    const std::int64_t end = lastSlots[k] + 1;
    touched.clear();
    for (std::int64_t slot = shown; slot < end; ++slot) {
      if (log.ColorAt(slot) != 0) touched.push_back(render::BlockBox(log.XAt(slot), log.YAt(slot)));
    }
    core::ReDrawSlots(log, frame, shown, end - 1);
    gif.AddFrame(frame, options.delayMs, touched);
    shown = end;
  }
  gif.AddFrame(whole, options.holdMs);
  return gif.Finish();
}

int RunAnimate(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs("animate", args,
                                {{"output", 'o', true},
                                 {"every", 0, true},
                                 {"delay", 0, true},
                                 {"hold", 0, true},
                                 {"scale", 0, true}},
                                io.err);
  if (!parsed) return kExitUsage;
  if (parsed->help) {
    io.out << kAnimateHelp;
    return kExitOk;
  }
  if (parsed->operands.empty()) return Usage("animate", "no FILE given", io);

  const std::optional<std::string> output = parsed->Value("output");
  if (output && !IsGifName(*output)) {
    return Usage("animate", "OUT must end in .gif: " + *output, io);
  }
  if (!output && io.outIsTerminal) {
    return Usage("animate", "standard output is a terminal; give -o OUT", io);
  }
  AnimateOptions options;
  const auto ranged = [&](std::string_view name, std::string_view what, int min, int max,
                          int fallback) {
    return RangedOption(*parsed, "animate", name, what, min, max, fallback, io);
  };
  if (parsed->Has("every")) {
    const auto every = ranged("every", "a slot count", 1, core::kLogSlots, 1);
    if (!every) return kExitUsage;
    options.every = *every;
  }
  // Viewers play delays under 20 ms slower than asked, so none is offered.
  const auto delay = ranged("delay", "milliseconds", 20, kMaxGifDelayMs, options.delayMs);
  if (!delay) return kExitUsage;
  const auto hold = ranged("hold", "milliseconds", 20, kMaxGifDelayMs, options.holdMs);
  if (!hold) return kExitUsage;
  const auto scale = ranged("scale", "a factor", kMinScale, kMaxScale, options.scale);
  if (!scale) return kExitUsage;
  options.delayMs = *delay;
  options.holdMs = *hold;
  options.scale = *scale;

  auto session = std::make_unique<Session>();
  if (!LoadPicture(*session, parsed->operands, "animate", io)) return kExitFailure;

  return DeliverImage(
      "animate", output,
      [&] { return EncodeBuildAnimation(session->form1().log(), session->raster(), options); }, io);
}

}  // namespace palorin::cli
