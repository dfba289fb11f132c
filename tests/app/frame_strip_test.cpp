#include "app/frame_strip.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "document/document_state.h"

namespace zel {
namespace {

TEST(FrameStrip, ThumbnailsKeepTheShapeAndEnlargeSmallFramesALittle) {
  struct Case {
    int32_t width, height;
    ThumbnailSize expected;
  } cases[] = {
      {640, 480, {64, 48}}, {480, 640, {48, 64}}, {64, 64, {64, 64}}, {1000, 10, {64, 1}},
      {1, 5000, {1, 64}},   {32, 32, {64, 64}},   {8, 4, {32, 16}},   {1, 1, {4, 4}},
      {0, 10, {0, 0}},      {10, -1, {0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitThumbnail(c.width, c.height, kStripThumbnailBox), c.expected)
        << c.width << "x" << c.height;
  }
}

// A 4 x 2 8-bit picture whose pixel (x, y) has index x + 4 y, entry i the colour (i, 2i, 3i).
PackedDib Indexed() {
  std::vector<Rgbq> table(8);
  for (int i = 0; i < 8; ++i) table[i] = {uint8_t(3 * i), uint8_t(2 * i), uint8_t(i), 0};
  PackedDib p = NewPicture(4, 2, 8, 8, table.data());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) p.Row(y)[x] = uint8_t(x + 4 * y);
  return p;
}

uint32_t Argb(int i) {
  return 0xFF000000u | uint32_t(i) << 16 | uint32_t(2 * i) << 8 | uint32_t(3 * i);
}

TEST(FrameStrip, ThumbnailPixelsComeFromTheNearestSourcePixelTopRowFirst) {
  PackedDib indexed = Indexed();
  // Doubled: every source pixel becomes a 2 x 2 block.
  std::vector<uint32_t> big = RenderThumbnail(indexed, {8, 4});
  ASSERT_EQ(big.size(), 32u);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(big[size_t(8 * y + x)], Argb(x / 2 + 4 * (y / 2)));
  // Halved: the centre of each 2 x 2 block picks its lower-right pixel.
  std::vector<uint32_t> small = RenderThumbnail(indexed, {2, 1});
  EXPECT_EQ(small, (std::vector<uint32_t>{Argb(5), Argb(7)}));

  PackedDib rgb = NewPicture(2, 1, 24, 0);
  const uint8_t bgr[6] = {1, 2, 3, 4, 5, 6};
  std::memcpy(rgb.Row(0), bgr, 6);
  EXPECT_EQ(RenderThumbnail(rgb, {2, 1}), (std::vector<uint32_t>{0xFF030201u, 0xFF060504u}));

  EXPECT_TRUE(RenderThumbnail(NewPicture(4, 4, 4, 16), {4, 4}).empty());
  EXPECT_TRUE(RenderThumbnail(PackedDib::Allocate(30), {4, 4}).empty());
  EXPECT_TRUE(RenderThumbnail(indexed, {0, 4}).empty());
}

TEST(FrameStrip, LabelsAndVisibleFrames) {
  EXPECT_EQ(StripFrameLabel(0, 10), "1  0.10秒");
  EXPECT_EQ(StripFrameLabel(11, 250), "12  2.50秒");
  EXPECT_EQ(StripFrameLabel(9999, 0), "10000  0.00秒");

  struct Case {
    int64_t offset, view;
    int item;
    int32_t count, first, last;
  } cases[] = {
      {0, 300, 100, 10000, 0, 2},
      {50, 300, 100, 10000, 0, 3},
      {999900, 300, 100, 10000, 9999, 9999},
      {0, 300, 100, 2, 0, 1},
      {1000, 300, 100, 5, 0, -1},
      {0, 300, 100, 0, 0, -1},
      {-20, 100, 100, 3, 0, 0},
      {0, 0, 100, 3, 0, -1},
  };
  for (const Case& c : cases) {
    FrameRange r = VisibleFrames(c.offset, c.view, c.item, c.count);
    EXPECT_EQ(r.first, c.first) << c.offset << " " << c.count;
    EXPECT_EQ(r.last, c.last) << c.offset << " " << c.count;
  }
}

TEST(FrameStrip, CacheMakesEachThumbnailOnceForItsPicture) {
  ThumbnailCache cache(3);
  PackedDib a = Indexed(), b = Indexed(), c = Indexed(), d = Indexed();
  c.Row(0)[0] = 7;  // c and d differ from a and b and from each other
  d.Row(1)[3] = 0;
  const ThumbnailSize size{8, 4};
  ASSERT_NE(cache.Get(0, a, size), nullptr);
  ASSERT_NE(cache.Get(1, b, size), nullptr);
  EXPECT_EQ(cache.Get(0, a, size), cache.Get(0, a, size));
  EXPECT_EQ(cache.rendered(), 2u);
  // Frame 1 now holds another picture (an edit): made anew.
  cache.Get(1, c, size);
  EXPECT_EQ(cache.rendered(), 3u);
  // A new size too.
  cache.Get(1, c, {4, 2});
  EXPECT_EQ(cache.rendered(), 4u);
  // Over capacity the least recently used goes: frame 1 is used, then 2 and 3 come.
  cache.Get(2, d, size);
  cache.Get(1, c, {4, 2});
  cache.Get(3, b, size);
  EXPECT_EQ(cache.size(), 3u);
  const size_t before = cache.rendered();
  cache.Get(1, c, {4, 2});
  EXPECT_EQ(cache.rendered(), before);  // kept
  cache.Get(0, a, size);
  EXPECT_EQ(cache.rendered(), before + 1);  // frame 0 had gone
  cache.Clear();
  EXPECT_EQ(cache.size(), 0u);
  cache.Get(0, a, size);
  EXPECT_EQ(cache.rendered(), before + 2);
  EXPECT_EQ(cache.Get(5, PackedDib(), size), nullptr);
}

// After a change of the document only the frames whose bytes changed are made again: a
// block rewritten in place (same address) is found by its hash, a block that only moved (an
// undo, a frame moved back) with the same bytes is kept, and frames past the count go.
TEST(FrameStrip, CacheMakesAgainOnlyTheFramesWhoseBytesChanged) {
  ThumbnailCache cache;
  PackedDib a = Indexed(), b = Indexed(), same = Indexed();
  const ThumbnailSize size{8, 4};
  ASSERT_NE(cache.Get(0, a, size), nullptr);
  ASSERT_NE(cache.Get(1, b, size), nullptr);
  ASSERT_NE(cache.Get(2, b, size), nullptr);
  ASSERT_EQ(cache.rendered(), 3u);

  a.Row(0)[0] = 5;  // frame 0 painted in place
  cache.MarkChanged(2);
  EXPECT_EQ(cache.size(), 2u);  // frame 2 is gone with the count
  const std::vector<uint32_t>* shown = cache.Get(0, a, size);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(cache.rendered(), 4u);
  EXPECT_EQ((*shown)[0], Argb(5));
  cache.Get(1, same, size);  // another block, the same bytes
  EXPECT_EQ(cache.rendered(), 4u);
  // Checked once, the blocks are trusted until the next change.
  a.Row(0)[0] = 6;
  cache.Get(0, a, size);
  EXPECT_EQ(cache.rendered(), 4u);
  cache.MarkChanged(2);
  EXPECT_EQ((*cache.Get(0, a, size))[0], Argb(6));
  EXPECT_EQ(cache.rendered(), 5u);
  // A change of the colour table counts as well.
  same.ColorTable()[0] = {9, 9, 9, 0};
  cache.MarkChanged(2);
  cache.Get(1, same, size);
  EXPECT_EQ(cache.rendered(), 6u);
}

TEST(FrameStrip, BlockHashSeesEveryByteAndTheLength) {
  std::vector<uint8_t> bytes(77);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 31 + 7);
  const uint64_t whole = PictureBlockHash(bytes.data(), bytes.size());
  EXPECT_EQ(PictureBlockHash(bytes.data(), bytes.size()), whole);
  EXPECT_NE(PictureBlockHash(bytes.data(), bytes.size() - 1), whole);
  // One bit in each part of the block: the 32-byte lanes, the words after them, the tail.
  for (size_t at : {size_t{0}, size_t{31}, size_t{64}, size_t{70}, size_t{76}}) {
    std::vector<uint8_t> changed = bytes;
    changed[at] ^= 1;
    EXPECT_NE(PictureBlockHash(changed.data(), changed.size()), whole) << at;
  }
  // Zero bytes of different lengths differ too.
  std::vector<uint8_t> zeros(64, 0);
  EXPECT_NE(PictureBlockHash(zeros.data(), 32), PictureBlockHash(zeros.data(), 64));
}

TEST(FrameStrip, ClickStopsPlaybackAndShowsTheFrame) {
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, 16));
  FrameSet source(16);
  source.count = 3;
  for (int i = 0; i < 3; ++i) {
    source.frame(i).image = Indexed();
    source.frame(i).image.Row(0)[0] = uint8_t(i);
  }
  ASSERT_TRUE(InstallAnimation(doc, source, ImageKind::kGifAnimation, 0));
  doc.flags |= kFlagStep;
  ASSERT_TRUE(ShowStripFrame(doc, 2));
  EXPECT_EQ(doc.currentFrame, 2);
  EXPECT_EQ(doc.currentPicture.Row(0)[0], 2);
  EXPECT_NE(doc.currentPicture.data(), doc.frameSet->frame(2).image.data());
  EXPECT_EQ(doc.flags & (kFlagStopped | kFlagStep), uint32_t{kFlagStopped});
  EXPECT_FALSE(ShowStripFrame(doc, 3));
  EXPECT_FALSE(ShowStripFrame(doc, -1));
  EXPECT_EQ(doc.currentFrame, 2);
}

}  // namespace
}  // namespace zel
