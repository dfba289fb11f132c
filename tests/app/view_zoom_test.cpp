#include "app/view_zoom.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(ViewZoomTest, StepsInAndOut) {
  struct Case {
    int zoom, in, out;
  } cases[] = {
      {100, 150, 67},     {25, 33, 25},    {1600, 1600, 1200}, {33, 50, 25}, {67, 100, 50},
      {150, 200, 100},    {120, 150, 100}, {10, 25, 25},  // between and beyond steps
      {5000, 1600, 1600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    EXPECT_EQ(ZoomInStep(c.zoom), c.in);
    EXPECT_EQ(ZoomOutStep(c.zoom), c.out);
  }
  // Stepping in from the smallest reaches every step and ends at the largest.
  int zoom = kMinViewZoom;
  for (int step : kViewZoomSteps) {
    EXPECT_EQ(zoom, step);
    zoom = ZoomInStep(zoom);
  }
  EXPECT_EQ(zoom, kMaxViewZoom);
}

TEST(ViewZoomTest, ViewPixelsShowThePixelTheirCentreFallsIn) {
  // Content pixels 0..7 and the picture pixel each shows.
  struct Case {
    int zoom;
    int32_t pixels[8];
  } cases[] = {
      {100, {0, 1, 2, 3, 4, 5, 6, 7}},   {200, {0, 0, 1, 1, 2, 2, 3, 3}},
      {300, {0, 0, 0, 1, 1, 1, 2, 2}},   {150, {0, 1, 1, 2, 3, 3, 4, 5}},
      {50, {1, 3, 5, 7, 9, 11, 13, 15}}, {25, {2, 6, 10, 14, 18, 22, 26, 30}},
      {1600, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    for (int32_t content = 0; content < 8; ++content) {
      EXPECT_EQ(PixelAtContent(content, c.zoom), c.pixels[content]) << content;
    }
    // A pixel starts at the first content pixel that shows it, also left of the picture.
    for (int32_t pixel = -20; pixel < 20; ++pixel) {
      const int32_t start = ContentStartOfPixel(pixel, c.zoom);
      EXPECT_GE(PixelAtContent(start, c.zoom), pixel) << pixel;
      EXPECT_LT(PixelAtContent(start - 1, c.zoom), pixel) << pixel;
    }
  }
}

TEST(ViewZoomTest, MapsPointsBothWaysUnderZoomAndScroll) {
  const ViewZoom view{200, 30, 10};
  EXPECT_EQ(PictureToView({40, 20}, view), (PaintPoint{50, 30}));
  EXPECT_EQ(ViewToPicture({50, 30}, view), (PaintPoint{40, 20}));
  EXPECT_EQ(ViewToPicture({51, 31}, view), (PaintPoint{40, 20}));
  EXPECT_EQ(ViewToPicture({52, 31}, view), (PaintPoint{41, 20}));
  // Left of and above the picture the mapping goes on (the handles reach there).
  EXPECT_EQ(ViewToPicture({0, 0}, ViewZoom{200, 0, 0}), (PaintPoint{0, 0}));
  EXPECT_EQ(ViewToPicture({-1, -2}, ViewZoom{200, 0, 0}), (PaintPoint{-1, -1}));
  // At 100 % without scrolling view and picture coordinates are the same.
  for (int32_t v : {-7, 0, 1, 99, 12345}) {
    EXPECT_EQ(ViewToPicture({v, v}, ViewZoom{}), (PaintPoint{v, v}));
    EXPECT_EQ(PictureToView({v, v}, ViewZoom{}), (PaintPoint{v, v}));
  }
  // Far-away points saturate instead of overflowing.
  EXPECT_EQ(PictureToView({INT32_MAX, INT32_MIN}, ViewZoom{1600, 0, 0}),
            (PaintPoint{INT32_MAX, INT32_MIN}));
}

TEST(ViewZoomTest, ScrollRangeFollowsPictureZoomAndView) {
  struct Case {
    int32_t width, height;
    int zoom;
    int32_t viewWidth, viewHeight;
    PaintPoint zoomed, limits;
  } cases[] = {
      {100, 80, 100, 400, 300, {100, 80}, {0, 0}},            // fits: no scrolling
      {1600, 1200, 100, 800, 600, {1600, 1200}, {800, 600}},  // larger than the view
      {32, 32, 1600, 300, 200, {512, 512}, {212, 312}},       // a small icon enlarged
      {1600, 1200, 50, 800, 600, {800, 600}, {0, 0}},         // exactly fits at 50 %
      {1600, 1200, 33, 500, 300, {528, 396}, {28, 96}},
      {1, 1, 25, 10, 10, {1, 1}, {0, 0}},       // never vanishes
      {0, 0, 400, 10, 10, {0, 0}, {0, 0}},      // no picture
      {10, 10, 200, 0, 0, {20, 20}, {20, 20}},  // a view of no size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.zoom);
    EXPECT_EQ(ZoomedLength(c.width, c.zoom), c.zoomed.x);
    EXPECT_EQ(ZoomedLength(c.height, c.zoom), c.zoomed.y);
    EXPECT_EQ(ScrollLimits(c.width, c.height, c.zoom, c.viewWidth, c.viewHeight), c.limits);
  }
  // Scroll offsets and zoom are held in range.
  EXPECT_EQ(HoldView({5000, -3, 9999}, 100, 100, 300, 300), (ViewZoom{1600, 0, 1300}));
  EXPECT_EQ(HoldView({1, 50, 50}, 100, 100, 300, 300), (ViewZoom{25, 0, 0}));
}

TEST(ViewZoomTest, ZoomAboutKeepsThePointUnderTheMouse) {
  struct Case {
    ViewZoom from;
    int zoom;
    PaintPoint about;
    ViewZoom to;
  } cases[] = {
      // 1000 x 1000 picture in a 400 x 300 view.
      {{100, 0, 0}, 200, {100, 60}, {200, 101, 61}},
      {{200, 101, 61}, 100, {100, 60}, {100, 0, 0}},
      {{100, 200, 100}, 400, {0, 0}, {400, 802, 402}},
      {{100, 0, 0}, 1600, {399, 299}, {1600, 5993, 4493}},
      // Held by the scroll limits: zooming out near the far corner.
      {{400, 3600, 3700}, 50, {200, 150}, {50, 100, 200}},
      {{100, 0, 0}, 25, {200, 150}, {25, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from.zoom << " -> " << c.zoom);
    const ViewZoom to = ZoomAbout(c.from, c.zoom, c.about, 1000, 1000, 400, 300);
    EXPECT_EQ(to, c.to);
  }
  // Where the limits allow, the picture pixel under the point stays there.
  const ViewZoom start{150, 77, 33};
  const PaintPoint at{123, 45};
  const PaintPoint pixel = ViewToPicture(at, start);
  for (int zoom : kViewZoomSteps) {
    if (zoom < 100) continue;  // below 100 % pixels are left out
    const ViewZoom to = ZoomAbout(start, zoom, at, 1000, 1000, 400, 300);
    EXPECT_EQ(ViewToPicture(at, to), pixel) << zoom;
  }
}

TEST(ViewZoomTest, FitIsTheLargestZoomThatShowsTheWholePicture) {
  struct Case {
    int32_t width, height, viewWidth, viewHeight;
    int zoom;
  } cases[] = {
      {1600, 1200, 800, 600, 50}, {32, 32, 800, 600, 1600},  {100, 100, 300, 200, 200},
      {100, 100, 150, 150, 150},  {4000, 100, 800, 600, 25}, {0, 10, 800, 600, 100},
      {10, 10, 0, 600, 100},      {3, 3, 10, 10, 350},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.width << "x" << c.height << " in " << c.viewWidth << "x" << c.viewHeight);
    EXPECT_EQ(FitViewZoom(c.width, c.height, c.viewWidth, c.viewHeight), c.zoom);
  }
}

// A new picture starts at 100 %, or fitted when larger than the view, at the top-left: the
// zoom it replaces plays no part (the rule takes none).
TEST(ViewZoomTest, OpeningViewIsFullSizeOrFittedAtTheTopLeft) {
  struct Case {
    int32_t width, height, viewWidth, viewHeight;
    int zoom;
  } cases[] = {
      {160, 120, 800, 600, 100},   // small: full size, not enlarged to fit
      {800, 600, 800, 600, 100},   // exactly the view
      {801, 600, 800, 600, 99},    // one pixel too wide
      {1600, 1200, 800, 600, 50},  // a photo
      {400, 2000, 800, 600, 30},   // too tall only
      {1, 1, 800, 600, 100},
      {8000, 8000, 800, 600, 25},  // the smallest zoom, scrolled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    EXPECT_EQ(OpeningViewZoom(c.width, c.height, c.viewWidth, c.viewHeight),
              (ViewZoom{c.zoom, 0, 0}));
  }
}

TEST(ViewZoomTest, ScrollableAreaHoldsTheZoomedPicture) {
  // A picture larger than the view still fits its scrollable area.
  EXPECT_EQ(ScrollableAreaInPicture(1600, 1200, 100, 800, 600), (PaintPoint{1600, 1200}));
  EXPECT_EQ(ScrollableAreaInPicture(100, 50, 100, 800, 600), (PaintPoint{800, 600}));
  EXPECT_EQ(ScrollableAreaInPicture(100, 50, 200, 800, 600), (PaintPoint{400, 300}));
  for (int zoom : kViewZoomSteps) {
    for (int32_t length : {1, 7, 333, 1600}) {
      const PaintPoint area = ScrollableAreaInPicture(length, length, zoom, 100, 100);
      EXPECT_GE(area.x, length) << zoom;
      // The area's pixels zoomed still fit the area.
      EXPECT_LE(ZoomedLength(area.x, zoom), std::max(100, ZoomedLength(length, zoom))) << zoom;
    }
  }
}

TEST(ViewZoomTest, PixelTablesAndVisibleExtent) {
  EXPECT_EQ(PixelTable(3, 5, 200, 100), (std::vector<int32_t>{1, 2, 2, 3, 3}));
  // Held inside the picture.
  EXPECT_EQ(PixelTable(0, 3, 25, 2), (std::vector<int32_t>{1, 1, 1}));
  EXPECT_TRUE(PixelTable(0, 3, 100, 0).empty());
  EXPECT_EQ(VisiblePictureExtent(100, 50, ViewZoom{200, 30, 0}), (PaintPoint{170, 100}));
  EXPECT_EQ(VisiblePictureExtent(100, 50, ViewZoom{}), (PaintPoint{100, 50}));
  EXPECT_EQ(VisiblePictureExtent(0, 50, ViewZoom{}), (PaintPoint{0, 0}));
}

}  // namespace
}  // namespace zel
