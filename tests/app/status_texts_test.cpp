#include "app/status_texts.h"

#include <gtest/gtest.h>

#include "app/view_geometry.h"

namespace zel {
namespace {

TEST(StatusTexts, PanesFollowKindDepthAndFrame) {
  struct Case {
    ImageKind kind;
    int32_t bitCount;
    int32_t currentFrame;
    int32_t count;
    const char* kindText;
    const char* framePane;
    const char* sizeText;
  } cases[] = {
      {ImageKind::kNone, 0, 0, 0, " ", "", ""},
      {ImageKind::kGifAnimation, 8, 2, 5, "ｱﾆﾒ", "3/5", "20,10"},
      {ImageKind::kGifAnimation, 8, 0, 1, "ｱﾆﾒ", "1/1", "20,10"},
      {ImageKind::kFrameAnimation, 24, 9, 10, "ﾌﾚｰﾑ", "10/10", "20,10"},
      {ImageKind::kGifPicture, 8, 0, 0, "GIF", "INDEX", "20,10"},
      {ImageKind::kBitmap, 8, 0, 0, "BMP", "INDEX", "20,10"},
      {ImageKind::kBitmap, 24, 0, 0, "BMP", "TRUE", "20,10"},
      {ImageKind::kJpeg, 24, 0, 0, "JPEG", "TRUE", "20,10"},
      {ImageKind::kPng, 8, 0, 0, "PNG", "INDEX", "20,10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kindText);
    DocumentState doc;
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    doc.kind = c.kind;
    doc.bitCount = c.bitCount;
    doc.currentFrame = c.currentFrame;
    doc.frameSet->count = c.count;
    if (c.kind != ImageKind::kNone) {
      doc.width = 20;
      doc.height = 10;
    }
    EXPECT_EQ(StatusKindText(doc), c.kindText);
    EXPECT_EQ(StatusFramePaneText(doc), c.framePane);
    EXPECT_EQ(StatusSizeText(doc), c.sizeText);
    EXPECT_EQ(ShowsAnimationToolBar(c.kind), IsAnimation(c.kind));
  }
  EXPECT_TRUE(ShowsAnimationToolBar(ImageKind::kGifAnimation));
  EXPECT_TRUE(ShowsAnimationToolBar(ImageKind::kFrameAnimation));
  EXPECT_FALSE(ShowsAnimationToolBar(ImageKind::kGifPicture));
  EXPECT_FALSE(ShowsAnimationToolBar(ImageKind::kNone));
}

TEST(ViewGeometry, BackgroundSurroundsThePicture) {
  struct Case {
    int32_t pictureWidth;
    int32_t pictureHeight;
    std::vector<PaintRect> rects;
  } cases[] = {
      {30, 20, {{30, 0, 70, 80}, {0, 20, 30, 60}}},
      {0, 0, {{0, 0, 100, 80}}},      // nothing open: the whole client area
      {100, 80, {}},                  // the picture covers it all
      {150, 20, {{0, 20, 100, 60}}},  // wider than the window
      {30, 200, {{30, 0, 70, 80}}},   // taller than the window
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight);
    EXPECT_EQ(BackgroundRects(100, 80, c.pictureWidth, c.pictureHeight), c.rects);
  }
  EXPECT_TRUE(BackgroundRects(0, 80, 30, 20).empty());
}

TEST(ViewGeometry, EdgeBlinksOnlyAroundAPicture) {
  auto on = BlinkEdge(30, 20, true);
  ASSERT_TRUE(on);
  EXPECT_EQ(on->points, (std::array<PaintPoint, 3>{{{30, 0}, {30, 20}, {0, 20}}}));
  EXPECT_EQ(on->penColor, 0x000000u);
  EXPECT_EQ(on->backColor, 0xC0C0C0u);
  auto off = BlinkEdge(30, 20, false);
  ASSERT_TRUE(off);
  EXPECT_EQ(off->points, on->points);
  EXPECT_EQ(off->penColor, 0xC0C0C0u);
  EXPECT_EQ(off->backColor, 0x000000u);

  EXPECT_FALSE(BlinkEdge(0, 20, true));
  EXPECT_FALSE(BlinkEdge(30, 0, true));
  EXPECT_FALSE(NextBlinkPhase(true, 1, 1));
  EXPECT_TRUE(NextBlinkPhase(false, 1, 1));
  EXPECT_TRUE(NextBlinkPhase(true, 0, 5));
  EXPECT_FALSE(NextBlinkPhase(false, 5, 0));
}

TEST(ViewGeometry, PictureToDrawFollowsTheDisplay) {
  DocumentState doc;
  EXPECT_EQ(PictureToDraw(doc), nullptr);
  doc.currentPicture = NewPicture(2, 2, 24, 0);
  EXPECT_EQ(PictureToDraw(doc), &doc.currentPicture);

  doc.trueColorDisplay = 0;
  EXPECT_EQ(PictureToDraw(doc), nullptr);  // no display copy yet
  doc.displayPalettePicture = NewPicture(2, 2, 24, 0);
  EXPECT_EQ(PictureToDraw(doc), nullptr);  // a palette display needs a colour table
  const Rgbq table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  doc.displayPalettePicture = NewPicture(2, 2, 8, 2, table);
  EXPECT_EQ(PictureToDraw(doc), &doc.displayPalettePicture);
}

}  // namespace
}  // namespace zel
