#include "color/palette_operation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::MakePicture;
using testing::PicturePixels;
using testing::Rgb;

// Six distinct colours; the background colour of the documents is none of them.
const std::vector<Rgb> kSix = {{10, 0, 0},  {0, 20, 0},  {0, 0, 30},
                               {40, 40, 0}, {0, 50, 50}, {60, 0, 60}};
constexpr uint32_t kBackground = 0x00332211;  // red 0x11, green 0x22, blue 0x33
const Rgbq kBackgroundQuad{0x33, 0x22, 0x11, 0};

Rgbq Quad(const Rgb& c) {
  return Rgbq{c.b, c.g, c.r, 0};
}

std::vector<Rgbq> Table(const PackedDib& picture) {
  return {picture.ColorTable(), picture.ColorTable() + picture.ColorCount()};
}

// A document holding a single 8-bit GIF picture with history open.
std::unique_ptr<DocumentState> SingleDoc(int width, int height, const std::vector<uint8_t>& pixels,
                                         const std::vector<Rgb>& table, int32_t transparent) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  doc->kind = ImageKind::kGifPicture;
  doc->backgroundColor = kBackground;
  doc->frameSet->transparentIndex = transparent;
  EXPECT_TRUE(SetCurrentPicture(*doc, MakePicture(width, height, pixels, table)));
  return doc;
}

TEST(PaletteOperation, DotCountsReadWithThousandsSeparators) {
  const struct {
    int32_t count;
    const char* text;
  } cases[] = {{0, "0"},
               {7, "7"},
               {999, "999"},
               {1000, "1,000"},
               {12345, "12,345"},
               {999999, "999,999"},
               {1000000, "1,000,000"},
               {1234567, "1,234,567"},
               {2147483647, "2147,483,647"}};  // the millions stay one group
  for (const auto& c : cases) EXPECT_EQ(FormatDotCount(c.count), c.text) << c.count;
}

TEST(PaletteOperation, TransparentRowOfAMillionDotsCarriesAnAsterisk) {
  // 1,234,567 = 127 x 9721 dots of entry 1, which is transparent.
  const int width = 127, height = 9721;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, 1);
  pixels[0] = 0;
  auto doc = SingleDoc(width, height, pixels, {{1, 2, 3}, {4, 5, 6}}, 1);
  PaletteTable table;
  ASSERT_TRUE(table.Open(*doc));
  EXPECT_EQ(table.RowText(1), "1,234,566*");
  EXPECT_EQ(table.RowText(0), "1");
  EXPECT_EQ(table.TransparentText(), "あり");
  EXPECT_EQ(table.ListedCountText(), "2");
  EXPECT_EQ(table.Merge({0, 1}), 1);
  EXPECT_EQ(table.RowText(1), "1,234,567*");
  EXPECT_EQ(table.ListedCountText(), "1");
}

TEST(PaletteOperation, UnusedEntriesDisappearAndPixelsAreRenumberedDensely) {
  auto doc = SingleDoc(4, 2, {1, 3, 5, 3, 5, 5, 1, 3}, kSix, -1);
  PaletteTable table;
  ASSERT_TRUE(table.Open(*doc));
  ASSERT_EQ(table.Rows().size(), 6u);
  const std::vector<int32_t> counts = {0, 2, 0, 3, 0, 3};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(table.Rows()[k].dotCount, counts[k]) << k;
  EXPECT_EQ(table.TransparentText(), "なし");

  ASSERT_TRUE(table.Apply(*doc).done());
  EXPECT_EQ(Table(doc->currentPicture),
            (std::vector<Rgbq>{Quad(kSix[1]), Quad(kSix[3]), Quad(kSix[5])}));
  EXPECT_EQ(PicturePixels(doc->currentPicture), (std::vector<uint8_t>{0, 1, 2, 1, 2, 2, 0, 1}));
  EXPECT_EQ(doc->currentPicture.Header().clrUsed, 3u);
  EXPECT_EQ(doc->currentPicture.Header().clrImportant, 3u);
  EXPECT_EQ(doc->currentPicture.Header().sizeImage, 8u);
  EXPECT_EQ(doc->frameSet->transparentIndex, -1);
  // The rows now hold their new indexes; unused ones none.
  const std::vector<int32_t> newIndexes = {-1, 0, -1, 1, -1, 2};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(table.Rows()[k].index, newIndexes[k]) << k;
}

TEST(PaletteOperation, MergingAroundATransparentMiddleRowKeepsItAndShowsTheBackground) {
  auto doc = SingleDoc(3, 2, {0, 1, 2, 3, 0, 2}, kSix, 1);
  PaletteTable table;
  ASSERT_TRUE(table.Open(*doc));
  EXPECT_EQ(table.Merge({0, 1, 2}), 1);
  EXPECT_EQ(table.Listed(), (std::vector<int32_t>{1, 3, 4, 5}));
  EXPECT_EQ(table.Find(1)->dotCount, 5);
  EXPECT_EQ(table.Find(1)->mergeCount, 2);
  EXPECT_EQ(table.Find(0)->mergedInto, 1);
  EXPECT_EQ(table.Find(2)->mergedInto, 1);
  EXPECT_EQ(table.Find(0)->listPosition, -1);

  ASSERT_TRUE(table.Apply(*doc).done());
  EXPECT_EQ(Table(doc->currentPicture), (std::vector<Rgbq>{kBackgroundQuad, Quad(kSix[3])}));
  EXPECT_EQ(PicturePixels(doc->currentPicture), (std::vector<uint8_t>{0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(doc->frameSet->transparentIndex, 0);
}

TEST(PaletteOperation, MergingAKeeperMovesItsAbsorbedRowsAlong) {
  auto doc = SingleDoc(4, 1, {0, 1, 2, 3}, kSix, -1);
  PaletteTable table;
  ASSERT_TRUE(table.Open(*doc));
  EXPECT_EQ(table.Merge({2, 3}), 2);
  EXPECT_EQ(table.Merge({1, 2}), 1);
  EXPECT_EQ(table.Find(3)->mergedInto, 1);
  EXPECT_EQ(table.Find(2)->mergedInto, 1);
  EXPECT_EQ(table.Find(1)->mergeCount, 2);
  EXPECT_EQ(table.Find(1)->dotCount, 3);
  // Rows already merged, unknown or repeated add nothing; one row left is no merge.
  EXPECT_EQ(table.Merge({3, 1, 1, 99}), -1);
  EXPECT_EQ(table.Listed(), (std::vector<int32_t>{0, 1, 4, 5}));

  ASSERT_TRUE(table.Apply(*doc).done());
  EXPECT_EQ(Table(doc->currentPicture), (std::vector<Rgbq>{Quad(kSix[0]), Quad(kSix[1])}));
  EXPECT_EQ(PicturePixels(doc->currentPicture), (std::vector<uint8_t>{0, 1, 1, 1}));
}

TEST(PaletteOperation, SortsOrderTheListAndOkKeepsTheOpeningOrder) {
  // red, gray, green, blue, dark red; dot counts 1, 2, 3, 4, 5.
  const std::vector<Rgb> colors = {
      {255, 0, 0}, {128, 128, 128}, {0, 255, 0}, {0, 0, 255}, {128, 0, 0}};
  auto doc = SingleDoc(15, 1, {0, 1, 1, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4}, colors, -1);
  const std::vector<uint8_t> before = PicturePixels(doc->currentPicture);
  PaletteTable table;
  ASSERT_TRUE(table.Open(*doc));
  const struct {
    PaletteSort order;
    std::vector<int32_t> listed;
  } cases[] = {
      {PaletteSort::kHue, {3, 2, 0, 4, 1}},
      {PaletteSort::kBrightness, {1, 3, 2, 0, 4}},
      {PaletteSort::kDotCount, {4, 3, 2, 1, 0}},
      {PaletteSort::kOriginal, {0, 1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    table.Sort(c.order);
    EXPECT_EQ(table.Listed(), c.listed) << static_cast<int>(c.order);
  }
  table.Sort(PaletteSort::kDotCount);
  ASSERT_TRUE(table.Apply(*doc).done());
  std::vector<Rgbq> expected;
  for (const Rgb& c : colors) expected.push_back(Quad(c));
  EXPECT_EQ(Table(doc->currentPicture), expected);
  EXPECT_EQ(PicturePixels(doc->currentPicture), before);
}

TEST(PaletteOperation, HsvFollowsTheHexcone) {
  const struct {
    Rgb color;
    int h, s, v;
  } cases[] = {{{0, 0, 0}, 0, 0, 0},           {{255, 0, 0}, 0, 100, 255},
               {{0, 255, 0}, 120, 100, 255},   {{0, 0, 255}, 240, 100, 255},
               {{255, 0, 128}, 329, 100, 255}, {{255, 255, 0}, 60, 100, 255},
               {{255, 254, 255}, 0, 0, 255},   {{100, 50, 200}, 260, 75, 200}};
  for (const auto& c : cases) {
    const Hsv hsv = ColorToHsv(Quad(c.color));
    EXPECT_EQ(hsv.h, c.h) << int(c.color.r) << "," << int(c.color.g) << "," << int(c.color.b);
    EXPECT_EQ(hsv.s, c.s);
    EXPECT_EQ(hsv.v, c.v);
  }
}

TEST(PaletteOperation, TransparentButtonChoicesAndTheirEffects) {
  auto doc = SingleDoc(3, 1, {0, 1, 2}, kSix, -1);
  PaletteTable table;
  ASSERT_TRUE(table.Open(*doc));
  // No transparent row yet.
  EXPECT_EQ(table.ChooseTransparent(0, true), TransparentChoice::kSet);
  EXPECT_EQ(table.ChooseTransparent(0, false), TransparentChoice::kNothing);
  EXPECT_EQ(table.ChooseTransparent(42, true), TransparentChoice::kNothing);
  EXPECT_EQ(table.ApplyTransparent(2, TransparentChoice::kSet), 2);
  EXPECT_EQ(table.RowText(2), "1*");
  EXPECT_EQ(table.TransparentText(), "あり");
  // Row 2 is transparent now.
  EXPECT_EQ(table.ChooseTransparent(2, true), TransparentChoice::kNothing);
  EXPECT_EQ(table.ChooseTransparent(2, false), TransparentChoice::kClear);
  EXPECT_EQ(table.ChooseTransparent(0, true), TransparentChoice::kMergeIntoExisting);
  EXPECT_EQ(table.ApplyTransparent(0, TransparentChoice::kMergeIntoExisting), 2);
  EXPECT_EQ(table.Find(0)->mergedInto, 2);
  EXPECT_EQ(table.RowText(2), "2*");
  EXPECT_EQ(table.ChooseTransparent(0, true), TransparentChoice::kNothing);  // merged away
  EXPECT_EQ(table.ApplyTransparent(2, TransparentChoice::kClear), 2);
  EXPECT_EQ(table.RowText(2), "2");
  EXPECT_EQ(table.TransparentText(), "なし");

  table.SetColor(1, Rgbq{9, 8, 7, 99});
  ASSERT_TRUE(table.Apply(*doc).done());
  EXPECT_EQ(Table(doc->currentPicture), (std::vector<Rgbq>{Rgbq{9, 8, 7, 0}, Quad(kSix[2])}));
  EXPECT_EQ(PicturePixels(doc->currentPicture), (std::vector<uint8_t>{1, 0, 1}));
  EXPECT_EQ(doc->frameSet->transparentIndex, -1);
}

TEST(PaletteOperation, UndoRestoresThePictureAndTransparentIndex) {
  auto doc = SingleDoc(3, 2, {0, 1, 2, 3, 4, 5}, kSix, 4);
  ApplyBackgroundColor(*doc);  // as loading does
  const PackedDib before = DuplicateBlock(doc->currentPicture);
  PaletteTable table;
  ASSERT_TRUE(table.Open(*doc));
  EXPECT_EQ(table.Merge({0, 1, 2, 3, 4}), 4);
  ASSERT_TRUE(table.Apply(*doc).done());
  EXPECT_EQ(doc->currentPicture.ColorCount(), 2u);
  EXPECT_EQ(doc->frameSet->transparentIndex, 0);
  ASSERT_TRUE(doc->undo.CanUndo());

  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(doc->frameSet->transparentIndex, 4);
  ASSERT_EQ(doc->currentPicture.ColorCount(), 6u);
  ASSERT_EQ(doc->currentPicture.size(), before.size());
  EXPECT_EQ(std::memcmp(doc->currentPicture.data(), before.data(), before.size()), 0);
  EXPECT_EQ(Table(before)[4], kBackgroundQuad);
  EXPECT_FALSE(doc->undo.CanUndo());
}

TEST(PaletteOperation, AnimationCountsAndRebuildsEveryFrame) {
  auto doc = std::make_unique<DocumentState>();
  ASSERT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  doc->kind = ImageKind::kGifAnimation;
  doc->backgroundColor = kBackground;
  FrameSet& frames = *doc->frameSet;
  const std::vector<Rgb> four(kSix.begin(), kSix.begin() + 4);
  frames.frame(0).image = MakePicture(2, 2, {0, 0, 1, 1}, four);
  frames.frame(1).image = MakePicture(2, 2, {1, 3, 3, 3}, four);
  // A frame with another table size adds no dots.
  frames.frame(2).image = MakePicture(2, 2, {2, 2, 2, 2}, kSix);
  // A 24-bit frame is left as it is.
  frames.frame(3).image = NewPicture(2, 2, 24, 0);
  frames.count = 4;
  frames.transparentIndex = 3;
  ASSERT_TRUE(SetCurrentPicture(*doc, DuplicateBlock(frames.frame(1).image)));
  doc->currentFrame = 1;
  const std::vector<uint8_t> deep(frames.frame(3).image.data(),
                                  frames.frame(3).image.data() + frames.frame(3).image.size());

  PaletteTable table;
  ASSERT_TRUE(table.Open(*doc));
  const std::vector<int32_t> counts = {2, 3, 0, 3};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(table.Rows()[k].dotCount, counts[k]) << k;
  EXPECT_EQ(table.RowText(3), "3*");
  ASSERT_TRUE(table.Apply(*doc).done());

  const std::vector<Rgbq> expected = {Quad(kSix[0]), Quad(kSix[1]), kBackgroundQuad};
  EXPECT_EQ(Table(frames.frame(0).image), expected);
  EXPECT_EQ(PicturePixels(frames.frame(0).image), (std::vector<uint8_t>{0, 0, 1, 1}));
  EXPECT_EQ(Table(frames.frame(1).image), expected);
  EXPECT_EQ(PicturePixels(frames.frame(1).image), (std::vector<uint8_t>{1, 2, 2, 2}));
  // Entry 2 was dropped: the other-sized frame's pixels of it become entry 0.
  EXPECT_EQ(Table(frames.frame(2).image), expected);
  EXPECT_EQ(PicturePixels(frames.frame(2).image), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(frames.frame(3).image.data(),
                                 frames.frame(3).image.data() + frames.frame(3).image.size()),
            deep);
  EXPECT_EQ(frames.transparentIndex, 2);
  // The view stays on the current frame, shown in its new colours.
  EXPECT_EQ(doc->currentFrame, 1);
  EXPECT_EQ(PicturePixels(doc->currentPicture), PicturePixels(frames.frame(1).image));
  EXPECT_EQ(Table(doc->currentPicture), expected);

  // Undo brings every frame back, not only the picture on screen.
  ASSERT_TRUE(doc->undo.Undo(*doc));
  std::vector<Rgbq> fourQuads;
  for (const Rgb& c : four) fourQuads.push_back(Quad(c));
  fourQuads[3] = kBackgroundQuad;  // the transparent entry shows the background, as on loading
  EXPECT_EQ(Table(frames.frame(0).image), fourQuads);
  EXPECT_EQ(PicturePixels(frames.frame(1).image), (std::vector<uint8_t>{1, 3, 3, 3}));
  EXPECT_EQ(PicturePixels(frames.frame(2).image), (std::vector<uint8_t>{2, 2, 2, 2}));
  EXPECT_EQ(frames.transparentIndex, 3);
  EXPECT_EQ(doc->kind, ImageKind::kGifAnimation);
  EXPECT_EQ(PicturePixels(doc->currentPicture), (std::vector<uint8_t>{1, 3, 3, 3}));
}

TEST(PaletteOperation, NothingToOpenAndDroppingTheCommonPalette) {
  DocumentState empty;
  ASSERT_TRUE(CreateDocumentContainer(empty, 256));
  PaletteTable table;
  EXPECT_FALSE(table.Open(empty));
  EXPECT_FALSE(table.Apply(empty).done());
  // A truncated block is not opened.
  auto doc = SingleDoc(2, 2, {0, 1, 0, 1}, kSix, -1);
  PackedDib cut = PackedDib::Allocate(kDibHeaderSize + 8);
  std::memcpy(cut.data(), doc->currentPicture.data(), cut.size());
  DocumentState broken;
  ASSERT_TRUE(CreateDocumentContainer(broken, 256));
  broken.currentPicture = std::move(cut);
  EXPECT_FALSE(table.Open(broken));

  doc->frameSet->paletteCount = 6;
  DropCommonPalette(*doc);
  EXPECT_EQ(doc->frameSet->paletteCount, -1);
}

}  // namespace
}  // namespace zel
