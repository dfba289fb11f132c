#include "app/view_zoom.h"

#include <algorithm>
#include <limits>

namespace zel {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool Fits(int32_t pictureWidth, int32_t pictureHeight, int zoom, int32_t viewWidth,
          int32_t viewHeight) {
  return ZoomedLength(pictureWidth, zoom) <= viewWidth &&
         ZoomedLength(pictureHeight, zoom) <= viewHeight;
}

}  // namespace

std::string ViewZoomText(int zoom) {
  return std::to_string(zoom) + "%";
}

int ClampViewZoom(int zoom) {
  return std::clamp(zoom, kMinViewZoom, kMaxViewZoom);
}

int ZoomInStep(int zoom) {
  for (int step : kViewZoomSteps) {
    if (step > zoom) return step;
  }
  return kMaxViewZoom;
}

int ZoomOutStep(int zoom) {
  for (auto it = kViewZoomSteps.rbegin(); it != kViewZoomSteps.rend(); ++it) {
    if (*it < zoom) return *it;
  }
  return kMinViewZoom;
}

int FitViewZoom(int32_t pictureWidth, int32_t pictureHeight, int32_t viewWidth,
                int32_t viewHeight) {
  if (pictureWidth < 1 || pictureHeight < 1 || viewWidth < 1 || viewHeight < 1) {
    return kDefaultViewZoom;
  }
  const int64_t byWidth = int64_t{viewWidth} * 100 / pictureWidth;
  const int64_t byHeight = int64_t{viewHeight} * 100 / pictureHeight;
  int zoom = static_cast<int>(
      std::clamp<int64_t>(std::min(byWidth, byHeight), kMinViewZoom, kMaxViewZoom));
  // The rounding of the centre sampling may let a little more or less fit.
  while (zoom > kMinViewZoom && !Fits(pictureWidth, pictureHeight, zoom, viewWidth, viewHeight)) {
    --zoom;
  }
  while (zoom < kMaxViewZoom &&
         Fits(pictureWidth, pictureHeight, zoom + 1, viewWidth, viewHeight)) {
    ++zoom;
  }
  return zoom;
}

ViewZoom OpeningViewZoom(int32_t pictureWidth, int32_t pictureHeight, int32_t viewWidth,
                         int32_t viewHeight) {
  ViewZoom view;
  if (pictureWidth > viewWidth || pictureHeight > viewHeight) {
    view.zoom = FitViewZoom(pictureWidth, pictureHeight, viewWidth, viewHeight);
  }
  return view;
}

int32_t ContentStartOfPixel(int32_t pixel, int zoom) {
  zoom = ClampViewZoom(zoom);
  // The first content pixel c whose centre c + 1/2 lies at or right of pixel * zoom / 100:
  // c = ceil((2 * pixel * zoom - 100) / 200).
  return Saturate(-FloorDiv(-(2 * int64_t{pixel} * zoom - 100), 200));
}

int32_t PixelAtContent(int32_t content, int zoom) {
  zoom = ClampViewZoom(zoom);
  // floor((content + 1/2) * 100 / zoom)
  return Saturate(FloorDiv((2 * int64_t{content} + 1) * 50, zoom));
}

int32_t ZoomedLength(int32_t length, int zoom) {
  if (length < 1) return 0;
  return std::max(ContentStartOfPixel(length, zoom), 1);
}

PaintPoint PictureToView(PaintPoint picture, const ViewZoom& view) {
  return {Saturate(int64_t{ContentStartOfPixel(picture.x, view.zoom)} - view.scrollX),
          Saturate(int64_t{ContentStartOfPixel(picture.y, view.zoom)} - view.scrollY)};
}

PaintPoint ViewToPicture(PaintPoint viewPoint, const ViewZoom& view) {
  return {PixelAtContent(Saturate(int64_t{viewPoint.x} + view.scrollX), view.zoom),
          PixelAtContent(Saturate(int64_t{viewPoint.y} + view.scrollY), view.zoom)};
}

PaintPoint ScrollLimits(int32_t pictureWidth, int32_t pictureHeight, int zoom, int32_t viewWidth,
                        int32_t viewHeight) {
  return {std::max(ZoomedLength(pictureWidth, zoom) - std::max(viewWidth, 0), 0),
          std::max(ZoomedLength(pictureHeight, zoom) - std::max(viewHeight, 0), 0)};
}

ViewZoom HoldView(ViewZoom view, int32_t pictureWidth, int32_t pictureHeight, int32_t viewWidth,
                  int32_t viewHeight) {
  view.zoom = ClampViewZoom(view.zoom);
  const PaintPoint limits =
      ScrollLimits(pictureWidth, pictureHeight, view.zoom, viewWidth, viewHeight);
  view.scrollX = std::clamp(view.scrollX, 0, limits.x);
  view.scrollY = std::clamp(view.scrollY, 0, limits.y);
  return view;
}

ViewZoom ZoomAbout(const ViewZoom& view, int zoom, PaintPoint about, int32_t pictureWidth,
                   int32_t pictureHeight, int32_t viewWidth, int32_t viewHeight) {
  const int from = ClampViewZoom(view.zoom);
  const int to = ClampViewZoom(zoom);
  // The content pixel that holds, at the new zoom, the point under the centre of `about`.
  auto follow = [from, to](int32_t at, int32_t scroll) {
    const int64_t content = FloorDiv((2 * (int64_t{at} + scroll) + 1) * to, 2 * int64_t{from});
    return Saturate(content - at);
  };
  ViewZoom next{to, follow(about.x, view.scrollX), follow(about.y, view.scrollY)};
  return HoldView(next, pictureWidth, pictureHeight, viewWidth, viewHeight);
}

PaintPoint ScrollableAreaInPicture(int32_t pictureWidth, int32_t pictureHeight, int zoom,
                                   int32_t viewWidth, int32_t viewHeight) {
  // The most picture pixels whose zoomed length fits into the area is the pixel the area's
  // end shows.
  const int32_t areaWidth = std::max(std::max(viewWidth, 0), ZoomedLength(pictureWidth, zoom));
  const int32_t areaHeight = std::max(std::max(viewHeight, 0), ZoomedLength(pictureHeight, zoom));
  return {PixelAtContent(areaWidth, zoom), PixelAtContent(areaHeight, zoom)};
}

std::vector<int32_t> PixelTable(int32_t start, int32_t count, int zoom, int32_t length) {
  std::vector<int32_t> table;
  if (length < 1 || count < 1) return table;
  table.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    table.push_back(std::clamp(PixelAtContent(Saturate(int64_t{start} + i), zoom), 0, length - 1));
  }
  return table;
}

PaintPoint VisiblePictureExtent(int32_t pictureWidth, int32_t pictureHeight, const ViewZoom& view) {
  if (pictureWidth < 1 || pictureHeight < 1) return {0, 0};
  return {std::max(ZoomedLength(pictureWidth, view.zoom) - view.scrollX, 0),
          std::max(ZoomedLength(pictureHeight, view.zoom) - view.scrollY, 0)};
}

}  // namespace zel
