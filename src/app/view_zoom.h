// The view's zoom and scrolling, as plain arithmetic: the zoom steps, which picture pixel a
// point of the view shows and where a pixel starts on the view, the scroll ranges, zooming
// about a point and the zoom that fits the picture into the view. The picture is drawn with
// nearest-neighbour sampling at the top-left of its scrollable area; the window only draws
// and forwards what these say.
//
// Coordinates: "content" coordinates count view pixels from the picture's top-left corner
// at the current zoom; "view" coordinates are content coordinates minus the scroll offset.
// A view pixel shows the picture pixel its centre falls in, so at 33 % or 67 % some pixels
// are left out and at 150 % the pixels alternate between one and two view pixels.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/view_geometry.h"

namespace zel {

// Zoom in per cent.
constexpr int kMinViewZoom = 25;
constexpr int kMaxViewZoom = 1600;
constexpr int kDefaultViewZoom = 100;
constexpr std::array<int, 13> kViewZoomSteps = {25,  33,  50,  67,  100,  150, 200,
                                                300, 400, 600, 800, 1200, 1600};

// The zoom and the scroll offset (content coordinates of the view's top-left pixel).
struct ViewZoom {
  int zoom = kDefaultViewZoom;
  int32_t scrollX = 0;
  int32_t scrollY = 0;
  friend bool operator==(const ViewZoom&, const ViewZoom&) = default;
};

// The zoom as the status bar shows it: "200%".
std::string ViewZoomText(int zoom);

// The zoom held inside 25 .. 1600.
int ClampViewZoom(int zoom);
// The next step above `zoom` (the largest stays), the next step below (the smallest stays).
// A zoom between steps goes to the neighbouring step.
int ZoomInStep(int zoom);
int ZoomOutStep(int zoom);
// The largest zoom (in whole per cent, 25 .. 1600) at which the whole picture fits into a
// view of viewWidth x viewHeight; 100 for an empty picture or view.
int FitViewZoom(int32_t pictureWidth, int32_t pictureHeight, int32_t viewWidth, int32_t viewHeight);

// The view a newly opened picture starts with, whatever the zoom before: 100 % when the
// picture fits into a view of viewWidth x viewHeight at 100 %, else the zoom that fits it
// (FitViewZoom); scrolled to the top-left.
ViewZoom OpeningViewZoom(int32_t pictureWidth, int32_t pictureHeight, int32_t viewWidth,
                         int32_t viewHeight);

// The first content pixel showing picture pixel `pixel` (any pixel, also outside the
// picture: the tools' handles reach beyond it). Pixel `length` gives the end of a picture
// of that length.
int32_t ContentStartOfPixel(int32_t pixel, int zoom);
// The picture pixel a content pixel shows (outside the picture too: not held inside it).
int32_t PixelAtContent(int32_t content, int zoom);
// The content pixels a picture of `length` pixels covers: at least 1 for a picture of at
// least one pixel, so that a tiny picture never vanishes at 25 %.
int32_t ZoomedLength(int32_t length, int zoom);

// Point mapping between the view and the picture, following zoom and scroll.
PaintPoint PictureToView(PaintPoint picture, const ViewZoom& view);
PaintPoint ViewToPicture(PaintPoint viewPoint, const ViewZoom& view);

// The largest scroll offsets: the zoomed picture's overhang beyond the view (0 where it
// fits).
PaintPoint ScrollLimits(int32_t pictureWidth, int32_t pictureHeight, int zoom, int32_t viewWidth,
                        int32_t viewHeight);
// The zoom held in range and the offsets held inside 0 .. the limits.
ViewZoom HoldView(ViewZoom view, int32_t pictureWidth, int32_t pictureHeight, int32_t viewWidth,
                  int32_t viewHeight);
// The view after zooming to `zoom` so that the picture point under `about` (view
// coordinates) stays under it, as far as the scroll limits allow.
ViewZoom ZoomAbout(const ViewZoom& view, int zoom, PaintPoint about, int32_t pictureWidth,
                   int32_t pictureHeight, int32_t viewWidth, int32_t viewHeight);

// The area the picture can be scrolled within, in picture pixels: the view, or the zoomed
// picture where that is larger, taken back to picture pixels. The margin command compares
// the picture with this rather than with the visible part.
PaintPoint ScrollableAreaInPicture(int32_t pictureWidth, int32_t pictureHeight, int zoom,
                                   int32_t viewWidth, int32_t viewHeight);

// For `count` view pixels from content pixel `start`, the picture pixel each shows, held
// inside 0 .. length - 1 (the drawing's row and column tables). Empty for an empty picture.
std::vector<int32_t> PixelTable(int32_t start, int32_t count, int zoom, int32_t length);

// The part of the view the zoomed and scrolled picture covers, from the view's top-left:
// its width and height (0 when nothing of it shows). BackgroundRects and BlinkEdge take these
// in place of the picture's size.
PaintPoint VisiblePictureExtent(int32_t pictureWidth, int32_t pictureHeight, const ViewZoom& view);

}  // namespace zel
