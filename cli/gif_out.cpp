#include "cli/gif_out.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <exception>

#include "base/error.h"
#include "cli/image_out.h"
#include "render/sprites.h"

namespace palorin::cli {

namespace {

std::string GiflibMessage(int code) {
  const char* text = GifErrorString(code);
  return std::string("GIF encoding failed: ") + (text != nullptr ? text : "unknown giflib error");
}

// giflib's output hook: appends to the string the encoder owns. An exception
// must not cross giflib's C frames, so a failed append is reported to giflib
// as a failed write instead.
int AppendBytes(GifFileType* gif, const GifByteType* data, int length) {
  try {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
  } catch (const std::exception&) {
    return 0;
  }
}

// A colour map needs a power of two entries, two at the least.
int ColourMapSize(std::size_t colours) {
  int size = 2;
  while (static_cast<std::size_t>(size) < colours) size *= 2;
  return size;
}

std::size_t TablePlace(render::Pixel pixel, std::size_t size) {
  return (static_cast<std::uint32_t>(pixel * 2654435761u) >> 20) % size;
}

// Releases a colour map however the function that made it ends.
struct ColourMap {
  ColorMapObject* map;
  ~ColourMap() { GifFreeMapObject(map); }
};

}  // namespace

const std::vector<render::Pixel>& GifPalette() {
  static const std::vector<render::Pixel> palette = [] {
    std::vector<render::Pixel> colours{render::kBlack};
    for (const render::BlockSprite& sprite : render::BlockSprites()) {
      for (int row = 0; row < render::kSpriteHeight; ++row) {
        for (int column = 0; column < render::kSpriteWidth; ++column) {
          if (!sprite.Opaque(column, row)) continue;
          const render::Pixel colour =
              sprite.colour[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
          if (std::find(colours.begin(), colours.end(), colour) == colours.end()) {
            colours.push_back(colour);
          }
        }
      }
    }
    return colours;
  }();
  return palette;
}

void GifAnimation::Closer::operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }

GifAnimation::GifAnimation(int scale) : scale_(scale) {
  if (scale < kMinScale || scale > kMaxScale) throw Error("GIF encoding failed: bad scale");
  const std::vector<render::Pixel>& palette = GifPalette();
  if (palette.size() > 256) throw Error("GIF encoding failed: more than 256 block colours");
  int error = 0;
  gif_.reset(EGifOpen(&bytes_, AppendBytes, &error));
  if (gif_ == nullptr) throw Error(GiflibMessage(error));

  const int size = ColourMapSize(palette.size());
  const ColourMap map{GifMakeMapObject(size, nullptr)};
  if (map.map == nullptr) throw Error(GiflibMessage(E_GIF_ERR_NOT_ENOUGH_MEM));
  for (std::size_t i = 0; i < palette.size(); ++i) {
    map.map->Colors[i] = {static_cast<GifByteType>((palette[i] >> 16) & 0xff),
                          static_cast<GifByteType>((palette[i] >> 8) & 0xff),
                          static_cast<GifByteType>(palette[i] & 0xff)};
  }
  for (std::size_t i = 0; i < palette.size(); ++i) {
    std::size_t place = TablePlace(palette[i], kTableSize);
    while (tableColour_[place] != 0) place = (place + 1) % kTableSize;
    tableColour_[place] = palette[i];
    tableIndex_[place] = static_cast<unsigned char>(i);
  }
  // The frame delays and the loop need the 89a version of the format.
  EGifSetGifVersion(gif_.get(), true);
  Check(EGifPutScreenDesc(gif_.get(), render::kRasterWidth * scale_, render::kRasterHeight * scale_,
                          8, 0, map.map));

  // The application extension that makes viewers loop: sub-block 1, loop
  // count 0 = forever.
  static const GifByteType kLoopForever[3] = {1, 0, 0};
  Check(EGifPutExtensionLeader(gif_.get(), APPLICATION_EXT_FUNC_CODE));
  Check(EGifPutExtensionBlock(gif_.get(), 11, "NETSCAPE2.0"));
  Check(EGifPutExtensionBlock(gif_.get(), 3, kLoopForever));
  Check(EGifPutExtensionTrailer(gif_.get()));
  line_.resize(static_cast<std::size_t>(render::kRasterWidth) * static_cast<std::size_t>(scale_));
}

void GifAnimation::Check(int giflibResult) {
  if (giflibResult != GIF_ERROR) return;
  throw Error(GiflibMessage(gif_->Error));
}

unsigned char GifAnimation::IndexOf(render::Pixel pixel) {
  std::size_t place = TablePlace(pixel, kTableSize);
  while (tableColour_[place] != pixel) {
    if (tableColour_[place] == 0 || pixel == 0) {
      throw Error("GIF encoding failed: a colour that is not a block colour");
    }
    place = (place + 1) % kTableSize;
  }
  return tableIndex_[place];
}

void GifAnimation::AddFrame(const render::Raster& frame, int delayMs) {
  if (gif_ == nullptr) throw Error("GIF encoding failed: the animation is finished");
  if (frames_ == 0) {
    PutRect(frame, 0, 0, render::kRasterWidth, render::kRasterHeight, delayMs);
  } else {
    // The rows that differ, then the columns that differ within them.
    constexpr auto kRowPixels = static_cast<std::size_t>(render::kRasterWidth);
    const auto rowDiffers = [&](int y) {
      return std::memcmp(frame.Row(y), previous_.Row(y), kRowPixels * sizeof(render::Pixel)) != 0;
    };
    int top = 0;
    while (top < render::kRasterHeight && !rowDiffers(top)) ++top;
    if (top == render::kRasterHeight) {
      PutRect(frame, 0, 0, 1, 1, delayMs);
    } else {
      int bottom = render::kRasterHeight - 1;
      while (!rowDiffers(bottom)) --bottom;
      int left = render::kRasterWidth;
      int right = -1;
      for (int y = top; y <= bottom; ++y) {
        const render::Pixel* now = frame.Row(y);
        const render::Pixel* before = previous_.Row(y);
        int x = 0;
        while (x < left && now[x] == before[x]) ++x;
        left = std::min(left, x);
        x = render::kRasterWidth - 1;
        while (x > right && now[x] == before[x]) --x;
        right = std::max(right, x);
      }
      PutRect(frame, left, top, right - left + 1, bottom - top + 1, delayMs);
    }
  }
  ++frames_;
}

void GifAnimation::PutRect(const render::Raster& frame, int left, int top, int width, int height,
                           int delayMs) {
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;  // each frame builds on the one before
  control.UserInputFlag = false;
  control.DelayTime = std::clamp((delayMs + 5) / 10, 0, 65535);
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4] = {};
  EGifGCBToExtension(&control, extension);
  Check(EGifPutExtension(gif_.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension));
  Check(EGifPutImageDesc(gif_.get(), left * scale_, top * scale_, width * scale_, height * scale_,
                         false, nullptr));

  const auto k = static_cast<std::size_t>(scale_);
  for (int y = top; y < top + height; ++y) {
    const render::Pixel* row = frame.Row(y);
    auto* dst = line_.data();
    // Faces are runs of one colour: look a colour up only where a run starts.
    render::Pixel runColour = row[left];
    unsigned char runIndex = IndexOf(runColour);
    for (int x = left; x < left + width; ++x) {
      if (row[x] != runColour) {
        runColour = row[x];
        runIndex = IndexOf(runColour);
      }
      dst = std::fill_n(dst, k, runIndex);
    }
    for (int copy = 0; copy < scale_; ++copy) {
      Check(EGifPutLine(gif_.get(), line_.data(), width * scale_));
    }
    std::copy_n(row + left, width, previous_.Row(y) + left);
  }
}

std::string GifAnimation::Finish() {
  if (gif_ == nullptr) throw Error("GIF encoding failed: the animation is finished");
  int error = 0;
  // giflib closes and frees the file whatever the outcome.
  if (EGifCloseFile(gif_.release(), &error) == GIF_ERROR) throw Error(GiflibMessage(error));
  return std::move(bytes_);
}

}  // namespace palorin::cli
