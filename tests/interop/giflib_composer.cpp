#include "interop/giflib_composer.h"

#include <gif_lib.h>

#include <algorithm>

namespace zel::interop {

ComposedAnimation ComposeGiflibFile(const GiflibFile& file) {
  ComposedAnimation out;
  out.width = file.screenWidth;
  out.height = file.screenHeight;
  if (file.hasLoopBlock) out.loop = file.loopCount == 0 ? kViewerLoopsForever : file.loopCount;
  RgbaImage screen(out.width, out.height);
  for (const GiflibImage& image : file.images) {
    const std::vector<Rgba>& colors =
        image.localColors.empty() ? file.globalColors : image.localColors;
    const RgbaImage before = screen;
    const int right = std::min(image.left + image.width, out.width);
    const int bottom = std::min(image.top + image.height, out.height);
    for (int y = image.top; y < bottom; ++y) {
      for (int x = image.left; x < right; ++x) {
        const size_t at = static_cast<size_t>(y - image.top) * image.width + (x - image.left);
        if (at >= image.raster.size()) continue;
        const int index = image.raster[at];
        // An index beyond the table has no colour; browsers leave such a pixel undrawn.
        if (index == image.transparentIndex || index >= static_cast<int>(colors.size())) {
          continue;
        }
        screen.At(x, y) = colors[static_cast<size_t>(index)];
      }
    }
    out.frames.push_back(screen);
    out.delays.push_back(image.delay);
    if (image.disposal == DISPOSE_BACKGROUND) {
      for (int y = image.top; y < bottom; ++y) {
        for (int x = image.left; x < right; ++x) screen.At(x, y) = Rgba{};
      }
    } else if (image.disposal == DISPOSE_PREVIOUS) {
      screen = before;
    }
  }
  return out;
}

std::optional<ComposedAnimation> ComposeWithGiflib(const std::string& path) {
  std::optional<GiflibFile> file = ReadWithGiflib(path);
  if (!file) return std::nullopt;
  return ComposeGiflibFile(*file);
}

}  // namespace zel::interop
