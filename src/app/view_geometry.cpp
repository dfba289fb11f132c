#include "app/view_geometry.h"

#include <algorithm>

namespace zel {

std::vector<PaintRect> BackgroundRects(int32_t clientWidth, int32_t clientHeight,
                                       int32_t pictureWidth, int32_t pictureHeight) {
  std::vector<PaintRect> rects;
  if (clientWidth <= 0 || clientHeight <= 0) return rects;
  int32_t right = std::clamp(pictureWidth, 0, clientWidth);
  if (right < clientWidth) rects.push_back({right, 0, clientWidth - right, clientHeight});
  int32_t bottom = std::clamp(pictureHeight, 0, clientHeight);
  if (right > 0 && bottom < clientHeight) {
    rects.push_back({0, bottom, right, clientHeight - bottom});
  }
  return rects;
}

const PackedDib* PictureToDraw(const DocumentState& doc) {
  if (doc.trueColorDisplay) {
    return doc.currentPicture.size() >= kDibHeaderSize ? &doc.currentPicture : nullptr;
  }
  const PackedDib& display = doc.displayPalettePicture;
  if (display.size() < kDibHeaderSize || display.ColorCount() == 0) return nullptr;
  return &display;
}

std::optional<EdgeLine> BlinkEdge(int32_t width, int32_t height, bool phaseOn) {
  if (width < 1 || height < 1) return std::nullopt;
  EdgeLine edge;
  edge.points = {PaintPoint{width, 0}, PaintPoint{width, height}, PaintPoint{0, height}};
  edge.penColor = phaseOn ? kColorBlack : kColorSilver;
  edge.backColor = phaseOn ? kColorSilver : kColorBlack;
  return edge;
}

bool NextBlinkPhase(bool phaseOn, int32_t width, int32_t height) {
  return (width >= 1 && height >= 1) ? !phaseOn : phaseOn;
}

}  // namespace zel
