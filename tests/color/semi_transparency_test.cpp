#include "color/semi_transparency.h"

#include <gtest/gtest.h>

#include <memory>

#include "document/document_state.h"
#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::At8;
using testing::Make8;

int CountOf(const PackedDib& p, uint8_t index) {
  int n = 0;
  const DibHeader h = p.Header();
  for (int y = 0; y < h.height; ++y)
    for (int x = 0; x < h.width; ++x) n += At8(p, x, y) == index;
  return n;
}

TEST(TransparencyPattern, SetsAQuarterHalfOrThreeQuarters) {
  PackedDib p = Make8(
      4, 4, [](int, int) { return uint8_t(1); }, 8);
  ApplyTransparencyPattern(p, 7, SemiLevel::k25);
  EXPECT_EQ(CountOf(p, 7), 4);
  for (auto [x, y] : {std::pair{0, 0}, {2, 0}, {0, 2}, {2, 2}}) EXPECT_EQ(At8(p, x, y), 7);
  PackedDib q = Make8(
      4, 4, [](int, int) { return uint8_t(1); }, 8);
  ApplyTransparencyPattern(q, 7, SemiLevel::k75);
  EXPECT_EQ(CountOf(q, 7), 12);
  EXPECT_EQ(At8(q, 1, 0), 1);
  EXPECT_EQ(At8(q, 1, 1), 7);
  // 50 % on an odd width: row 0 at x = 0, 2, 4, row 1 at x = 1, 3.
  PackedDib c = Make8(
      5, 2, [](int, int) { return uint8_t(1); }, 8);
  ApplyTransparencyPattern(c, 3, SemiLevel::k50);
  const uint8_t row0[] = {3, 1, 3, 1, 3}, row1[] = {1, 3, 1, 3, 1};
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(At8(c, x, 0), row0[x]);
    EXPECT_EQ(At8(c, x, 1), row1[x]);
  }
  // An index outside the table, or a full-colour picture: nothing.
  PackedDib d = Make8(
      4, 4, [](int, int) { return uint8_t(1); }, 8);
  ApplyTransparencyPattern(d, 8, SemiLevel::k75);
  EXPECT_EQ(CountOf(d, 8), 0);
}

std::unique_ptr<DocumentState> MakeDoc(char kind, std::vector<int> tableSizes) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  doc->kind = static_cast<ImageKind>(kind);
  doc->frameSet->transparentIndex = -1;
  doc->backgroundColor = 0x00445566;
  if (IsAnimation(doc->kind)) {
    for (size_t i = 0; i < tableSizes.size(); ++i) {
      doc->frameSet->frame(int(i)).image = Make8(
          4, 4, [](int, int) { return uint8_t(1); }, tableSizes[i]);
    }
    doc->frameSet->count = int(tableSizes.size());
    doc->currentFrame = doc->frameSet->count - 1;
    SetCurrentPicture(*doc, DuplicateBlock(doc->frameSet->frame(doc->currentFrame).image));
  } else {
    SetCurrentPicture(*doc, Make8(
                                4, 4, [](int, int) { return uint8_t(1); }, tableSizes[0]));
  }
  return doc;
}

TEST(SemiTransparency, PictureGetsANewEntryThenThePattern) {
  auto doc = MakeDoc('g', {10});
  ASSERT_TRUE(ApplySemiTransparency(*doc, SemiLevel::k50, 0).done());
  EXPECT_EQ(doc->frameSet->transparentIndex, 10);
  EXPECT_EQ(doc->currentPicture.ColorCount(), 11u);
  EXPECT_EQ(doc->currentPicture.ColorTable()[10], (Rgbq{0x44, 0x55, 0x66, 0}));
  EXPECT_EQ(CountOf(doc->currentPicture, 10), 8);
  EXPECT_TRUE(doc->undo.CanUndo());
}

TEST(SemiTransparency, AnimationGetsOneIndexValidInEveryFrame) {
  // Frame 0's table has room at 5; frame 1 already holds 9 entries and does not use 5.
  auto doc = MakeDoc('a', {5, 9, 3});
  ASSERT_TRUE(ApplySemiTransparency(*doc, SemiLevel::k25, 9).done());
  EXPECT_EQ(doc->frameSet->transparentIndex, 5);
  for (int i = 0; i < 3; ++i) {
    const PackedDib& f = doc->frameSet->frame(i).image;
    ASSERT_GT(f.ColorCount(), 5u) << i;
    EXPECT_EQ(f.ColorTable()[5], (Rgbq{0x44, 0x55, 0x66, 0})) << i;
    EXPECT_EQ(CountOf(f, 5), 4) << i;
  }
  EXPECT_EQ(doc->currentFrame, 0);
  EXPECT_EQ(doc->lastFrameTick, 9u);
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);
}

TEST(SemiTransparency, NeverPatternsAVisibleColourAndInstallsAllOrNone) {
  // Frame 1 shows index 5 where frame 0 would put the new transparent entry.
  auto doc = MakeDoc('a', {5, 9});
  doc->frameSet->frame(1).image.Pixels()[0] = 5;
  std::vector<std::vector<uint8_t>> before;
  for (int i = 0; i < 2; ++i) {
    const PackedDib& f = doc->frameSet->frame(i).image;
    before.emplace_back(f.data(), f.data() + f.size());
  }
  EXPECT_EQ(ApplySemiTransparency(*doc, SemiLevel::k75, 0), Outcome::NothingDone());
  EXPECT_EQ(doc->frameSet->transparentIndex, -1);
  for (int i = 0; i < 2; ++i) {
    const PackedDib& f = doc->frameSet->frame(i).image;
    EXPECT_EQ(std::vector<uint8_t>(f.data(), f.data() + f.size()), before[i]);
  }
  EXPECT_FALSE(doc->undo.CanUndo());
  // A full table whose every entry is used cannot get a transparent entry.
  auto full = MakeDoc('g', {256});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) full->currentPicture.Row(y)[x] = uint8_t(y * 4 + x);
  // (16 of 256 used: an unused entry is taken instead.)
  ASSERT_TRUE(ApplySemiTransparency(*full, SemiLevel::k25, 0).done());
  EXPECT_EQ(full->frameSet->transparentIndex, 16);
}

}  // namespace
}  // namespace zel
