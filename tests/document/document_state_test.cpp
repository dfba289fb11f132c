#include "document/document_state.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(FrameSet, FrameMaximumIsClamped) {
  struct Case {
    int setting;
    int used;
  } cases[] = {{15, 256}, {-3, 256}, {16, 16}, {10000, 10000}, {10001, 10000}, {500, 500}};
  for (const Case& c : cases) {
    DocumentState doc;
    ASSERT_TRUE(CreateDocumentContainer(doc, c.setting));
    EXPECT_EQ(doc.frameMax, c.used) << c.setting;
    EXPECT_EQ(doc.frameSet->capacity(), c.used);
    EXPECT_EQ(doc.frameSet->count, 0);
  }
}

PackedDib Picture(uint8_t fill, std::vector<Rgbq> table) {
  PackedDib p = NewPicture(2, 2, 8, static_cast<uint32_t>(table.size()), table.data());
  for (int y = 0; y < 2; ++y) p.Row(y)[0] = p.Row(y)[1] = fill;
  return p;
}

TEST(DocumentState, InstallingAnimationsAndPictures) {
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, 16));
  int repaints = 0;
  doc.pictureChanged = [&] { ++repaints; };
  doc.flags = kFlagStopped | kFlagStep | kFlagFromCommandLine;

  FrameSet loaded(16);
  loaded.count = 3;
  loaded.screenWidth = loaded.screenHeight = 2;
  for (int i = 0; i < 3; ++i) {
    loaded.frame(i).image = Picture(uint8_t(i), {{0, 0, 0, 0}, {1, 1, 1, 0}, {2, 2, 2, 0}});
    loaded.frame(i).delay = 10 * (i + 1);
  }
  ASSERT_TRUE(InstallAnimation(doc, loaded, ImageKind::kGifAnimation, 1234));
  EXPECT_EQ(doc.kind, ImageKind::kGifAnimation);
  EXPECT_EQ(doc.frameSet->count, 3);
  EXPECT_EQ(doc.frameSet->frame(2).delay, 30);
  EXPECT_EQ(doc.currentFrame, 0);
  EXPECT_EQ(doc.lastFrameTick, 1234u);
  EXPECT_EQ(doc.flags, kFlagFromCommandLine);
  EXPECT_EQ(doc.width, 2);
  EXPECT_EQ(doc.bitCount, 8);
  EXPECT_NE(doc.currentPicture.data(), doc.frameSet->frame(0).image.data());
  EXPECT_EQ(repaints, 1);
  EXPECT_STREQ(KindLabel(doc.kind), "ｱﾆﾒ");
  EXPECT_TRUE(IsAnimation(doc.kind));

  ASSERT_TRUE(
      InstallSinglePicture(doc, Picture(1, {{0, 0, 0, 0}, {9, 9, 9, 0}}), ImageKind::kBitmap));
  EXPECT_EQ(doc.frameSet->count, 0);
  EXPECT_FALSE(doc.frameSet->frame(0).image);
  EXPECT_FALSE(IsAnimation(doc.kind));
  EXPECT_FALSE(SetCurrentPicture(doc, PackedDib()));
  EXPECT_EQ(doc.currentPicture.Row(0)[0], 1);
}

TEST(DocumentState, BackgroundColourAndTransparentIndex) {
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, 16));
  doc.backgroundColor = 0x00332211;  // red 0x11, green 0x22, blue 0x33
  // The transparent index of a single picture is the first entry equal to the background.
  ASSERT_TRUE(InstallSinglePicture(
      doc, Picture(0, {{0, 0, 0, 0}, {0x33, 0x22, 0x11, 0}, {0x33, 0x22, 0x11, 0}}),
      ImageKind::kGifPicture));
  EXPECT_EQ(CurrentTransparentIndex(doc), 1);
  doc.kind = ImageKind::kJpeg;
  EXPECT_EQ(CurrentTransparentIndex(doc), -1);

  FrameSet loaded(16);
  loaded.count = 2;
  loaded.transparentIndex = 2;
  for (int i = 0; i < 2; ++i) {
    loaded.frame(i).image = Picture(2, {{0, 0, 0, 0}, {1, 1, 1, 0}, {7, 7, 7, 0}});
  }
  ASSERT_TRUE(InstallAnimation(doc, loaded, ImageKind::kFrameAnimation, 0));
  ApplyBackgroundColor(doc);
  for (const PackedDib* p :
       {&doc.currentPicture, &doc.frameSet->frame(0).image, &doc.frameSet->frame(1).image}) {
    Rgbq e = p->ColorTable()[2];
    EXPECT_EQ(e.red, 0x11);
    EXPECT_EQ(e.green, 0x22);
    EXPECT_EQ(e.blue, 0x33);
    EXPECT_EQ(p->ColorTable()[1].red, 1);
  }
  // An index beyond the table changes nothing.
  doc.frameSet->transparentIndex = 200;
  ApplyBackgroundColor(doc);
}

TEST(DocumentState, PaletteDisplayRefusesPicturesItCannotShow) {
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, 16));
  doc.trueColorDisplay = 0;
  EXPECT_TRUE(SetCurrentPicture(doc, Picture(0, {{1, 2, 3, 0}})));
  EXPECT_TRUE(doc.displayPalettePicture);
  EXPECT_FALSE(SetCurrentPicture(doc, NewPicture(2, 2, 24, 0)));
  EXPECT_EQ(doc.bitCount, 8);  // the old picture stays
}

}  // namespace
}  // namespace zel
