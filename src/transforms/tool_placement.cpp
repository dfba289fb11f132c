#include "transforms/tool_placement.h"

#include <algorithm>
#include <limits>

namespace zel {
namespace {

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

FormLayout PlaceToolForm(const ToolRect& view, const ToolRect& screen, int32_t pictureHeight,
                         const ToolRect& barSize, const ToolRect& fullSize,
                         bool standardBarFloats) {
  const int64_t screenRight = int64_t{screen.x} + screen.width;
  const int64_t screenBottom = int64_t{screen.y} + screen.height;
  if (!standardBarFloats && view.width >= barSize.width) {
    // The strip lies inside the view along its bottom edge, as wide as the view.
    ToolRect strip{view.x, ClampToInt32(int64_t{view.y} + view.height - barSize.height), view.width,
                   barSize.height};
    const bool onScreen = strip.x >= screen.x && strip.y >= screen.y &&
                          int64_t{strip.x} + strip.width <= screenRight &&
                          int64_t{strip.y} + strip.height <= screenBottom;
    if (onScreen) return {FormPlacement::kBar, strip};
  }
  int64_t x = int64_t{view.x} + 4;
  int64_t y = int64_t{view.y} + pictureHeight + 4;
  x = std::max<int64_t>(std::min<int64_t>(x, screenRight - fullSize.width), screen.x);
  y = std::max<int64_t>(std::min<int64_t>(y, screenBottom - fullSize.height), screen.y);
  return {FormPlacement::kFull,
          {ClampToInt32(x), ClampToInt32(y), fullSize.width, fullSize.height}};
}

}  // namespace zel
